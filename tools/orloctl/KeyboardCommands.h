#pragma once
// The keyboard's driver commands, reached through `read`, `apply` and `set` (DriverCommands.cpp).
#include <string>
#include <vector>

#include "CtlCommand.h"

namespace orloctl {

inline bool IsKeyboard(const std::string& device) { return device == "keyboard"; }

int RunKeyboardRead(const GlobalOptions& options, const std::vector<std::string>& args);
int RunKeyboardApply(const GlobalOptions& options, const std::vector<std::string>& args);
int RunKeyboardSet(const GlobalOptions& options, const std::vector<std::string>& args);

}  // namespace orloctl
