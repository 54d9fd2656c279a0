#pragma once
// Key assignments by name, as a person types them on the command line: the name ids of the code
// tables ("mouse_key_left", "mouse_key_DPI_add", "media_play", "system_sleep", "keyboard_key_A"),
// a keyboard key's legend alone ("A", "F5", "Num 1", "Volume Up"), and the shortcuts of the
// shortcut table as "Ctrl+" and the key's legend ("Ctrl+C", "Ctrl+="). Names match ignoring case.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "profile/KeyAssign.h"

namespace orlo {

// The code a name stands for; nullopt for a name no table holds. Only functions a key may be
// given are named: keyboard keys, consumer and system keys, mouse buttons, DPI functions and
// shortcuts (not the keyboard's own Fn, game-mode and onboard macro keys).
std::optional<AssignCode> AssignmentByName(std::string_view name);

// The name of each shortcut table row, in table order ("Ctrl+O" ...).
std::vector<std::string> ShortcutNames();

}  // namespace orlo
