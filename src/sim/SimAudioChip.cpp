#include "sim/SimAudioChip.h"

#include <cmath>

#include "platform/audio/ChipBuffer.h"
#include "platform/audio/ChipProperties.h"
#include "platform/audio/ChipText.h"

namespace orlo::sim {

using audio::Flow;
using audio::PropertyMode;
namespace prop = audio::prop;

namespace {

size_t Index(Flow flow) { return flow == Flow::kRecording ? 1 : 0; }

std::string Text(int32_t v) { return std::to_string(v); }
std::string Text(float v) { return audio::ChipFloatText(v); }
std::string Text(const std::string& v) { return v; }

}  // namespace

SimAudioChip::SimAudioChip() { FactoryLocked(); }

void SimAudioChip::FactoryLocked() {
  initResult_ = audio::kChipOk;
  ready_ = false;
  listed_ = false;
  endpoints_[Index(Flow::kPlayback)] = {kPlaybackEndpoint};
  endpoints_[Index(Flow::kRecording)] = {kRecordingEndpoint};
  faults_.clear();
  answers_.clear();
  calls_.clear();
  values_.clear();
  const Flow rec = Flow::kRecording, play = Flow::kPlayback;
  auto put = [this](Flow f, std::string_view n, Value v) { values_[{f, std::string(n)}] = std::move(v); };
  put(rec, prop::kVolumeScalar, 0.8f);
  put(rec, prop::kVolume, 0.0f);
  put(rec, prop::kMute, 0);
  put(rec, prop::kMonitorVolumeScalar, 0.5f);
  put(rec, prop::kMonitorVolume, 0.0f);
  put(rec, prop::kMonitorMute, 1);
  put(rec, prop::kMonitorMaxVolume, kMonitorMaxVolume);
  put(rec, prop::kVoiceChanger, 0);
  put(rec, prop::kVoiceChangerType, 0);
  put(rec, prop::kMicEcho, 0);
  put(rec, prop::kNoiseReduction, 0);
  put(rec, prop::kSupportFeature, std::string("131072,0,0,0,0,0,0"));
  put(play, prop::kEqualiser, 0);
  for (int b = 0; b < audio::kEqBandCount; ++b) put(play, audio::EqBandName(b), 0);
  put(play, prop::kSurround, 0);
  put(play, prop::kRoomEffect, 0);
  put(play, prop::kRoomEnvironment, 0);
  put(play, prop::kRoomSize, 0);
  put(play, prop::kSupportFeature, std::string("0,0,0,0,0,0,0"));
}

int SimAudioChip::ConfLibInit() {
  std::lock_guard lock(mu_);
  ready_ = initResult_ == audio::kChipOk;
  return initResult_;
}

int SimAudioChip::CreateDeviceList() {
  std::lock_guard lock(mu_);
  if (!ready_) return audio::kChipNotReady;
  listed_ = true;
  return audio::kChipOk;
}

int SimAudioChip::GetDeviceCount(Flow flow, uint32_t& count) {
  std::lock_guard lock(mu_);
  count = listed_ ? static_cast<uint32_t>(endpoints_[Index(flow)].size()) : 0;
  return listed_ ? audio::kChipOk : audio::kChipNotReady;
}

int SimAudioChip::GetDeviceById(Flow flow, uint32_t index, audio::EndpointRecord& record) {
  std::lock_guard lock(mu_);
  const auto& list = endpoints_[Index(flow)];
  if (!listed_ || index >= list.size()) return audio::kChipNotReady;
  record = list[index];
  return audio::kChipOk;
}

bool SimAudioChip::FlowOf(const audio::EndpointRecord& endpoint, Flow& flow) const {
  for (Flow f : {Flow::kPlayback, Flow::kRecording}) {
    for (const auto& e : endpoints_[Index(f)]) {
      if (e == endpoint) {
        flow = f;
        return true;
      }
    }
  }
  return false;
}

int SimAudioChip::PropertyControl(audio::EndpointRecord endpoint, std::u16string_view name, audio::ChipBuffer& value,
                                  audio::ChipBuffer* param, PropertyMode mode) {
  std::lock_guard lock(mu_);
  Flow flow = Flow::kPlayback;
  const std::string property = audio::FromChipName(name);
  int result = audio::kChipNotReady;
  if (ready_ && listed_ && FlowOf(endpoint, flow)) result = Control(flow, property, value, param, mode);
  calls_.push_back({flow, property, mode, result});
  return result;
}

int SimAudioChip::Control(Flow flow, const std::string& name, audio::ChipBuffer& value, const audio::ChipBuffer* param,
                          PropertyMode mode) {
  const audio::ChipProperty* p = audio::FindChipProperty(name);
  if (!p) return audio::kChipUnsupported;
  if (auto f = faults_.find(name); f != faults_.end()) return f->second;
  const bool bothFlows = p->name == prop::kSupportFeature;
  if (!bothFlows && p->flow != flow) return audio::kChipUnsupported;
  const Key key{flow, name};

  if (mode == PropertyMode::kGet) {
    value = {};
    if (auto a = answers_.find(key); a != answers_.end()) {
      audio::PutText(value, a->second);
    } else {
      auto v = values_.find(key);
      if (v == values_.end()) return audio::kChipFailed;
      audio::PutText(value, std::visit([](const auto& x) { return Text(x); }, v->second));
    }
    return audio::kChipOk;
  }

  if (mode != PropertyMode::kSet || p->kind == audio::ValueKind::kGetOnly) return audio::kChipUnsupported;
  if (p->channel && param) {
    const int32_t channel = audio::Int32At(*param, 0);
    if (channel != audio::kAllChannels && channel != audio::kFirstChannel) return audio::kChipBadValue;
  }
  if (p->kind == audio::ValueKind::kFloat) {
    const float v = audio::FloatAt(value, 0);
    if (!std::isfinite(v) || v < p->min || v > p->max) return audio::kChipBadValue;
    values_[key] = v;
  } else {
    const int32_t v = audio::Int32At(value, 0);
    if (v < p->min || v > p->max) return audio::kChipBadValue;
    values_[key] = v;
  }
  return audio::kChipOk;
}

std::optional<int32_t> SimAudioChip::IntValue(Flow flow, std::string_view name) const {
  std::lock_guard lock(mu_);
  auto v = values_.find({flow, std::string(name)});
  if (v == values_.end() || !std::holds_alternative<int32_t>(v->second)) return std::nullopt;
  return std::get<int32_t>(v->second);
}

std::optional<float> SimAudioChip::FloatValue(Flow flow, std::string_view name) const {
  std::lock_guard lock(mu_);
  auto v = values_.find({flow, std::string(name)});
  if (v == values_.end() || !std::holds_alternative<float>(v->second)) return std::nullopt;
  return std::get<float>(v->second);
}

std::vector<SimAudioChip::CallRecord> SimAudioChip::Calls() const {
  std::lock_guard lock(mu_);
  return calls_;
}

void SimAudioChip::ClearCalls() {
  std::lock_guard lock(mu_);
  calls_.clear();
}

void SimAudioChip::SetInitResult(int result) {
  std::lock_guard lock(mu_);
  initResult_ = result;
}

void SimAudioChip::SetEndpoints(Flow flow, std::vector<audio::EndpointRecord> endpoints) {
  std::lock_guard lock(mu_);
  endpoints_[Index(flow)] = std::move(endpoints);
}

void SimAudioChip::SetPropertyResult(std::string_view name, int result) {
  std::lock_guard lock(mu_);
  if (result == audio::kChipOk) {
    faults_.erase(std::string(name));
  } else {
    faults_[std::string(name)] = result;
  }
}

void SimAudioChip::SetAnswer(Flow flow, std::string_view name, std::optional<std::string> text) {
  std::lock_guard lock(mu_);
  const Key key{flow, std::string(name)};
  if (text) {
    answers_[key] = std::move(*text);
  } else {
    answers_.erase(key);
  }
}

void SimAudioChip::Reset() {
  std::lock_guard lock(mu_);
  FactoryLocked();
}

}  // namespace orlo::sim
