#pragma once
// The simulated headset's audio chip: it answers every property the headset driver uses
// (volumes, mutes, monitoring, equaliser switch and bands, surround and room effects, voice
// changer, "GetSupportFeature") on a playback and a recording endpoint, checks each set against
// the property's endpoint and range, and keeps what was set so that tests and orloctl can read
// it back. Faults can be injected: a failing start, a property that answers a given result, a
// get that answers given text.
//
// Factory state: one active playback endpoint (type 1) and one recording endpoint (type 2);
// microphone level 0.8, not muted; monitoring level 0.5, muted; equaliser off with ten flat
// bands; every effect off; the recording endpoint's features offer the voice changer.
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "platform/audio/AudioChip.h"

namespace orlo::sim {

class SimAudioChip : public audio::IAudioChip {
 public:
  static constexpr audio::EndpointRecord kPlaybackEndpoint{1, 1, 0, audio::kEndpointActive};
  static constexpr audio::EndpointRecord kRecordingEndpoint{2, 2, 0, audio::kEndpointActive};
  // Answer of "GetAAMaxVol".
  static constexpr int32_t kMonitorMaxVolume = 100;

  struct CallRecord {
    audio::Flow flow;
    std::string name;
    audio::PropertyMode mode;
    int result;
  };

  SimAudioChip();

  int ConfLibInit() override;
  int CreateDeviceList() override;
  int GetDeviceCount(audio::Flow flow, uint32_t& count) override;
  int GetDeviceById(audio::Flow flow, uint32_t index, audio::EndpointRecord& record) override;
  int PropertyControl(audio::EndpointRecord endpoint, std::u16string_view name, audio::ChipBuffer& value,
                      audio::ChipBuffer* param, audio::PropertyMode mode) override;

  // ---- Reading back ----------------------------------------------------------------------------
  // The value a property holds (nothing for another type, an unknown name or the wrong flow).
  std::optional<int32_t> IntValue(audio::Flow flow, std::string_view name) const;
  std::optional<float> FloatValue(audio::Flow flow, std::string_view name) const;
  // Every property call, in order.
  std::vector<CallRecord> Calls() const;
  void ClearCalls();

  // ---- Set-up and faults ---------------------------------------------------------------------
  // ConfLibInit answers result (0 = ready; anything else leaves the chip unusable).
  void SetInitResult(int result);
  // The endpoints CreateDeviceList lists for a flow.
  void SetEndpoints(audio::Flow flow, std::vector<audio::EndpointRecord> endpoints);
  // Every call on the property answers result and changes nothing; kChipOk clears the fault.
  void SetPropertyResult(std::string_view name, int result);
  // A get of the property on that flow answers text as it is; nothing restores the value.
  void SetAnswer(audio::Flow flow, std::string_view name, std::optional<std::string> text);
  // Back to the factory state, faults and call log cleared.
  void Reset();

 private:
  using Value = std::variant<int32_t, float, std::string>;
  using Key = std::pair<audio::Flow, std::string>;

  int Control(audio::Flow flow, const std::string& name, audio::ChipBuffer& value, const audio::ChipBuffer* param,
              audio::PropertyMode mode);
  bool FlowOf(const audio::EndpointRecord& endpoint, audio::Flow& flow) const;
  void FactoryLocked();

  mutable std::mutex mu_;
  int initResult_ = audio::kChipOk;
  bool ready_ = false;
  bool listed_ = false;
  std::vector<audio::EndpointRecord> endpoints_[2];
  std::map<Key, Value> values_;
  std::map<std::string, int, std::less<>> faults_;
  std::map<Key, std::string> answers_;
  std::vector<CallRecord> calls_;
};

}  // namespace orlo::sim
