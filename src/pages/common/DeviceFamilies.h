#pragma once
// The device families this build knows: for each wired kind, how its driver is made. Each
// family's folder (pages/mouse, …) registers itself — its page class with the control factory
// and its driver here — from one function; RegisterDeviceFamilies calls them all once.
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/hid/HidBackend.h"

namespace orlo {

class CTessaroUSBDevice;

using DriverFactory = std::function<std::unique_ptr<CTessaroUSBDevice>(std::shared_ptr<hid::HidBackend>)>;

void RegisterDriver(uint16_t family, DriverFactory factory);
// A new driver for a family (receiver kinds folded); null when this build has none.
std::unique_ptr<CTessaroUSBDevice> MakeDriver(uint16_t kind, std::shared_ptr<hid::HidBackend> backend);

// Registers the base page class and every family (idempotent).
void RegisterDeviceFamilies();

}  // namespace orlo
