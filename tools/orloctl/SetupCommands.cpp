// orloctl udev-rule: prints the device access rule, for installing it by hand or from a script.
#include <cstdio>
#include <string>
#include <vector>

#include "CtlCommand.h"
#include "device/link/DeviceAccessRule.h"

namespace {

int RunUdevRule(const orloctl::GlobalOptions&, const std::vector<std::string>& args) {
  if (args.size() != 1) throw orloctl::UsageError{"usage: orloctl udev-rule"};
  const std::string text = orlo::UdevRuleText();
  std::fwrite(text.data(), 1, text.size(), stdout);
  return std::fflush(stdout) == 0 ? 0 : 1;
}

orloctl::CtlCommand udevRuleCommand{
    {"udev-rule", "Setup",
     "  orloctl udev-rule — print the udev rule that lets the user at the seat open the supported\n"
     "                      devices' command interfaces; to install it:\n"
     "                      orloctl udev-rule | sudo tee /etc/udev/rules.d/70-tavrin-orlo.rules\n"
     "                      sudo udevadm control --reload && sudo udevadm trigger\n",
     RunUdevRule}};

}  // namespace
