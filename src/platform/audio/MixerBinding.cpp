#include "platform/audio/MixerBinding.h"

#include "platform/audio/ChipProperties.h"

namespace orlo::audio {
namespace {

using enum MixerAspect;
constexpr Flow kRec = Flow::kRecording;
constexpr MixerDirection kCapture = MixerDirection::kCapture;
constexpr MixerDirection kPlayback = MixerDirection::kPlayback;

// The microphone's own level and switch are the capture side of the microphone control (some
// cards call it "Capture" or "Headset"). Monitoring — the microphone heard in the headset — is
// the playback side of a sidetone control, or of the "Mic" control ("Mic Playback").
constexpr std::array<std::string_view, 3> kMicControls = {"Mic", "Capture", "Headset"};
constexpr std::array<std::string_view, 3> kMonitorControls = {"Sidetone", "Mic", ""};

constexpr std::array<MixerBinding, 5> kBindings = {{
    {prop::kVolumeScalar, kRec, kLevel, kCapture, kMicControls},
    {prop::kMute, kRec, kMute, kCapture, kMicControls},
    {prop::kMonitorVolumeScalar, kRec, kLevel, kPlayback, kMonitorControls},
    {prop::kMonitorMute, kRec, kMute, kPlayback, kMonitorControls},
    {prop::kMonitorMaxVolume, kRec, kMaxLevel, kPlayback, kMonitorControls},
}};

}  // namespace

std::span<const MixerBinding> MixerBindings() { return kBindings; }

const MixerBinding* FindMixerBinding(std::string_view property) {
  for (const auto& b : kBindings)
    if (b.property == property) return &b;
  return nullptr;
}

}  // namespace orlo::audio
