#include "pages/mouse/MousePageUI.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "device/mouse/TessaroMouseDevice.h"
#include "macro/MacroCatalogue.h"
#include "pages/common/QuietControls.h"
#include "pages/light/LightControlRoutes.h"
#include "pages/macro/MacroControlUI.h"
#include "pages/mouse/KeyInfoText.h"
#include "pages/shoot/ShootControlUI.h"
#include "platform/Paths.h"
#include "ui/DeviceKeyButtonUI.h"
#include "ui/LanguageStore.h"
#include "ui/NotifyBridge.h"

namespace orlo {
namespace {

using ui::CNotifyBridge;

constexpr const char* kActiveThumb = "Control/SliderBar1_Thumb.png";
constexpr const char* kOtherThumb = "Control/SliderBar2_Thumb.png";
constexpr const char* kLedImage = "file='image/mouse/led_glow.svg'";
constexpr int kSliderMaxPointer = 20;
constexpr int kSliderMaxScroll = 100;
constexpr int kDoubleClickMin = 200;
constexpr int kDoubleClickMax = 900;

std::string Name(const char* prefix, int i) { return prefix + std::to_string(i); }

void Repolish(QWidget* w) {
  w->style()->unpolish(w);
  w->style()->polish(w);
  w->update();
}

}  // namespace

CMousePageUI::CMousePageUI(QWidget* parent) : CDevicePageUI(parent) {}

CTessaroMouseDevice* CMousePageUI::Mouse() const { return dynamic_cast<CTessaroMouseDevice*>(Device()); }

CDpiScale CMousePageUI::Scale() const {
  const CTessaroMouseDevice* m = Mouse();
  if (m == nullptr) return {};
  const auto& info = m->deviceInfo().bytes;
  return CDpiScale::FromInfo(info.data(), static_cast<int>(info.size()));
}

template <class T>
T* CMousePageUI::Child(const std::string& name) const {
  return findChild<T*>(QString::fromStdString(name));
}

// ---- catalogues ---------------------------------------------------------------------------------

void CMousePageUI::ShowCatalogues() {
  const CTessaroMouseDevice* m = Mouse();
  if (m == nullptr) return;
  std::vector<BuiltInLightEntry> modes;
  std::vector<CustomLightEntry> customs;
  {
    auto lock = m->ModelLock();
    modes = m->LightModes();
    customs = m->CustomLightModes();
  }
  Lighting().ShowCatalogues(modes, customs, FirstCustomLightMode(m->GetProfileKindIndex()));
  keySet_.ShowCatalogues();
}

void CMousePageUI::SetStageRanges(int sliderMax, int editMax) {
  // The page's scale has 150 positions whatever the device says; a larger range is not shown.
  const int maxPosition = std::clamp(sliderMax, 0, CDpiScale::kMaxPosition);
  editMax_ = std::clamp(editMax, 0, CDpiScale::kMaxTyped);
  for (QSlider* s : sliders_)
    if (s != nullptr) {
      CNotifyBridge::Mute mute(s);
      s->setRange(0, maxPosition);
    }
  for (int s = 0; s < kStages; ++s) {
    if (edits_[s] == nullptr) continue;
    // Each first contact reports the ranges again: one validator per edit, re-ranged.
    if (validators_[s] == nullptr) {
      validators_[s] = new QIntValidator(0, editMax_, edits_[s]);
      edits_[s]->setValidator(validators_[s]);
    }
    validators_[s]->setRange(0, editMax_);
  }
}

// ---- build ---------------------------------------------------------------------------------------

void CMousePageUI::BuildPage() {
  for (int i = 0; i < kKeyButtons; ++i) keys_[i] = Child<ui::CDeviceKeyButtonUI>(Name("key_", i));
  for (int i = 0; i < kLights; ++i) {
    lights_[i] = Child<ui::CDeviceKeyButtonUI>(Name("light_", i));
    lights0_[i] = Child<ui::CDeviceKeyButtonUI>(Name("light_0_", i));
    for (auto* b : {lights_[i], lights0_[i]})
      if (b != nullptr && b->LightImage().empty()) b->SetLightImage(kLedImage);
  }
  logo_ = Child<ui::CDeviceKeyButtonUI>("logo");
  if (logo_ != nullptr && logo_->LightImage().empty()) logo_->SetLightImage(kLedImage);
  for (int s = 0; s < kStages; ++s) {
    layouts_[s] = Child<QWidget>(Name("DPI_layout_", s));
    enables_[s] = Child<QAbstractButton>(Name("DPI_enable_check_", s));
    selects_[s] = Child<QAbstractButton>(Name("DPI_select_check_", s));
    sliders_[s] = Child<QSlider>(Name("DPI_slider_", s));
    edits_[s] = Child<QLineEdit>(Name("DPI_edit_", s));
    colours_[s] = Child<QAbstractButton>(Name("DPI_color_option_", s));
  }
  for (int i = 0; i < kRates; ++i) rates_[i] = Child<QAbstractButton>(Name("polling_rate_option_", i));
  keyInfoList_ = Child<QWidget>("device_setkeyinfo_list");
  textTest_ = Child<QLabel>("text_test");
  if (textTest_ != nullptr) textTest_->hide();
  SetStageRanges(CDpiScale::kMaxPosition, CDpiScale::kMaxTyped);
  if (auto* s = Child<QSlider>("pointer_speed_slider")) s->setRange(1, kSliderMaxPointer);
  if (auto* s = Child<QSlider>("scroll_speed_slider")) s->setRange(1, kSliderMaxScroll);
  Lighting().Bind();
  if (auto* macros = findChild<CMacroControlUI*>()) macros->SetDevice(Device());
  keySet_.Bind();
  // The shoot page: the mouse's gun files, gun 0 and bullet 0 selected.
  if (auto* shoot = Child<CShootControlUI>(CShootControlUI::kItemName); shoot && Mouse()) {
    shoot->SetFolders(Mouse()->DeviceFolder(), paths::ProgramFolder() + "DefaultData/");
    shoot->InitPage();
    shoot->SelectGun(0);
    shoot->SelectBullet(0);
  }
  built_ = true;
  // The page opens on the device's performance settings.
  OpenFunctionTab(4);
  ShowSettingTab(0);
}

void CMousePageUI::ShowFunctionTab(int fPage, int kPage) {
  // The performance panel lives in the key function layout's page 2; the function layout's
  // page 3 (system settings of a wired device) shows that same panel.
  if (fPage == 3) {
    fPage = 0;
    kPage = 2;
  }
  if (auto* f = Child<QStackedWidget>("device_function_switch"); f && fPage >= 0 && fPage < f->count())
    f->setCurrentIndex(fPage);
  if (auto* k = Child<QStackedWidget>("device_key_function_switch"); k && kPage >= 0 && kPage < k->count())
    k->setCurrentIndex(kPage);
  if (auto* hint = Child<QWidget>("device_tishi_info")) hint->hide();
  // The tab buttons follow the device's tab (set from code: muted).
  static constexpr std::array<const char*, 5> kTabs = {"deng_Op_tab", "key_Op_tab", "macro_Op_tab",
                                                       "system_Op_tab", "cursor_Op_tab"};
  const int tab = Device() != nullptr ? Device()->GetFunctionTab() : 0;
  for (int i = 0; i < static_cast<int>(kTabs.size()); ++i)
    SetCheckedQuietly(Child<QAbstractButton>(kTabs[i]), tab == i + 1);
}

// ---- profile to page -------------------------------------------------------------------------

void CMousePageUI::ApplyProfileToPage() {
  CTessaroMouseDevice* m = Mouse();
  if (m == nullptr || !built_) return;
  const std::vector<DPIStage> stages = m->Stages();
  const CDpiScale scale = Scale();
  for (int s = 0; s < kStages; ++s) {
    const DPIStage st = s < static_cast<int>(stages.size()) ? stages[s] : DPIStage{};
    SetStageEnabled(s, st.active != 0);
  }
  for (int s = 0; s < kStages; ++s) {
    const DPIStage st = s < static_cast<int>(stages.size()) ? stages[s] : DPIStage{};
    SetStagePosition(s, scale.PositionOf(st.dpiX));
    SetStageColour(s, 0xFF000000u | (uint32_t{st.red} << 16) | (uint32_t{st.green} << 8) | st.blue);
  }
  SelectReportRate(m->ReportRate());
  ShowSystemSettings();
  ShowLighting();
}

// ---- stages ----------------------------------------------------------------------------------------

int CMousePageUI::SelectedStage() const {
  CTessaroMouseDevice* m = Mouse();
  return m != nullptr ? m->ActiveStage() : 0;
}

void CMousePageUI::SelectStage(int s) {
  if (s < 0 || s >= kStages) return;
  if (CTessaroMouseDevice* m = Mouse()) m->SetActiveStage(s);
  for (int i = 0; i < kStages; ++i) SetStagePosition(i, GetStagePosition(i));
}

bool CMousePageUI::IsStageEnabled(int s) const {
  return s >= 0 && s < kStages && enables_[s] != nullptr && enables_[s]->isChecked();
}

void CMousePageUI::SetStageEnabled(int s, bool on) {
  if (s < 0 || s >= kStages) return;
  if (layouts_[s] != nullptr) layouts_[s]->setEnabled(on);
  SetCheckedQuietly(enables_[s], on);
  int enabled = 0, last = -1;
  for (int i = 0; i < kStages; ++i)
    if (IsStageEnabled(i)) ++enabled, last = i;
  const int active = SelectedStage();
  // The last enabled stage and the active stage cannot be switched off.
  for (int i = 0; i < kStages; ++i)
    if (enables_[i] != nullptr) enables_[i]->setEnabled(!(enabled == 1 && i == last) && i != active);
}

void CMousePageUI::SetStagePosition(int s, int position) {
  if (s < 0 || s >= kStages) return;
  const int p = std::clamp(position, 0, CDpiScale::kMaxPosition);
  SetValueQuietly(sliders_[s], p);
  ShowStageResolution(s, p);
  const bool active = s == SelectedStage();
  if (sliders_[s] != nullptr) {
    sliders_[s]->setProperty("thumbimage", active ? kActiveThumb : kOtherThumb);
    sliders_[s]->setProperty("activeStage", active);
    Repolish(sliders_[s]);
  }
  if (layouts_[s] != nullptr) {
    layouts_[s]->setProperty("activeStage", active);
    Repolish(layouts_[s]);
  }
  int enabled = 0, last = -1;
  for (int i = 0; i < kStages; ++i)
    if (IsStageEnabled(i)) ++enabled, last = i;
  if (enables_[s] != nullptr) enables_[s]->setEnabled(!active && !(enabled == 1 && s == last));
  SetCheckedQuietly(selects_[s], active);
}

void CMousePageUI::ShowStageResolution(int s, int position) {
  if (s < 0 || s >= kStages || edits_[s] == nullptr) return;
  edits_[s]->setText(QString::number(Scale().ResolutionAt(position)));
}

int CMousePageUI::GetStagePosition(int s) const {
  if (s < 0 || s >= kStages || sliders_[s] == nullptr) return -1;
  return sliders_[s]->value();
}

int CMousePageUI::GetTypedPosition(int s) const {
  if (s < 0 || s >= kStages || edits_[s] == nullptr) return -1;
  QString text = edits_[s]->text().trimmed();
  if (text.isEmpty()) text = QStringLiteral("0");
  bool ok = false;
  const long long typed = text.toLongLong(&ok);
  const int v = ok ? static_cast<int>(std::clamp<long long>(typed, 0, editMax_)) : 0;
  return Scale().PositionOf(v);
}

void CMousePageUI::SetStageColour(int s, uint32_t argb) {
  if (s < 0 || s >= kStages) return;
  colourValues_[s] = argb | 0xFF000000u;
  if (colours_[s] != nullptr) {
    colours_[s]->setStyleSheet(QStringLiteral("background-color: #%1;")
                                   .arg(colourValues_[s] & 0xFFFFFF, 6, 16, QLatin1Char('0')));
  }
}

uint32_t CMousePageUI::GetStageColour(int s) const {
  return s >= 0 && s < kStages ? colourValues_[s] : 0;
}

// ---- report rate and system settings -----------------------------------------------------------

int CMousePageUI::SelectReportRate(int index) {
  if (index < 0 || index >= kRates) index = 0;
  for (int i = 0; i < kRates; ++i) SetCheckedQuietly(rates_[i], i == index);
  return index;
}

int CMousePageUI::SelectedReportRate() const {
  for (int i = 0; i < kRates; ++i)
    if (rates_[i] != nullptr && rates_[i]->isChecked()) return i;
  return -1;
}

void CMousePageUI::ShowSystemSettings() {
  CTessaroMouseDevice* m = Mouse();
  if (m == nullptr) return;
  const MouseSystemStages sys = m->SystemSettings();
  SetValueQuietly(Child<QSlider>("pointer_speed_slider"), sys.mouseSpeed);
  SetCheckedQuietly(Child<QAbstractButton>("pointer_precision_check"), sys.pointerPrecision != 0);
  SetCheckedQuietly(Child<QAbstractButton>("scrolls_page_check"), sys.scrollPage != 0);
  if (auto* scroll = Child<QSlider>("scroll_speed_slider")) {
    SetValueQuietly(scroll, sys.wheelScrollLines);
    scroll->setEnabled(sys.scrollPage == 0);  // page-wise scrolling has no line count
  }
  if (auto* dbl = Child<QSlider>("double_click_slider")) {
    CNotifyBridge::Mute mute(dbl);
    dbl->setRange(kDoubleClickMin, std::max<int>(kDoubleClickMax, sys.doubleClickTime));
    dbl->setValue(sys.doubleClickTime);
  }
}

void CMousePageUI::StoreSystemSettings() {
  CTessaroMouseDevice* m = Mouse();
  if (m == nullptr) return;
  MouseSystemStages sys = m->SystemSettings();
  if (auto* s = Child<QSlider>("pointer_speed_slider")) sys.mouseSpeed = static_cast<uint16_t>(s->value());
  if (auto* b = Child<QAbstractButton>("pointer_precision_check")) sys.pointerPrecision = b->isChecked() ? 1 : 0;
  if (auto* b = Child<QAbstractButton>("scrolls_page_check")) sys.scrollPage = b->isChecked() ? 1 : 0;
  if (auto* s = Child<QSlider>("scroll_speed_slider")) {
    sys.wheelScrollLines = static_cast<uint16_t>(s->value());
    s->setEnabled(sys.scrollPage == 0);
  }
  if (auto* s = Child<QSlider>("double_click_slider")) sys.doubleClickTime = static_cast<uint16_t>(s->value());
  m->SetSystemSettings(sys);
}

void CMousePageUI::ShowSettingTab(int index) {
  auto* tabs = Child<QStackedWidget>("mouse_device_seting_layout");
  if (tabs == nullptr) return;
  if (index < 0 || index >= tabs->count()) index = 0;
  tabs->setCurrentIndex(index);
  if (auto* options = Child<QWidget>("mouse_option_layout")) {
    const QString wanted = QString::fromStdString(Name("mouse_device_seting_option_", index));
    for (QAbstractButton* b : options->findChildren<QAbstractButton*>())
      if (b->objectName().startsWith(QLatin1String("mouse_device_seting_option_")))
        SetCheckedQuietly(b, b->objectName() == wanted);
  }
}

// ---- lighting --------------------------------------------------------------------------------------

void CMousePageUI::ShowLighting() {
  CTessaroMouseDevice* m = Mouse();
  if (m == nullptr) return;
  CDevicePageUI::ShowLighting();
  ShowLogoTip();
}

// ---- LEDs -----------------------------------------------------------------------------------------

void CMousePageUI::PaintLeds() {
  CTessaroMouseDevice* m = Mouse();
  if (m == nullptr || !built_ || !LedPaintDue()) return;
  const CLedState& leds = m->ledState();
  const int n = std::min(leds.Size(), kLights);
  for (int i = 0; i < n; ++i) PaintLight(lights0_[i], leds.GetWord(i));
  if (logo_ != nullptr && logoLed_ >= 0 && logoLed_ < leds.Size()) PaintLight(logo_, leds.GetWord(logoLed_));
  for (int i = 0; i < n; ++i) PaintLight(lights_[i], leds.GetWord(i));
}

void CMousePageUI::OnLedsChanged() {
  if (ledPaintQueued_.exchange(true)) return;  // the waiting request paints this change too
  PostToUiThread([this] { ScheduleLedPaint(); });
}

void CMousePageUI::ScheduleLedPaint() {
  if (!IsOnScreen()) {
    // Shown again, the page paints what is current then.
    MarkLedsStale();
    ledPaintQueued_ = false;
    return;
  }
  const auto since = SinceLedPaint();
  if (LedsStale() || since >= kMinLedPaintGap) {
    PaintLedFrame();
    return;
  }
  if (ledFrame_ == nullptr) {
    ledFrame_ = new QTimer(this);
    ledFrame_->setSingleShot(true);
    ledFrame_->setTimerType(Qt::PreciseTimer);  // a coarse timer may fire early and miss the gap
    connect(ledFrame_, &QTimer::timeout, this, [this] { PaintLedFrame(); });
  }
  const auto rest = std::chrono::ceil<std::chrono::milliseconds>(kMinLedPaintGap - since);
  ledFrame_->start(rest);
}

void CMousePageUI::PaintLedFrame() {
  // Taken back before the LEDs are read: a step after this point asks for the next frame.
  ledPaintQueued_ = false;
  MarkLedsStale();  // the frame is due: no second gap check
  PaintLeds();
}

// ---- keys --------------------------------------------------------------------------------------

ui::CDeviceKeyButtonUI* CMousePageUI::KeyButton(int i) const {
  return i >= 0 && i < kKeyButtons ? keys_[i] : nullptr;
}

ui::CDeviceKeyButtonUI* CMousePageUI::LightButton(int i) const {
  return i >= 0 && i < kLights ? lights_[i] : nullptr;
}

void CMousePageUI::SelectKey(int index) {
  for (int i = 0; i < kKeyButtons; ++i)
    if (keys_[i] != nullptr) keys_[i]->SetSelected(i == index ? 1 : 0);
  if (auto* k = Child<QStackedWidget>("device_key_function_switch"); k && k->count() > 1)
    k->setCurrentIndex(1);
  keySet_.ShowKey(index);
  ShowSelectedKeyName(index);
}

void CMousePageUI::ShowSelectedKeyName(int index) {
  auto* label = Child<QLabel>("key_select_info");
  CTessaroMouseDevice* m = Mouse();
  if (label == nullptr || m == nullptr) return;
  std::string text = ui::TextOf(MouseButtonNameId(index));
  const std::vector<std::string> macros = CMacroCatalogue(m->DeviceFolder()).Names();
  auto lock = m->ModelLock();
  if (index >= 0 && index < static_cast<int>(m->KeyList().size())) {
    const auto name = KeyInfoNameOf(m->KeyList()[index].Current(), macros);
    if (name) {
      std::string shown;
      for (const std::string& part : NameParts(name->text)) {
        if (!shown.empty()) shown += '+';
        shown += name->isTextId ? ui::TextOf(part) : part;
      }
      text += ": " + shown;
    }
  }
  label->setText(QString::fromStdString(text));
}

void CMousePageUI::ShowKeyAssignments() {
  CTessaroMouseDevice* m = Mouse();
  if (m == nullptr || keyInfoList_ == nullptr) return;
  // Empty the list: rows are rebuilt from the key list.
  if (QLayout* layout = keyInfoList_->layout()) {
    while (QLayoutItem* item = layout->takeAt(0)) {
      delete item->widget();
      delete item;
    }
  }
  const std::vector<std::string> macros = CMacroCatalogue(m->DeviceFolder()).Names();
  std::vector<KeyAssign> list;
  {
    auto lock = m->ModelLock();
    list = m->KeyList();
  }
  for (size_t i = 0; i < list.size(); ++i) {
    const auto name = KeyInfoNameOf(list[i].Current(), macros);
    if (!name) continue;
    std::string shown;
    if (name->isTextId) {
      for (const std::string& part : NameParts(name->text)) {
        if (!shown.empty()) shown += '+';
        shown += ui::TextOf(part);
      }
    } else {
      shown = name->text;
    }
    SetKeyInfoRow(static_cast<int>(i), shown);
  }
  ShowLogoTip();
  if (m->SelectedKey() >= 0) ShowSelectedKeyName(m->SelectedKey());
  keyInfoList_->show();
  keyInfoList_->update();
}

void CMousePageUI::SetKeyInfoRow(int i, const std::string& name) {
  if (i < 0 || i >= kKeyButtons || keys_[i] == nullptr || keyInfoList_ == nullptr) return;
  const std::string title = ui::TextOf(MouseButtonNameId(i));
  keys_[i]->setProperty("tooltiptitle", QString::fromStdString(title));
  keys_[i]->setToolTip(QStringLiteral("<b>%1</b><br>%2").arg(QString::fromStdString(title).toHtmlEscaped(), QString::fromStdString(name).toHtmlEscaped()));
  keys_[i]->setProperty("tooltiptext", QString::fromStdString(name));
  auto* layout = qobject_cast<QVBoxLayout*>(keyInfoList_->layout());
  if (layout == nullptr) {
    layout = new QVBoxLayout(keyInfoList_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
  }
  while (KeyInfoRowCount() < i + 1) {
    auto* row = new QWidget(keyInfoList_);
    row->setObjectName(QStringLiteral("keyinfo_row"));
    row->setFixedHeight(25);
    auto* h = new QHBoxLayout(row);
    h->setContentsMargins(0, 0, 0, 0);
    auto* first = new QLabel(row);
    first->setObjectName(QStringLiteral("keyinfo_key"));
    first->setFixedWidth(200);
    first->setStyleSheet(QStringLiteral("color: #FFFFFF;"));
    auto* second = new QLabel(row);
    second->setObjectName(QStringLiteral("keyinfo_assign"));
    second->setFixedWidth(180);
    second->setStyleSheet(QStringLiteral("color: #0099FF;"));
    h->addWidget(first);
    h->addWidget(second);
    h->addStretch(1);
    row->hide();
    row->setEnabled(false);
    layout->addWidget(row);
  }
  auto rows = keyInfoList_->findChildren<QWidget*>(QStringLiteral("keyinfo_row"), Qt::FindDirectChildrenOnly);
  QWidget* row = rows.value(i);
  if (row == nullptr) return;
  auto* first = row->findChild<QLabel*>(QStringLiteral("keyinfo_key"));
  auto* second = row->findChild<QLabel*>(QStringLiteral("keyinfo_assign"));
  first->setText(QString::fromStdString(title));
  const QString full = QString::fromStdString(name);
  second->setToolTip(full);
  second->setText(second->fontMetrics().elidedText(full, Qt::ElideRight, second->width()));
  second->setProperty("fulltext", full);
  row->setVisible(!keys_[i]->isHidden());
}

int CMousePageUI::KeyInfoRowCount() const {
  if (keyInfoList_ == nullptr) return 0;
  return static_cast<int>(
      keyInfoList_->findChildren<QWidget*>(QStringLiteral("keyinfo_row"), Qt::FindDirectChildrenOnly).size());
}

std::string CMousePageUI::KeyInfoRowText(int i) const {
  if (keyInfoList_ == nullptr) return {};
  auto rows = keyInfoList_->findChildren<QWidget*>(QStringLiteral("keyinfo_row"), Qt::FindDirectChildrenOnly);
  QWidget* row = rows.value(i);
  if (row == nullptr) return {};
  auto* second = row->findChild<QLabel*>(QStringLiteral("keyinfo_assign"));
  return second != nullptr ? second->property("fulltext").toString().toStdString() : std::string{};
}

bool CMousePageUI::KeyInfoRowShown(int i) const {
  if (keyInfoList_ == nullptr) return false;
  auto rows = keyInfoList_->findChildren<QWidget*>(QStringLiteral("keyinfo_row"), Qt::FindDirectChildrenOnly);
  QWidget* row = rows.value(i);
  return row != nullptr && !row->isHidden();
}

void CMousePageUI::ShowLogoTip() {
  CTessaroMouseDevice* m = Mouse();
  if (logo_ == nullptr || m == nullptr) return;
  std::string text = ui::TextOf("Light_Set") + "\n" + ui::TextOf("Overall_Light_Set");
  const int mode = m->GetLightState().mode;
  auto lock = m->ModelLock();
  if (mode < 10) {
    if (mode < static_cast<int>(m->LightModes().size())) text += ui::TextOf(m->LightModes()[mode].name);
  } else if (mode - 10 < static_cast<int>(m->CustomLightModes().size())) {
    text += m->CustomLightModes()[mode - 10].name;
  }
  logo_->setProperty("tooltiptitle", QStringLiteral("Logo"));
  logo_->setToolTip(QString::fromStdString(text));
}

}  // namespace orlo
