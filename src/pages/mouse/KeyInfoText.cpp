#include "pages/mouse/KeyInfoText.h"

#include <array>

namespace orlo {
namespace {

const KeyCodeEntry* Find(std::span<const KeyCodeEntry> table, auto&& match) {
  for (const KeyCodeEntry& e : table)
    if (match(e)) return &e;
  return nullptr;
}

std::optional<KeyInfoName> IdOf(const KeyCodeEntry* e) {
  if (e == nullptr || e->nameId == nullptr || e->nameId[0] == '\0') return std::nullopt;
  return KeyInfoName{e->nameId, true};
}

std::optional<KeyInfoName> KeyboardName(const AssignCode& c) {
  const auto table = KeyCodeTable();
  if (auto* e = Find(table, [&](const KeyCodeEntry& k) { return k.code1 == c.code1 && k.code2 == c.code2; }))
    return IdOf(e);
  if (c.code1 == 0 && c.code2 == 0) return KeyInfoName{"close_text", true};
  std::string joined;
  for (const KeyCodeEntry& k : table) {
    if (k.type != c.type || (k.code1 != c.code1 && k.code2 != c.code2)) continue;
    if (k.nameId == nullptr || k.nameId[0] == '\0') continue;
    if (!joined.empty()) joined += '+';
    joined += k.nameId;
  }
  if (joined.empty()) return std::nullopt;
  return KeyInfoName{joined, true};
}

}  // namespace

std::optional<KeyInfoName> KeyInfoNameOf(const AssignCode& c, const std::vector<std::string>& macroNames) {
  switch (c.type) {
    case 0x00:
    case 0x20:
      return KeyboardName(c);
    case 0x10:
      return IdOf(Find(MouseButtonTable(), [&](const KeyCodeEntry& k) { return k.code1 == c.code1; }));
    case 0x11:
      return KeyInfoName{(c.code2 & 0x80) ? "mouse_key_right_Swing" : "mouse_key_left_Swing", true};
    case 0x12:
      return KeyInfoName{(c.code2 & 0x80) ? "mouse_key_down_Swing" : "mouse_key_up_Swing", true};
    case 0x13:
      return IdOf(Find(DpiFunctionTable(), [&](const KeyCodeEntry& k) { return k.code1 == c.code1; }));
    case 0x14:
      return KeyInfoName{"mouse_key_fire_key", true};
    case 0x16:
      return KeyInfoName{"mouse_key_DPI_shift", true};
    case 0x22: {
      static constexpr std::array<const char*, 9> kShortcuts = {
          "custem_cut", "custem_copy", "custem_paste",  "custem_undo", "custem_select_all",
          "custem_find", "custem_new", "custem_save", "custem_open"};
      if (c.code1 != 0 || c.code2 >= kShortcuts.size()) return std::nullopt;
      return KeyInfoName{kShortcuts[c.code2], true};
    }
    case 0x23:
      if (c.code1 == 0 && c.code2 == 0) return KeyInfoName{"show_window", true};
      return std::nullopt;
    case 0x30:
      return IdOf(Find(MediaKeyTable(), [&](const KeyCodeEntry& k) { return k.code1 == c.code1 && k.code2 == c.code2; }));
    case 0x40:
      return IdOf(Find(SystemKeyTable(), [&](const KeyCodeEntry& k) { return k.code1 == c.code1 && k.code2 == c.code2; }));
    case 0x70:
    case 0x71:
      if (c.code1 >= macroNames.size()) return std::nullopt;
      return KeyInfoName{macroNames[c.code1], false};
    case 0x72: {
      static constexpr std::array<const char*, 4> kGuns = {"gun_1_txt", "gun_2_txt", "gun_3_txt", "gun_4_txt"};
      if (c.code1 >= kGuns.size()) return std::nullopt;
      return KeyInfoName{kGuns[c.code1], true};
    }
    case 0xA0:
      if (c.code1 == 0x02) return KeyInfoName{"mouse_key_smart_key", true};
      if (c.code1 == 0x00) return KeyInfoName{"close_text", true};
      return IdOf(Find(KeyCodeTable(), [&](const KeyCodeEntry& k) {
        return k.type == c.type && k.code1 == c.code1 && k.code2 == c.code2;
      }));
    case 0x15:
    case 0x21:
    case 0x50:
    case 0x60:
    case 0xB0:
    case 0xC0:
      return std::nullopt;
    default:
      return KeyInfoName{"关闭", false};
  }
}

std::vector<std::string> NameParts(const std::string& name) {
  std::vector<std::string> parts;
  size_t start = 0;
  while (true) {
    const size_t plus = name.find('+', start);
    parts.push_back(name.substr(start, plus == std::string::npos ? std::string::npos : plus - start));
    if (plus == std::string::npos) break;
    start = plus + 1;
  }
  return parts;
}

std::string MouseButtonNameId(int button) {
  static constexpr std::array<const char*, 11> kNames = {
      "mouse_key_left",    "mouse_key_right",   "mouse_key_middle", "mouse_key_forward",
      "mouse_key_back",    "mouse_key_DPI_add", "mouse_key_DPI_sub", "mouse_key_DPI_loop",
      "keyboard_key_GM",   "mouse_key_M8_key",  "mouse_key_fire_key"};
  if (button < 0 || button >= static_cast<int>(kNames.size())) return {};
  return kNames[static_cast<size_t>(button)];
}

}  // namespace orlo
