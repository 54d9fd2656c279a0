#include "platform/audio/ChipProperties.h"

#include <array>

namespace orlo::audio {
namespace {

constexpr std::array<std::string_view, kEqBandCount> kBandNames = {
    "EQ_Slider1", "EQ_Slider2", "EQ_Slider3", "EQ_Slider4", "EQ_Slider5",
    "EQ_Slider6", "EQ_Slider7", "EQ_Slider8", "EQ_Slider9", "EQ_Slider10"};

using enum ValueKind;
constexpr Flow kRec = Flow::kRecording;
constexpr Flow kPlay = Flow::kPlayback;

// Gains in dB; levels as scalars 0.0-1.0.
constexpr std::array<ChipProperty, 17> kTable = {{
    {prop::kVolumeScalar, kRec, kFloat, 0.0, 1.0, true},
    {prop::kVolume, kRec, kFloat, -96.0, 12.0, true},
    {prop::kMute, kRec, kInteger, 0, 1, false},
    {prop::kMonitorVolumeScalar, kRec, kFloat, 0.0, 1.0, true},
    {prop::kMonitorVolume, kRec, kFloat, -96.0, 12.0, true},
    {prop::kMonitorMute, kRec, kInteger, 0, 1, false},
    {prop::kMonitorMaxVolume, kRec, kGetOnly, 0, 0, false},
    {prop::kVoiceChanger, kRec, kInteger, 0, 1, false},
    {prop::kVoiceChangerType, kRec, kInteger, 0, kVoiceChangerTypes - 1, false},
    {prop::kMicEcho, kRec, kInteger, 0, 1, false},
    {prop::kNoiseReduction, kRec, kInteger, 0, 1, false},
    {prop::kEqualiser, kPlay, kInteger, 0, 1, false},
    {prop::kSurround, kPlay, kInteger, 0, 1, false},
    {prop::kRoomEffect, kPlay, kInteger, 0, 1, false},
    {prop::kRoomEnvironment, kPlay, kInteger, 0, 25, false},
    {prop::kRoomSize, kPlay, kInteger, 0, 100, false},
    {prop::kSupportFeature, kPlay, kGetOnly, 0, 0, false},  // answered on both endpoints
}};

// One entry per band, so FindChipProperty can hand out a pointer for a band as well.
constexpr std::array<ChipProperty, kEqBandCount> MakeBands() {
  std::array<ChipProperty, kEqBandCount> bands{};
  for (size_t i = 0; i < bands.size(); ++i) bands[i] = {kBandNames[i], kPlay, kInteger, kEqBandMin, kEqBandMax, false};
  return bands;
}
constexpr std::array<ChipProperty, kEqBandCount> kBands = MakeBands();

}  // namespace

std::string EqBandName(int band) {
  if (band < 0 || band >= kEqBandCount) return {};
  return std::string(kBandNames[static_cast<size_t>(band)]);
}

int EqBandOfName(std::string_view name) {
  for (size_t b = 0; b < kBandNames.size(); ++b)
    if (name == kBandNames[b]) return static_cast<int>(b);
  return -1;
}

std::span<const ChipProperty> ChipPropertyTable() { return kTable; }

const ChipProperty* FindChipProperty(std::string_view name) {
  for (const auto& p : kTable)
    if (p.name == name) return &p;
  const int band = EqBandOfName(name);
  return band >= 0 ? &kBands[static_cast<size_t>(band)] : nullptr;
}

}  // namespace orlo::audio
