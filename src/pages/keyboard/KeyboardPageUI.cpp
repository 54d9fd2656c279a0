#include "pages/keyboard/KeyboardPageUI.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>
#include <QStyle>
#include <algorithm>

#include "device/keyboard/TessaroKeyboardDevice.h"
#include "macro/MacroCatalogue.h"
#include "pages/common/QuietControls.h"
#include "pages/light/LightControlRoutes.h"
#include "pages/macro/MacroControlUI.h"
#include "pages/mouse/KeyInfoText.h"
#include "ui/DeviceKeyButtonUI.h"
#include "ui/LanguageStore.h"

namespace orlo {
namespace {

constexpr const char* kKeyGlow = "file='image/keyboard/key_glow.svg'";

std::string Name(const char* prefix, int i) { return prefix + std::to_string(i); }

// The shown name of an assignment (parts of a combined key translated one by one).
std::string ShownName(const AssignCode& code, const std::vector<std::string>& macros) {
  const auto name = KeyInfoNameOf(code, macros);
  if (!name) return {};
  if (!name->isTextId) return name->text;
  std::string shown;
  for (const std::string& part : NameParts(name->text)) {
    if (!shown.empty()) shown += '+';
    shown += ui::KeyNameText(part);
  }
  return shown;
}

}  // namespace

CKeyboardPageUI::CKeyboardPageUI(QWidget* parent) : CDevicePageUI(parent) {}

CTessaroKeyboardDevice* CKeyboardPageUI::Keyboard() const {
  return dynamic_cast<CTessaroKeyboardDevice*>(Device());
}

template <class T>
T* CKeyboardPageUI::Child(const std::string& name) const {
  return findChild<T*>(QString::fromStdString(name));
}

std::string CKeyboardPageUI::Translate(const std::string& id) const {
  // The hidden label translates a language key the way every label does.
  if (textTest_ == nullptr) return ui::TextOf(id);
  textTest_->setText(QString::fromStdString(ui::TextOf(id)));
  return textTest_->text().toStdString();
}

// ---- build ---------------------------------------------------------------------------------------

void CKeyboardPageUI::BuildPage() {
  keys_.fill(nullptr);
  lights_.fill(nullptr);
  if (auto* picture = Child<QWidget>("keyboard_device_key_light")) {
    for (auto* b : picture->findChildren<ui::CDeviceKeyButtonUI*>()) {
      // "key_N" and "light_N": N is the key position.
      const std::string name = b->objectName().toStdString();
      const size_t cut = name.rfind('_');
      if (cut == std::string::npos) continue;
      const std::string prefix = name.substr(0, cut + 1);
      int n = -1;
      try {
        n = std::stoi(name.substr(cut + 1));
      } catch (...) {
        continue;
      }
      if (n < 0 || n >= kPositions) continue;
      if (QString::fromStdString(prefix).compare(QLatin1String("key_"), Qt::CaseInsensitive) == 0) {
        keys_[static_cast<size_t>(n)] = b;
      } else if (QString::fromStdString(prefix).compare(QLatin1String("light_"), Qt::CaseInsensitive) == 0) {
        lights_[static_cast<size_t>(n)] = b;
        if (b->LightImage().empty()) b->SetLightImage(kKeyGlow);
        b->SetLightOn(true, 255, 0xFFFFFFFFu);
      }
    }
  }
  for (int i = 0; i < kRates; ++i) rates_[i] = Child<QAbstractButton>(Name("polling_rate_option_", i));
  for (int i = 0; i < kRepeatDelays; ++i) delays_[i] = Child<QAbstractButton>(Name("repeat_delay_check_", i));
  repeat_ = Child<QSlider>("repeat_rate_slider");
  textTest_ = Child<QLabel>("text_test");
  if (textTest_ != nullptr) textTest_->hide();
  if (auto* macros = findChild<CMacroControlUI*>()) macros->SetDevice(Device());
  keySet_.Bind();
  Lighting().Bind();
  built_ = true;
  // The page opens on the keyboard's system settings.
  OpenFunctionTab(4);
}

void CKeyboardPageUI::ShowFunctionTab(int fPage, int kPage) {
  if (auto* f = Child<QStackedWidget>("device_function_switch"); f && fPage >= 0 && fPage < f->count())
    f->setCurrentIndex(fPage);
  if (auto* k = Child<QStackedWidget>("device_key_function_switch"); k && kPage >= 0 && kPage < k->count())
    k->setCurrentIndex(kPage);
  static constexpr std::array<const char*, 4> kTabs = {"deng_Op_tab", "key_Op_tab", "macro_Op_tab", "system_Op_tab"};
  const int tab = Device() != nullptr ? Device()->GetFunctionTab() : 0;
  for (int i = 0; i < static_cast<int>(kTabs.size()); ++i)
    SetCheckedQuietly(Child<QAbstractButton>(kTabs[i]), tab == i + 1);
  // The Fn key cannot be reassigned: its button is off while the keys tab is shown.
  if (auto* fn = keys_[CTessaroKeyboardDevice::kFnPosition]) fn->setEnabled(tab != 2);
}

// ---- profile to page -------------------------------------------------------------------------

void CKeyboardPageUI::ApplyProfileToPage() {
  if (Keyboard() == nullptr || !built_) return;
  ShowLighting();
  ShowSystemSettings();
  ShowKeyAssignments();
}

void CKeyboardPageUI::ShowCatalogues() {
  const CTessaroKeyboardDevice* k = Keyboard();
  if (k == nullptr) return;
  std::vector<BuiltInLightEntry> modes;
  std::vector<CustomLightEntry> customs;
  {
    auto lock = k->ModelLock();
    modes = k->LightModes();
    customs = k->CustomLightModes();
  }
  Lighting().ShowCatalogues(modes, customs, FirstCustomLightMode(kKeyboardKindIndex));
  keySet_.ShowCatalogues();
}

// ---- system settings ------------------------------------------------------------------------------

int CKeyboardPageUI::SelectReportRate(int index) {
  if (index < 0 || index >= kRates) index = 0;
  for (int i = 0; i < kRates; ++i) SetCheckedQuietly(rates_[i], i == index);
  return index;
}

int CKeyboardPageUI::SelectRepeatDelay(int index) {
  if (index < 0 || index >= kRepeatDelays) index = 0;
  for (int i = 0; i < kRepeatDelays; ++i) SetCheckedQuietly(delays_[i], i == index);
  if (auto* label = Child<QLabel>("repeat_delay_time_label1"))
    label->setText(QString::fromStdString(Translate("Repeat_Delay_Time") + std::to_string(index * 250 + 250) + "ms"));
  return index;
}

void CKeyboardPageUI::ShowSystemSettings() {
  CTessaroKeyboardDevice* k = Keyboard();
  if (k == nullptr) return;
  const KeyboardSystemStages s = k->SystemSettings();
  SetCheckedQuietly(Child<QAbstractButton>("winlockflag_option"), s.winFlag != 0);
  SetCheckedQuietly(Child<QAbstractButton>("wflag_option"), s.wFlag != 0);
  SetCheckedQuietly(Child<QAbstractButton>("6flag_option"), s.key6Flag != 0);
  SetValueQuietly(repeat_, s.repeat);
  SelectRepeatDelay(s.repeatDelay);
  if (auto* input = Child<QLineEdit>("repeat_input_richedit")) {
    input->clear();
    input->setPlaceholderText(QString::fromStdString(Translate("Repeat_input_text")));
    input->setToolTip(QString::fromStdString(Translate("Repeat_input_text")));
  }
  SelectReportRate(s.pollingRate);
}

void CKeyboardPageUI::StoreSystemSettings() {
  CTessaroKeyboardDevice* k = Keyboard();
  if (k == nullptr) return;
  KeyboardSystemStages s = k->SystemSettings();
  auto on = [this](const char* name) {
    auto* b = Child<QAbstractButton>(name);
    return b != nullptr && b->isChecked() ? 1 : 0;
  };
  s.winFlag = static_cast<uint16_t>(on("winlockflag_option"));
  s.wFlag = static_cast<uint16_t>(on("wflag_option"));
  s.key6Flag = static_cast<uint16_t>(on("6flag_option"));
  if (repeat_ != nullptr) s.repeat = static_cast<uint16_t>(repeat_->value());
  for (int i = 0; i < kRepeatDelays; ++i)
    if (delays_[i] != nullptr && delays_[i]->isChecked()) s.repeatDelay = static_cast<uint16_t>(i);
  for (int i = 0; i < kRates; ++i)
    if (rates_[i] != nullptr && rates_[i]->isChecked()) s.pollingRate = static_cast<uint16_t>(i);
  k->SetSystemSettings(s);
}

// ---- keys --------------------------------------------------------------------------------------

ui::CDeviceKeyButtonUI* CKeyboardPageUI::KeyButton(int position) const {
  return position >= 0 && position < kPositions ? keys_[static_cast<size_t>(position)] : nullptr;
}

ui::CDeviceKeyButtonUI* CKeyboardPageUI::LightButton(int position) const {
  return position >= 0 && position < kPositions ? lights_[static_cast<size_t>(position)] : nullptr;
}

void CKeyboardPageUI::ShowPresentKeys() {
  CTessaroKeyboardDevice* k = Keyboard();
  if (k == nullptr) return;
  auto lock = k->ModelLock();
  // Before the keyboard was read every drawn key is shown.
  const bool known = k->HasKeyTables();
  for (int p = 0; p < kPositions; ++p) {
    const bool present = !known || k->PositionMap().SlotOf(p) != keyboard::CKeyPositionMap::kNone;
    if (keys_[p] != nullptr) keys_[p]->setVisible(present);
    if (lights_[p] != nullptr) lights_[p]->setVisible(present);
  }
}

void CKeyboardPageUI::ShowKeyAssignments() {
  CTessaroKeyboardDevice* k = Keyboard();
  if (k == nullptr || !built_) return;
  ShowPresentKeys();
  if (k->SelectedKey() >= 0) ShowSelectedKeyName(k->SelectedKey());
  const std::vector<std::string> macros = CMacroCatalogue(k->DeviceFolder()).Names();
  std::vector<KeyAssign> list;
  {
    auto lock = k->ModelLock();
    list = k->KeyList();
  }
  const auto& factory = keyboard::KeyPositionCodes();
  for (int p = 0; p < kPositions; ++p) {
    ui::CDeviceKeyButtonUI* b = keys_[p];
    if (b == nullptr) continue;
    const AssignCode current = p < static_cast<int>(list.size()) ? list[p].Current() : factory[p];
    const std::string name = ShownName(current, macros);
    b->setText(QString::fromStdString(name));
    b->setToolTip(QString::fromStdString(Translate("Key_Set") + name));
    // Drawn highlighted when the key no longer does what its legend says.
    const bool changed = name != ShownName(factory[p], macros);
    if (b->property("changed").toBool() != changed) {
      b->setProperty("changed", changed);
      b->style()->unpolish(b);
      b->style()->polish(b);
    }
  }
}

void CKeyboardPageUI::SelectKey(int index) {
  for (int p = 0; p < kPositions; ++p)
    if (keys_[p] != nullptr) keys_[p]->SetSelected(p == index ? 1 : 0);
  if (auto* k = Child<QStackedWidget>("device_key_function_switch"); k && k->count() > 1) k->setCurrentIndex(1);
  keySet_.ShowKey(index);
  ShowSelectedKeyName(index);
}

void CKeyboardPageUI::ShowSelectedKeyName(int index) {
  auto* label = Child<QLabel>("key_select_info");
  CTessaroKeyboardDevice* kb = Keyboard();
  if (label == nullptr || kb == nullptr || index < 0 || index >= kPositions) return;
  const std::vector<std::string> macros = CMacroCatalogue(kb->DeviceFolder()).Names();
  AssignCode current = keyboard::KeyPositionCodes()[static_cast<size_t>(index)];
  {
    auto lock = kb->ModelLock();
    if (index < static_cast<int>(kb->KeyList().size())) current = kb->KeyList()[static_cast<size_t>(index)].Current();
  }
  const std::string legend = ShownName(keyboard::KeyPositionCodes()[static_cast<size_t>(index)], macros);
  label->setText(QString::fromStdString(legend + ": " + ShownName(current, macros)));
}

// ---- LEDs -----------------------------------------------------------------------------------------

void CKeyboardPageUI::PaintLeds() {
  CTessaroKeyboardDevice* k = Keyboard();
  if (k == nullptr || !built_ || !LedPaintDue()) return;
  const CLedState& leds = k->ledState();
  for (int p = 0; p < kPositions && p < leds.Size(); ++p)
    if (lights_[p] != nullptr && !lights_[p]->isHidden() && PaintLight(lights_[p], leds.GetWord(p))) ++lightPaints_;
}

}  // namespace orlo
