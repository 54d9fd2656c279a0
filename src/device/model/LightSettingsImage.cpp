#include "device/model/LightSettingsImage.h"

#include <algorithm>
#include <cstring>

namespace orlo {

uint8_t SpeedIndexOfWire(uint8_t wire) { return static_cast<uint8_t>(4 - std::min<int>(wire, 4)); }
uint8_t WireOfSpeedIndex(uint8_t index) { return static_cast<uint8_t>(4 - std::min<int>(index, 4)); }

int ModeCodeOf(const std::vector<BuiltInLightEntry>& modes, int index, int limit) {
  if (index < 0 || index >= limit) index = 0;
  if (modes.empty()) return index;
  if (index >= static_cast<int>(modes.size())) index = 0;
  return modes[static_cast<size_t>(index)].value;
}

int ModeIndexOf(const std::vector<BuiltInLightEntry>& modes, int code) {
  for (size_t i = 0; i < modes.size(); ++i)
    if (modes[i].value == code) return static_cast<int>(i);
  return -1;
}

LightImageBytes DecodeLightImage(const uint8_t* read, uint8_t activeProfile, int modeIndex) {
  LightImageBytes image{};
  std::memcpy(image.data(), read, image.size());
  image[0] = activeProfile;
  if (modeIndex >= 0) image[1] = static_cast<uint8_t>(modeIndex);
  image[3] = SpeedIndexOfWire(image[3]);
  return image;
}

LightImageBytes EncodeLightImage(const LightImageBytes& image, uint8_t modeCode) {
  LightImageBytes wire = image;
  wire[1] = modeCode;
  wire[3] = WireOfSpeedIndex(image[3]);
  return wire;
}

void PutEffect(LightImageBytes& image, const LightInfo& effect) {
  image[1] = effect.mode;
  image[2] = effect.brightness;
  image[3] = effect.speed;
  image[5] = effect.multiColor;
  image[6] = effect.red;
  image[7] = effect.green;
  image[8] = effect.blue;
}

int CLightSettingsImage::Read(CDeviceLink& link, const std::vector<BuiltInLightEntry>& modes) {
  link.SetLightSyncActive(false);
  if (!link.IsOpen()) return 0;
  uint8_t profile = 0;
  if (link.ReadSettings(&profile, 1, 0) != 1) return 0;
  // Into a scratch buffer: a failed read must never become the image written back.
  std::array<uint8_t, kLightImageReadSize> read{};
  if (link.ReadSettings(read.data(), read.size(), static_cast<uint16_t>(profile * kLightImageReadStride)) != 1)
    return 0;
  const LightImageBytes image = DecodeLightImage(read.data(), profile, ModeIndexOf(modes, read[1]));
  std::lock_guard lock(lock_);
  image_ = image;
  hasRead_ = true;
  return 1;
}

int CLightSettingsImage::Write(CDeviceLink& link, int profile, const std::vector<BuiltInLightEntry>& modes,
                               int modeLimit) {
  if (profile < 0 || profile * kLightImageWriteStride > 0xFFFF) return 0;
  LightImageBytes image;
  {
    std::lock_guard lock(lock_);
    if (!hasRead_) return 0;
    image = image_;
  }
  const LightImageBytes wire = EncodeLightImage(image, static_cast<uint8_t>(ModeCodeOf(modes, image[1], modeLimit)));
  if (!link.IsOpen()) return 0;
  int r = link.BeginConfig();
  if (r == 1) r = link.WriteSettings(wire.data(), wire.size(), static_cast<uint16_t>(profile * kLightImageWriteStride));
  link.EndConfig();
  if (r == 1) {
    std::lock_guard lock(lock_);
    lastWritten_.assign(wire.begin(), wire.end());
  }
  return r;
}

void CLightSettingsImage::TakeEffect(const LightInfo& effect) {
  std::lock_guard lock(lock_);
  PutEffect(image_, effect);
}

bool CLightSettingsImage::HasRead() const {
  std::lock_guard lock(lock_);
  return hasRead_;
}

LightImageBytes CLightSettingsImage::Bytes() const {
  std::lock_guard lock(lock_);
  return image_;
}

std::vector<uint8_t> CLightSettingsImage::LastWritten() const {
  std::lock_guard lock(lock_);
  return lastWritten_;
}

uint8_t CLightSettingsImage::ActiveProfile() const {
  std::lock_guard lock(lock_);
  return image_[0];
}

}  // namespace orlo
