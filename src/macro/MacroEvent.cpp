#include "macro/MacroEvent.h"

#include <cctype>
#include <cstdio>

#include "profile/JsonAccess.h"
#include "profile/KeyAssign.h"

namespace orlo {
namespace {

int ClampDelay(int64_t v) {
  if (v < 0) return 0;
  return v > kMacroMaxDelay ? kMacroMaxDelay : static_cast<int>(v);
}

struct MouseNameRow {
  int button;
  uint8_t typeByte;  // "Type" with bit 7 for "down"
  const char* nameId;
};

// Buttons first (press and release of each), then the four move rows, then the wheel row that
// no event uses.
constexpr MouseNameRow kMouseNames[15] = {
    {1, 0x81, "mouse_key_left"},    {1, 0x01, "mouse_key_left"},
    {2, 0x81, "mouse_key_right"},   {2, 0x01, "mouse_key_right"},
    {4, 0x81, "mouse_key_middle"},  {4, 0x01, "mouse_key_middle"},
    {16, 0x81, "mouse_key_forward"}, {16, 0x01, "mouse_key_forward"},
    {8, 0x81, "mouse_key_back"},    {8, 0x01, "mouse_key_back"},
    {0, 0x84, "mouse_move_to_left_text"}, {0, 0x04, "mouse_move_to_right_text"},
    {0, 0x85, "mouse_move_to_up_text"},   {0, 0x05, "mouse_move_to_down_text"},
    {0, 0x00, "mouse_cursor_text"},
};

}  // namespace

bool IsMacroEventType(int type) {
  switch (type) {
    case kMacroMouseButton:
    case 2:
    case 3:
    case kMacroMoveX:
    case kMacroMoveY:
    case kMacroModifier:
    case kMacroKey:
      return true;
    default:
      return false;
  }
}

int ParseMacroDelayText(const std::string& text) {
  size_t i = 0;
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  int64_t value = 0;
  for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
    // Stop growing once past the cap so long digit strings cannot overflow.
    if (value <= kMacroMaxDelay) value = value * 10 + (text[i] - '0');
  }
  return ClampDelay(negative ? -value : value);
}

int ParseMacroDelay(const Json::Value& delay) {
  if (delay.isString()) return ParseMacroDelayText(delay.asString());
  if (delay.isNumeric()) return ClampDelay(json::Int(&delay));
  return 0;
}

std::string NormalizeMacroDelayText(const std::string& text) {
  return std::to_string(text.empty() ? 0 : ParseMacroDelayText(text));
}

std::optional<MacroEvent> MacroEventFromJson(const Json::Value& element) {
  if (!element.isObject()) return std::nullopt;
  MacroEvent e;
  int64_t type = json::Int(json::Peek(&element, "Type"));
  int64_t button = json::Int(json::Peek(&element, "Button"));
  if (!IsMacroEventType(static_cast<int>(type)) || type != static_cast<int>(type)) return std::nullopt;
  if (button < 0 || button > 255) return std::nullopt;
  e.type = static_cast<int>(type);
  e.button = static_cast<int>(button);
  e.down = json::String(json::Peek(&element, "Action")) == "down";
  const Json::Value* delay = json::Peek(&element, "Delay");
  e.delay = delay ? ParseMacroDelay(*delay) : 0;
  return e;
}

Json::Value MacroEventToJson(const MacroEvent& event) {
  Json::Value v(Json::objectValue);
  v["Type"] = event.type;
  v["Button"] = event.button;
  v["Action"] = event.down ? "down" : "up";
  v["Delay"] = std::to_string(ClampDelay(event.delay));
  return v;
}

std::array<uint8_t, 4> MacroEventBytes(const MacroEvent& event) {
  auto delay = static_cast<uint16_t>(ClampDelay(event.delay));
  return {static_cast<uint8_t>(delay & 0xFF), static_cast<uint8_t>(delay >> 8),
          static_cast<uint8_t>((event.type & 0x7F) | (event.down ? 0x80 : 0)),
          static_cast<uint8_t>(event.button & 0xFF)};
}

std::string MacroEventNameId(const MacroEvent& event) {
  auto keys = KeyCodeTable();
  if (event.type == kMacroKey) {
    // The whole table from the first ordinary key on, so a usage names a key even when that key
    // cannot be recorded.
    for (size_t i = 8; i < keys.size(); ++i) {
      const KeyCodeEntry& k = keys[i];
      if (k.type == kKeyKeyboard && k.code1 == 0 && k.code2 == event.button) return k.nameId;
    }
    return {};
  }
  if (event.type == kMacroModifier) {
    for (size_t i = 0; i < 8 && i < keys.size(); ++i) {
      const KeyCodeEntry& k = keys[i];
      if (k.type == kKeyKeyboard && k.code1 == event.button && k.code2 == 0) return k.nameId;
    }
    return {};
  }
  if (event.type == kMacroMouseButton) {
    for (int i = 0; i < 10; ++i)
      if (kMouseNames[i].button == event.button) return kMouseNames[i].nameId;
    return {};
  }
  if (event.type == kMacroMoveX || event.type == kMacroMoveY) {
    auto typeByte = static_cast<uint8_t>(event.type | (event.down ? 0x80 : 0));
    for (int i = 10; i < 14; ++i)
      if (kMouseNames[i].typeByte == typeByte) return kMouseNames[i].nameId;
  }
  return {};
}

}  // namespace orlo
