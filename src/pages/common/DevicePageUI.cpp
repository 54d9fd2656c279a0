#include "pages/common/DevicePageUI.h"

#include <QBoxLayout>
#include <QEvent>
#include <QMetaObject>
#include <QTimer>

#include "device/model/TessaroUSBDevice.h"
#include "pages/common/DeviceProfileUI.h"
#include "pages/common/ProfileCommandRoutes.h"
#include "pages/light/LightControlRoutes.h"
#include "ui/ControlFactory.h"
#include "ui/DeviceKeyButtonUI.h"
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
  Lighting().Register(routes);
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
  const auto now = Now();
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

// ---- lighting ------------------------------------------------------------------------------------

CLightControlRoutes& CDevicePageUI::Lighting() {
  if (!lighting_) lighting_ = std::make_unique<CLightControlRoutes>(*this, [this]() -> IPageHost& { return Host(); });
  return *lighting_;
}

void CDevicePageUI::ShowLighting() { Lighting().ShowLighting(); }

void CDevicePageUI::SetSyncAllowed(bool allowed) { Lighting().SetSyncAllowed(allowed); }

void CDevicePageUI::RegisterCreator(const std::string& className, std::function<QWidget*(QWidget*)> creator) {
  ui::CControlFactory::GetInstance().RegistControl(className, std::move(creator));
}

void CDevicePageUI::RegisterPageControls() {
  RegisterPage<CDevicePageUI>(kClassName);
  CDeviceProfileUI::RegisterControl();
  CLightControlUI::RegisterControl();
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
