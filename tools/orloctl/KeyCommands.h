#pragma once
// orloctl's key assignment commands, shared by the mouse and the keyboard:
//   set mouse|keyboard key POS ASSIGNMENT
// and the check every device download of the key assignments goes through (apply, set key).
#include <string>
#include <vector>

#include "device/model/TessaroUSBDevice.h"

namespace orloctl {

struct KeyArgs {
  int position = 0;
  std::string assignment;  // a table name, "default" or "macro:NAME"
};

// args = {"set", DEVICE, "key", POS, ASSIGNMENT}, POS below `positions`. Checked before the
// device is touched: a usage error for anything else, or for a name no key table holds.
KeyArgs ParseKeyArgs(const std::vector<std::string>& args, int positions);

// Gives key `key.position` of a driver whose first contact is done its new assignment and writes
// it as the window's device download does: the macros the key table refers to, the key table,
// then the profile is saved. `refusal`, when not empty, says why that key cannot be given a
// function (nothing is touched). Prints the key's new code.
int SetKey(orlo::CTessaroUSBDevice& driver, const std::string& kind, const KeyArgs& key, const std::string& refusal);

// Throws a CommandFailure unless the download wrote the macros and the key table. Macros that do
// not fit the device's macro area say by how many events; nothing was written then.
void CheckKeyDownload(const orlo::CTessaroUSBDevice::KeyDownload& download, const std::string& kind);

}  // namespace orloctl
