#include "device/keyboard/TessaroKeyboardDevice.h"

#include <algorithm>
#include <chrono>
#include <filesystem>

#include "device/keyboard/KeyLightFrame.h"
#include "device/keyboard/KeyLightGroup.h"
#include "device/mouse/EventContainer.h"
#include "macro/MacroCatalogue.h"
#include "platform/DebugLog.h"
#include "profile/JsonFile.h"

namespace orlo {

using keyboard::CKeyPositionMap;
using keyboard::FrameColours;

namespace {

constexpr int kReloadDelayMs = 50;

uint64_t NowMs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

}  // namespace

CTessaroKeyboardDevice::CTessaroKeyboardDevice(std::shared_ptr<hid::HidBackend> backend)
    : CTessaroUSBDevice(std::move(backend), kKindKeyboard, kPositions, kPositions,
                        std::make_unique<CLightPreview>(kPositions)),
      engine_(preview_->Leds()),
      companions_(companionLink(), kCompanionWired, kCompanionReceiver,
                  [this](uint16_t usage, bool) { HandleCompanionUsage(usage); }, "MS 设备同步线程设定退出") {
  SetNames("keyboard", "velko_light");
  profileKindIndex_ = kKeyboardKindIndex;
  profile_.SetProfileKindIndex(kKeyboardKindIndex);
  profile_.SetDefaultPath(DefaultDocumentPath());
}

CTessaroKeyboardDevice::~CTessaroKeyboardDevice() {
  // Threads call into this object: stop them before its members go.
  StopWork();
  StopLightThread();
  companions_.Close(kCompanionWired);
  companions_.Close(kCompanionReceiver);
}

bool CTessaroKeyboardDevice::Guard() { return link().IsOpen() && link().ReceiverGuard(); }

// ---- profile ------------------------------------------------------------------------------

void CTessaroKeyboardDevice::SetProfileKindIndex(int index) {
  auto lock = ModelLock();
  profileKindIndex_ = index;
  profile_.SetDeviceIndex(0);
  profile_.SetProfileKindIndex(index);
}

void CTessaroKeyboardDevice::PrepareProfileFiles() { PrepareProfilePaths(profile_); }

int CTessaroKeyboardDevice::LoadProfile() {
  {
    auto lock = ModelLock();
    PrepareProfileFiles();
    profile_.LoadSection(profile_.GetProfilePath());
    keyList_ = profile_.GetKeyList();
    LoadProfileIntoState();
    profile_.GetSystemStages();
  }
  NotifyProfileState();
  return 1;
}

void CTessaroKeyboardDevice::ReloadProfile() {
  {
    auto lock = ModelLock();
    profile_.SetDefaultPath(DefaultDocumentPath());
    profile_.LoadSection(DefaultDocumentPath());
    keyList_ = profile_.GetKeyList();
    LoadProfileIntoState();
    profile_.GetSystemStages();
    NotifyProfileChanged();
  }
  ApplyProfile();
}

void CTessaroKeyboardDevice::TakeEffect(const LightInfo& effect) {
  preview_->SetEffect(effect);
  engine_.SetEffect(effect);
  gate_.Wake();
  // The per-key colour effect shows the selected group as the profile stores it.
  if (effect.mode == keyboard::CKeyboardLightEngine::kPerKeyColours) LoadGroupIntoLeds();
}

void CTessaroKeyboardDevice::LoadGroupIntoLeds() {
  const int group = profile_.GetCustomLightModeGroupIndex();
  const std::vector<LightColor> colours = profile_.GetCustomLightColors(group, kPositions);
  CLedState& leds = ledState();
  for (int p = 0; p < kPositions && p < static_cast<int>(colours.size()); ++p) {
    const LightColor& c = colours[static_cast<size_t>(p)];
    leds.Set(p, {c.red, c.green, c.blue}, c.alpha);
  }
}

std::vector<LightColor> CTessaroKeyboardDevice::LedColours() const {
  std::vector<LightColor> colours(kPositions);
  const CLedState& leds = ledState();
  for (int p = 0; p < kPositions; ++p) {
    const LedValue v = leds.Get(p);
    colours[static_cast<size_t>(p)] = {v.r, v.g, v.b, v.brightness};
  }
  return colours;
}

int CTessaroKeyboardDevice::LoadProfileIntoState() {
  auto lock = ModelLock();
  TakeEffect(profile_.GetLightInfo());
  const AudioLightInfo music = profile_.GetAudioLightRecord();
  audioLight_ = AudioLightBytes(music);
  engine_.SetAudioLight(music);
  engine_.SetLightList(profile_.GetLightList());
  profile_.LoadLightConfig(profile_.GetLightConfigPath());
  engine_.SetCustomSteps(profile_.GetCustomLightEffect());
  return 1;
}

void CTessaroKeyboardDevice::SetLightEffect(const LightInfo& effect) {
  auto lock = ModelLock();
  profile_.SetLightInfo(effect);
  TakeEffect(effect);
}

void CTessaroKeyboardDevice::SetAudioLightSettings(uint32_t a, uint32_t b, uint32_t c) {
  auto lock = ModelLock();
  CTessaroUSBDevice::SetAudioLightSettings(a, b, c);
  const AudioLightInfo music = AudioLightFromBytes(audioLight_);
  profile_.SetAudioLightRecord(music);
  engine_.SetAudioLight(music);
}

void CTessaroKeyboardDevice::SetAudioStyle(const int32_t* values, size_t count) {
  if (values) engine_.SetAudioStyle(std::span<const int32_t>(values, count));
}

void CTessaroKeyboardDevice::SetKeyAssignment(int position, const AssignCode& code) {
  auto lock = ModelLock();
  if (position < 0 || position >= static_cast<int>(keyList_.size())) return;
  keyList_[static_cast<size_t>(position)].SetCurrent(code);
  profile_.SetKeyList(keyList_);
}

std::optional<KeyAssign> CTessaroKeyboardDevice::KeyAssignmentOf(int position) const {
  auto lock = ModelLock();
  if (position < 0 || position >= static_cast<int>(keyList_.size())) return std::nullopt;
  return keyList_[static_cast<size_t>(position)];
}

KeyboardSystemStages CTessaroKeyboardDevice::SystemSettings() {
  auto lock = ModelLock();
  const auto w = profile_.GetSystemStages();
  return KeyboardSystemStages::Unpack(w[0], w[1], w[2]);
}

void CTessaroKeyboardDevice::SetSystemSettings(const KeyboardSystemStages& stages) {
  auto lock = ModelLock();
  const auto w = stages.Pack();
  profile_.SetSystemStages(w[0], w[1], w[2]);
}

void CTessaroKeyboardDevice::SaveProfile() {
  {
    // A catalogue that is there but unreadable says nothing about which macros are gone.
    CMacroCatalogue catalogue(DeviceFolder());
    const std::string path = catalogue.CataloguePath();
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && !CJsonFile().ReadDocument(path).isObject()) return;
  }
  LoadCatalogues();
  std::vector<KeyAssign> list;
  {
    auto lock = ModelLock();
    if (!DropMissingMacros(keyList_, macroCount_)) return;
    profile_.SetKeyList(keyList_);
    list = keyList_;
  }
  WriteKeyAssignments(0, list);
  LoadCatalogues();
  if (auto* o = observer_.load()) o->OnKeyAssignmentsChanged();
}

void CTessaroKeyboardDevice::LoadCatalogues() { ReadCatalogues(macroCount_, lightModes_, customModes_); }

bool CTessaroKeyboardDevice::HasLightMode(int mode) const {
  auto lock = ModelLock();
  if (mode >= 0 && static_cast<size_t>(mode) < lightModes_.size()) return true;
  const int first = FirstCustomLightMode(profileKindIndex_);
  return mode >= first && static_cast<size_t>(mode - first) < customModes_.size();
}

// ---- first contact and reads ----------------------------------------------------------------

void CTessaroKeyboardDevice::OnFirstContact() {
  // The effect list first: the effect code read from the keyboard is stored as its index.
  LoadCatalogues();
  ReadAll();
  LoadProfile();
  if (MarkContacted()) {
    // Back again (replugged, woken): the profile goes to it as stored, unless it runs its own.
    RestoreSettings();
  } else {
    ReadActiveSettings();
    ApplyProfile();
  }
  SetLightControl(lightControl_.load());
  StartLightThread();
}

RestoreResult CTessaroKeyboardDevice::RestoreSettings() {
  if (!Guard()) return RestoreResult::kNotReached;
  uint8_t profile = 0;
  if (link().ReadSettings(&profile, 1, 0) != 1) return RestoreResult::kNotReached;
  if (profile != kHostProfile) {
    // Switched with the keyboard's own keys: shown as it runs, nothing written over it.
    return ReloadFromDeviceRead() ? RestoreResult::kRead : RestoreResult::kNotReached;
  }
  LoadCatalogues();
  if (auto* o = observer_.load()) o->OnProfileStateChanged();
  return ApplySettings(kHostProfile, 0, 0, 0, 0) == 1 ? RestoreResult::kWritten : RestoreResult::kFailed;
}

void CTessaroKeyboardDevice::ReloadFromDevice() { ReloadFromDeviceRead(); }

bool CTessaroKeyboardDevice::ReloadFromDeviceRead() {
  const bool read = ReadActiveSettings() == 1;
  if (auto* o = observer_.load()) o->OnProfileStateChanged();
  return read;
}

int CTessaroKeyboardDevice::ReadAll() {
  if (!Guard()) return 0;
  CDeviceLink& l = link();
  int r = l.BeginConfig();
  if (r != 1) return r;
  DeviceInfo info;
  std::array<uint8_t, 512> table{}, leds{};
  int keys = 0;
  r = l.ReadDeviceInfo(info);
  if (r == 1) {
    keys = info.bytes[5];
    if (keys * 3 > CKeyPositionMap::kTableBytes) {
      auto lock = ModelLock();
      lastError_ = "the keyboard reports " + std::to_string(keys) + " keys; its key table (" +
                   std::to_string(keys * 3) + " bytes) does not fit the 512-byte table";
      r = 0;
    } else if (l.SetConfigSize(static_cast<uint16_t>(keys * 3)) != 1) {
      r = 0;
    }
  }
  if (r == 1) r = l.ReadKeyTable(table.data(), table.size());
  if (r == 1) r = l.ReadKeyByteTable(leds.data(), leds.size());
  l.EndConfig();
  if (r != 1) return r;
  {
    auto lock = ModelLock();
    // A failed read leaves the former tables and maps: they are what the writes go by.
    std::string error;
    if (!map_.Build(keys, table, std::span<const uint8_t>(leds.data(), static_cast<size_t>(keys)), &error)) {
      lastError_ = error;
      return 0;
    }
    deviceInfo_ = info;
    keyTable_ = table;
    ledTable_ = leds;
    keyCount_ = keys;
    hasTables_ = true;
    lastError_.clear();
  }
  if (auto* o = observer_.load()) o->OnKeyAssignmentsChanged();
  return 1;
}

bool CTessaroKeyboardDevice::HasKeyTables() const {
  auto lock = ModelLock();
  return hasTables_;
}

std::string CTessaroKeyboardDevice::LastError() const {
  auto lock = ModelLock();
  return lastError_;
}

int CTessaroKeyboardDevice::ReadActiveSettings(bool intoProfile) {
  CDeviceLink& l = link();
  l.SetLightSyncActive(false);
  if (!Guard()) return 0;
  uint8_t profile = 0;
  if (l.ReadSettings(&profile, 1, 0) != 1) return 0;
  // Into a scratch block: a failed read must never become the block written back.
  keyboard::SettingsBlock block{};
  if (l.ReadSettings(block.data(), block.size(), static_cast<uint16_t>(keyboard::SettingsOffset(profile))) != 1)
    return 0;
  block[0] = profile;
  {
    std::lock_guard lock(blockLock_);
    block_ = block;
    hasBlock_ = true;
  }
  if (!intoProfile) return 1;
  {
    auto lock = ModelLock();
    const keyboard::DecodedSettings read =
        keyboard::DecodeSettingsBlock(block, GetLightEffect(), SystemSettings(), lightModes_);
    SetSystemSettings(read.stages);
    profile_.SetCustomLightModeGroupIndex(read.effect.customGroup);
    SetLightEffect(read.effect);
    profile_.Save();
  }
  NotifyProfileState();
  return 1;
}

// ---- writes ------------------------------------------------------------------------------------

int CTessaroKeyboardDevice::ApplySettings(int profile, int byte0, int, int, int) {
  if (profile < 0 || keyboard::SettingsOffset(profile) > 0xFFFF) return 0;
  keyboard::SettingsBlock block;
  {
    auto lock = ModelLock();
    // Nothing is written before the keyboard was read once.
    if (!hasTables_) return 0;
    block = keyboard::EncodeSettingsBlock(static_cast<uint8_t>(byte0), GetLightEffect(), SystemSettings(),
                                          lightModes_);
  }
  if (!Guard()) return 0;
  CDeviceLink& l = link();
  int r = l.BeginConfig();
  if (r == 1)
    r = l.WriteSettings(block.data(), block.size(), static_cast<uint16_t>(keyboard::SettingsOffset(profile)));
  l.EndConfig();
  if (r == 1) {
    std::lock_guard lock(blockLock_);
    block_ = block;
    hasBlock_ = true;
  }
  return r;
}

std::vector<int> CTessaroKeyboardDevice::GetUsedMacros() {
  const int known = CMacroCatalogue(DeviceFolder()).Count();
  auto lock = ModelLock();
  return keyboard::UsedMacros(map_, keyList_, known);
}

int CTessaroKeyboardDevice::WriteKeyAssignments(int block, const std::vector<KeyAssign>& list) {
  if (!Guard()) return 0;
  const int known = CMacroCatalogue(DeviceFolder()).Count();
  std::vector<uint8_t> table;
  {
    auto lock = ModelLock();
    if (!hasTables_) return 0;
    table = keyboard::EncodeKeyTable(map_, keyTable_, list, known);
  }
  if (table.empty()) return 0;
  CDeviceLink& l = link();
  int r = l.BeginConfig();
  if (r == 1 && l.SetConfigSize(static_cast<uint16_t>(table.size())) != 1) r = 0;
  if (r == 1) r = l.WriteKeyTable(table.data(), table.size(), block);
  l.EndConfig();
  if (r == 1) {
    auto lock = ModelLock();
    std::copy(table.begin(), table.end(), keyTable_.begin());
  }
  return r;
}

int CTessaroKeyboardDevice::RewriteKeyAssignments(int block) {
  std::vector<KeyAssign> list;
  {
    auto lock = ModelLock();
    list = keyList_;
  }
  return WriteKeyAssignments(block, list);
}

int CTessaroKeyboardDevice::WriteMacros(const std::vector<int>& macros) { return WriteMacroBlock(macros); }

std::vector<KeyAssign> CTessaroKeyboardDevice::CopyKeyList() {
  auto lock = ModelLock();
  return keyList_;
}

void CTessaroKeyboardDevice::StoreKeyList(const std::vector<KeyAssign>& list) {
  {
    auto lock = ModelLock();
    keyList_ = list;
    profile_.SetKeyList(keyList_);
    profile_.Save();
  }
  if (auto* o = observer_.load()) o->OnKeyAssignmentsChanged();
}

int CTessaroKeyboardDevice::WriteLightData(int group) {
  const int offset = keyboard::LightGroupOffset(group);
  if (offset < 0 || !Guard()) return 0;
  std::vector<uint8_t> frame;
  {
    auto lock = ModelLock();
    if (!hasTables_) return 0;
    const std::vector<LightColor> colours = profile_.GetCustomLightColors(group, kPositions);
    frame = keyboard::BuildLightGroup(map_, colours, FrameColours::Scaled);
  }
  return link().WriteLightData(frame.data(), frame.size(), group, keyboard::kLightGroupBytes);
}

int CTessaroKeyboardDevice::PaintKey(int position) {
  int group;
  {
    auto lock = ModelLock();
    const LightInfo e = GetLightEffect();
    if (e.mode != keyboard::CKeyboardLightEngine::kPerKeyColours || position < 0 || position >= kPositions) return 0;
    // The brightness the effect shows every key at (the light thread keeps it there).
    const uint8_t level = preview::Brightness(e.brightness);
    CLedState& leds = ledState();
    leds.Set(position, {e.red, e.green, e.blue}, level);
    group = profile_.GetCustomLightModeGroupIndex();
    profile_.SetCustomLightColors(LedColours(), group);
    profile_.Save();
  }
  // Through the receiver the group is only stored: the next first contact on the cable sends it.
  if (link().ReceiverMode()) return 0;
  return WriteLightData(group);
}

int CTessaroKeyboardDevice::WriteLightGroups() {
  for (int g = 0; g < keyboard::kLightGroupCount; ++g)
    if (const int r = WriteLightData(g); r != 1) return r;
  return 1;
}

int CTessaroKeyboardDevice::SelectCustomGroup(int group) {
  if (keyboard::LightGroupOffset(group) < 0) return 0;
  {
    auto lock = ModelLock();
    profile_.SetCustomLightModeGroupIndex(group);
    LightInfo e = GetLightEffect();
    e.customGroup = static_cast<uint8_t>(group);
    SetLightEffect(e);
    NotifyProfileChanged();
  }
  NotifyProfileState();
  return 1;
}

int CTessaroKeyboardDevice::LoadCustomGroup() {
  const int r = ResendCustomGroup();
  NotifyProfileState();
  return r;
}

int CTessaroKeyboardDevice::ResendCustomGroup() {
  {
    auto lock = ModelLock();
    LoadGroupIntoLeds();
  }
  return SendCustomGroup();
}

int CTessaroKeyboardDevice::FillCustomGroup(bool on) {
  {
    auto lock = ModelLock();
    const LightInfo e = GetLightEffect();
    // At the level PaintKey paints with: a filled group is lit whatever brightness it held.
    const uint8_t level = preview::Brightness(e.brightness);
    ledState().Fill(on ? preview::Rgb{e.red, e.green, e.blue} : preview::Rgb{}, level);
  }
  const int r = SendCustomGroup();
  {
    auto lock = ModelLock();
    profile_.SetCustomLightColors(LedColours(), profile_.GetCustomLightModeGroupIndex());
    NotifyProfileChanged();
  }
  return r;
}

int CTessaroKeyboardDevice::SendCustomGroup() {
  std::vector<uint8_t> frame;
  int group;
  {
    auto lock = ModelLock();
    const LightInfo e = GetLightEffect();
    group = e.customGroup;
    // Nothing is written before the keyboard was read once, nor outside its light data area.
    if (e.mode != keyboard::CKeyboardLightEngine::kPerKeyColours || !hasTables_ ||
        keyboard::LightGroupOffset(group) < 0)
      return 0;
    frame = keyboard::BuildKeyFrame(map_, ledState(), FrameColours::Scaled);
  }
  if (!Guard()) return 0;
  return link().WriteLightData(frame.data(), frame.size(), group, keyboard::kLightGroupBytes);
}

int CTessaroKeyboardDevice::StreamLightFrame() {
  if (!link().IsOpen() || link().ReceiverMode()) return 0;
  std::array<uint8_t, CKeyPositionMap::kTableBytes> frame{};
  size_t length;
  {
    auto lock = ModelLock();
    if (!hasTables_) return 0;
    length = static_cast<size_t>(map_.TableBytes());
    keyboard::BuildKeyFrame(map_, ledState(), FrameColours::Scaled, frame);
  }
  const int r = link().StreamLightFrame(frame.data(), length);
  if (r == 1) {
    std::lock_guard lock(framesLock_);
    ++framesStreamed_;
    framesStreamedCv_.notify_all();
  }
  return r;
}

uint64_t CTessaroKeyboardDevice::FramesStreamed() const {
  std::lock_guard lock(framesLock_);
  return framesStreamed_;
}

bool CTessaroKeyboardDevice::WaitForFrames(uint64_t count, std::chrono::milliseconds limit) const {
  std::unique_lock lock(framesLock_);
  return framesStreamedCv_.wait_for(lock, limit, [&] { return framesStreamed_ >= count; });
}

void CTessaroKeyboardDevice::ApplyProfile() {
  LoadCatalogues();
  // The profile's selected group follows the effect's.
  SelectCustomGroup(GetLightEffect().customGroup);
  if (auto* o = observer_.load()) {
    o->OnKeyAssignmentsChanged();
    o->OnProfileStateChanged();
  }
  ApplySettings(0, 0, 0, 0, 0);
}

// ---- light control -------------------------------------------------------------------------------

void CTessaroKeyboardDevice::SetLightControl(int state) {
  lightControl_ = state ? 1 : 0;
  gate_.Wake();
  // Only a wired keyboard takes the host's lighting.
  if (state && link().IsOpen() && !link().ReceiverMode()) link().ClaimLightControl();
}

// ---- reachability and power ----------------------------------------------------------------------

int CTessaroKeyboardDevice::IsReachable() { return ReachableThroughReceiver(); }

void CTessaroKeyboardDevice::PollBattery() { ReportPowerState(pollingSuspended_); }

// ---- companion interfaces ------------------------------------------------------------------------

void CTessaroKeyboardDevice::HandleCompanionUsage(uint16_t usage) {
  if (usage == 0x401 || usage == 0x402) {
    DebugLine("接收到自动添加设备的同步信息要求");
    if (auto* o = observer_.load()) o->OnReloadRequested(kReloadDelayMs);
    return;
  }
  const int high = usage >> 8;
  // The keyboard switched profile or effect with its own keys: show what it runs now.
  if (usage > 0x402 && (high == 0x10 || high == 0x11) && link().IsOpen())
    Session().Submit([this] { ReloadFromDevice(); });
}

// ---- light thread --------------------------------------------------------------------------------

void CTessaroKeyboardDevice::StartLightThread() {
  lightThread_.Start([this](const CStopEvent& stop) { LightLoop(stop); });
}

void CTessaroKeyboardDevice::StopLightThread() {
  // A thread resting while hidden wakes on the notice and sees the stop event.
  lightThread_.Stop([this] { gate_.Wake(); });
}

void CTessaroKeyboardDevice::SetPreviewShown(bool shown) { gate_.SetShown(shown); }

void CTessaroKeyboardDevice::LightLoop(const CStopEvent& stop) {
  uint64_t lastFrame = 0;
  uint64_t wait = 1;  // ms until the next pass has work
  while (!stop.WaitFor(std::chrono::milliseconds(wait))) {
    wait = 1;
    CDeviceLink& l = link();
    if (!l.IsOpen()) {
      stop.WaitFor(std::chrono::milliseconds(100));
      continue;
    }
    if (l.LightSyncActive()) {
      wait = kMaxPassGapMs;
      continue;
    }
    // Nothing shows the effect and nothing is streamed: rest until the page shows it again
    // (the host-driven effects exist only as streamed frames, so they never rest).
    const bool streams = IsHostDriven(engine_.Effect().mode) && lightControl_ && !l.ReceiverMode();
    // A new effect or light-control state wakes the rest: it may be one to stream.
    if (!gate_.Shown() && !streams) {
      gate_.Rest(stop);
      continue;
    }
    const uint64_t now = NowMs();
    if (engine_.Pass(now))
      if (auto* o = observer_.load()) o->OnLedsChanged();
    // Sleep until a step or a frame is due; at most kMaxPassGapMs, so that a new effect, style
    // colour or light list is taken up soon after it was handed over.
    uint64_t due = std::min(engine_.NextPassDue(now), now + kMaxPassGapMs);
    // The host-driven effects exist only as the frames streamed here: independent of the page,
    // so a hidden window keeps the keyboard lit.
    if (streams) {
      if (now - lastFrame >= kStreamPeriodMs) {
        lastFrame = now;
        if (StreamLightFrame() != 1) {
          stop.WaitFor(std::chrono::milliseconds(kStreamRetryMs));
          continue;
        }
      }
      due = std::min(due, lastFrame + kStreamPeriodMs);
    }
    wait = due > now ? due - now : 1;
  }
  DebugLine("KB灯光线程设定退出");
}

// ---- state for the page ------------------------------------------------------------------------

bool CTessaroKeyboardDevice::HasSettingsBlock() const {
  std::lock_guard lock(blockLock_);
  return hasBlock_;
}

keyboard::SettingsBlock CTessaroKeyboardDevice::SettingsBlock() const {
  std::lock_guard lock(blockLock_);
  return block_;
}

}  // namespace orlo
