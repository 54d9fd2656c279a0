#pragma once
// The chip component of a real headset on Linux: the USB sound card whose USB id matches the
// headset. Its endpoints are the card's playback devices (type 1) and capture devices (type 2),
// all active. The microphone's level and mute and the monitoring level and mute go to the
// card's mixer controls (MixerBinding); "GetSupportFeature" answers seven zero fields (no voice
// changer); every other property answers kChipUnsupported, which the page shows as a control
// the headset does not have.
//
// Endpoint record: id = card × 256 + device, type 1 or 2, extra = device, state 1.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/audio/AudioChip.h"
#include "platform/audio/Mixer.h"

namespace orlo::audio {

struct MixerBinding;

class MixerAudioChip : public IAudioChip {
 public:
  static constexpr int32_t kPlaybackType = 1;
  static constexpr int32_t kCaptureType = 2;

  // Opens the card's mixer; nullptr when it cannot be opened.
  using MixerOpener = std::function<std::unique_ptr<IMixer>(int card)>;

  MixerAudioChip(int card, std::string procRoot, MixerOpener opener);

  int Card() const { return card_; }

  // Opens the mixer: kChipFailed when it cannot be opened (no permission, card gone).
  int ConfLibInit() override;
  // Lists the card's playback and capture devices.
  int CreateDeviceList() override;
  int GetDeviceCount(Flow flow, uint32_t& count) override;
  int GetDeviceById(Flow flow, uint32_t index, EndpointRecord& record) override;
  int PropertyControl(EndpointRecord endpoint, std::u16string_view name, ChipBuffer& value, ChipBuffer* param,
                      PropertyMode mode) override;

 private:
  const std::vector<EndpointRecord>& List(Flow flow) const;
  bool Known(const EndpointRecord& r, Flow& flow) const;
  int Bound(const MixerBinding& b, ChipBuffer& value, const ChipBuffer* param, PropertyMode mode);

  int card_;
  std::string root_;
  MixerOpener opener_;
  std::unique_ptr<IMixer> mixer_;
  std::vector<EndpointRecord> playback_;
  std::vector<EndpointRecord> capture_;
};

}  // namespace orlo::audio
