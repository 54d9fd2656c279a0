#include "device/headset/TessaroRO6533Device.h"

#include <algorithm>
#include <cctype>

#include "base/DeviceKinds.h"
#include "platform/DebugLog.h"
#include "platform/audio/ChipProperties.h"
#include "platform/audio/ChipText.h"
#include "profile/HeadsetEqPresets.h"

namespace orlo {

using audio::Flow;
namespace prop = audio::prop;

namespace {

constexpr Flow kPlay = Flow::kPlayback;
constexpr Flow kRec = Flow::kRecording;

std::string Lower(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return s;
}

}  // namespace

CTessaroRO6533Device::CTessaroRO6533Device(std::shared_ptr<hid::HidBackend> backend)
    : CLightStripDevice(std::move(backend), kKindHeadset, kLedCount, kHeadsetKindIndex, "headset",
                        {.hueStride = 16, .curveStride = 10, .curveStep = 3, .curveOffset = 0}),
      chipReason_("no sound card of the headset was found") {
  profile_.SetProfileKindIndex(kHeadsetKindIndex);
  profile_.SetDefaultPath(DefaultDocumentPath());
}

CTessaroRO6533Device::~CTessaroRO6533Device() {
  // The worker and the threads call into this object: stop them before its members go.
  StopStrip();
}

// ---- chip ------------------------------------------------------------------------------------

void CTessaroRO6533Device::SetAudioChip(std::shared_ptr<audio::IAudioChip> chip, std::string reason) {
  std::lock_guard lock(chipLock_);
  chip_ = audio::AudioChipPort(std::move(chip));
  chipStarted_ = false;
  chipUsable_ = false;
  if (!reason.empty()) chipReason_ = std::move(reason);
}

bool CTessaroRO6533Device::StartAudioChip() {
  bool loaded;
  {
    std::lock_guard lock(chipLock_);
    if (chipUsable_) return true;
    loaded = chip_.Loaded();
  }
  // A headset without its sound card may find it on a later connection.
  if (!loaded && chipSource_) {
    const InterfaceEntry& slot = SlotEntry();
    auto [chip, reason] = chipSource_(slot.devicePath, slot.vendorId, slot.productId);
    SetAudioChip(std::move(chip), std::move(reason));
  }
  {
    std::lock_guard lock(chipLock_);
    if (chipStarted_) return false;  // a chip that failed to start is not started again
    chipStarted_ = true;
    if (!chip_.Loaded()) return false;
    const audio::ChipStart start = chip_.Start();
    if (start.initResult != audio::kChipOk) {
      chipReason_ = "the audio chip could not be prepared (" + std::to_string(start.initResult) + ")";
      DebugLine("ConfLibInit called failed!");
      return false;
    }
    if (!chip_.Endpoint(kPlay).found) {
      chipReason_ = "the audio chip has no playback endpoint";
      return false;
    }
    if (chip_.Endpoint(kRec).found && !chip_.Endpoint(kRec).featuresRead) DebugLine("UpdateAPOAvailable failed!");
    chipUsable_ = true;
    chipReason_.clear();
    ConfigureChipDefaults();
  }
  ReadChipState();
  return true;
}

bool CTessaroRO6533Device::ChipAvailable() const {
  std::lock_guard lock(chipLock_);
  return chipUsable_;
}

std::string CTessaroRO6533Device::ChipUnavailableReason() const {
  std::lock_guard lock(chipLock_);
  return chipUsable_ ? std::string() : chipReason_;
}

// Every property the driver relies on: what the chip does not answer starts at 0. Chip lock held.
void CTessaroRO6533Device::ConfigureChipDefaults() {
  struct Default {
    Flow flow;
    std::string name;
    bool isFloat;
    std::vector<int32_t> param;
  };
  std::vector<Default> order = {
      {kPlay, std::string(prop::kSurround), false, {4, -1, 0}},
      {kRec, std::string(prop::kNoiseReduction), false, {}},
      {kRec, std::string(prop::kVolume), true, {audio::kAllChannels}},
      {kPlay, std::string(prop::kEqualiser), false, {}},
  };
  for (int b = 0; b < kBandCount; ++b) order.push_back({kPlay, audio::EqBandName(b), false, {}});
  for (auto name : {prop::kRoomEffect, prop::kRoomEnvironment, prop::kRoomSize})
    order.push_back({kPlay, std::string(name), false, {}});
  order.push_back({kRec, std::string(prop::kMute), false, {}});
  order.push_back({kRec, std::string(prop::kVolumeScalar), true, {audio::kAllChannels}});
  order.push_back({kRec, std::string(prop::kMonitorVolume), true, {audio::kFirstChannel}});
  order.push_back({kRec, std::string(prop::kMonitorMute), false, {}});
  order.push_back({kRec, std::string(prop::kMonitorVolumeScalar), true, {audio::kFirstChannel}});
  order.push_back({kRec, std::string(prop::kVoiceChanger), false, {}});
  order.push_back({kRec, std::string(prop::kVoiceChangerType), false, {}});
  for (const Default& d : order) {
    if (chip_.Get(d.flow, d.name, d.param).Ok()) continue;
    if (d.isFloat)
      chip_.SetFloat(d.flow, d.name, 0.0f, d.param);
    else
      chip_.SetInt(d.flow, d.name, 0, d.param);
  }
}

// The chip's state into the stages; an answer that cannot be read leaves the stage as it was.
void CTessaroRO6533Device::ReadChipState() {
  HeadsetSystemSetStages s = Stages();
  {
    std::lock_guard lock(chipLock_);
    if (!chipUsable_) return;
    if (auto a = chip_.Get(kRec, prop::kMute); a.Ok())
      if (auto muted = audio::ParseChipFlag(a.text)) s.micInSelect = *muted ? 0 : 1;
    if (auto a = chip_.Get(kRec, prop::kVolumeScalar, {audio::kAllChannels}); a.Ok())
      if (auto level = audio::LevelFromChipScalar(a.text)) s.micInValue = *level;
    if (chip_.Get(kRec, prop::kMonitorMaxVolume).Ok()) {
      if (auto a = chip_.Get(kRec, prop::kMonitorMute); a.Ok())
        if (auto muted = audio::ParseChipFlag(a.text)) s.micMonitorSelect = *muted ? 0 : 1;
      if (auto a = chip_.Get(kRec, prop::kMonitorVolumeScalar, {audio::kFirstChannel}); a.Ok())
        if (auto level = audio::LevelFromChipScalar(a.text)) s.micMonitorValue = *level;
    }
    if (chip_.OffersVoiceChanger())
      if (auto a = chip_.Get(kRec, prop::kVoiceChanger); a.Ok())
        if (auto on = audio::ParseChipFlag(a.text)) s.magicEnable = *on ? 1 : 0;
    if (auto a = chip_.Get(kRec, prop::kVoiceChangerType); a.Ok())
      if (auto t = audio::ParseChipIntIn(a.text, 0, audio::kVoiceChangerTypes - 1)) s.magicType = *t + 1;
  }
  auto lock = ModelLock();
  stages_ = s;
}

// ---- profile ---------------------------------------------------------------------------------

void CTessaroRO6533Device::LoadDeviceState() {
  auto lock = ModelLock();
  stages_ = profile_.GetSystemSetStages();
  bands_ = stages_.eqType == kCustomEqType ? profile_.GetCustomEQValues(stages_.customEqSelectIndex)
                                           : profile_.GetEQValues(stages_.eqType);
  customNames_ = profile_.GetCustomEQNames();
}

void CTessaroRO6533Device::ResetDocument() { profile_.LoadDefaultSectionKeepingCustomEq(); }

void CTessaroRO6533Device::OnFirstContact() {
  LoadCatalogues();
  ReadInformation();
  ReadActiveSettings();
  LoadProfile();
  // Back again (replugged): the lighting goes to it as stored, unless it runs a profile of its own.
  if (MarkContacted()) RestoreSettings();
  StartAudioChip();
  ReadChipState();
  NotifyProfileState();
  StopLightThread();
  StartLightThread();
}

void CTessaroRO6533Device::PollBattery() {
  CDeviceLink& l = link();
  if (!l.IsOpen()) return;
  uint8_t power[6] = {};
  if (l.ReadRange(power, sizeof power, 0) != 1) return;
  power[3] = 0;  // always on its cable
  if (auto* o = observer_.load()) o->OnPowerChanged(power, 6);
}

HeadsetSystemSetStages CTessaroRO6533Device::Stages() const {
  auto lock = ModelLock();
  return stages_;
}

std::vector<int32_t> CTessaroRO6533Device::Bands() const {
  auto lock = ModelLock();
  return bands_;
}

std::vector<std::string> CTessaroRO6533Device::CustomEqNames() const {
  auto lock = ModelLock();
  return customNames_;
}

int CTessaroRO6533Device::StoreIfTaken(int result, const std::function<void(HeadsetSystemSetStages&)>& change) {
  if (result != audio::kChipOk) return result;
  HeadsetSystemSetStages s = Stages();
  change(s);
  StoreStages(s);
  return result;
}

void CTessaroRO6533Device::StoreStages(const HeadsetSystemSetStages& stages) {
  auto lock = ModelLock();
  stages_ = stages;
  profile_.SetSystemSetStages(stages);
  profile_.Save();
}

// ---- LED frame -------------------------------------------------------------------------------

int CTessaroRO6533Device::SendLedFrame() {
  if (!lightControl_) return 0;
  LedComponents red, green, blue;
  LedFrameComponents(ledState(), red, green, blue);
  int sent = 0;
  // Every report goes out whatever became of the one before: a missing headset simply fails.
  for (const LedReport& r : BuildLedReports(red, green, blue)) sent += link().WriteOutputReport(r.data(), r.size()) == kLinkOk;
  return sent;
}

// ---- voice operations ------------------------------------------------------------------------

int CTessaroRO6533Device::SetMicLevel(int level) {
  level = std::clamp(level, 0, CRo6533Profiledata::kMaxLevel);
  std::lock_guard chip(chipLock_);
  const int r = chip_.SetFloat(kRec, prop::kVolumeScalar, audio::ChipScalarFromLevel(level), {audio::kAllChannels});
  return StoreIfTaken(r, [&](HeadsetSystemSetStages& s) { s.micInValue = level; });
}

int CTessaroRO6533Device::SetMonitorLevel(int level) {
  level = std::clamp(level, 0, CRo6533Profiledata::kMaxLevel);
  std::lock_guard chip(chipLock_);
  const int r =
      chip_.SetFloat(kRec, prop::kMonitorVolumeScalar, audio::ChipScalarFromLevel(level), {audio::kFirstChannel});
  return StoreIfTaken(r, [&](HeadsetSystemSetStages& s) { s.micMonitorValue = level; });
}

int CTessaroRO6533Device::SetMicOn(bool on) {
  std::lock_guard chip(chipLock_);
  const int r = chip_.SetInt(kRec, prop::kMute, on ? 0 : 1);
  return StoreIfTaken(r, [&](HeadsetSystemSetStages& s) { s.micInSelect = on ? 1 : 0; });
}

int CTessaroRO6533Device::SetMonitorOn(bool on) {
  std::lock_guard chip(chipLock_);
  const int r = chip_.SetInt(kRec, prop::kMonitorMute, on ? 0 : 1);
  return StoreIfTaken(r, [&](HeadsetSystemSetStages& s) { s.micMonitorSelect = on ? 1 : 0; });
}

// Chip lock held.
int CTessaroRO6533Device::SendBands(const std::vector<int32_t>& bands) {
  int result = chip_.SetInt(kPlay, prop::kEqualiser, 1);
  for (int b = 0; b < kBandCount && b < static_cast<int>(bands.size()); ++b) {
    const int r = chip_.SetInt(kPlay, audio::EqBandName(b), bands[static_cast<size_t>(b)]);
    if (result == audio::kChipOk) result = r;
  }
  return result;
}

int CTessaroRO6533Device::ApplyEqPreset(int type) {
  if (type == 0) return audio::kChipOk;
  if (type == kCustomEqType) return ApplyCustomEq(Stages().customEqSelectIndex);
  const auto preset = EqPresetBands(type);
  if (!preset) return audio::kChipBadValue;
  const std::vector<int32_t> bands(preset->begin(), preset->end());
  std::lock_guard chip(chipLock_);
  // The bands and the type are kept even when the chip refused one: the page shows the preset
  // chosen, and the next start sends it again.
  const int r = SendBands(bands);
  HeadsetSystemSetStages s = Stages();
  s.eqType = type;
  {
    auto lock = ModelLock();
    bands_ = bands;
    profile_.SetEQValues(type, bands);
  }
  StoreStages(s);
  return r;
}

int CTessaroRO6533Device::SetEqBand(int band, int value) {
  if (band < 0 || band >= kBandCount) return audio::kChipBadValue;
  value = std::clamp<int>(value, audio::kEqBandMin, audio::kEqBandMax);
  std::lock_guard chip(chipLock_);
  {
    auto lock = ModelLock();
    if (stages_.eqType != kCustomEqType) {
      stages_.eqType = kCustomEqType;
      stages_.customEqSelectIndex = -1;
    }
    if (bands_.size() < static_cast<size_t>(kBandCount)) bands_.resize(kBandCount, 0);
    bands_[static_cast<size_t>(band)] = value;
  }
  return chip_.SetInt(kPlay, audio::EqBandName(band), value);
}

int CTessaroRO6533Device::ApplyCustomEq(int slot) {
  if (slot < 0 || slot >= static_cast<int>(CustomEqNames().size())) return audio::kChipBadValue;
  std::vector<int32_t> bands;
  {
    auto lock = ModelLock();
    bands = profile_.GetCustomEQValues(slot);
  }
  std::lock_guard chip(chipLock_);
  const int r = SendBands(bands);
  HeadsetSystemSetStages s = Stages();
  s.eqType = kCustomEqType;
  s.customEqSelectIndex = slot;
  {
    auto lock = ModelLock();
    bands_ = bands;
  }
  StoreStages(s);
  return r;
}

int CTessaroRO6533Device::SaveCustomEq(const std::string& name, const std::vector<int32_t>& bands) {
  auto lock = ModelLock();
  if (bands.size() == static_cast<size_t>(kBandCount)) bands_ = bands;
  if (bands_.size() < static_cast<size_t>(kBandCount)) bands_.resize(kBandCount, 0);
  HeadsetSystemSetStages s = stages_;
  if (name.empty()) {
    if (s.customEqSelectIndex < 0 || s.customEqSelectIndex >= static_cast<int>(customNames_.size())) return -1;
    profile_.SetCustomEQValues(s.customEqSelectIndex, bands_);
    StoreStages(s);
    return 1;
  }
  if (customNames_.size() >= static_cast<size_t>(CRo6533Profiledata::kMaxCustomEq)) return -1;
  for (const std::string& n : customNames_)
    if (Lower(n) == Lower(name)) return 0;
  customNames_.push_back(name);
  const int slot = static_cast<int>(customNames_.size()) - 1;
  s.eqType = kCustomEqType;
  s.customEqSelectIndex = slot;
  profile_.SetCustomEQNames(customNames_);
  profile_.SetCustomEQValues(slot, bands_);
  StoreStages(s);
  return 1;
}

void CTessaroRO6533Device::DeleteCustomEq() {
  auto lock = ModelLock();
  HeadsetSystemSetStages s = stages_;
  const int slot = s.customEqSelectIndex;
  if (slot < 0 || slot >= static_cast<int>(customNames_.size())) return;
  // The band lists move up with their names, so every name keeps its own bands.
  std::vector<std::vector<int32_t>> kept;
  for (int i = 0; i < static_cast<int>(customNames_.size()); ++i)
    if (i != slot) kept.push_back(profile_.GetCustomEQValues(i));
  customNames_.erase(customNames_.begin() + slot);
  for (size_t i = 0; i < kept.size(); ++i) profile_.SetCustomEQValues(static_cast<int>(i), kept[i]);
  profile_.SetCustomEQNames(customNames_);
  if (customNames_.empty()) {
    s.eqType = 1;
    s.customEqSelectIndex = -1;
    bands_ = profile_.GetEQValues(1);
  } else {
    s.customEqSelectIndex = 0;
    bands_ = profile_.GetCustomEQValues(0);
  }
  StoreStages(s);
}

int CTessaroRO6533Device::ApplyVoiceSettings() {
  const HeadsetSystemSetStages st = Stages();
  const std::vector<int32_t> bands = Bands();
  std::lock_guard chip(chipLock_);
  int first = audio::kChipOk;
  auto keep = [&first](int r) {
    if (first == audio::kChipOk) first = r;
  };
  keep(chip_.SetFloat(kRec, prop::kVolumeScalar, audio::ChipScalarFromLevel(st.micInValue), {audio::kAllChannels}));
  keep(chip_.SetInt(kRec, prop::kMute, st.micInSelect ? 0 : 1));
  keep(chip_.SetFloat(kRec, prop::kMonitorVolumeScalar, audio::ChipScalarFromLevel(st.micMonitorValue),
                      {audio::kFirstChannel}));
  keep(chip_.SetInt(kRec, prop::kMonitorMute, st.micMonitorSelect ? 0 : 1));
  if (st.eqType != 0) keep(SendBands(bands));
  keep(chip_.SetInt(kRec, prop::kVoiceChanger, st.magicEnable ? 1 : 0));
  if (st.magicEnable) chip_.SetInt(kRec, prop::kMicEcho, 0);
  if (st.magicType >= 1 && st.magicType <= audio::kVoiceChangerTypes)
    keep(chip_.SetInt(kRec, prop::kVoiceChangerType, st.magicType - 1));
  return first;
}

int CTessaroRO6533Device::SetVoiceChangerEnabled(bool on) {
  std::lock_guard chip(chipLock_);
  const int r = chip_.SetInt(kRec, prop::kVoiceChanger, on ? 1 : 0);
  if (r != audio::kChipOk) return r;
  if (on) chip_.SetInt(kRec, prop::kMicEcho, 0);
  HeadsetSystemSetStages s = Stages();
  s.magicEnable = on ? 1 : 0;
  StoreStages(s);
  return r;
}

int CTessaroRO6533Device::SelectVoiceChanger(int type) {
  if (type < 1 || type > audio::kVoiceChangerTypes) return audio::kChipBadValue;
  std::lock_guard chip(chipLock_);
  const int r = chip_.SetInt(kRec, prop::kVoiceChangerType, type - 1);
  return StoreIfTaken(r, [&](HeadsetSystemSetStages& s) { s.magicType = type; });
}

}  // namespace orlo
