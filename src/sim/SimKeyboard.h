#pragma once
// The simulated keyboard (wired, or through its receiver): 104 physical keys whose key table
// holds their factory codes, a key LED table that scatters the keys over the LED chain (so a
// frame laid out through the wrong map shows), five profiles of the 26-byte settings block at
// profile × 25, per-key colour groups of 512 bytes, a macro area and the power state. It keeps
// every frame the host streams, and takes the host's claim on its lighting (command 28).
#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
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
  // LED index of physical key k: a permutation of 0..K-1 that is neither the identity nor its
  // own inverse, so reading the table backwards (LED → key) shows as well.
  static uint8_t LedOfKey(int key) { return static_cast<uint8_t>((key * 37 + 11) % kKeyCount); }
  static constexpr size_t kFrameBytes = kKeyCount * 3;
  static constexpr size_t kMaxFramesKept = 4096;
  static InterfaceDescriptor CommandInterfaceDescriptor();

  uint8_t ActiveProfile();
  std::vector<uint8_t> SettingsBlock(int profile);
  std::vector<uint8_t> LastStreamedFrame();

  // A frame as the host streamed it: K × 3 bytes (zero where no chunk arrived) and how many of
  // them came. A chunk at offset 0 starts the next frame; a frame whose chunks the host dropped
  // (it streams nothing while another command runs) stays short of kFrameBytes.
  struct StreamedFrame {
    std::vector<uint8_t> bytes;
    size_t received = 0;
    bool Complete() const { return received >= kFrameBytes; }
  };
  // The frames kept, oldest first (the newest kMaxFramesKept), and the count of all since the
  // last clear.
  std::vector<StreamedFrame> StreamedFrames() const;
  size_t StreamedFrameCount() const;
  void ClearStreamedFrames();
  // The keyboard's own profile key: memory changes and the companion event goes out.
  bool SwitchProfile(uint8_t profile);

 protected:
  void OnChunkWritten(uint8_t code, size_t offset, const uint8_t* data, size_t length) override;

 private:
  mutable std::mutex framesMu_;
  std::deque<StreamedFrame> frames_;
  size_t frameCount_ = 0;
};

}  // namespace orlo::sim
