#pragma once
// `--simulate LIST`: the simulated devices take the place of the machine's HID devices.
#include <string>

namespace orlo {

// False (with the reason) when the list names an unknown device.
bool InstallSimulatedDevices(const std::string& list, std::string* error);

}  // namespace orlo
