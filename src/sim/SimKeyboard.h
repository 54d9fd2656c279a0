#pragma once
// The simulated keyboard (wired, or through its receiver): 104 physical keys whose key table
// holds their factory codes, a key LED table, five profiles of the 26-byte settings block at
// profile × 25, per-key colour groups of 512 bytes, the streamed frame, a macro area and the
// power state. It also takes the host's claim on its lighting (command 28).
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/SimDevice.h"

namespace orlo::sim {

class SimKeyboard : public SimDevice {
 public:
  static constexpr uint16_t kVendorId = 0x0000;
  static constexpr uint16_t kProductId = 0x0000;
  static constexpr int kKeyCount = 104;
  static constexpr int kPositions = 170;
  static constexpr int kProfiles = 5;
  static constexpr int kProfileStride = 25;
  static constexpr int kBlockSize = 26;
  static constexpr int kMacroUnits = 32;
  static constexpr int kLightGroups = 8;
  static constexpr int kLightGroupSize = 512;
  static constexpr uint8_t kCompanionReportId = 3;

  explicit SimKeyboard(Connection connection = Connection::Wired, std::shared_ptr<SimMemory> memory = nullptr);

  static std::shared_ptr<SimMemory> MakeMemory(const std::string& name = "keyboard");
  // Factory code (type, code 1, code 2) of a key position 0-169.
  static std::array<uint8_t, 3> PositionCode(int position);
  // The key position of each physical key, in key table order.
  static const std::vector<int>& PhysicalKeyPositions();
  // LED index of physical key k (the LED chain runs against the key table order).
  static uint8_t LedOfKey(int key) { return static_cast<uint8_t>(kKeyCount - 1 - key); }
  static InterfaceDescriptor CommandInterfaceDescriptor();

  uint8_t ActiveProfile();
  std::vector<uint8_t> SettingsBlock(int profile);
  std::vector<uint8_t> LastStreamedFrame();
  // The keyboard's own profile key: memory changes and the companion event goes out.
  bool SwitchProfile(uint8_t profile);
};

}  // namespace orlo::sim
