#pragma once
// The properties the headset's chip offers, with the endpoint each lives on and the values it
// takes. Components check sets against this table; the driver and the page use the names and
// ranges from here.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/audio/AudioChip.h"

namespace orlo::audio {

namespace prop {
// Recording endpoint.
inline constexpr std::string_view kVolumeScalar = "VolumeScalarControl";      // microphone level
inline constexpr std::string_view kVolume = "VolumeControl";                  // microphone gain
inline constexpr std::string_view kMute = "MuteControl";                      // microphone mute
inline constexpr std::string_view kMonitorVolumeScalar = "AAVolumeScalarControl";  // monitoring level
inline constexpr std::string_view kMonitorVolume = "AAVolumeControl";
inline constexpr std::string_view kMonitorMute = "AAMuteControl";
inline constexpr std::string_view kMonitorMaxVolume = "GetAAMaxVol";          // get only
inline constexpr std::string_view kVoiceChanger = "Enable_MAGICVOICE";
inline constexpr std::string_view kVoiceChangerType = "MagicVoice_Selection";  // type - 1
inline constexpr std::string_view kMicEcho = "Enable_MICECHO";
inline constexpr std::string_view kNoiseReduction = "Enable_ENC_LFX";
// Playback endpoint.
inline constexpr std::string_view kEqualiser = "Enable_EQ_GFX";
inline constexpr std::string_view kSurround = "VirtualSurroundEffectControl";
inline constexpr std::string_view kRoomEffect = "Enable_RFX_GFX";
inline constexpr std::string_view kRoomEnvironment = "RFX_ENVIRONMENT";
inline constexpr std::string_view kRoomSize = "RFX_ROOMSIZE";
// Both endpoints; get only.
inline constexpr std::string_view kSupportFeature = "GetSupportFeature";
}  // namespace prop

// Channel parameter of the volume properties.
inline constexpr int32_t kAllChannels = -1;
inline constexpr int32_t kFirstChannel = 0;

// The ten equaliser bands "EQ_Slider1" ... "EQ_Slider10" (playback) and the values they take.
inline constexpr int kEqBandCount = 10;
inline constexpr int32_t kEqBandMin = -20;
inline constexpr int32_t kEqBandMax = 20;
// "EQ_Slider" + (band + 1) for a band 0-9; empty for any other band.
std::string EqBandName(int band);
// The band (0-9) a name gives, or -1.
int EqBandOfName(std::string_view name);

// Feature bit of the recording endpoint's first feature value: the chip has the voice changer.
inline constexpr int32_t kVoiceChangerFeature = 0x20000;
// Voice changer types 1-4 travel as 0-3.
inline constexpr int kVoiceChangerTypes = 4;

enum class ValueKind {
  kInteger,  // 32-bit integer
  kFloat,    // 32-bit float
  kGetOnly,  // answers a get, refuses a set
};

struct ChipProperty {
  std::string_view name;
  Flow flow;
  ValueKind kind;
  double min;  // range of a set value (integers and floats alike)
  double max;
  bool channel;  // takes a channel parameter (-1 all, 0 first)
};

// Every property but the ten bands, which EqBandOfName recognises.
std::span<const ChipProperty> ChipPropertyTable();
// The entry of a name (bands included, as one entry per band); nullptr for an unknown name.
const ChipProperty* FindChipProperty(std::string_view name);

}  // namespace orlo::audio
