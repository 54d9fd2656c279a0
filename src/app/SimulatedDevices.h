#pragma once
// `--simulate LIST`: the simulated devices take the place of the machine's HID devices.
#include <memory>
#include <string>

namespace orlo {
namespace hid {
class HidBackend;
}

// The backend of the simulated devices of LIST; null (with the reason) when the list names an
// unknown device.
std::shared_ptr<hid::HidBackend> MakeSimulatedDevices(const std::string& list, std::string* error);

}  // namespace orlo
