#pragma once
// The shell command that lets this user open the supported devices: orloctl prints the device
// access rule, tee writes it where udev reads local rules, and udev applies its rules again to the
// present hidraw nodes, so a device already plugged in becomes usable without replugging.
#include <string>

namespace orlo {

inline constexpr const char* kAccessRuleFile = "/etc/udev/rules.d/70-tavrin-orlo.rules";

// The command with `orloctl` as the program that prints the rule (quoted for the shell when it
// holds anything but letters, digits and "/._-+").
std::string AccessRuleInstallCommand(const std::string& orloctl);

// orloctl beside `executable` when it is there (a build tree or an installed bin folder), else
// "orloctl", found on the PATH.
std::string OrloctlBeside(const std::string& executable);

}  // namespace orlo
