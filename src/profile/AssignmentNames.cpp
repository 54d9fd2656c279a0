#include "profile/AssignmentNames.h"

#include <algorithm>
#include <cctype>

namespace orlo {
namespace {

constexpr std::string_view kKeyPrefix = "keyboard_key_";

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

// A keyboard key's legend: its name id without the "keyboard_key_" prefix.
std::string_view Legend(std::string_view nameId) {
  return nameId.substr(0, kKeyPrefix.size()) == kKeyPrefix ? nameId.substr(kKeyPrefix.size()) : nameId;
}

// Rows a key may be given: keys, consumer keys and system keys.
bool Assignable(const KeyCodeEntry& e) {
  return e.type == kKeyKeyboard || e.type == kKeyConsumer || e.type == kKeySystem;
}

}  // namespace

std::vector<std::string> ShortcutNames() {
  std::vector<std::string> names;
  for (const KeyCodeEntry& s : ShortcutTable()) {
    std::string name = "Ctrl+";
    for (size_t i = 8; i < KeyCodeTable().size(); ++i) {
      const KeyCodeEntry& k = KeyCodeTable()[i];
      if (k.type == kKeyKeyboard && k.code1 == 0 && k.code2 == s.code2) {
        name += Legend(k.nameId);
        break;
      }
    }
    names.push_back(name);
  }
  return names;
}

std::optional<AssignCode> AssignmentByName(std::string_view name) {
  if (name.empty()) return std::nullopt;
  const std::vector<std::string> shortcuts = ShortcutNames();
  for (size_t i = 0; i < shortcuts.size(); ++i)
    if (SameName(name, shortcuts[i])) return ShortcutTable()[i].Code();
  for (auto table : {MouseButtonTable(), DpiFunctionTable(), SystemKeyTable(), MediaKeyTable()})
    for (const KeyCodeEntry& e : table)
      if (SameName(name, e.nameId)) return e.Code();
  for (const KeyCodeEntry& e : KeyCodeTable())
    if (Assignable(e) && (SameName(name, e.nameId) || SameName(name, Legend(e.nameId)))) return e.Code();
  return std::nullopt;
}

}  // namespace orlo
