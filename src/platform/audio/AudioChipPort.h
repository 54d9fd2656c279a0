#pragma once
// The driver's handle on the audio chip. It starts the chip and chooses its two endpoints,
// keeps their feature values, and makes the property calls: zeroed 1024-byte buffers, the
// value and parameters written as the chip takes them, the answer handed back as text for the
// ChipText helpers.
//
// Start():
//   ConfLibInit (a non-zero result is reported, the start goes on); CreateDeviceList; with at
//   least one playback endpoint the endpoints are chosen:
//     playback  — the first active endpoint of type 1, else of type 12, then 7, then 4;
//     recording — the first endpoint of type 2, active or not;
//   then "GetSupportFeature" is asked on the recording endpoint, then on the playback one.
//   An endpoint not found is never asked: calls on its flow answer kChipNotReady.
//
// A port without a chip (the component could not be loaded) calls nothing, and every call
// answers kChipNotReady, so the driver keeps the profile's values.
//
// Each property call is traced as one line, to the command trace when it is on (or to a hook):
//   芯片 PropertyControl playback|recording get|set NAME [value=V] [param=a,b,c] result=R
// value is the value sent by a set, or the answer of a successful get.
//
// Not thread-safe: one caller at a time (the UI thread).
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/audio/AudioChip.h"

namespace orlo::audio {

struct ChipAnswer {
  int result = kChipNotReady;
  std::string text;  // the answer of a successful get, else empty

  bool Ok() const { return result == kChipOk; }
};

struct ChipEndpoint {
  bool found = false;
  EndpointRecord record;  // all zero when not found
  // "GetSupportFeature" gave at least seven fields with usable feature values. When it did
  // not (the driver then tells the user), the features stay 0.
  bool featuresRead = false;
  std::array<int32_t, 3> features{};  // fields 0, 4 and 6 of the answer
};

struct ChipStart {
  bool loaded = false;          // there was a chip to start
  int initResult = kChipNotReady;  // ConfLibInit's result, 0 = ready
  uint32_t playbackCount = 0;   // playback endpoints the chip listed
  uint32_t recordingCount = 0;  // recording endpoints (0 when there was no playback endpoint)
};

class AudioChipPort {
 public:
  using TraceHook = std::function<void(const std::string&)>;

  // Most endpoints of a flow that are looked at; a larger count from the chip is cut.
  static constexpr uint32_t kMaxEndpoints = 64;

  explicit AudioChipPort(std::shared_ptr<IAudioChip> chip = nullptr);

  bool Loaded() const { return chip_ != nullptr; }
  ChipStart Start();
  const ChipEndpoint& Endpoint(Flow flow) const;
  // The recording endpoint's features say the chip has the voice changer.
  bool OffersVoiceChanger() const;

  ChipAnswer Get(Flow flow, std::string_view name, const std::vector<int32_t>& param = {});
  int SetInt(Flow flow, std::string_view name, int32_t value, const std::vector<int32_t>& param = {});
  int SetFloat(Flow flow, std::string_view name, float value, const std::vector<int32_t>& param = {});

  // Trace lines go to hook instead of the command trace; an empty hook restores the trace.
  void SetTraceHook(TraceHook hook) { traceHook_ = std::move(hook); }

 private:
  struct Call;
  int Control(const Call& call, ChipAnswer* answer);
  void Trace(const Call& call, const ChipAnswer* answer, int result) const;
  void ChooseEndpoints(ChipStart& start);
  void ReadFeatures(Flow flow);

  std::shared_ptr<IAudioChip> chip_;
  std::array<ChipEndpoint, 2> endpoints_{};
  TraceHook traceHook_;
};

}  // namespace orlo::audio
