#include "pages/light/LightControlUI.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QListView>
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QStackedWidget>
#include <QStandardItemModel>
#include <algorithm>

#include "base/DeviceKinds.h"
#include "pages/common/QuietControls.h"
#include "platform/DebugLog.h"
#include "ui/ColorPaletteUI.h"
#include "ui/ControlFactory.h"
#include "ui/DialogBuilder.h"
#include "ui/LanguageStore.h"
#include "ui/NotifyBridge.h"

namespace orlo {

namespace {

using ui::CNotifyBridge;

constexpr const char* kColourProperty = "bkcolor";
constexpr const char* kModeList = "light_combo_modeSelect";
constexpr const char* kAudioModeList = "light_combo_audiomodeSelect";
constexpr const char* kSyncButton = "deng_same_mode";
constexpr const char* kSyncRow = "light_sync_row";
constexpr const char* kEdits[] = {"deng_edit_R", "deng_edit_G", "deng_edit_B"};
constexpr const char* kAudioEdits[] = {"deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"};
// Groups of the keyboard alone.
constexpr const char* kKeyboardGroups[] = {"lightcustom_layout", "light_combo_ZZCCmodeSelectLayout",
                                           "light_combo_AudiomodeSelectLayout"};

uint32_t Argb(uint8_t r, uint8_t g, uint8_t b) {
  return 0xFF000000u | (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
}

void FillQuietly(QComboBox* combo, const char* textPrefix, int count) {
  if (combo == nullptr) return;
  CNotifyBridge::Mute mute(combo);
  const int selected = combo->currentIndex();
  combo->clear();
  for (int i = 0; i < count; ++i) combo->addItem(QString::fromStdString(ui::TextOf(textPrefix + std::to_string(i))));
  combo->setCurrentIndex(selected < count ? selected : -1);
}

}  // namespace

CLightControlUI::CLightControlUI(QWidget* parent) : QWidget(parent) {}

void CLightControlUI::RegisterControl() {
  ui::CControlFactory::GetInstance().RegistControl(kClassName,
                                                   [](QWidget* parent) { return new CLightControlUI(parent); });
}

template <class T>
T* CLightControlUI::Control(const char* name) const {
  return findChild<T*>(QLatin1String(name));
}

bool CLightControlUI::FindControls() {
  if (built_) return true;
  if (Control<QComboBox>(kModeList) == nullptr) {
    ui::CDialogBuilder builder;
    if (builder.CreateInside(kLayoutFile, this) == nullptr) {
      DebugPrintf("lighting panel not built: %s", builder.LastError().c_str());
      return false;
    }
  }
  if (Control<QComboBox>(kModeList) == nullptr) {
    DebugLine("lighting panel: its layout has no mode list");
    return false;
  }
  // Up to three digits: a component above 255 is taken as 255.
  for (const char* const* names : {kEdits, kAudioEdits})
    for (int c = 0; c < 3; ++c)
      if (auto* e = Control<QLineEdit>(names[c]))
        e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,3}")), e));
  for (QAbstractButton* b : findChildren<QAbstractButton*>())
    if (const QVariant c = b->property(kColourProperty); c.isValid()) SetSwatch(b, QColor(c.toString()).rgba());
  if (auto* groups = Control<QComboBox>("light_combo_custommodeSelect"); groups && groups->count() == 0) {
    CNotifyBridge::Mute mute(groups);
    for (int g = 0; g < kCustomGroupCount; ++g) groups->addItem(QString::number(g + 1));
  }
  built_ = true;
  RefreshTexts();
  ApplyModeLayout(kind_, GetMode());
  return true;
}

void CLightControlUI::RefreshTexts() {
  FillQuietly(Control<QComboBox>(kAudioModeList), "light_audio_mode_", kAudioModeCount);
  FillQuietly(Control<QComboBox>("light_combo_ZZCCmodeSelect"), "light_second_mode_", kSecondModeCount);
}

void CLightControlUI::SetKind(uint16_t kind) {
  kind_ = FoldKind(kind);
  if (kind_ != kKindKeyboard) {
    for (const char* name : kKeyboardGroups) SetShown(name, false);
    if (auto* tabs = Control<QStackedWidget>("light_color_tablayout")) tabs->setCurrentIndex(0);
  }
  ApplyModeLayout(kind_, GetMode());
}

void CLightControlUI::FillModeList(const std::vector<std::string>& names, const std::vector<bool>& visible,
                                   int maxBrightness, int maxSpeed) {
  if (auto* combo = Control<QComboBox>(kModeList)) {
    CNotifyBridge::Mute mute(combo);
    combo->clear();
    auto* model = qobject_cast<QStandardItemModel*>(combo->model());
    auto* view = qobject_cast<QListView*>(combo->view());
    for (size_t i = 0; i < names.size(); ++i) {
      const QString text = QString::fromStdString(ui::TextOf(names[i]));
      combo->addItem(text);
      const int row = static_cast<int>(i);
      combo->setItemData(row, text, Qt::ToolTipRole);
      combo->setItemData(row, QSize(0, 30), Qt::SizeHintRole);
      const bool shown = i < visible.size() && visible[i];
      // A hidden mode keeps its index, so later modes keep their numbers; it cannot be chosen.
      if (view != nullptr) view->setRowHidden(row, !shown);
      if (model != nullptr) model->item(row)->setEnabled(shown);
    }
    combo->setCurrentIndex(-1);
  }
  if (auto* s = Control<QSlider>("deng_light_slider")) {
    CNotifyBridge::Mute mute(s);
    s->setMaximum(maxBrightness);
  }
  if (auto* s = Control<QSlider>("deng_speed_slider")) {
    CNotifyBridge::Mute mute(s);
    s->setMaximum(maxSpeed);
  }
}

void CLightControlUI::ShowEffect(const LightInfo& e) {
  SelectMode(e.mode);
  SetBrightness(e.brightness);
  SetSpeed(e.speed);
  SetRedText(std::to_string(e.red));
  SetGreenText(std::to_string(e.green));
  SetBlueText(std::to_string(e.blue));
  SetPaletteColour(Argb(e.red, e.green, e.blue));
  SetColourButton(Argb(e.red, e.green, e.blue));
  SetMulticolour(e.multiColor != 0);
  SelectSecondMode(e.secondMode);
  SetDirection(e.direction);
  ApplyModeLayout(kind_, e.mode);
}

// ---- single fields -------------------------------------------------------------------------------

void CLightControlUI::SelectMode(int m) {
  SelectQuietly(Control<QComboBox>(kModeList), m);
  ApplyModeLayout(kind_, m);
}

int CLightControlUI::GetMode() const {
  auto* combo = Control<QComboBox>(kModeList);
  return combo != nullptr ? combo->currentIndex() : -1;
}

void CLightControlUI::SelectCustomMode(int i) { SelectQuietly(Control<QComboBox>("light_combo_custommodeSelect"), i); }

int CLightControlUI::GetCustomMode() const {
  auto* combo = Control<QComboBox>("light_combo_custommodeSelect");
  return combo != nullptr ? combo->currentIndex() : -1;
}

void CLightControlUI::SetBrightness(int v) { SetValueQuietly(Control<QSlider>("deng_light_slider"), v); }

int CLightControlUI::GetBrightness() const {
  auto* s = Control<QSlider>("deng_light_slider");
  return s != nullptr ? s->value() : 0;
}

void CLightControlUI::SetSpeed(int v) { SetValueQuietly(Control<QSlider>("deng_speed_slider"), v); }

int CLightControlUI::GetSpeed() const {
  auto* s = Control<QSlider>("deng_speed_slider");
  return s != nullptr ? s->value() : 0;
}

void CLightControlUI::SetRedText(const std::string& text) {
  if (auto* e = Control<QLineEdit>(kEdits[0])) e->setText(QString::fromStdString(text));
}
void CLightControlUI::SetGreenText(const std::string& text) {
  if (auto* e = Control<QLineEdit>(kEdits[1])) e->setText(QString::fromStdString(text));
}
void CLightControlUI::SetBlueText(const std::string& text) {
  if (auto* e = Control<QLineEdit>(kEdits[2])) e->setText(QString::fromStdString(text));
}
std::string CLightControlUI::GetRedText() const {
  auto* e = Control<QLineEdit>(kEdits[0]);
  return e != nullptr ? e->text().toStdString() : std::string();
}
std::string CLightControlUI::GetGreenText() const {
  auto* e = Control<QLineEdit>(kEdits[1]);
  return e != nullptr ? e->text().toStdString() : std::string();
}
std::string CLightControlUI::GetBlueText() const {
  auto* e = Control<QLineEdit>(kEdits[2]);
  return e != nullptr ? e->text().toStdString() : std::string();
}

void CLightControlUI::SelectSecondMode(int i) { SelectQuietly(Control<QComboBox>("light_combo_ZZCCmodeSelect"), i); }

int CLightControlUI::GetSecondMode() const {
  auto* combo = Control<QComboBox>("light_combo_ZZCCmodeSelect");
  return combo != nullptr ? combo->currentIndex() : -1;
}

void CLightControlUI::SetPaletteColour(uint32_t argb) {
  if (auto* p = Control<ui::CColorPaletteUI>("deng_Color_Pallet")) p->SetSelectColor(argb);
}

uint32_t CLightControlUI::GetPaletteColour() const {
  auto* p = Control<ui::CColorPaletteUI>("deng_Color_Pallet");
  return p != nullptr ? p->GetSelectColor() : 0xFF000000u;
}

void CLightControlUI::SetColourButton(uint32_t argb) { SetSwatch(Control<QAbstractButton>("deng_colordp_btn"), argb); }

uint32_t CLightControlUI::GetColourButton() const { return SwatchColour(Control<QWidget>("deng_colordp_btn")); }

uint32_t CLightControlUI::GetPresetColour(int n) const {
  return SwatchColour(Control<QWidget>("color_option_" + std::to_string(n)));
}

void CLightControlUI::SetMulticolour(bool on) { SetCheckedQuietly(Control<QAbstractButton>("deng_7color_check"), on); }

bool CLightControlUI::GetMulticolour() const {
  auto* b = Control<QAbstractButton>("deng_7color_check");
  return b != nullptr && b->isChecked();
}

void CLightControlUI::SetDirection(int direction) {
  SetCheckedQuietly(Control<QAbstractButton>("deng_FXL_check"), direction != 0);
  SetCheckedQuietly(Control<QAbstractButton>("deng_FXR_check"), direction == 0);
}

// ---- mode layout ----------------------------------------------------------------------------------

void CLightControlUI::SetSyncAllowed(bool allowed) {
  syncAllowed_ = allowed;
  ApplyModeLayout(kind_, GetMode());
}

void CLightControlUI::SetEnabled(const char* name, bool on) {
  if (auto* w = Control<QWidget>(name)) w->setEnabled(on);
}

void CLightControlUI::SetShown(const char* name, bool on) {
  if (auto* w = Control<QWidget>(name)) w->setVisible(on);
}

void CLightControlUI::ApplyModeLayout(uint16_t kind, int mode) {
  const LightModeLayout l = LightModeLayoutOf(kind, mode);
  const bool sync = l.sync && syncAllowed_;
  SetShown(kSyncButton, sync);
  SetShown(kSyncRow, sync);
  if (l.known) {
    SetEnabled("lighteffect_layout", l.effect);
    SetEnabled("deng_7color_check", l.multicolour);
    SetEnabled("deng_color_layout", l.colour);
    SetEnabled("colorpallet_layout", l.palette);
    SetEnabled("deng_light_layout", l.brightness);
    SetEnabled("deng_speed_layout", l.speed);
  }
  if (l.direction) SetEnabled("deng_fx_layout", *l.direction);
  if (l.speedShown) SetShown("deng_speed_layout", *l.speedShown);
  if (l.customShown) SetShown("lightcustom_layout", *l.customShown);
  if (l.secondModeShown) SetShown("light_combo_ZZCCmodeSelectLayout", *l.secondModeShown);
  if (l.audioModeShown) SetShown("light_combo_AudiomodeSelectLayout", *l.audioModeShown);
  if (l.colourAreaEnabled) SetEnabled("light_color_layout", *l.colourAreaEnabled);
  if (l.colourShown) SetShown("deng_color_layout", *l.colourShown);
  if (l.rgbEnabled) SetEnabled("deng_rgb_layout", *l.rgbEnabled);
  if (l.colourPage)
    if (auto* tabs = Control<QStackedWidget>("light_color_tablayout"); tabs && *l.colourPage < tabs->count())
      tabs->setCurrentIndex(*l.colourPage);
  const auto& language = ui::CLanguageStore::GetInstance();
  if (l.leftLabel)
    if (auto* b = Control<QWidget>("deng_FXL_check")) language.SetControlText(b, *l.leftLabel, true);
  if (l.rightLabel)
    if (auto* b = Control<QWidget>("deng_FXR_check")) language.SetControlText(b, *l.rightLabel, true);
}

// ---- colour swatches ------------------------------------------------------------------------------

void CLightControlUI::SetSwatch(QAbstractButton* button, uint32_t argb) {
  if (button == nullptr) return;
  const QColor c = QColor::fromRgba(argb | 0xFF000000u);
  button->setProperty(kColourProperty, c.name(QColor::HexArgb));
  button->setStyleSheet(
      QStringLiteral("QPushButton { background-color: %1; border: 1px solid #55595F; border-radius: 4px; }"
                     "QPushButton:hover { border-color: #E6E7E9; }"
                     "QPushButton:disabled { background-color: %2; border-color: #303237; }")
          .arg(c.name(), c.darker(260).name()));
}

uint32_t CLightControlUI::SwatchColour(const QWidget* button) {
  if (button == nullptr) return 0;
  const QVariant v = button->property(kColourProperty);
  return v.isValid() ? QColor(v.toString()).rgba() : 0;
}

// ---- music lighting -----------------------------------------------------------------------------

bool CLightControlUI::HasMusicControls() const {
  for (const char* name : {kAudioModeList, "deng_7audiocolor_check", "audio_BkColor_check", "audio_FgColor_check",
                           "deng_audioColor_Pallet", "deng_audiocolordp_btn", "light_audiocolor_layout",
                           "audiocolorpallet_layout", kAudioEdits[0], kAudioEdits[1], kAudioEdits[2]})
    if (Control<QWidget>(name) == nullptr) return false;
  return true;
}

void CLightControlUI::ShowAudioColour(uint8_t r, uint8_t g, uint8_t b) {
  const uint8_t values[] = {r, g, b};
  for (int c = 0; c < 3; ++c) Control<QLineEdit>(kAudioEdits[c])->setText(QString::number(values[c]));
  Control<ui::CColorPaletteUI>("deng_audioColor_Pallet")->SetSelectColor(Argb(r, g, b));
  SetSwatch(Control<QAbstractButton>("deng_audiocolordp_btn"), Argb(r, g, b));
}

bool CLightControlUI::SetAudioLightInfo(const AudioLightInfo& r) {
  if (!HasMusicControls()) {
    DebugLine("SetAudioLightInfo: a music lighting control is missing; nothing shown");
    return false;
  }
  audio_ = r;
  SelectQuietly(Control<QComboBox>(kAudioModeList), r.audioMode);
  auto* background = Control<QAbstractButton>("audio_BkColor_check");
  auto* foreground = Control<QAbstractButton>("audio_FgColor_check");
  auto* multicolour = Control<QAbstractButton>("deng_7audiocolor_check");
  if (r.colorTypeFlag != 0) {
    ShowAudioColour(r.fgRed, r.fgGreen, r.fgBlue);
    SetCheckedQuietly(background, false);
    SetCheckedQuietly(foreground, true);
    multicolour->setEnabled(true);
    SetCheckedQuietly(multicolour, r.sevenColorFlag != 0);
  } else {
    ShowAudioColour(r.bkRed, r.bkGreen, r.bkBlue);
    SetCheckedQuietly(foreground, false);
    SetCheckedQuietly(background, true);
    multicolour->setEnabled(false);
  }
  // Audio mode 3 always draws with the hue wheel: its colours have no use.
  const bool colours = r.audioMode != 3;
  SetEnabled("light_audiocolor_layout", colours);
  SetEnabled("audiocolorpallet_layout", colours);
  return true;
}

std::optional<AudioLightInfo> CLightControlUI::GetAudioLightInfo(bool readColour) {
  if (!HasMusicControls()) {
    DebugLine("GetAudioLightInfo: a music lighting control is missing; ignored");
    return std::nullopt;
  }
  if (const int mode = Control<QComboBox>(kAudioModeList)->currentIndex(); mode >= 0)
    audio_.audioMode = static_cast<uint8_t>(mode);
  audio_.sevenColorFlag = Control<QAbstractButton>("deng_7audiocolor_check")->isChecked() ? 1 : 0;
  const bool background = Control<QAbstractButton>("audio_BkColor_check")->isChecked();
  const bool foreground = Control<QAbstractButton>("audio_FgColor_check")->isChecked();
  uint8_t type = 1;
  if (background) type = audio_.colorTypeFlag != 0 ? 0 : (foreground ? 1 : 0);
  audio_.colorTypeFlag = type;
  if (readColour) {
    const uint32_t c = SwatchColour(Control<QWidget>("deng_audiocolordp_btn"));
    const auto r = static_cast<uint8_t>(c >> 16), g = static_cast<uint8_t>(c >> 8), b = static_cast<uint8_t>(c);
    if (type != 0) {
      audio_.fgRed = r, audio_.fgGreen = g, audio_.fgBlue = b;
    } else {
      audio_.bkRed = r, audio_.bkGreen = g, audio_.bkBlue = b;
    }
  }
  return audio_;
}

std::optional<std::string> CLightControlUI::GetLightAudioColor(int component) const {
  auto* edit = component >= 0 && component < 3 ? Control<QLineEdit>(kAudioEdits[component]) : nullptr;
  if (edit == nullptr) {
    DebugPrintf("GetLightAudioColor: no music colour edit for component %d; ignored", component);
    return std::nullopt;
  }
  return edit->text().toStdString();
}

uint32_t CLightControlUI::GetAudioPresetColour(int n) const {
  const std::string name = "audiocolor_option_" + std::to_string(n);
  DebugLine(name + " GetLightAudioColor");
  return SwatchColour(Control<QWidget>(name));
}

uint32_t CLightControlUI::GetAudioPaletteColour() const {
  auto* p = Control<ui::CColorPaletteUI>("deng_audioColor_Pallet");
  return p != nullptr ? p->GetSelectColor() : 0xFF000000u;
}

}  // namespace orlo
