#pragma once
// A sound card's mixer through libasound: the simple controls of "hw:N".
#include <memory>

#include "platform/audio/Mixer.h"

struct _snd_mixer;

namespace orlo::audio {

class AlsaMixer : public IMixer {
 public:
  // nullptr when the card's mixer cannot be opened or loaded.
  static std::unique_ptr<AlsaMixer> Open(int card);
  ~AlsaMixer() override;
  AlsaMixer(const AlsaMixer&) = delete;
  AlsaMixer& operator=(const AlsaMixer&) = delete;

  std::optional<std::pair<long, long>> VolumeRange(const std::string& control, MixerDirection dir) override;
  std::optional<long> Volume(const std::string& control, MixerDirection dir, int channel) override;
  bool SetVolume(const std::string& control, MixerDirection dir, int channel, long raw) override;
  bool HasSwitch(const std::string& control, MixerDirection dir) override;
  std::optional<bool> Switch(const std::string& control, MixerDirection dir, int channel) override;
  bool SetSwitch(const std::string& control, MixerDirection dir, int channel, bool on) override;

 private:
  explicit AlsaMixer(_snd_mixer* handle) : handle_(handle) {}
  _snd_mixer* handle_;
};

}  // namespace orlo::audio
