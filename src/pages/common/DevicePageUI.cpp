#include "pages/common/DevicePageUI.h"

#include <QAbstractButton>
#include <QBoxLayout>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QMetaObject>
#include <QSlider>
#include <QTimer>
#include <QAbstractButton>
#include <QSlider>
#include <algorithm>
#include <array>

#include "device/model/TessaroUSBDevice.h"
#include "pages/common/DeviceProfileUI.h"
#include "pages/common/ProfileCommandRoutes.h"
#include "pages/common/QuietControls.h"
#include "ui/DeviceKeyButtonUI.h"
#include "ui/LanguageStore.h"
#include "ui/ControlFactory.h"
#include "ui/LanguageStore.h"
#include "ui/NotifyBridge.h"

namespace orlo {

namespace {
constexpr const char* kFunctionTabs[] = {"deng_Op_tab",   "key_Op_tab",    "macro_Op_tab",
                                         "system_Op_tab", "cursor_Op_tab", "6533_voice_Op_tab",
                                         "magic_Op_tab",  "Virtual7.1_Op_tab"};
}  // namespace

CDevicePageUI::CDevicePageUI(QWidget* parent) : QWidget(parent) {}

CDevicePageUI::~CDevicePageUI() {
  // A driver that outlives its page must not call into freed memory.
  Attach(nullptr);
}

void CDevicePageUI::Attach(CTessaroUSBDevice* device) {
  if (device_ == device) return;
  if (device_ != nullptr) {
    if (device_->Observer() == this) device_->SetObserver(nullptr);
    device_->Debounce().SetTimer({});
  }
  device_ = device;
  if (device_ == nullptr) return;
  device_->SetObserver(this);
  // A page made but not shown (another device's tab is selected) shows nothing yet.
  device_->SetPreviewShown(IsOnScreen());
  // The page's one-shot timer gathers a burst of changes into one commit.
  auto* timer = findChild<QTimer*>(QStringLiteral("commit_debounce"));
  if (timer == nullptr) {
    timer = new QTimer(this);
    timer->setObjectName(QStringLiteral("commit_debounce"));
    timer->setSingleShot(true);
    connect(timer, &QTimer::timeout, this, [this] {
      if (device_) device_->Debounce().Fire();
    });
  }
  QPointer<QTimer> guard(timer);
  device_->Debounce().SetTimer([guard](int ms) {
    if (guard) QMetaObject::invokeMethod(guard.data(), [guard, ms] { if (guard) guard->start(ms); });
  });
}

void CDevicePageUI::PostToUiThread(std::function<void()> task) {
  if (!task) return;
  QPointer<CDevicePageUI> self(this);
  QMetaObject::invokeMethod(
      this, [self, task = std::move(task)] { if (self) task(); }, Qt::QueuedConnection);
}

void CDevicePageUI::OnProfileStateChanged() {
  PostToUiThread([this] { ApplyProfileToPage(); });
}

void CDevicePageUI::OnKeyAssignmentsChanged() {
  PostToUiThread([this] { ShowKeyAssignments(); });
}

void CDevicePageUI::OnCataloguesLoaded() {
  PostToUiThread([this] { ShowCatalogues(); });
}

void CDevicePageUI::OnPowerChanged(const uint8_t* bytes, int count) {
  if (bytes == nullptr || count <= 0) return;
  std::vector<uint8_t> copy(bytes, bytes + count);
  PostToUiThread([this, copy = std::move(copy)] {
    if (powerSink_) powerSink_(copy);
  });
}

void CDevicePageUI::OnReloadRequested(int delayMs) {
  PostToUiThread([this, delayMs] {
    if (timerSink_) timerSink_(kReloadTimer, delayMs);
  });
}

void CDevicePageUI::Commit() {
  if (device_ == nullptr) return;
  device_->SetScreenSize(Host().ScreenWidth(), Host().ScreenHeight());
  device_->RequestCommit();
}

// ---- routes ------------------------------------------------------------------------------------

void CDevicePageUI::BuildRoutes() {
  if (routes_) return;
  routes_.emplace();
  RegisterRoutes(*routes_);
}

bool CDevicePageUI::Route(ui::TNotifyUI& msg, IPageHost& host) {
  BuildRoutes();
  host_ = &host;
  const bool handled = routes_->Dispatch(msg);
  host_ = &noHost_;
  return handled;
}

std::vector<std::string> CDevicePageUI::RouteNames() {
  BuildRoutes();
  return routes_->Names();
}

void CDevicePageUI::RegisterRoutes(CRouteTable& routes) {
  using ui::TNotifyUI;
  for (int n = 1; n <= 8; ++n) {
    routes.OnName(ui::notify::kSelectChanged, kFunctionTabs[n - 1], [this, n](TNotifyUI& msg, long long) {
      if (msg.wParam != 0) OpenFunctionTab(n);
    });
  }
  ProfileCommands().Register(routes);
  routes.OnName(ui::notify::kClick, "default_btn", [this](TNotifyUI&, long long) {
    CTessaroUSBDevice* d = device_;
    if (d == nullptr || !Host().Confirm("message_text_22")) return;
    const int w = Host().ScreenWidth(), h = Host().ScreenHeight();
    d->Session().Submit([d, w, h] {
      d->ReloadProfile();
      d->RewriteKeyAssignments(0);
      d->ApplySettings(0, 0, 1, w, h);
    });
  });
}

void CDevicePageUI::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (QWidget* top = window(); top != this) top->installEventFilter(this);
  if (device_ != nullptr) device_->SetPreviewShown(IsOnScreen());
  ledsStale_ = true;
  PaintLeds();
}

void CDevicePageUI::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (device_ != nullptr && !isVisible()) device_->SetPreviewShown(false);
}

bool CDevicePageUI::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::WindowStateChange && watched == window() && isVisible()) {
    // Minimised, the picture shows nothing; restored, it shows the current state at once.
    const bool onScreen = IsOnScreen();
    if (device_ != nullptr) device_->SetPreviewShown(onScreen);
    if (onScreen) {
      ledsStale_ = true;
      PaintLeds();
    }
  }
  return QWidget::eventFilter(watched, event);
}

bool CDevicePageUI::IsOnScreen() const {
  if (!isVisible()) return false;
  const QWidget* top = window();
  return top == nullptr || !top->isMinimized();
}

void CDevicePageUI::OpenFunctionTab(int n) {
  if (device_ == nullptr) return;
  device_->SetFunctionTab(n);
  if (profileControl_) profileControl_->SelectFunctionTab(n);
  const auto [f, k] = CTessaroUSBDevice::FunctionTabPages(n, device_->ConnectionKind());
  ShowFunctionTab(f, k);
}

bool CDevicePageUI::LedPaintDue() {
  if (!IsOnScreen()) {
    // Nothing on screen to update; showing the page or restoring the window paints then.
    ledsStale_ = true;
    return false;
  }
  const auto now = std::chrono::steady_clock::now();
  if (!ledsStale_ && now - lastLedPaint_ < kMinLedPaintGap) return false;
  ledsStale_ = false;
  lastLedPaint_ = now;
  return true;
}

bool CDevicePageUI::PaintLight(ui::CDeviceKeyButtonUI* button, uint32_t word) {
  if (button == nullptr) return false;
  const LedValue v = LedValue::FromWord(word);
  const bool lit = v.brightness != 0 && (v.r | v.g | v.b) != 0;
  const uint32_t tint = 0xFF000000u | (uint32_t{v.r} << 16) | (uint32_t{v.g} << 8) | v.b;
  if (button->IsLightOn() == lit && button->LightOpacity() == v.brightness && button->LightTint() == tint)
    return false;  // unchanged: no repaint
  button->SetLightOn(lit, v.brightness, tint);
  return true;
}

void CDevicePageUI::ShowLightingControls(const LightInfo& e) {
  if (auto* combo = findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"))) {
    ui::CNotifyBridge::Mute mute(combo);
    combo->setCurrentIndex(combo->findData(static_cast<int>(e.mode)));
  }
  SetValueQuietly(findChild<QSlider*>(QStringLiteral("deng_light_slider")), e.brightness);
  SetValueQuietly(findChild<QSlider*>(QStringLiteral("deng_speed_slider")), e.speed);
  SetCheckedQuietly(findChild<QAbstractButton*>(QStringLiteral("deng_7color_check")), e.multiColor != 0);
  SetCheckedQuietly(findChild<QAbstractButton*>(QStringLiteral("deng_FXL_check")), e.direction != 0);
  SetCheckedQuietly(findChild<QAbstractButton*>(QStringLiteral("deng_FXR_check")), e.direction == 0);
  const std::array<std::pair<const char*, uint8_t>, 3> rgb = {
      {{"deng_edit_R", e.red}, {"deng_edit_G", e.green}, {"deng_edit_B", e.blue}}};
  for (const auto& [name, v] : rgb)
    if (auto* edit = findChild<QLineEdit*>(QLatin1String(name))) edit->setText(QString::number(v));
  if (auto* swatch = findChild<QWidget*>(QStringLiteral("deng_color_swatch")))
    swatch->setStyleSheet(QStringLiteral("background-color: rgb(%1,%2,%3); border-radius: 6px;")
                              .arg(e.red).arg(e.green).arg(e.blue));
}

void CDevicePageUI::FillModeList(const std::vector<BuiltInLightEntry>& builtIns, size_t builtInLimit,
                                 const std::vector<CustomLightEntry>& customs, int firstCustom) {
  auto* combo = findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"));
  if (combo == nullptr) return;
  ui::CNotifyBridge::Mute mute(combo);
  combo->clear();
  for (size_t i = 0; i < builtIns.size() && i < builtInLimit; ++i) {
    if (!builtIns[i].visible) continue;
    combo->addItem(QString::fromStdString(ui::TextOf(builtIns[i].name)), static_cast<int>(i));
  }
  for (size_t i = 0; i < customs.size() && static_cast<int>(i) + firstCustom < 256; ++i)
    combo->addItem(QString::fromStdString(customs[i].name), static_cast<int>(i) + firstCustom);
}

void CDevicePageUI::ChangeLighting(const std::function<void(LightInfo&)>& change) {
  if (device_ == nullptr) return;
  device_->ChangeLighting(change);
  Commit();
  ShowLighting();
}

void CDevicePageUI::RegisterLightingRoutes(CRouteTable& routes) {
  using ui::TNotifyUI;
  namespace n = ui::notify;
  routes.OnName(n::kSelectChanged, "deng_FXL_check", [this](TNotifyUI& msg, long long) {
    if (msg.wParam != 0) ChangeLighting([](LightInfo& e) { e.direction = 1; });
  });
  routes.OnName(n::kSelectChanged, "deng_FXR_check", [this](TNotifyUI& msg, long long) {
    if (msg.wParam != 0) ChangeLighting([](LightInfo& e) { e.direction = 0; });
  });
  routes.OnName(n::kSelectChanged, "deng_7color_check", [this](TNotifyUI& msg, long long) {
    const uint8_t flag = msg.wParam != 0 ? 1 : 0;
    ChangeLighting([flag](LightInfo& e) { e.multiColor = flag; });
  });
  routes.OnName(n::kValueChanged, "deng_light_slider", [this](TNotifyUI& msg, long long) {
    const auto level = static_cast<uint8_t>(std::clamp<int64_t>(msg.wParam, 0, 4));
    ChangeLighting([level](LightInfo& e) { e.brightness = level; });
  });
  routes.OnName(n::kValueChanged, "deng_speed_slider", [this](TNotifyUI& msg, long long) {
    const auto speed = static_cast<uint8_t>(std::clamp<int64_t>(msg.wParam, 0, 4));
    ChangeLighting([speed](LightInfo& e) { e.speed = speed; });
  });
  routes.OnName(n::kItemSelect, "light_combo_modeSelect", [this](TNotifyUI& msg, long long) {
    int mode = static_cast<int>(msg.wParam);
    // The combo lists only the modes shown; each item carries its mode index.
    if (auto* combo = qobject_cast<QComboBox*>(msg.pSender)) {
      const QVariant data = combo->itemData(static_cast<int>(msg.wParam));
      if (data.isValid()) mode = data.toInt();
    }
    if (mode < 0 || mode > 255) return;
    ChangeLighting([mode](LightInfo& e) { e.mode = static_cast<uint8_t>(mode); });
  });
  routes.OnName(n::kColorChanged, "deng_color_pallet", [this](TNotifyUI& msg, long long) {
    const auto argb = static_cast<uint32_t>(msg.wParam);
    ChangeLighting([argb](LightInfo& e) {
      e.red = static_cast<uint8_t>(argb >> 16);
      e.green = static_cast<uint8_t>(argb >> 8);
      e.blue = static_cast<uint8_t>(argb);
    });
  });
  static constexpr const char* kEdits[] = {"deng_edit_r", "deng_edit_g", "deng_edit_b"};
  for (int c = 0; c < 3; ++c) {
    routes.OnName(n::kKillFocus, kEdits[c], [this, c](TNotifyUI& msg, long long) {
      auto* edit = qobject_cast<QLineEdit*>(msg.pSender);
      if (edit == nullptr || edit->text().trimmed().isEmpty()) return;
      bool ok = false;
      const int v = edit->text().trimmed().toInt(&ok);
      if (!ok) return;
      const auto component = static_cast<uint8_t>(std::clamp(v, 0, 255));
      ChangeLighting([c, component](LightInfo& e) { (c == 0 ? e.red : c == 1 ? e.green : e.blue) = component; });
    });
  }
}

void CDevicePageUI::SetCheckedQuietly(QAbstractButton* button, bool on) {
  if (button == nullptr || button->isChecked() == on) return;
  ui::CNotifyBridge::Mute mute(button);
  const bool exclusive = button->autoExclusive();
  button->setAutoExclusive(false);
  button->setChecked(on);
  button->setAutoExclusive(exclusive);
}

void CDevicePageUI::SetValueQuietly(QSlider* slider, int value) {
  if (slider == nullptr) return;
  ui::CNotifyBridge::Mute mute(slider);
  slider->setValue(value);
}

void CDevicePageUI::FillLightModeCombo(QComboBox* combo, const std::vector<BuiltInLightEntry>& modes,
                                       const std::vector<CustomLightEntry>& customs) {
  if (combo == nullptr) return;
  ui::CNotifyBridge::Mute mute(combo);
  combo->clear();
  for (size_t i = 0; i < modes.size() && i < 10; ++i)
    if (modes[i].visible) combo->addItem(QString::fromStdString(ui::TextOf(modes[i].name)), static_cast<int>(i));
  for (size_t i = 0; i < customs.size() && i + 10 < 256; ++i)
    combo->addItem(QString::fromStdString(customs[i].name), static_cast<int>(i + 10));
}

void CDevicePageUI::RegisterCreator(const std::string& className, std::function<QWidget*(QWidget*)> creator) {
  ui::CControlFactory::GetInstance().RegistControl(className, std::move(creator));
}

void CDevicePageUI::RegisterPageControls() {
  RegisterPage<CDevicePageUI>(kClassName);
  CDeviceProfileUI::RegisterControl();
}

// ---- profiles ------------------------------------------------------------------------------------

CProfileCommandRoutes& CDevicePageUI::ProfileCommands() {
  if (!profileCommands_) profileCommands_ = std::make_shared<CProfileCommandRoutes>(*this);
  return *profileCommands_;
}

void CDevicePageUI::SetUpProfileControl() {
  if (!profileControl_) profileControl_ = findChild<CDeviceProfileUI*>();
  if (!profileControl_) {
    auto* control = new CDeviceProfileUI(this);
    control->setObjectName(QLatin1String(CDeviceProfileUI::kItemName));
    QLayout* place = nullptr;
    int at = 0;
    if (QWidget* row = findChild<QWidget*>(QStringLiteral("function_tab_row")); row && row->layout()) {
      place = row->layout();
      at = place->count();
    } else {
      // The card that holds the device picture: its first item.
      for (QWidget* w : findChildren<QWidget*>()) {
        if (w->objectName().endsWith(QLatin1String("picture_panel")) && w->layout()) {
          place = w->layout();
          break;
        }
      }
    }
    if (auto* box = qobject_cast<QBoxLayout*>(place)) {
      box->insertWidget(at, control);
    } else {
      control->move(12, 12);
    }
    ui::CNotifyBridge::Instance().Attach(control);
    profileControl_ = control;
  }
  profileControl_->Bind(device_);
  profileControl_->Init();
}

CDeviceProfileUI* CDevicePageUI::ProfileControl() const { return profileControl_.data(); }

void CDevicePageUI::SwitchToChosenProfile(IPageHost& host) { ProfileCommands().SwitchToChosenProfile(host); }

void CDevicePageUI::SetRecordingLock(bool locked) {
  if (profileControl_) profileControl_->SetRecordingLock(locked);
}

}  // namespace orlo
