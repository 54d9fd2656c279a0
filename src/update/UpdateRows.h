#pragma once
// The update rows the check runs over: the update table with each row's current version filled
// in. Row k of the table stands for the device of tab k; the last row is the application.
#include <cstdint>
#include <memory>
#include <vector>

#include "device/link/Catalogue.h"

namespace orlo::hid {
class HidBackend;
}

namespace orlo::update {

// deviceVersions[k]: firmware version of the device of tab k, 0 (or missing) when there is
// none; appVersion: the application row's version.
std::vector<UpdateEntry> MakeUpdateRows(const std::vector<uint32_t>& deviceVersions, int32_t appVersion);

// The firmware version of each tab's device as its cable connection reports it (the HID
// version number of its present wired command interface), 0 where no such interface is
// present or it cannot be opened. One entry per device row of the update table.
std::vector<uint32_t> WiredFirmwareVersions(const std::shared_ptr<hid::HidBackend>& backend);

}  // namespace orlo::update
