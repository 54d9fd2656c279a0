#pragma once
// The mixer of one sound card, as the card's chip component uses it: simple controls found by
// name ("Mic", "Sidetone", ...), each with a volume and a switch per direction. Channel -1
// means every channel for a set and the first channel for a get; 0 is the first channel.
#include <optional>
#include <string>
#include <utility>

namespace orlo::audio {

enum class MixerDirection { kPlayback, kCapture };

class IMixer {
 public:
  virtual ~IMixer() = default;

  // The raw volume range; nothing when the control has no volume in that direction.
  virtual std::optional<std::pair<long, long>> VolumeRange(const std::string& control, MixerDirection dir) = 0;
  virtual std::optional<long> Volume(const std::string& control, MixerDirection dir, int channel) = 0;
  virtual bool SetVolume(const std::string& control, MixerDirection dir, int channel, long raw) = 0;

  virtual bool HasSwitch(const std::string& control, MixerDirection dir) = 0;
  // true = on (sound passes).
  virtual std::optional<bool> Switch(const std::string& control, MixerDirection dir, int channel) = 0;
  virtual bool SetSwitch(const std::string& control, MixerDirection dir, int channel, bool on) = 0;
};

}  // namespace orlo::audio
