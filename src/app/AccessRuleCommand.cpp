#include "app/AccessRuleCommand.h"

#include <cctype>
#include <filesystem>
#include <system_error>

namespace orlo {

namespace {

std::string ShellWord(const std::string& s) {
  bool plain = !s.empty();
  for (unsigned char c : s) plain = plain && (std::isalnum(c) || c == '/' || c == '.' || c == '_' || c == '-' || c == '+');
  if (plain) return s;
  std::string quoted = "'";
  for (char c : s) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

}  // namespace

std::string AccessRuleInstallCommand(const std::string& orloctl) {
  return ShellWord(orloctl) + " udev-rule | sudo tee " + kAccessRuleFile +
         " >/dev/null && sudo udevadm control --reload && sudo udevadm trigger --subsystem-match=hidraw";
}

std::string OrloctlBeside(const std::string& executable) {
  std::error_code ec;
  const std::filesystem::path beside = std::filesystem::path(executable).parent_path() / "orloctl";
  if (!executable.empty() && std::filesystem::is_regular_file(beside, ec)) return beside.string();
  return "orloctl";
}

}  // namespace orlo
