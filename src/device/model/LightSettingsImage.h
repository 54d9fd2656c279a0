#pragma once
// The 21-byte lighting settings block of the mousepad and the headset, and the image of it the
// driver keeps between a read and a write.
//
// On the device a profile's block is read as 26 bytes at profile × 25 and written as 21 bytes at
// profile × 64 (both 0 for profile 0, the only profile the application writes). Layout:
//   0 active profile   1 mode (code on the wire, index in the image)   2 brightness level
//   3 speed (4 − index on the wire, index in the image)   4 direction   5 multicolour flag
//   6-8 red, green, blue   9-20 the device's own bytes, written back as they were read
#include <array>
#include <cstdint>
#include <mutex>
#include <vector>

#include "device/link/DeviceLink.h"
#include "profile/LightData.h"

namespace orlo {

inline constexpr int kLightImageSize = 21;
inline constexpr int kLightImageReadSize = 26;
inline constexpr int kLightImageReadStride = 25;
inline constexpr int kLightImageWriteStride = 64;
using LightImageBytes = std::array<uint8_t, kLightImageSize>;

// The wire's speed byte and the page's speed index are mirror images over 0-4; a byte beyond 4
// reads as index 0 rather than wrapping round to a huge index.
uint8_t SpeedIndexOfWire(uint8_t wire);
uint8_t WireOfSpeedIndex(uint8_t index);

// The device's code of a mode index: the mode list's value at the index. An index of `limit` or
// more, or beyond the list, counts as mode 0; with no list at all the index goes out as it is.
int ModeCodeOf(const std::vector<BuiltInLightEntry>& modes, int index, int limit);
// The mode index of a device code, or -1 when the list has no such code.
int ModeIndexOf(const std::vector<BuiltInLightEntry>& modes, int code);

// The image from the bytes read: the first 21 with byte 0 the active profile, the mode code
// translated to its index (an unknown code stays as it is) and the speed byte to its index.
LightImageBytes DecodeLightImage(const uint8_t* read, uint8_t activeProfile, int modeIndex);
// The 21 bytes to write: the image with byte 1 the mode code and byte 3 the wire's speed.
LightImageBytes EncodeLightImage(const LightImageBytes& image, uint8_t modeCode);
// The effect's mode, brightness, speed, multicolour flag and colour into bytes 1, 2, 3, 5-8.
void PutEffect(LightImageBytes& image, const LightInfo& effect);

class CLightSettingsImage {
 public:
  // Reads the active profile number and its block. 1, or 0 when the link is closed or a read
  // failed (the image keeps its bytes). modes translates the mode code.
  int Read(CDeviceLink& link, const std::vector<BuiltInLightEntry>& modes);
  // Writes the image for a profile with the effect's mode limited as ModeCodeOf says. Nothing is
  // written before one good read: bytes 9-20 must come from the device. 1, 0 when nothing could
  // be written, or the failing link code.
  int Write(CDeviceLink& link, int profile, const std::vector<BuiltInLightEntry>& modes, int modeLimit);
  void TakeEffect(const LightInfo& effect);

  bool HasRead() const;
  LightImageBytes Bytes() const;
  // The bytes the last write sent (empty before one).
  std::vector<uint8_t> LastWritten() const;
  uint8_t ActiveProfile() const;

 private:
  mutable std::mutex lock_;
  LightImageBytes image_{};
  std::vector<uint8_t> lastWritten_;
  bool hasRead_ = false;
};

}  // namespace orlo
