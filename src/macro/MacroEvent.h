#pragma once
// One event of a macro: a key or mouse button press or release, or a pointer move, followed by
// a delay. Stored in macro files as {"Type", "Button", "Action", "Delay"}; on the device as four
// bytes (delay little-endian, type with bit 7 for "down", button).
#include <json/json.h>

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace orlo {

enum MacroEventType : int {
  kMacroMouseButton = 1,  // Button: 1 left, 2 right, 4 middle, 8 back, 16 forward
  kMacroMoveX = 4,        // Button: pixels; down = left, up = right
  kMacroMoveY = 5,        // Button: pixels; down = up, up = down
  kMacroModifier = 9,     // Button: modifier bit (0x01 left Ctrl ... 0x80 right GUI)
  kMacroKey = 10,         // Button: HID keyboard usage
};

inline constexpr int kMacroMaxDelay = 65535;
inline constexpr int kMacroMaxEvents = 4000;
inline constexpr int kMacroMaxCount = 50;
inline constexpr int kMacroFileVersion = 64;

struct MacroEvent {
  int type = 0;
  int button = 0;  // 0..255
  bool down = false;
  int delay = 0;   // milliseconds after this event, 0..65535

  bool operator==(const MacroEvent&) const = default;
};

// True for the kinds a macro may hold (2 and 3 are accepted although nothing produces them).
bool IsMacroEventType(int type);

// "Delay" as stored: a string of decimal digits (leading blanks and a sign allowed, no digits
// reads as 0), or a number from files written elsewhere. Negative values read as 0, values
// above 65535 as 65535.
int ParseMacroDelay(const Json::Value& delay);
int ParseMacroDelayText(const std::string& text);
// The delay edit's text as a save stores it: empty becomes "0", anything else is read as an
// integer and written back in decimal.
std::string NormalizeMacroDelayText(const std::string& text);

// An event read from a file, or nothing when the element cannot be one (not an object, an
// unknown kind, or a button outside 0..255). Members of the wrong type read as missing.
std::optional<MacroEvent> MacroEventFromJson(const Json::Value& element);
Json::Value MacroEventToJson(const MacroEvent& event);

// The device form: delay (16-bit little-endian), type | 0x80 for "down", button.
std::array<uint8_t, 4> MacroEventBytes(const MacroEvent& event);

// Text id of the display name of an event: the key's ("keyboard_key_A" ...), the mouse
// button's ("mouse_key_left" ...) or the move direction's ("mouse_move_to_up_text" ...).
// Empty for kinds 2 and 3 and for values no table names.
std::string MacroEventNameId(const MacroEvent& event);

}  // namespace orlo
