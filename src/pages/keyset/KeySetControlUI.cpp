#include "pages/keyset/KeySetControlUI.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "base/DeviceKinds.h"
#include "pages/common/QuietControls.h"
#include "platform/DebugLog.h"
#include "platform/input/PcScanCode.h"
#include "profile/AssignmentNames.h"
#include "ui/ControlFactory.h"
#include "ui/DialogBuilder.h"
#include "ui/LanguageStore.h"
#include "ui/NotifyBridge.h"

namespace orlo {
namespace {

using ui::CNotifyBridge;

constexpr int kTextIdRole = Qt::UserRole + 1;
constexpr uint8_t kModifierEntries = 8;  // key table rows 0-7: the modifiers
constexpr uint8_t kFirstKeyEntry = 8;

// Option of modifier row i (left and right keys fold onto the same option, 1 to 4).
int FoldedOption(int row) { return (row + 1) % 5 + (row + 1) / 5; }

// The modifier row (0-7) whose bit alone is `bits`, or -1.
int ModifierRow(uint8_t bits) {
  for (int i = 0; i < kModifierEntries; ++i)
    if (KeyCodeTable()[static_cast<size_t>(i)].code1 == bits) return i;
  return -1;
}

std::vector<std::string> NameIds(std::span<const KeyCodeEntry> table) {
  std::vector<std::string> ids;
  for (const KeyCodeEntry& e : table) ids.emplace_back(e.nameId);
  return ids;
}

std::vector<std::string> RunModeIds() {
  std::vector<std::string> ids;
  for (int i = 0; i <= CKeySetControlUI::kRunModes; ++i) ids.push_back("keyset_run_mode_" + std::to_string(i));
  return ids;
}

// Fills a list with the texts of `ids` (each item keeps its id for a change of language); the
// selection keeps its index. Plain texts (isId false) are shown as they are.
void FillCombo(QComboBox* combo, const std::vector<std::string>& ids, bool isId = true) {
  CNotifyBridge::Mute mute(combo);
  const int selected = combo->currentIndex();
  combo->clear();
  for (const std::string& id : ids) {
    combo->addItem(QString::fromStdString(isId ? ui::TextOf(id) : id));
    if (isId) combo->setItemData(combo->count() - 1, QString::fromStdString(id), kTextIdRole);
  }
  combo->setCurrentIndex(selected < combo->count() ? selected : -1);
}

AssignCode FromTable(std::span<const KeyCodeEntry> table, const QComboBox* combo, const AssignCode& otherwise) {
  const int i = combo->currentIndex();
  return i >= 0 && i < static_cast<int>(table.size()) ? table[static_cast<size_t>(i)].Code() : otherwise;
}

}  // namespace

CKeySetControlUI::CKeySetControlUI(QWidget* parent) : QWidget(parent) {
  // As tall as its controls: the page gives the rest to what follows the panel.
  setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Maximum);
}

void CKeySetControlUI::RegisterControl() {
  ui::CControlFactory::GetInstance().RegistControl(kClassName,
                                                   [](QWidget* parent) { return new CKeySetControlUI(parent); });
}

template <class T>
T* CKeySetControlUI::Control(const char* name) const {
  return findChild<T*>(QLatin1String(name));
}

bool CKeySetControlUI::Has(const char* control) const { return Control<QWidget>(control) != nullptr; }

bool CKeySetControlUI::FindControls() {
  if (built_) return true;
  if (!Has("keyset_function_combo")) {
    ui::CDialogBuilder builder;
    QWidget* content = builder.Create(kLayoutFile, nullptr, this);
    if (content == nullptr) {
      DebugPrintf("key set panel not built: %s", builder.LastError().c_str());
      return false;
    }
    auto* box = qobject_cast<QBoxLayout*>(layout());
    if (box == nullptr) {
      delete layout();
      box = new QVBoxLayout(this);
      box->setContentsMargins(0, 0, 0, 0);
    }
    box->addWidget(content);
  }
  functions_ = Control<QComboBox>("keyset_function_combo");
  pages_ = Control<QStackedWidget>("function_switch_tablayout");
  mouseKey_ = Control<QComboBox>("keyset_mousekey_combo");
  swingDirection_ = Control<QComboBox>("keyset_mouseswing_combo");
  wheelDirection_ = Control<QComboBox>("keyset_mousewheel_combo");
  dpi_ = Control<QComboBox>("keyset_mousedpi_combo");
  media_ = Control<QComboBox>("keyset_media_combo");
  system_ = Control<QComboBox>("keyset_system_combo");
  macro_ = Control<QComboBox>("keyset_macro_combo");
  runMode_ = Control<QComboBox>("keyset_macro_over_combo");
  gunKey_ = Control<QComboBox>("keyset_gunkey_combo");
  shortcut_ = Control<QComboBox>("keyset_combokey_combo");
  swingCount_ = Control<QLineEdit>("keyset_mouseswing_num_edit");
  swingDelay_ = Control<QLineEdit>("keyset_mouseswing_delay_edit");
  swingSpeed_ = Control<QLineEdit>("keyset_mouseswing_speed_edit");
  wheelCount_ = Control<QLineEdit>("keyset_mousewheel_num_edit");
  wheelDelay_ = Control<QLineEdit>("keyset_mousewheel_delay_edit");
  wheelSpeed_ = Control<QLineEdit>("keyset_mousewheel_speed_edit");
  fireInterval_ = Control<QLineEdit>("keyset_mousefire_interval_edit");
  fireCount_ = Control<QLineEdit>("keyset_mousefire_num_edit");
  repeatCount_ = Control<QLineEdit>("keyset_macro_cycle_edit");
  keyText_ = Control<QLineEdit>("keyset_keyboard_text_edit");
  repeatLayout_ = Control<QWidget>("keyset_macro_cycle_layout");
  for (int n = 0; n < kModifierOptions; ++n)
    modifiers_[static_cast<size_t>(n)] = findChild<QAbstractButton*>(QStringLiteral("key_ComBox_check_%1").arg(n));
  buttons_ = {Control<QAbstractButton>("key_butt_keysave"), Control<QAbstractButton>("key_butt_keycancel"),
              Control<QAbstractButton>("key_butt_prosave"), Control<QAbstractButton>("key_butt_keydefalut")};

  const std::vector<QObject*> all = {functions_,  pages_,      mouseKey_,     swingDirection_, wheelDirection_,
                                     dpi_,        media_,      system_,       macro_,          runMode_,
                                     gunKey_,     shortcut_,   swingCount_,   swingDelay_,     swingSpeed_,
                                     wheelCount_, wheelDelay_, wheelSpeed_,   fireInterval_,   fireCount_,
                                     repeatCount_, keyText_,   repeatLayout_};
  const bool complete = std::none_of(all.begin(), all.end(), [](QObject* o) { return o == nullptr; }) &&
                        std::none_of(modifiers_.begin(), modifiers_.end(), [](auto* b) { return b == nullptr; }) &&
                        std::none_of(buttons_.begin(), buttons_.end(), [](auto* b) { return b == nullptr; });
  if (!complete) {
    DebugLine("key set panel: a control is missing from its layout");
    return false;
  }
  // The fields hold what the assignment bytes can carry.
  const std::pair<QLineEdit*, int> ranges[] = {{swingCount_, 127}, {swingDelay_, 15},  {swingSpeed_, 15},
                                               {wheelCount_, 127}, {wheelDelay_, 15},  {wheelSpeed_, 15},
                                               {fireInterval_, 255}, {fireCount_, 255}, {repeatCount_, 255}};
  for (const auto& [edit, top] : ranges) edit->setValidator(new QIntValidator(0, top, edit));
  keyText_->installEventFilter(this);
  built_ = true;
  FillLists();
  SetRepeatVisible(false);
  return true;
}

void CKeySetControlUI::FillLists() {
  if (!built_) return;
  {
    CNotifyBridge::Mute mute(functions_);
    const int selected = GetFunctionNumberAt(functions_->currentIndex());
    functions_->clear();
    for (int n = 0; n < kFunctionCount; ++n) {
      // The keyboard has no resolution stages and no guns.
      if (kind_ == kKindKeyboard && (n == kFnDpi || n == kFnGunKey)) continue;
      const std::string id = "keyset_fun_" + std::to_string(n);
      functions_->addItem(QString::fromStdString(ui::TextOf(id)), n);
      functions_->setItemData(functions_->count() - 1, QString::fromStdString(id), kTextIdRole);
    }
    functions_->setCurrentIndex(functions_->findData(selected));
  }
  FillCombo(mouseKey_, NameIds(MouseButtonTable()));
  FillCombo(swingDirection_, {"keyset_swing_left", "keyset_swing_right"});
  FillCombo(wheelDirection_, {"keyset_wheel_up", "keyset_wheel_down"});
  FillCombo(dpi_, NameIds(DpiFunctionTable()));
  FillCombo(media_, NameIds(MediaKeyTable()));
  FillCombo(system_, NameIds(SystemKeyTable()));
  FillCombo(runMode_, RunModeIds());
  FillCombo(gunKey_, {"gun_1_txt", "gun_2_txt", "gun_3_txt", "gun_4_txt"});
  FillCombo(shortcut_, ShortcutNames(), false);
}

void CKeySetControlUI::RefreshTexts() {
  if (!built_) return;
  FillLists();
  if (!keyNameId_.empty()) keyText_->setText(QString::fromStdString(ui::KeyNameText(keyNameId_)));
}

void CKeySetControlUI::SetKind(uint16_t kind) {
  kind_ = kind;
  FillLists();
}

// ---- macro choice ---------------------------------------------------------------------------------

void CKeySetControlUI::SetMacroNames(const std::vector<std::string>& names) {
  if (macro_ == nullptr) return;
  FillCombo(macro_, names, false);
}

void CKeySetControlUI::AddMacroItem(const std::string& name) {
  if (macro_ == nullptr) return;
  CNotifyBridge::Mute mute(macro_);
  macro_->addItem(QString::fromStdString(name));
}

void CKeySetControlUI::RemoveMacroItem(int index) {
  if (macro_ == nullptr || index < 0 || index >= macro_->count()) return;
  CNotifyBridge::Mute mute(macro_);
  macro_->removeItem(index);
}

void CKeySetControlUI::RenameMacroItem(int index, const std::string& name) {
  if (macro_ == nullptr || index < 0 || index >= macro_->count() || name.empty()) return;
  macro_->setItemText(index, QString::fromStdString(name));
}

// ---- decoding ---------------------------------------------------------------------------------------

void CKeySetControlUI::ShowKeyAssign(const KeyAssign& record) {
  record_ = record;
  Decode(record_.Current());
}

void CKeySetControlUI::ShowDefault() { Decode(record_.Default()); }

void CKeySetControlUI::ShowCurrent() { Decode(record_.Current()); }

void CKeySetControlUI::SetTextQuietly(QLineEdit* edit, int value) { edit->setText(QString::number(value)); }

void CKeySetControlUI::ShowRepeat(const AssignCode& c, int count, QComboBox* direction, QLineEdit* countEdit,
                                  QLineEdit* delay, QLineEdit* speed) {
  SetTextQuietly(delay, c.code1 / 16);
  SetTextQuietly(speed, c.code1 % 16);
  SetTextQuietly(countEdit, count);
  SelectQuietly(direction, (c.code2 & 0x80) ? 1 : 0);
}

void CKeySetControlUI::Decode(const AssignCode& c) {
  if (!built_) return;
  int section = -1;
  // A table entry the code does not match leaves its list without a selection: encoding then
  // keeps the assignment as it is instead of the entry the list showed before.
  auto table = [&](std::span<const KeyCodeEntry> rows, QComboBox* combo, int page) {
    SelectQuietly(combo, FindCodeIndex(rows, c));
    return page;
  };
  if (c == record_.Default()) {
    section = kFnDefault;
  } else {
    switch (c.type) {
      case kKeyNoFunction:
        section = kFnDefault;
        break;
      case kKeyMouseButton:
        section = table(MouseButtonTable(), mouseKey_, kFnMouseButton);
        break;
      case kKeyHorizontalSwing:
        ShowRepeat(c, (c.code2 & 0x80) ? (c.code2 & 0x7F) : c.code2, swingDirection_, swingCount_, swingDelay_,
                   swingSpeed_);
        section = kFnSwing;
        break;
      case kKeyWheelSwing:
        ShowRepeat(c, (c.code2 & 0x80) ? 128 - (c.code2 & 0x7F) : c.code2, wheelDirection_, wheelCount_, wheelDelay_,
                   wheelSpeed_);
        section = kFnWheel;
        break;
      case kKeyDpiFunction:
        section = table(DpiFunctionTable(), dpi_, kFnDpi);
        break;
      case kKeyFire:
        SetTextQuietly(fireInterval_, c.code1);
        SetTextQuietly(fireCount_, c.code2);
        section = kFnFire;
        break;
      case kKeyKeyboard:
        section = DecodeKeyboard(c);
        break;
      case kKeyConsumer:
        section = table(MediaKeyTable(), media_, kFnMedia);
        break;
      case kKeySystem:
        section = table(SystemKeyTable(), system_, kFnSystem);
        break;
      case kKeyMacro: {
        const bool known = c.code1 < macro_->count();
        SelectQuietly(macro_, known ? c.code1 : -1);
        SelectQuietly(runMode_, known && c.code2 < kRunModes ? c.code2 : -1);
        SetRepeatVisible(false);
        section = kFnMacro;
        break;
      }
      case kKeyMacroRepeat: {
        const bool known = c.code1 < macro_->count();
        SelectQuietly(macro_, known ? c.code1 : -1);
        SetRepeatVisible(known);
        SetTextQuietly(repeatCount_, c.code2);
        SelectQuietly(runMode_, kRunModes);
        section = kFnMacro;
        break;
      }
      case kKeyGun:
        SelectQuietly(gunKey_, c.code1);
        section = kFnGunKey;
        break;
      case kKeyShortcut:
        // Only read from documents: no list entry shows it, and encoding keeps it.
        SelectQuietly(shortcut_, -1);
        section = kFnShortcut;
        break;
      default:
        break;
    }
  }
  const int item = section < 0 ? -1 : functions_->findData(section);
  if (item < 0) {
    setVisible(false);
    return;
  }
  setVisible(true);
  SelectQuietly(functions_, item);
  ShowFunctionPage(section);
}

int CKeySetControlUI::DecodeKeyboard(const AssignCode& c) {
  const auto keys = KeyCodeTable();
  auto showKey = [&](size_t from, auto matches) {
    for (size_t i = from; i < keys.size(); ++i)
      if (matches(keys[i])) {
        SetKeyboardText(keys[i].nameId);
        return true;
      }
    return false;
  };
  if (c.code1 >= 1 && c.code1 <= 128) {
    const int row = ModifierRow(c.code1);
    // Several modifiers together have no option of their own.
    SelectModifier(row >= 0 ? FoldedOption(row) : 0);
    const bool named = showKey(kFirstKeyEntry, [&](const KeyCodeEntry& e) {
      return e.code1 == 0 && e.type == kKeyKeyboard && e.code2 == c.code2;
    });
    if (!named) {
      // A usage the table has no name for still shows (and is kept by encoding).
      SetKeyboardText({});
      if (c.code2 != 0) keyText_->setText(QStringLiteral("0x%1").arg(int{c.code2}, 2, 16, QLatin1Char('0')));
    }
    return kFnKeyboard;
  }
  if (c.code1 == 0) {
    if (showKey(0, [&](const KeyCodeEntry& e) { return e.code1 == c.code1 && e.code2 == c.code2; })) {
      SelectModifier(0);
    } else {
      ClearKeyboardKey();
      record_.code1 = record_.code2 = 0;
    }
    return kFnKeyboard;
  }
  SelectQuietly(shortcut_, FindCodeIndex(ShortcutTable(), c));
  return kFnShortcut;
}

// ---- encoding ---------------------------------------------------------------------------------------

int CKeySetControlUI::EditNumber(const QLineEdit* edit) {
  const QString text = edit->text().trimmed();
  int digits = 0;
  while (digits < text.size() && digits < 9 && text[digits].isDigit()) ++digits;
  return digits == 0 ? 0 : text.left(digits).toInt();
}

uint8_t CKeySetControlUI::ModifierBitsOf(int option) const {
  if (option <= 0 || option >= kModifierOptions) return 0;
  if (record_.type == kKeyKeyboard) {
    const int row = ModifierRow(record_.code1);
    if (row >= 0 && FoldedOption(row) == option) return record_.code1;
  }
  return static_cast<uint8_t>(1 << (option - 1));
}

AssignCode CKeySetControlUI::Encode() const {
  const AssignCode current = record_.Current();
  switch (GetFunctionNumberAt(GetFunctionIndex())) {
    case kFnMouseButton:
      return FromTable(MouseButtonTable(), mouseKey_, current);
    case kFnSwing: {
      const int count = EditNumber(swingCount_);
      const uint8_t code2 = swingDirection_->currentIndex() == 1 ? static_cast<uint8_t>(count | 0x80)
                                                                  : static_cast<uint8_t>(count & 0x7F);
      return {kKeyHorizontalSwing, SwingCode1(EditNumber(swingDelay_), EditNumber(swingSpeed_)), code2};
    }
    case kFnWheel: {
      const int count = EditNumber(wheelCount_);
      const uint8_t code2 = wheelDirection_->currentIndex() == 1 ? static_cast<uint8_t>((128 - count) | 0x80)
                                                                  : static_cast<uint8_t>(count & 0x7F);
      return {kKeyWheelSwing, SwingCode1(EditNumber(wheelDelay_), EditNumber(wheelSpeed_)), code2};
    }
    case kFnDpi:
      return FromTable(DpiFunctionTable(), dpi_, current);
    case kFnFire:
      return {kKeyFire, static_cast<uint8_t>(EditNumber(fireInterval_)), static_cast<uint8_t>(EditNumber(fireCount_))};
    case kFnKeyboard:
      return {kKeyKeyboard, ModifierBitsOf(GetSelectedModifier()),
              static_cast<uint8_t>(KeyboardText().empty() ? 0 : record_.code2)};
    case kFnMedia:
      return FromTable(MediaKeyTable(), media_, current);
    case kFnSystem:
      return FromTable(SystemKeyTable(), system_, current);
    case kFnMacro: {
      const int m = macro_->currentIndex();
      if (m < 0) return current;  // no macro chosen: the assignment stays
      const int mode = GetRunModeIndex();
      // A run mode the list does not offer stays as it is.
      if (mode < 0)
        return current.type == kKeyMacro && current.code1 == m ? current
                                                                : AssignCode{kKeyMacro, static_cast<uint8_t>(m), 0};
      if (mode == kRunModes)
        return {kKeyMacroRepeat, static_cast<uint8_t>(m), static_cast<uint8_t>(EditNumber(repeatCount_))};
      return {kKeyMacro, static_cast<uint8_t>(m), static_cast<uint8_t>(mode)};
    }
    case kFnGunKey: {
      const int g = gunKey_->currentIndex();
      return g < 0 ? current : AssignCode{kKeyGun, static_cast<uint8_t>(g), 0};
    }
    case kFnShortcut:
      return FromTable(ShortcutTable(), shortcut_, current);
    default:
      return record_.Default();
  }
}

KeyAssign CKeySetControlUI::ReadAssign() {
  if (built_) record_.SetCurrent(Encode());
  return record_;
}

// ---- controls -----------------------------------------------------------------------------------------

void CKeySetControlUI::SetKeyboardText(const std::string& nameId) {
  keyNameId_ = nameId;
  if (keyText_ != nullptr) keyText_->setText(nameId.empty() ? QString() : QString::fromStdString(ui::KeyNameText(nameId)));
}

std::string CKeySetControlUI::KeyboardText() const {
  return keyText_ != nullptr ? keyText_->text().toStdString() : std::string();
}

void CKeySetControlUI::SelectModifier(int option) {
  for (int n = 0; n < kModifierOptions; ++n) SetCheckedQuietly(modifiers_[static_cast<size_t>(n)], n == option);
}

int CKeySetControlUI::GetSelectedModifier() const {
  for (int n = 0; n < kModifierOptions; ++n)
    if (modifiers_[static_cast<size_t>(n)] != nullptr && modifiers_[static_cast<size_t>(n)]->isChecked()) return n;
  return -1;
}

void CKeySetControlUI::ClearKeyboardKey() {
  SetKeyboardText({});
  SelectModifier(-1);
}

void CKeySetControlUI::SetButtonsEnabled(bool on) {
  for (QAbstractButton* b : buttons_)
    if (b != nullptr) b->setEnabled(on);
}

bool CKeySetControlUI::ButtonsEnabled() const { return buttons_[0] != nullptr && buttons_[0]->isEnabled(); }

int CKeySetControlUI::GetFunctionIndex() const { return functions_ != nullptr ? functions_->currentIndex() : -1; }

int CKeySetControlUI::GetFunctionNumberAt(int item) const {
  if (functions_ == nullptr || item < 0 || item >= functions_->count()) return -1;
  bool ok = false;
  const int n = functions_->itemData(item).toInt(&ok);
  return ok ? n : -1;
}

void CKeySetControlUI::ShowFunctionPage(int n) {
  if (pages_ != nullptr && n >= 0 && n < pages_->count()) pages_->setCurrentIndex(n);
}

int CKeySetControlUI::ShownFunctionPage() const { return pages_ != nullptr ? pages_->currentIndex() : -1; }

int CKeySetControlUI::GetRunModeIndex() const { return runMode_ != nullptr ? runMode_->currentIndex() : -1; }

void CKeySetControlUI::SelectRunMode(int index) {
  if (runMode_ != nullptr) SelectQuietly(runMode_, index);
  SetRepeatVisible(index == kRunModes);
}

void CKeySetControlUI::SetRepeatVisible(bool on) {
  if (repeatLayout_ != nullptr) repeatLayout_->setVisible(on);
}

bool CKeySetControlUI::RepeatVisible() const { return repeatLayout_ != nullptr && !repeatLayout_->isHidden(); }

// ---- single-key capture ------------------------------------------------------------------------------

bool CKeySetControlUI::CaptureKey(uint8_t scanCode, bool extended) {
  const KeyCodeEntry* e = FindKeyByScanCode(scanCode, extended);
  if (e == nullptr || e->type != kKeyKeyboard) return false;
  const auto row = static_cast<int>(e - KeyCodeTable().data());
  if (row < kModifierEntries) {
    SelectModifier(FoldedOption(row));
    SetKeyboardText({});
    record_.SetCurrent({kKeyKeyboard, e->code1, 0});
  } else {
    if (GetSelectedModifier() < 0) SelectModifier(0);
    SetKeyboardText(e->nameId);
    record_.SetCurrent({kKeyKeyboard, ModifierBitsOf(GetSelectedModifier()), e->code2});
  }
  emit keyCaptured();
  return true;
}

bool CKeySetControlUI::eventFilter(QObject* watched, QEvent* event) {
  if (watched != keyText_ || !captureArmed_) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::ShortcutOverride:
      // While armed the key edit takes every key: no shortcut of the window acts on it.
      event->accept();
      return true;
    case QEvent::KeyPress: {
      auto* key = static_cast<QKeyEvent*>(event);
      if (!key->isAutoRepeat())
        if (const auto pc = platform::PcScanCodeOfXkbKeycode(key->nativeScanCode())) CaptureKey(pc->code, pc->extended);
      return true;
    }
    case QEvent::KeyRelease:
      return true;
    default:
      return QWidget::eventFilter(watched, event);
  }
}

}  // namespace orlo
