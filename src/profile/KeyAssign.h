#pragma once
// Key assignments: the function a key or button performs, as a 24-bit code
// (type << 16 | code1 << 8 | code2), the per-profile "KeyList" record, and the code tables from
// which the key set page and the drivers build and name assignments.
//
// "KeyList" in a device section: element i belongs to key number i and holds
//   "Assignment"        current code (written by SetKeyList)
//   "DefaultAssignment" factory code (read only; comes from the default document)
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace orlo {

// Function types (the type byte of a code).
enum KeyFunctionType : uint8_t {
  kKeyNoFunction = 0x00,
  kKeyMouseButton = 0x10,      // code1: button bit
  kKeyHorizontalSwing = 0x11,  // code1: delay << 4 | speed; code2: bit 7 right, bits 0-6 count
  kKeyWheelSwing = 0x12,       // code1: delay << 4 | speed; code2: signed count, > 0 up
  kKeyDpiFunction = 0x13,      // code1: DPI table value
  kKeyFire = 0x14,             // code1: interval; code2: count
  kKeyKeyboard = 0x20,         // code1: modifier bits; code2: HID keyboard usage
  kKeyConsumer = 0x30,         // code1/code2: consumer usage, low/high byte
  kKeySystem = 0x40,           // code1: system bit
  kKeyMacro = 0x70,            // code1: macro index; code2: run mode 0-3
  kKeyMacroRepeat = 0x71,      // code1: macro index; code2: repeat count
  kKeyGun = 0x72,              // code1: index in the gun key list
  kKeySpecial = 0xA0,          // code1: 0x01 FN, 0x1B GM
  kKeyShortcut = 0xB0,         // only read from documents
  kKeyOnboardMacro = 0xD0,     // code1 0xA2, code2 1-5 (M1-M5)
};

// HID keyboard modifier bits (code1 of a keyboard key).
enum KeyModifier : uint8_t {
  kModLeftCtrl = 0x01, kModLeftShift = 0x02, kModLeftAlt = 0x04, kModLeftWin = 0x08,
  kModRightCtrl = 0x10, kModRightShift = 0x20, kModRightAlt = 0x40, kModRightWin = 0x80,
};

struct AssignCode {
  uint8_t type = 0, code1 = 0, code2 = 0;
  bool operator==(const AssignCode&) const = default;
};

// The stored integer of a code: type × 65536 + code1 × 256 + code2.
constexpr int32_t PackAssignCode(uint8_t type, uint8_t code1, uint8_t code2) {
  return (int32_t{type} << 16) | (int32_t{code1} << 8) | int32_t{code2};
}
constexpr int32_t PackAssignCode(const AssignCode& c) { return PackAssignCode(c.type, c.code1, c.code2); }
// Each byte is cut to 8 bits, so any stored integer yields some code.
constexpr AssignCode UnpackAssignCode(int64_t value) {
  return {static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
}

// code2 of the repeated swings: a wheel of `steps` (positive up, negative down, -128..127), a
// horizontal swing of `count` (0-127) to the right or left.
constexpr uint8_t WheelSwingCode2(int steps) { return static_cast<uint8_t>(static_cast<int8_t>(steps)); }
constexpr uint8_t HorizontalSwingCode2(bool right, int count) {
  return static_cast<uint8_t>((right ? 0x80 : 0) | (count & 0x7F));
}
// code1 of the swings: delay and speed, 4 bits each.
constexpr uint8_t SwingCode1(int delay, int speed) {
  return static_cast<uint8_t>(((delay & 0x0F) << 4) | (speed & 0x0F));
}

// One element of a key list; both key numbers are the element's index.
struct KeyAssign {
  uint16_t key = 0;
  uint8_t type = 0, code1 = 0, code2 = 0;
  uint16_t defaultKey = 0;
  uint8_t defaultType = 0, defaultCode1 = 0, defaultCode2 = 0;

  AssignCode Current() const { return {type, code1, code2}; }
  AssignCode Default() const { return {defaultType, defaultCode1, defaultCode2}; }
  void SetCurrent(const AssignCode& c) { type = c.type, code1 = c.code1, code2 = c.code2; }
  bool IsMacro() const { return type == kKeyMacro || type == kKeyMacroRepeat; }
  bool operator==(const KeyAssign&) const = default;
};

// A row of the code tables. id is the row index in the small tables and the Windows
// virtual-key code in the keyboard key table; scanCode/extended (set 1 make code) are set for
// the first kCapturableKeyCount rows of KeyCodeTable() only.
struct KeyCodeEntry {
  uint16_t id;
  uint8_t type, code1, code2;
  const char* nameId;
  uint8_t scanCode = 0;
  uint8_t extended = 0;

  AssignCode Code() const { return {type, code1, code2}; }
};

std::span<const KeyCodeEntry> MouseButtonTable();  // 5 rows
std::span<const KeyCodeEntry> DpiFunctionTable();  // 3 rows
std::span<const KeyCodeEntry> SystemKeyTable();    // 3 rows
std::span<const KeyCodeEntry> MediaKeyTable();     // 18 rows
std::span<const KeyCodeEntry> ShortcutTable();     // 11 rows (left Ctrl + a key), nameId empty
std::span<const KeyCodeEntry> KeyCodeTable();      // 142 rows, shared with the macro recorder

// Rows 0 to 112 of KeyCodeTable() can be recognised from a key press (scan code + extended flag).
inline constexpr size_t kCapturableKeyCount = 113;

// The capturable row of a key press, or nullptr.
const KeyCodeEntry* FindKeyByScanCode(uint8_t scanCode, bool extended);
// The first KeyCodeTable() row with this virtual-key code, or nullptr.
const KeyCodeEntry* FindKeyByVirtualKey(uint16_t vk);
// Index of the row of `table` whose code equals c (type and both code bytes), or -1.
int FindCodeIndex(std::span<const KeyCodeEntry> table, const AssignCode& c);

// The text id naming an assignment on the key set page, or "" when no table names it
// (no function, macros, gun keys, shortcuts and combined keys are named by their pages).
std::string AssignmentNameId(const AssignCode& c);

// Macros are numbered by their position in the macro catalogue. When macro m is deleted, every
// macro assignment of m returns to the key's default assignment and every assignment of a
// later macro moves down by one. Returns true when some element changed.
bool PurgeDeletedMacro(std::vector<KeyAssign>& list, int deletedMacro);
// True when some element of list is currently assigned macro m.
bool RefersToMacro(const std::vector<KeyAssign>& list, int macro);
// Assignments of macros that are not in the catalogue (index >= macroCount) return to the
// key's default assignment. Returns true when some element changed.
bool DropMissingMacros(std::vector<KeyAssign>& list, int macroCount);

}  // namespace orlo
