#include "profile/KeyAssign.h"

#include <array>

namespace orlo {
namespace {

constexpr KeyCodeEntry kMouseButtons[] = {
    {0, kKeyMouseButton, 0x01, 0, "mouse_key_left"},    {1, kKeyMouseButton, 0x04, 0, "mouse_key_middle"},
    {2, kKeyMouseButton, 0x02, 0, "mouse_key_right"},   {3, kKeyMouseButton, 0x10, 0, "mouse_key_forward"},
    {4, kKeyMouseButton, 0x08, 0, "mouse_key_back"},
};

constexpr KeyCodeEntry kDpiFunctions[] = {
    {0, kKeyDpiFunction, 1, 0, "mouse_key_DPI_add"},
    {1, kKeyDpiFunction, 2, 0, "mouse_key_DPI_sub"},
    {2, kKeyDpiFunction, 3, 0, "mouse_key_DPI_loop"},
};

constexpr KeyCodeEntry kSystemKeys[] = {
    {0, kKeySystem, 0x01, 0, "system_power"},
    {1, kKeySystem, 0x02, 0, "system_sleep"},
    {2, kKeySystem, 0x04, 0, "system_wake_up"},
};

// Consumer usages, low byte then high byte.
constexpr KeyCodeEntry kMediaKeys[] = {
    {0, kKeyConsumer, 0x83, 0x01, "media_text"},    {1, kKeyConsumer, 0xCD, 0x00, "media_play"},
    {2, kKeyConsumer, 0xB7, 0x00, "media_stop"},    {3, kKeyConsumer, 0xB6, 0x00, "media_prev"},
    {4, kKeyConsumer, 0xB5, 0x00, "media_next"},    {5, kKeyConsumer, 0xEA, 0x00, "media_vol_sub"},
    {6, kKeyConsumer, 0xE9, 0x00, "media_vol_add"}, {7, kKeyConsumer, 0xE2, 0x00, "media_mute"},
    {8, kKeyConsumer, 0x23, 0x02, "web_text"},      {9, kKeyConsumer, 0x27, 0x02, "web_refresh"},
    {10, kKeyConsumer, 0x26, 0x02, "wed_stop"},     {11, kKeyConsumer, 0x24, 0x02, "wed_back"},
    {12, kKeyConsumer, 0x25, 0x02, "wed_forward"},  {13, kKeyConsumer, 0x2A, 0x02, "wed_favorite"},
    {14, kKeyConsumer, 0x21, 0x02, "web_search"},   {15, kKeyConsumer, 0x94, 0x01, "media_mypc"},
    {16, kKeyConsumer, 0x92, 0x01, "media_calc"},   {17, kKeyConsumer, 0x8A, 0x01, "media_mail"},
};

// Left Ctrl + O, N, Z, S, C, X, V, F, A, minus, equals.
constexpr KeyCodeEntry kShortcuts[] = {
    {0, kKeyKeyboard, kModLeftCtrl, 0x12, ""}, {1, kKeyKeyboard, kModLeftCtrl, 0x11, ""},
    {2, kKeyKeyboard, kModLeftCtrl, 0x1D, ""}, {3, kKeyKeyboard, kModLeftCtrl, 0x16, ""},
    {4, kKeyKeyboard, kModLeftCtrl, 0x06, ""}, {5, kKeyKeyboard, kModLeftCtrl, 0x1B, ""},
    {6, kKeyKeyboard, kModLeftCtrl, 0x19, ""}, {7, kKeyKeyboard, kModLeftCtrl, 0x09, ""},
    {8, kKeyKeyboard, kModLeftCtrl, 0x04, ""}, {9, kKeyKeyboard, kModLeftCtrl, 0x2D, ""},
    {10, kKeyKeyboard, kModLeftCtrl, 0x2E, ""},
};

constexpr uint8_t K = kKeyKeyboard, C = kKeyConsumer, S = kKeySystem;

// VK, type, code1, code2, name id, set-1 scan code, extended flag.
constexpr KeyCodeEntry kKeyCodes[] = {
    // 0-7 modifiers
    {0xA2, K, 0x01, 0, "keyboard_key_LCtrl", 0x1D, 0},
    {0xA0, K, 0x02, 0, "keyboard_key_LShift", 0x2A, 0},
    {0xA4, K, 0x04, 0, "keyboard_key_LAlt", 0x38, 0},
    {0x5B, K, 0x08, 0, "keyboard_key_LWin", 0x5B, 1},
    {0xA3, K, 0x10, 0, "keyboard_key_RCtrl", 0x1D, 1},
    {0xA1, K, 0x20, 0, "keyboard_key_RShift", 0x36, 1},
    {0xA5, K, 0x40, 0, "keyboard_key_RAlt", 0x38, 1},
    {0x5C, K, 0x80, 0, "keyboard_key_RWin", 0x5C, 1},
    // 8-33 A-Z
    {0x41, K, 0, 0x04, "keyboard_key_A", 0x1E, 0}, {0x42, K, 0, 0x05, "keyboard_key_B", 0x30, 0},
    {0x43, K, 0, 0x06, "keyboard_key_C", 0x2E, 0}, {0x44, K, 0, 0x07, "keyboard_key_D", 0x20, 0},
    {0x45, K, 0, 0x08, "keyboard_key_E", 0x12, 0}, {0x46, K, 0, 0x09, "keyboard_key_F", 0x21, 0},
    {0x47, K, 0, 0x0A, "keyboard_key_G", 0x22, 0}, {0x48, K, 0, 0x0B, "keyboard_key_H", 0x23, 0},
    {0x49, K, 0, 0x0C, "keyboard_key_I", 0x17, 0}, {0x4A, K, 0, 0x0D, "keyboard_key_J", 0x24, 0},
    {0x4B, K, 0, 0x0E, "keyboard_key_K", 0x25, 0}, {0x4C, K, 0, 0x0F, "keyboard_key_L", 0x26, 0},
    {0x4D, K, 0, 0x10, "keyboard_key_M", 0x32, 0}, {0x4E, K, 0, 0x11, "keyboard_key_N", 0x31, 0},
    {0x4F, K, 0, 0x12, "keyboard_key_O", 0x18, 0}, {0x50, K, 0, 0x13, "keyboard_key_P", 0x19, 0},
    {0x51, K, 0, 0x14, "keyboard_key_Q", 0x10, 0}, {0x52, K, 0, 0x15, "keyboard_key_R", 0x13, 0},
    {0x53, K, 0, 0x16, "keyboard_key_S", 0x1F, 0}, {0x54, K, 0, 0x17, "keyboard_key_T", 0x14, 0},
    {0x55, K, 0, 0x18, "keyboard_key_U", 0x16, 0}, {0x56, K, 0, 0x19, "keyboard_key_V", 0x2F, 0},
    {0x57, K, 0, 0x1A, "keyboard_key_W", 0x11, 0}, {0x58, K, 0, 0x1B, "keyboard_key_X", 0x2D, 0},
    {0x59, K, 0, 0x1C, "keyboard_key_Y", 0x15, 0}, {0x5A, K, 0, 0x1D, "keyboard_key_Z", 0x2C, 0},
    // 34-43 digits 1-9, 0
    {0x31, K, 0, 0x1E, "keyboard_key_1", 0x02, 0}, {0x32, K, 0, 0x1F, "keyboard_key_2", 0x03, 0},
    {0x33, K, 0, 0x20, "keyboard_key_3", 0x04, 0}, {0x34, K, 0, 0x21, "keyboard_key_4", 0x05, 0},
    {0x35, K, 0, 0x22, "keyboard_key_5", 0x06, 0}, {0x36, K, 0, 0x23, "keyboard_key_6", 0x07, 0},
    {0x37, K, 0, 0x24, "keyboard_key_7", 0x08, 0}, {0x38, K, 0, 0x25, "keyboard_key_8", 0x09, 0},
    {0x39, K, 0, 0x26, "keyboard_key_9", 0x0A, 0}, {0x30, K, 0, 0x27, "keyboard_key_0", 0x0B, 0},
    // 44-60
    {0x0D, K, 0, 0x28, "keyboard_key_Enter", 0x1C, 0},
    {0x1B, K, 0, 0x29, "keyboard_key_Esc", 0x01, 0},
    {0x08, K, 0, 0x2A, "keyboard_key_BackSpace", 0x0E, 0},
    {0x09, K, 0, 0x2B, "keyboard_key_Tab", 0x0F, 0},
    {0x20, K, 0, 0x2C, "keyboard_key_Space", 0x39, 0},
    {0xBD, K, 0, 0x2D, "keyboard_key_-", 0x0C, 0},
    {0xBB, K, 0, 0x2E, "keyboard_key_=", 0x0D, 0},
    {0xDB, K, 0, 0x2F, "keyboard_key_[", 0x1A, 0},
    {0xDD, K, 0, 0x30, "keyboard_key_]", 0x1B, 0},
    {0xDC, K, 0, 0x31, "keyboard_key_xiegang", 0x2B, 0},
    {0xBA, K, 0, 0x33, "keyboard_key_;", 0x27, 0},
    {0xDE, K, 0, 0x34, "keyboard_key_'", 0x28, 0},
    {0xC0, K, 0, 0x35, "keyboard_key_`", 0x29, 0},
    {0xBC, K, 0, 0x36, "keyboard_key_<", 0x33, 0},
    {0xBE, K, 0, 0x37, "keyboard_key_.", 0x34, 0},
    {0xBF, K, 0, 0x38, "keyboard_key_/", 0x35, 0},
    {0x14, K, 0, 0x39, "keyboard_key_Caplk", 0x3A, 0},
    // 61-72 F1-F12
    {0x70, K, 0, 0x3A, "keyboard_key_F1", 0x3B, 0}, {0x71, K, 0, 0x3B, "keyboard_key_F2", 0x3C, 0},
    {0x72, K, 0, 0x3C, "keyboard_key_F3", 0x3D, 0}, {0x73, K, 0, 0x3D, "keyboard_key_F4", 0x3E, 0},
    {0x74, K, 0, 0x3E, "keyboard_key_F5", 0x3F, 0}, {0x75, K, 0, 0x3F, "keyboard_key_F6", 0x40, 0},
    {0x76, K, 0, 0x40, "keyboard_key_F7", 0x41, 0}, {0x77, K, 0, 0x41, "keyboard_key_F8", 0x42, 0},
    {0x78, K, 0, 0x42, "keyboard_key_F9", 0x43, 0}, {0x79, K, 0, 0x43, "keyboard_key_F10", 0x44, 0},
    {0x7A, K, 0, 0x44, "keyboard_key_F11", 0x57, 0}, {0x7B, K, 0, 0x45, "keyboard_key_F12", 0x58, 0},
    // 73-86 editing and cursor block
    {0x2C, K, 0, 0x46, "keyboard_key_Print Scr", 0x37, 1},
    {0x91, K, 0, 0x47, "keyboard_key_Scroll Lock", 0x46, 0},
    {0x13, K, 0, 0x48, "keyboard_key_Pause", 0x45, 0},
    {0x2D, K, 0, 0x49, "keyboard_key_Insert", 0x52, 1},
    {0x24, K, 0, 0x4A, "keyboard_key_Home", 0x47, 1},
    {0x21, K, 0, 0x4B, "keyboard_key_Page Up", 0x49, 1},
    {0x2E, K, 0, 0x4C, "keyboard_key_Delete", 0x53, 1},
    {0x23, K, 0, 0x4D, "keyboard_key_End", 0x4F, 1},
    {0x22, K, 0, 0x4E, "keyboard_key_Page Down", 0x51, 1},
    {0x27, K, 0, 0x4F, "keyboard_key_Right", 0x4D, 1},
    {0x25, K, 0, 0x50, "keyboard_key_Left", 0x4B, 1},
    {0x28, K, 0, 0x51, "keyboard_key_Down", 0x50, 1},
    {0x26, K, 0, 0x52, "keyboard_key_Up", 0x48, 1},
    {0x90, K, 0, 0x53, "keyboard_key_Num Lock", 0x45, 1},
    // 87-103 keypad and App
    {0x6F, K, 0, 0x54, "keyboard_key_Num /", 0x35, 1},
    {0x6A, K, 0, 0x55, "keyboard_key_Num *", 0x37, 0},
    {0x6D, K, 0, 0x56, "keyboard_key_Num -", 0x4A, 0},
    {0x6B, K, 0, 0x57, "keyboard_key_Num +", 0x4E, 0},
    {0x101, K, 0, 0x58, "keyboard_key_Num Enter", 0x1C, 1},
    {0x61, K, 0, 0x59, "keyboard_key_Num 1", 0x4F, 0}, {0x62, K, 0, 0x5A, "keyboard_key_Num 2", 0x50, 0},
    {0x63, K, 0, 0x5B, "keyboard_key_Num 3", 0x51, 0}, {0x64, K, 0, 0x5C, "keyboard_key_Num 4", 0x4B, 0},
    {0x65, K, 0, 0x5D, "keyboard_key_Num 5", 0x4C, 0}, {0x66, K, 0, 0x5E, "keyboard_key_Num 6", 0x4D, 0},
    {0x67, K, 0, 0x5F, "keyboard_key_Num 7", 0x47, 0}, {0x68, K, 0, 0x60, "keyboard_key_Num 8", 0x48, 0},
    {0x69, K, 0, 0x61, "keyboard_key_Num 9", 0x49, 0}, {0x60, K, 0, 0x62, "keyboard_key_Num 0", 0x52, 0},
    {0x6E, K, 0, 0x63, "keyboard_key_Decimal", 0x53, 0},
    {0x5D, K, 0, 0x65, "keyboard_key_App", 0x5D, 1},
    // 104-113 international and extra keys
    {0xE2, K, 0, 0x64, "keyboard_key_K45", 0x56, 0},
    {0xC1, K, 0, 0x87, "keyboard_key_K56", 0x73, 0},
    {0xFF, K, 0, 0x89, "keyboard_key_K14", 0x7D, 0},
    {0xC2, K, 0, 0x85, "keyboard_key_K107", 0x7E, 0},
    {0xEB, K, 0, 0x8B, "keyboard_key_K131", 0x7B, 0},
    {0xFF, K, 0, 0x8A, "keyboard_key_K132", 0x79, 0},
    {0xFF, K, 0, 0x88, "keyboard_key_K133", 0x70, 0},
    {0xE9, K, 0, 0x91, "keyboard_key_K150", 0x71, 0},
    {0xFF, K, 0, 0x90, "keyboard_key_K151", 0x72, 0},
    {0xBF, K, 0, 0x32, "keyboard_key_K42"},
    // 114-131 consumer keys
    {0xB7, C, 0x92, 0x01, "keyboard_key_Launch App2"},
    {0xAC, C, 0x23, 0x02, "keyboard_key_Browaer Home"},
    {0xB3, C, 0xCD, 0x00, "keyboard_key_Media Play Pause"},
    {0xAA, C, 0x21, 0x02, "keyboard_key_Browser Search"},
    {0xB4, C, 0x8A, 0x01, "keyboard_key_Launch Mail"},
    {0xAF, C, 0xE9, 0x00, "keyboard_key_Volume Up"},
    {0xAD, C, 0xE2, 0x00, "keyboard_key_Volume Mute"},
    {0xB2, C, 0xB7, 0x00, "keyboard_key_Media Stop"},
    {0xAE, C, 0xEA, 0x00, "keyboard_key_Volume Down"},
    {0xAB, C, 0x2A, 0x02, "keyboard_key_Browser Favorites"},
    {0xA7, C, 0x25, 0x02, "keyboard_key_Browser ForWard"},
    {0xA6, C, 0x24, 0x02, "keyboard_key_Browser Back"},
    {0xB1, C, 0xB6, 0x00, "keyboard_key_Media Prev Track"},
    {0xB0, C, 0xB5, 0x00, "keyboard_key_Media Next Track"},
    {0xB6, C, 0x94, 0x01, "keyboard_key_Computer"},
    {0xA8, C, 0x27, 0x02, "keyboard_key_Browser Refresh"},
    {0xA9, C, 0x26, 0x02, "wed_stop"},
    {0xB5, C, 0x83, 0x01, "keyboard_key_Launch Media Select"},
    // 132-134 system keys
    {0x103, S, 0x01, 0, "keyboard_key_Power"},
    {0x104, S, 0x02, 0, "keyboard_key_Sleep"},
    {0x105, S, 0x04, 0, "keyboard_key_Wakeup"},
    // 135-139 onboard macro keys, 140-141 special keys
    {0, kKeyOnboardMacro, 0xA2, 1, "keyboard_key_M1"},
    {0, kKeyOnboardMacro, 0xA2, 2, "keyboard_key_M2"},
    {0, kKeyOnboardMacro, 0xA2, 3, "keyboard_key_M3"},
    {0, kKeyOnboardMacro, 0xA2, 4, "keyboard_key_M4"},
    {0, kKeyOnboardMacro, 0xA2, 5, "keyboard_key_M5"},
    {0, kKeySpecial, 0x01, 0, "keyboard_key_FN"},
    {0, kKeySpecial, 0x1B, 0, "keyboard_key_GM"},
};
static_assert(std::size(kKeyCodes) == 142);
static_assert(std::size(kMediaKeys) == 18 && std::size(kShortcuts) == 11);

}  // namespace

std::span<const KeyCodeEntry> MouseButtonTable() { return kMouseButtons; }
std::span<const KeyCodeEntry> DpiFunctionTable() { return kDpiFunctions; }
std::span<const KeyCodeEntry> SystemKeyTable() { return kSystemKeys; }
std::span<const KeyCodeEntry> MediaKeyTable() { return kMediaKeys; }
std::span<const KeyCodeEntry> ShortcutTable() { return kShortcuts; }
std::span<const KeyCodeEntry> KeyCodeTable() { return kKeyCodes; }

const KeyCodeEntry* FindKeyByScanCode(uint8_t scanCode, bool extended) {
  for (size_t i = 0; i < kCapturableKeyCount; ++i) {
    const KeyCodeEntry& e = kKeyCodes[i];
    if (e.scanCode == scanCode && (e.extended != 0) == extended) return &e;
  }
  return nullptr;
}

const KeyCodeEntry* FindKeyByVirtualKey(uint16_t vk) {
  for (const KeyCodeEntry& e : kKeyCodes)
    if (e.id == vk && vk != 0) return &e;
  return nullptr;
}

int FindCodeIndex(std::span<const KeyCodeEntry> table, const AssignCode& c) {
  for (size_t i = 0; i < table.size(); ++i)
    if (table[i].Code() == c) return static_cast<int>(i);
  return -1;
}

std::string AssignmentNameId(const AssignCode& c) {
  auto named = [&](std::span<const KeyCodeEntry> table, AssignCode key) -> std::string {
    int i = FindCodeIndex(table, key);
    return i < 0 ? std::string() : std::string(table[static_cast<size_t>(i)].nameId);
  };
  switch (c.type) {
    case kKeyMouseButton:
      return named(MouseButtonTable(), {c.type, c.code1, 0});
    case kKeyDpiFunction:
      return named(DpiFunctionTable(), {c.type, c.code1, 0});
    case kKeySystem:
      return named(SystemKeyTable(), {c.type, c.code1, 0});
    case kKeyConsumer:
      return named(MediaKeyTable(), c);
    case kKeyHorizontalSwing:
      return (c.code2 & 0x80) ? "mouse_key_right_Swing" : "mouse_key_left_Swing";
    case kKeyWheelSwing:
      return (c.code2 & 0x80) ? "mouse_key_down_Swing" : "mouse_key_up_Swing";
    case kKeyFire:
      return "mouse_key_fire_key";
    case kKeyKeyboard:
    case kKeySpecial:
    case kKeyOnboardMacro:
      // A single key (modifier bit alone or usage alone) has a name; combinations do not.
      return named(KeyCodeTable(), c);
    default:
      return {};
  }
}

bool PurgeDeletedMacro(std::vector<KeyAssign>& list, int deletedMacro) {
  if (deletedMacro < 0 || deletedMacro > 0xFF) return false;
  bool changed = false;
  for (KeyAssign& k : list) {
    if (!k.IsMacro()) continue;
    if (k.code1 == deletedMacro) {
      k.SetCurrent(k.Default());
      changed = true;
    } else if (k.code1 > deletedMacro) {
      --k.code1;
      changed = true;
    }
  }
  return changed;
}

bool RefersToMacro(const std::vector<KeyAssign>& list, int macro) {
  for (const KeyAssign& k : list)
    if (k.IsMacro() && k.code1 == macro) return true;
  return false;
}

bool DropMissingMacros(std::vector<KeyAssign>& list, int macroCount) {
  bool changed = false;
  for (KeyAssign& k : list) {
    if (k.IsMacro() && k.code1 >= macroCount) {
      k.SetCurrent(k.Default());
      changed = true;
    }
  }
  return changed;
}

}  // namespace orlo
