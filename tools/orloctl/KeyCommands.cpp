#include "KeyCommands.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "CtlSupport.h"
#include "base/DeviceKinds.h"
#include "macro/MacroCatalogue.h"
#include "profile/AssignmentNames.h"

namespace orloctl {
namespace {

constexpr const char* kMacroPrefix = "macro:";
constexpr orlo::AssignCode kPrimaryClick{orlo::kKeyMouseButton, 0x01, 0};

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

bool IsMacroName(const std::string& assignment) { return assignment.rfind(kMacroPrefix, 0) == 0; }

// The macro assignment of the catalogue's macro of that name (run mode 0).
orlo::AssignCode MacroAssignment(const orlo::CTessaroUSBDevice& driver, const std::string& name) {
  const std::vector<std::string> names = orlo::CMacroCatalogue(driver.DeviceFolder()).Names();
  for (size_t i = 0; i < names.size(); ++i)
    if (Lower(names[i]) == Lower(name)) return {orlo::kKeyMacro, static_cast<uint8_t>(i), 0};
  throw UsageError{"no macro named '" + name + "' in " + driver.DeviceFolder()};
}

// The mouse's primary click must stay on some button.
bool LosesLastPrimaryClick(const orlo::CTessaroUSBDevice& driver, int position, const orlo::AssignCode& code) {
  if (driver.Family() != orlo::kKindMouse || code == kPrimaryClick) return false;
  bool held = false, elsewhere = false;
  for (int k = 0;; ++k) {
    const auto record = driver.KeyAssignmentOf(k);
    if (!record) break;
    if (record->Current() != kPrimaryClick) continue;
    (k == position ? held : elsewhere) = true;
  }
  return held && !elsewhere;
}

}  // namespace

KeyArgs ParseKeyArgs(const std::vector<std::string>& args, int positions) {
  if (args.size() != 5) throw UsageError{"usage: set " + args[1] + " key POS ASSIGNMENT"};
  KeyArgs key;
  key.position = static_cast<int>(ParseInRange(args[3], 0, positions - 1, "POS"));
  key.assignment = args[4];
  if (key.assignment == "default") return key;
  if (IsMacroName(key.assignment)) {
    if (key.assignment.size() == std::string(kMacroPrefix).size()) throw UsageError{"macro: needs a macro name"};
    return key;
  }
  if (!orlo::AssignmentByName(key.assignment))
    throw UsageError{"unknown assignment '" + key.assignment +
                     "' (a key such as A, F5 or \"Num 1\", mouse_key_left, mouse_key_DPI_add, media_play, "
                     "system_sleep, Ctrl+C, default, or macro:NAME)"};
  return key;
}

void CheckKeyDownload(const orlo::CTessaroUSBDevice::KeyDownload& download, const std::string& kind) {
  if (download.Refused())
    throw CommandFailure{kind + ": the macros need " + std::to_string(download.macros) + " more events than the " +
                         kind + " can hold; nothing was written"};
  if (download.keys != 1)
    throw CommandFailure{kind + ": writing the key table failed: " + std::to_string(download.keys) + " (" +
                         orlo::LinkResultText(download.keys) + ")"};
  if (download.macros != 0)
    throw CommandFailure{kind + ": writing the macro block failed (the key table was written)"};
}

int SetKey(orlo::CTessaroUSBDevice& driver, const std::string& kind, const KeyArgs& key, const std::string& refusal) {
  if (!refusal.empty()) throw UsageError{refusal};
  const auto record = driver.KeyAssignmentOf(key.position);
  if (!record) throw CommandFailure{kind + ": the profile has no key " + std::to_string(key.position)};
  orlo::AssignCode code;
  if (key.assignment == "default")
    code = record->Default();
  else if (IsMacroName(key.assignment))
    code = MacroAssignment(driver, key.assignment.substr(std::string(kMacroPrefix).size()));
  else
    code = *orlo::AssignmentByName(key.assignment);
  if (LosesLastPrimaryClick(driver, key.position, code))
    throw UsageError{"button " + std::to_string(key.position) + " is the only one with the primary click; it keeps it"};

  driver.SetKeyAssignment(key.position, code);
  // As the window's download: the profile is saved only once the device took the assignments.
  CheckKeyDownload(driver.DownloadKeyAssignments(), kind);
  {
    auto lock = driver.ModelLock();
    driver.NotifyProfileChanged();
  }
  const uint8_t bytes[3] = {code.type, code.code1, code.code2};
  std::printf("%s key %d: %s\n", kind.c_str(), key.position, HexText(bytes, 3).c_str());
  return 0;
}

}  // namespace orloctl
