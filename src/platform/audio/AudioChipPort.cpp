#include "platform/audio/AudioChipPort.h"

#include <optional>

#include "platform/DebugLog.h"
#include "platform/audio/ChipBuffer.h"
#include "platform/audio/ChipProperties.h"
#include "platform/audio/ChipText.h"

namespace orlo::audio {
namespace {

size_t Index(Flow flow) { return flow == Flow::kRecording ? 1 : 0; }
const char* FlowWord(Flow flow) { return flow == Flow::kRecording ? "recording" : "playback"; }

// Answers come from outside: the trace shows printable ASCII only, and not too much of it.
std::string Printable(std::string_view text) {
  constexpr size_t kMax = 80;
  std::string out;
  for (char c : text.substr(0, kMax)) out += (c >= 0x20 && c < 0x7F) ? c : '?';
  if (text.size() > kMax) out += "...";
  return out;
}

// Playback preference: the first active endpoint of the first of these types that has one.
constexpr int32_t kPlaybackTypes[] = {1, 12, 7, 4};
constexpr int32_t kRecordingType = 2;

}  // namespace

struct AudioChipPort::Call {
  Flow flow;
  std::string_view name;
  PropertyMode mode;
  const std::vector<int32_t>* param;
  std::optional<int32_t> intValue;
  std::optional<float> floatValue;
};

AudioChipPort::AudioChipPort(std::shared_ptr<IAudioChip> chip) : chip_(std::move(chip)) {}

const ChipEndpoint& AudioChipPort::Endpoint(Flow flow) const { return endpoints_[Index(flow)]; }

bool AudioChipPort::OffersVoiceChanger() const {
  const ChipEndpoint& rec = Endpoint(Flow::kRecording);
  return rec.found && (rec.features[0] & kVoiceChangerFeature) != 0;
}

ChipStart AudioChipPort::Start() {
  ChipStart start;
  endpoints_ = {};
  if (!chip_) return start;
  start.loaded = true;
  start.initResult = chip_->ConfLibInit();
  chip_->CreateDeviceList();
  uint32_t count = 0;
  if (chip_->GetDeviceCount(Flow::kPlayback, count) != kChipOk) count = 0;
  start.playbackCount = count;
  if (count == 0) return start;
  ChooseEndpoints(start);
  ReadFeatures(Flow::kRecording);
  ReadFeatures(Flow::kPlayback);
  return start;
}

void AudioChipPort::ChooseEndpoints(ChipStart& start) {
  auto list = [this](Flow flow, uint32_t& count) {
    std::vector<EndpointRecord> records;
    if (chip_->GetDeviceCount(flow, count) != kChipOk) count = 0;
    for (uint32_t i = 0; i < count && i < kMaxEndpoints; ++i) {
      EndpointRecord r;
      if (chip_->GetDeviceById(flow, i, r) == kChipOk) records.push_back(r);
    }
    return records;
  };

  const auto playback = list(Flow::kPlayback, start.playbackCount);
  for (int32_t type : kPlaybackTypes) {
    ChipEndpoint& ep = endpoints_[Index(Flow::kPlayback)];
    for (const auto& r : playback) {
      if (r.type == type && r.state == kEndpointActive) {
        ep.found = true;
        ep.record = r;
        break;
      }
    }
    if (ep.found) break;
  }

  const auto recording = list(Flow::kRecording, start.recordingCount);
  for (const auto& r : recording) {
    if (r.type == kRecordingType) {
      endpoints_[Index(Flow::kRecording)] = {true, r, false, {}};
      break;
    }
  }
}

void AudioChipPort::ReadFeatures(Flow flow) {
  ChipEndpoint& ep = endpoints_[Index(flow)];
  if (!ep.found) return;
  const ChipAnswer a = Get(flow, prop::kSupportFeature);
  const auto features = a.Ok() ? ParseSupportFeature(a.text) : std::nullopt;
  ep.featuresRead = features.has_value();
  ep.features = features.value_or(std::array<int32_t, 3>{});
}

ChipAnswer AudioChipPort::Get(Flow flow, std::string_view name, const std::vector<int32_t>& param) {
  ChipAnswer answer;
  Control({flow, name, PropertyMode::kGet, &param, std::nullopt, std::nullopt}, &answer);
  return answer;
}

int AudioChipPort::SetInt(Flow flow, std::string_view name, int32_t value, const std::vector<int32_t>& param) {
  return Control({flow, name, PropertyMode::kSet, &param, value, std::nullopt}, nullptr);
}

int AudioChipPort::SetFloat(Flow flow, std::string_view name, float value, const std::vector<int32_t>& param) {
  return Control({flow, name, PropertyMode::kSet, &param, std::nullopt, value}, nullptr);
}

int AudioChipPort::Control(const Call& call, ChipAnswer* answer) {
  int result = kChipNotReady;
  const ChipEndpoint& ep = Endpoint(call.flow);
  const std::u16string name = ToChipName(call.name);
  if (chip_ && ep.found && name.empty()) {
    result = kChipUnsupported;
  } else if (chip_ && ep.found) {
    ChipBuffer value{};
    if (call.intValue) PutInt32(value, 0, *call.intValue);
    if (call.floatValue) PutFloat(value, 0, *call.floatValue);
    std::optional<ChipBuffer> param;
    if (!call.param->empty()) param = BufferOfInts(*call.param);
    result = chip_->PropertyControl(ep.record, name, value, param ? &*param : nullptr, call.mode);
    if (answer && result == kChipOk) answer->text = std::string(TextOf(value));
  }
  if (answer) answer->result = result;
  Trace(call, answer, result);
  return result;
}

void AudioChipPort::Trace(const Call& call, const ChipAnswer* answer, int result) const {
  if (!traceHook_ && !TraceEnabled()) return;
  std::string line = "芯片 PropertyControl ";
  line += FlowWord(call.flow);
  line += call.mode == PropertyMode::kGet ? " get " : " set ";
  line += Printable(call.name);
  if (call.intValue) line += " value=" + std::to_string(*call.intValue);
  if (call.floatValue) line += " value=" + ChipFloatText(*call.floatValue);
  if (answer && answer->Ok()) line += " value=" + Printable(answer->text);
  if (!call.param->empty()) {
    line += " param=";
    for (size_t i = 0; i < call.param->size(); ++i) line += (i ? "," : "") + std::to_string((*call.param)[i]);
  }
  line += " result=" + std::to_string(result);
  if (traceHook_) {
    traceHook_(line);
  } else {
    TraceLine(line);
  }
}

}  // namespace orlo::audio
