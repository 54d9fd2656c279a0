#pragma once
// The key set panel of the mouse and keyboard pages: it shows one key's assignment at a time as
// control states (decoding) and turns the controls back into an assignment (encoding). The page
// hands it the key's record when a key of the picture is selected; its routes (CKeySetRoutes)
// store what the controls describe in the driver and write it to the device on "key_butt_prosave".
//
// The panel's controls come from its own layout file, loaded into the panel by FindControls. The
// drop-downs are filled from the key tables, so that an item's index is the table index.
//
// Single-key capture: while armed (the key edit has the focus) the next key press is taken by its
// native scan code, found in the key table and shown; keyCaptured() then asks for the write.
#include <QWidget>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "profile/KeyAssign.h"

class QAbstractButton;
class QComboBox;
class QLineEdit;
class QStackedWidget;

namespace orlo {

class CKeySetControlUI : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "CKeySetControlUI";
  static constexpr const char* kLayoutFile = "XML/CustomControlXML/KeySetPanel.xml";

  // Function numbers: the function list's item data and the pages of the function tab layout.
  enum Function {
    kFnDefault = 0, kFnMouseButton = 1, kFnSwing = 2, kFnWheel = 3, kFnDpi = 4, kFnFire = 5,
    kFnKeyboard = 6, kFnMedia = 7, kFnSystem = 8, kFnMacro = 9, kFnGunKey = 10, kFnShortcut = 11,
  };
  static constexpr int kFunctionCount = 12;
  static constexpr int kModifierOptions = 5;  // none, Ctrl, Shift, Alt, Windows
  static constexpr int kRunModes = 4;         // run mode item 4: repeat a given number of times
  static constexpr int kGunKeys = 4;

  explicit CKeySetControlUI(QWidget* parent = nullptr);
  // Makes the class known to the control factory (page layouts name it).
  static void RegisterControl();

  // Loads the panel's layout when it has none yet and looks its controls up; fills the lists.
  // False when the layout cannot be built or a control is missing.
  bool FindControls();
  // The device kind (DeviceKind): the keyboard's list offers neither DPI nor gun keys.
  void SetKind(uint16_t kind);
  // The macro choice: the catalogue's names in catalogue order (replaces the list; the selection
  // keeps its index while it exists).
  void SetMacroNames(const std::vector<std::string>& names);
  void AddMacroItem(const std::string& name);
  // index -1 (or beyond the list) changes nothing.
  void RemoveMacroItem(int index);
  void RenameMacroItem(int index, const std::string& name);
  // Texts of the lists in the current language.
  void RefreshTexts();

  // ---- the shown assignment --------------------------------------------------------------------
  // Stores the key's record and shows its current assignment.
  void ShowKeyAssign(const KeyAssign& record);
  void ShowDefault();
  void ShowCurrent();
  // A new current assignment, not shown.
  void SetCurrent(const AssignCode& code) { record_.SetCurrent(code); }
  // Encodes the controls into the current assignment and returns the record.
  KeyAssign ReadAssign();
  const KeyAssign& Record() const { return record_; }

  // ---- controls --------------------------------------------------------------------------------
  void SetKeyboardText(const std::string& nameId);
  std::string KeyboardText() const;
  void SelectModifier(int option);
  // 0..4, -1 when no option is selected.
  int GetSelectedModifier() const;
  void ClearKeyboardKey();
  void SetButtonsEnabled(bool on);
  bool ButtonsEnabled() const;
  void SetPanelVisible(bool on) { setVisible(on); }
  int GetFunctionIndex() const;
  // The function number of list item `item`, -1 for no such item.
  int GetFunctionNumberAt(int item) const;
  void ShowFunctionPage(int n);
  int ShownFunctionPage() const;
  int GetRunModeIndex() const;
  void SelectRunMode(int index);
  void SetRepeatVisible(bool on);
  bool RepeatVisible() const;

  // ---- single-key capture ------------------------------------------------------------------------
  void SetCaptureArmed(bool on) { captureArmed_ = on; }
  bool CaptureArmed() const { return captureArmed_; }
  // A key press by its PC scan code (set 1) and extended flag: true when it was taken (the
  // current assignment changed; write it).
  bool CaptureKey(uint8_t scanCode, bool extended);

 signals:
  // A captured key changed the assignment.
  void keyCaptured();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  template <class T>
  T* Control(const char* name) const;
  void FillLists();
  // Shows code: the function page, the list item and the controls of its function.
  void Decode(const AssignCode& code);
  // The function page of a keyboard key (6 or 11), setting its controls.
  int DecodeKeyboard(const AssignCode& code);
  AssignCode Encode() const;
  // The modifier bits of option n: the stored current one when it is a single modifier of that
  // option (a right-hand key stays right-hand), else the left-hand key's bit.
  uint8_t ModifierBitsOf(int option) const;
  static void SetTextQuietly(QLineEdit* edit, int value);
  // A repeated tilt or wheel: delay and speed from code1, the direction from code2's bit 7.
  static void ShowRepeat(const AssignCode& c, int count, QComboBox* direction, QLineEdit* countEdit, QLineEdit* delay,
                         QLineEdit* speed);
  static int EditNumber(const QLineEdit* edit);
  bool Has(const char* control) const;

  KeyAssign record_{};
  uint16_t kind_ = 0;
  bool built_ = false;
  bool captureArmed_ = false;
  std::string keyNameId_;  // the key shown in the key edit
  QComboBox* functions_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  QComboBox* mouseKey_ = nullptr;
  QComboBox* swingDirection_ = nullptr;
  QComboBox* wheelDirection_ = nullptr;
  QComboBox* dpi_ = nullptr;
  QComboBox* media_ = nullptr;
  QComboBox* system_ = nullptr;
  QComboBox* macro_ = nullptr;
  QComboBox* runMode_ = nullptr;
  QComboBox* gunKey_ = nullptr;
  QComboBox* shortcut_ = nullptr;
  QLineEdit* swingCount_ = nullptr;
  QLineEdit* swingDelay_ = nullptr;
  QLineEdit* swingSpeed_ = nullptr;
  QLineEdit* wheelCount_ = nullptr;
  QLineEdit* wheelDelay_ = nullptr;
  QLineEdit* wheelSpeed_ = nullptr;
  QLineEdit* fireInterval_ = nullptr;
  QLineEdit* fireCount_ = nullptr;
  QLineEdit* repeatCount_ = nullptr;
  QLineEdit* keyText_ = nullptr;
  QWidget* repeatLayout_ = nullptr;
  std::array<QAbstractButton*, kModifierOptions> modifiers_{};
  std::array<QAbstractButton*, 4> buttons_{};
};

}  // namespace orlo
