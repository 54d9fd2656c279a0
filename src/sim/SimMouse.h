#pragma once
// The simulated mouse, wired (pid 0x222E) or through its 2.4 GHz receiver (pid 0x222F). Its
// memory: a 34-byte info block, five profiles of 128 bytes in the settings area (a 78-byte block
// each), an 11-entry key table with the factory assignments, macro and shoot areas sized by the
// info block, and the power state.
#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/SimDevice.h"

namespace orlo::sim {

class SimMouse : public SimDevice {
 public:
  static constexpr uint16_t kVendorId = 0x320F;
  static constexpr uint16_t kWiredProductId = 0x222E;
  static constexpr uint16_t kReceiverProductId = 0x222F;
  static constexpr int kProfiles = 5;
  static constexpr int kProfileStride = 128;
  static constexpr int kBlockSize = 78;
  static constexpr int kKeyEntries = 11;
  static constexpr int kMacroUnits = 16;  // info byte 6: macro area in units of 128 bytes
  // Info byte 7: shoot area in units of 128 bytes; four guns of 30 bullets (six events each)
  // take 2920 bytes.
  static constexpr int kShootUnits = 24;
  static constexpr uint16_t kSensor = 0x3325;
  static constexpr uint16_t kMinResolution = 100;
  static constexpr uint16_t kMaxResolution = 25100;  // top of the two-slope scale
  static constexpr uint8_t kResolutionStep = 100;

  // Interface 1, in descriptor order: mouse, system control, consumer control, vendor.
  static constexpr uint8_t kCompanionReportId = 3;

  explicit SimMouse(Connection connection = Connection::Wired, std::shared_ptr<SimMemory> memory = nullptr);

  // A memory in factory state; pass one to a wired and a receiver SimMouse to make them one mouse.
  static std::shared_ptr<SimMemory> MakeMemory(const std::string& name = "mouse");
  // Factory assignment (type, code 1, code 2) of each of the 11 buttons, in key table order.
  static const std::array<std::array<uint8_t, 3>, kKeyEntries>& FactoryKeys();
  static InterfaceDescriptor CommandInterfaceDescriptor();

  // What the mouse does when its own buttons change profile or resolution stage: the memory
  // changes and the companion event goes out.
  bool SwitchProfile(uint8_t profile);
  bool SwitchStage(uint8_t profile, uint8_t stage);

  uint8_t ActiveProfile();
  std::vector<uint8_t> SettingsBlock(int profile);
};

}  // namespace orlo::sim
