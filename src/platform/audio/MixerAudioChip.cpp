#include "platform/audio/MixerAudioChip.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "platform/audio/ChipBuffer.h"
#include "platform/audio/ChipProperties.h"
#include "platform/audio/MixerBinding.h"
#include "platform/audio/SoundCardList.h"

namespace orlo::audio {
namespace {

constexpr std::string_view kNoFeatures = "0,0,0,0,0,0,0";

// The channel parameter: none or -1 is every channel, 0 the first; anything else is refused.
std::optional<int> ChannelOf(const ChipBuffer* param) {
  if (!param) return kAllChannels;
  const int32_t c = Int32At(*param, 0);
  if (c == kAllChannels || c == kFirstChannel) return c;
  return std::nullopt;
}

std::string ScalarText(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.4f", v);
  return buf;
}

}  // namespace

MixerAudioChip::MixerAudioChip(int card, std::string procRoot, MixerOpener opener)
    : card_(card), root_(std::move(procRoot)), opener_(std::move(opener)) {}

int MixerAudioChip::ConfLibInit() {
  if (!mixer_ && opener_) mixer_ = opener_(card_);
  return mixer_ ? kChipOk : kChipFailed;
}

int MixerAudioChip::CreateDeviceList() {
  playback_.clear();
  capture_.clear();
  for (bool capture : {false, true}) {
    for (int d : ListPcmDevices(root_, card_, capture)) {
      EndpointRecord r{card_ * 256 + d, capture ? kCaptureType : kPlaybackType, d, kEndpointActive};
      (capture ? capture_ : playback_).push_back(r);
    }
  }
  return kChipOk;
}

const std::vector<EndpointRecord>& MixerAudioChip::List(Flow flow) const {
  return flow == Flow::kRecording ? capture_ : playback_;
}

int MixerAudioChip::GetDeviceCount(Flow flow, uint32_t& count) {
  count = static_cast<uint32_t>(List(flow).size());
  return kChipOk;
}

int MixerAudioChip::GetDeviceById(Flow flow, uint32_t index, EndpointRecord& record) {
  const auto& list = List(flow);
  if (index >= list.size()) return kChipNotReady;
  record = list[index];
  return kChipOk;
}

bool MixerAudioChip::Known(const EndpointRecord& r, Flow& flow) const {
  for (Flow f : {Flow::kPlayback, Flow::kRecording}) {
    for (const auto& e : List(f)) {
      if (e == r) {
        flow = f;
        return true;
      }
    }
  }
  return false;
}

int MixerAudioChip::PropertyControl(EndpointRecord endpoint, std::u16string_view name, ChipBuffer& value,
                                    ChipBuffer* param, PropertyMode mode) {
  Flow flow;
  if (!mixer_ || !Known(endpoint, flow)) return kChipNotReady;
  const std::string property = FromChipName(name);
  if (property == prop::kSupportFeature) {
    if (mode != PropertyMode::kGet) return kChipUnsupported;
    value = {};
    PutText(value, kNoFeatures);
    return kChipOk;
  }
  const MixerBinding* b = FindMixerBinding(property);
  if (!b || b->flow != flow) return kChipUnsupported;
  return Bound(*b, value, param, mode);
}

int MixerAudioChip::Bound(const MixerBinding& b, ChipBuffer& value, const ChipBuffer* param, PropertyMode mode) {
  const bool get = mode == PropertyMode::kGet;
  for (std::string_view name : b.controls) {
    if (name.empty()) continue;
    const std::string control(name);
    switch (b.aspect) {
      case MixerAspect::kLevel: {
        auto range = mixer_->VolumeRange(control, b.direction);
        if (!range || range->second <= range->first) continue;
        const auto channel = ChannelOf(param);
        if (!channel) return kChipBadValue;
        const double span = static_cast<double>(range->second - range->first);
        if (get) {
          auto raw = mixer_->Volume(control, b.direction, *channel);
          if (!raw) return kChipFailed;
          value = {};
          PutText(value, ScalarText(static_cast<double>(*raw - range->first) / span));
          return kChipOk;
        }
        const float v = FloatAt(value, 0);
        if (!std::isfinite(v) || v < 0.0f || v > 1.0f) return kChipBadValue;
        const long raw = range->first + std::lround(static_cast<double>(v) * span);
        return mixer_->SetVolume(control, b.direction, *channel, raw) ? kChipOk : kChipFailed;
      }
      case MixerAspect::kMute: {
        if (!mixer_->HasSwitch(control, b.direction)) continue;
        if (get) {
          auto on = mixer_->Switch(control, b.direction, kAllChannels);
          if (!on) return kChipFailed;
          value = {};
          PutText(value, *on ? "0" : "1");
          return kChipOk;
        }
        const int32_t muted = Int32At(value, 0);
        if (muted != 0 && muted != 1) return kChipBadValue;
        return mixer_->SetSwitch(control, b.direction, kAllChannels, muted == 0) ? kChipOk : kChipFailed;
      }
      case MixerAspect::kMaxLevel: {
        auto range = mixer_->VolumeRange(control, b.direction);
        if (!range || range->second <= range->first) continue;
        if (!get) return kChipUnsupported;
        value = {};
        PutText(value, std::to_string(range->second));
        return kChipOk;
      }
    }
  }
  return kChipUnsupported;
}

}  // namespace orlo::audio
