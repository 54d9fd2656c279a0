#pragma once
// The simulated USB headset. Its HID interface 3 has a single consumer-control collection that
// carries the consumer events, the 64-byte command reports (lighting settings, power state) and
// the 17-byte LED reports (report id 0xFF) that set its 13 LEDs, colour by colour. Its audio
// functions are on a simulated audio chip of its own, kept as long as the headset.
#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "sim/SimAudioChip.h"
#include "sim/SimDevice.h"

namespace orlo::sim {

class SimHeadset : public SimDevice {
 public:
  static constexpr uint16_t kVendorId = 0x0000;
  static constexpr uint16_t kProductId = 0x0000;
  static constexpr int kLedCount = 13;
  static constexpr int kProfiles = 5;
  static constexpr int kWriteStride = 64;
  static constexpr int kSettingsSize = kProfiles * kWriteStride;
  static constexpr uint8_t kEventReportId = 1;
  static constexpr uint8_t kLedReportId = 0xFF;
  static constexpr size_t kLedReportSize = 17;

  explicit SimHeadset(std::shared_ptr<SimMemory> memory = nullptr);
  static std::shared_ptr<SimMemory> MakeMemory(const std::string& name = "headset");
  static InterfaceDescriptor HeadsetInterfaceDescriptor();

  // Colour last set for an LED by the LED reports of a group (0x22 or 0x44): red, green, blue.
  std::array<uint8_t, 3> LedColour(uint8_t group, int led) const;
  size_t LedReportCount() const;
  // The headset's audio chip, for the driver's chip port and for reading back what was set.
  std::shared_ptr<SimAudioChip> AudioChip() const { return chip_; }

 protected:
  void OnOtherOutput(size_t interfaceIndex, const std::vector<uint8_t>& report) override;

 private:
  mutable std::mutex ledMu_;
  std::array<std::array<std::array<uint8_t, 3>, kLedCount>, 2> leds_{};  // [group][led][rgb]
  size_t ledReports_ = 0;
  std::shared_ptr<SimAudioChip> chip_ = std::make_shared<SimAudioChip>();
};

}  // namespace orlo::sim
