#include "update/UpdateRows.h"

#include "platform/hid/HidBackend.h"

namespace orlo::update {

std::vector<UpdateEntry> MakeUpdateRows(const std::vector<uint32_t>& deviceVersions, int32_t appVersion) {
  std::vector<UpdateEntry> rows(kUpdateTable.begin(), kUpdateTable.end());
  for (size_t k = 0; k + 1 < rows.size(); ++k)
    rows[k].rowVersion = k < deviceVersions.size() ? static_cast<int32_t>(deviceVersions[k]) : 0;
  rows.back().rowVersion = appVersion;
  return rows;
}

std::vector<uint32_t> WiredFirmwareVersions(const std::shared_ptr<hid::HidBackend>& backend) {
  std::vector<uint32_t> versions(kUpdateCount - 1, 0);
  const auto slots = ScanSlots(backend);
  if (!slots) return versions;
  for (size_t k = 0; k < versions.size() && k < kDeviceTabTable.size(); ++k) {
    const auto kind = static_cast<uint16_t>(kDeviceTabTable[k].kind);
    for (const InterfaceEntry& slot : *slots) {
      if (!slot.present || slot.kind != kind || slot.variant != kVariantCommand) continue;
      if (auto device = backend->Open(slot.devicePath, true, false)) versions[k] = device->Attributes().versionNumber;
      break;
    }
  }
  return versions;
}

}  // namespace orlo::update
