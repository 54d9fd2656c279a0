#pragma once
// The simulated illuminated mousepad: 15 LEDs, no keys, no macros. Its settings are read at
// profile × 25 (26 bytes) and written at profile × 64 (21 bytes); the power state carries the
// phone lying on its charging area in byte 5.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/SimDevice.h"

namespace orlo::sim {

class SimMousepad : public SimDevice {
 public:
  static constexpr uint16_t kVendorId = 0x0000;
  static constexpr uint16_t kProductId = 0x0000;
  static constexpr int kLedCount = 15;
  static constexpr int kProfiles = 5;
  static constexpr int kWriteStride = 64;
  static constexpr int kSettingsSize = kProfiles * kWriteStride;
  static constexpr uint8_t kCompanionReportId = 3;

  explicit SimMousepad(std::shared_ptr<SimMemory> memory = nullptr);
  static std::shared_ptr<SimMemory> MakeMemory(const std::string& name = "mousepad");
  static InterfaceDescriptor CommandInterfaceDescriptor();
};

}  // namespace orlo::sim
