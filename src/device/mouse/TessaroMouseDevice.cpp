#include "device/mouse/TessaroMouseDevice.h"

#include <algorithm>

#include "macro/MacroCatalogue.h"
#include "macro/MacroFile.h"
#include "platform/DebugLog.h"

namespace orlo {

using namespace preview;

namespace {

CCustomEffectPlayer& MousePlayer() {
  // One player state serves every mouse.
  static CCustomEffectPlayer player;
  return player;
}

constexpr int kReloadDelayMs = 50;

}  // namespace

CTessaroMouseDevice::CTessaroMouseDevice(std::shared_ptr<hid::HidBackend> backend)
    : CTessaroUSBDevice(std::move(backend), kKindMouse, kLedCount, kPageButtons,
                        std::make_unique<CMouseLightPreview>()),
      companions_(companionLink(), kCompanionWired, kCompanionReceiver,
                  [this](uint16_t usage, bool wired) { HandleCompanionUsage(usage, wired); },
                  "MS 设备同步线程设定退出") {
  keyMap_.fill(kNoKey);
  SetNames("mouse", "velko_light");
  profileKindIndex_ = kMouseKindIndex;
  profile_.SetProfileKindIndex(kMouseKindIndex);
  profile_.SetDefaultPath(DefaultDocumentPath());
}

CTessaroMouseDevice::~CTessaroMouseDevice() {
  // Threads call into this object: stop them before its members go.
  StopWork();
  StopLightThread();
  CloseCompanion(kCompanionWired);
  CloseCompanion(kCompanionReceiver);
}

bool CTessaroMouseDevice::Guard() { return link().IsOpen() && link().ReceiverGuard(); }

// ---- profile ------------------------------------------------------------------------------

void CTessaroMouseDevice::SetProfileKindIndex(int index) {
  auto lock = ModelLock();
  profileKindIndex_ = index;
  profile_.SetDeviceIndex(0);
  profile_.SetProfileKindIndex(index);  // numbers the custom effects of the light list
}

void CTessaroMouseDevice::PrepareProfileFiles() { PrepareProfilePaths(profile_); }

int CTessaroMouseDevice::LoadProfile() {
  {
    auto lock = ModelLock();
    PrepareProfileFiles();
    profile_.LoadSection(profile_.GetProfilePath());
    keyList_ = profile_.GetKeyList();
    LoadProfileIntoState();
    profile_.GetDPIStages();
    profile_.GetSystemStages();
  }
  NotifyProfileState();
  return 1;
}

void CTessaroMouseDevice::ReloadProfile() {
  {
    auto lock = ModelLock();
    profile_.SetDefaultPath(DefaultDocumentPath());
    profile_.LoadSection(DefaultDocumentPath());
    keyList_ = profile_.GetKeyList();
    LoadProfileIntoState();
    profile_.GetDPIStages();
    profile_.GetSystemStages();
    NotifyProfileChanged();
  }
  ApplyProfile();
}

void CTessaroMouseDevice::TakeEffect(const LightInfo& effect, bool fromDevice) {
  LightInfo stored = effect;
  const LightInfo old = preview_->Effect();
  if (fromDevice) stored.direction = old.direction;  // the block's direction is not taken
  preview_->SetEffect(stored);
  {
    std::lock_guard lock(stateLock_);
    lightState_.mode = stored.mode;
    lightState_.brightness = stored.brightness;
    lightState_.speed = stored.speed;
    lightState_.multicolour = stored.multiColor;
    lightState_.red = stored.red;
    lightState_.green = stored.green;
    lightState_.blue = stored.blue;
  }
  if (old.mode != stored.mode) {
    preview_->ClearKeyEffects();
    preview_->SetRing(0, 1);  // a new ripple starts at the first group
  }
}

int CTessaroMouseDevice::LoadProfileIntoState() {
  auto lock = ModelLock();
  TakeEffect(profile_.GetLightInfo(), false);
  {
    std::lock_guard listLock(lightListLock_);
    lightList_ = profile_.GetLightList();
    PaintLightListFrame(lightList_);
  }
  profile_.LoadLightConfig(profile_.GetLightConfigPath());
  preview_->TakeCustomSteps(profile_.GetCustomLightEffect());
  return 1;
}

// One frame of the per-LED effects of the light list (entry i applies to LED i).
void CTessaroMouseDevice::PaintLightListFrame(const std::vector<LightInfo>& list) {
  CLedState& leds = ledState();
  const int n = std::min<int>(static_cast<int>(list.size()), kLedCount);
  for (int i = 0; i < n; ++i) {
    const LightInfo& e = list[i];
    const bool present = e.further[kLightListEntryFlag] != 0;
    const uint8_t level = Brightness(e.brightness);
    const Rgb colour{e.red, e.green, e.blue};
    switch (e.mode) {
      case 0:  // breathing, first phase after a restart
        if (present) {
          const uint8_t phase = static_cast<uint8_t>(SpeedIndex(e.speed) + 4);
          leds.Set(i, e.multiColor ? kHueWheel[0] : colour, Scale(level, kBreathing[phase % 128]));
        }
        break;
      case 1: leds.Set(i, colour, level); break;
      case 3:
        if (present) leds.Set(i, kHueWheel[0], level);
        break;
      case 2:  // blink starts dark
      case 4: leds.Set(i, {}, 0); break;
      default: break;
    }
  }
}

void CTessaroMouseDevice::SetLightEffect(const LightInfo& effect) {
  auto lock = ModelLock();
  TakeEffect(effect, false);
  profile_.SetLightInfo(effect);
}

void CTessaroMouseDevice::SaveProfile() {
  LoadCatalogues();
  bool dropped;
  {
    auto lock = ModelLock();
    dropped = DropMissingMacros(keyList_, macroCount_);
    if (dropped) profile_.SetKeyList(keyList_);
  }
  if (dropped)
    if (auto* o = observer_.load()) o->OnKeyAssignmentsChanged();
}

void CTessaroMouseDevice::LoadCatalogues() { ReadCatalogues(macroCount_, lightModes_, customModes_); }

int CTessaroMouseDevice::ModeCode(int modeIndex) const {
  auto lock = ModelLock();
  if (modeIndex < 0 || modeIndex >= 10) modeIndex = 0;
  if (modeIndex >= static_cast<int>(lightModes_.size())) {
    // Beyond the list: the code of mode 0 (or the index itself when there is no list at all).
    return lightModes_.empty() ? modeIndex : lightModes_[0].value;
  }
  return lightModes_[modeIndex].value;
}

int CTessaroMouseDevice::ModeIndexOfCode(int code) const {
  auto lock = ModelLock();
  for (size_t i = 0; i < lightModes_.size(); ++i)
    if (lightModes_[i].value == code) return static_cast<int>(i);
  return -1;
}

bool CTessaroMouseDevice::HasLightMode(int mode) const {
  auto lock = ModelLock();
  if (mode >= 0 && static_cast<size_t>(mode) < lightModes_.size()) return true;
  return mode >= 10 && static_cast<size_t>(mode - 10) < customModes_.size();
}

void CTessaroMouseDevice::ApplyProfile() {
  LoadCatalogues();
  if (auto* o = observer_.load()) {
    o->OnKeyAssignmentsChanged();
    o->OnProfileStateChanged();
  }
  ApplySettings(0, 0, 1, 0, 0);
}

// ---- first contact and reads ----------------------------------------------------------------

void CTessaroMouseDevice::OnFirstContact() {
  // The light modes first: the mode code read from the mouse is stored as its index.
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
  StartLightThread();
}

RestoreResult CTessaroMouseDevice::RestoreSettings() {
  if (!Guard()) return RestoreResult::kNotReached;
  uint8_t profile = 0;
  if (link().ReadSettings(&profile, 1, 0) != 1) return RestoreResult::kNotReached;
  if (profile != kHostProfile) {
    // Switched on the mouse itself: what it runs becomes the page's, nothing is written over it.
    if (ReadActiveSettings() != 1) return RestoreResult::kNotReached;
    if (auto* o = observer_.load()) o->OnKeyAssignmentsChanged();
    return RestoreResult::kRead;
  }
  // The block as the mouse has it now: the bytes the profile does not set are kept from it.
  if (ReadActiveSettings(false) != 1) return RestoreResult::kNotReached;
  LoadCatalogues();
  if (auto* o = observer_.load()) o->OnProfileStateChanged();
  return ApplySettings(kHostProfile, 0, 1, 0, 0) == 1 ? RestoreResult::kWritten : RestoreResult::kFailed;
}

void CTessaroMouseDevice::ReloadFromDevice() {
  ReadActiveSettings();
  ApplyProfile();
}

int CTessaroMouseDevice::ReadAll() {
  if (!Guard()) return 0;
  CDeviceLink& l = link();
  int r = l.BeginConfig();
  if (r != 1) return r;
  DeviceInfo info;
  r = l.ReadDeviceInfo(info);
  if (r != 1) return r;
  const int entries = info.bytes[5];
  if (l.SetConfigSize(static_cast<uint16_t>(entries * 3)) != 1) return 0;
  KeyTableBytes table{};
  r = l.ReadKeyTable(table.data(), table.size());
  {
    auto lock = ModelLock();
    deviceInfo_ = info;
    if (r == 1) {
      keyTable_ = table;
      keyMap_ = BuildMouseKeyMap(table, entries);
    }
  }
  if (r != 1) return r;
  l.EndConfig();
  if (auto* o = observer_.load()) o->OnKeyAssignmentsChanged();
  return 1;
}

int CTessaroMouseDevice::ReadActiveSettings(bool intoProfile) {
  CDeviceLink& l = link();
  l.SetLightSyncActive(false);
  if (!l.IsOpen()) return 0;
  uint8_t profile = 0;
  if (l.ReadSettings(&profile, 1, 0) != 1) return 0;
  // Read into a scratch block: a failed read must never become the block written back.
  MouseSettingsBytes block{};
  if (l.ReadSettings(block.data(), block.size(), static_cast<uint16_t>(profile * kProfileStride)) != 1) return 0;
  block[9] = 0;
  const MouseSettings read = DecodeMouseSettings(block);
  const int modeIndex = ModeIndexOfCode(read.modeCode);
  {
    std::lock_guard lock(blockLock_);
    block_ = block;
    hasBlock_ = true;
  }
  activeProfile_ = profile;
  {
    std::lock_guard lock(stateLock_);
    lightState_.activeProfile = profile;
  }
  if (!intoProfile) return 1;
  {
    auto lock = ModelLock();
    LightInfo effect = GetLightEffect();
    effect.mode = static_cast<uint8_t>(modeIndex >= 0 ? modeIndex : read.modeCode);
    effect.brightness = read.brightness;
    effect.speed = read.speedIndex;
    effect.multiColor = read.multicolour;
    effect.red = read.red;
    effect.green = read.green;
    effect.blue = read.blue;
    TakeEffect(effect, true);
    if (read.activeStage < kStageCount) profile_.SetActiveDPIStage(read.activeStage);
    profile_.SetLightInfo(GetLightEffect());
    profile_.Save();
  }
  NotifyProfileState();
  return 1;
}

// ---- writes ------------------------------------------------------------------------------------

int CTessaroMouseDevice::ApplySettings(int profile, int byte0, int byte59, int screenWidth,
                                       int screenHeight) {
  if (profile < 0 || profile * kProfileStride > 0xFFFF) return 0;
  MouseSettingsBytes previous;
  {
    std::lock_guard lock(blockLock_);
    // Nothing is written before one good read: the unlisted bytes must come from the mouse.
    if (!hasBlock_) return 0;
    previous = block_;
  }
  const bool receiver = link().ReceiverMode();
  MouseSettings s;
  {
    auto lock = ModelLock();
    const LightInfo e = GetLightEffect();
    s.profileByte = static_cast<uint8_t>(byte0);
    s.modeCode = static_cast<uint8_t>(ModeCode(e.mode));
    s.brightness = e.brightness;
    s.speedIndex = static_cast<uint8_t>(SpeedIndex(e.speed));
    s.direction = e.direction;
    s.multicolour = e.multiColor;
    s.red = e.red;
    s.green = e.green;
    s.blue = e.blue;
    const auto w = profile_.GetSystemStages();
    const MouseSystemStages system = MouseSystemStages::Unpack(w[0], w[1], w[2], w[3]);
    s.reportRate = static_cast<uint8_t>(system.reportRate);
    s.receiverReportRate = static_cast<uint8_t>(system.reportRate24g);
    s.stages = profile_.GetDPIStages();
    s.activeStage = static_cast<uint8_t>(profile_.GetActiveDPIStage());
    for (const CorrectEntry& c : profile_.GetCorrectInfo()) {
      if (c.select != 0) {
        s.liftMinSq = c.minSq;
        s.liftPixThresh = c.pixThresh;
        break;
      }
    }
  }
  s.byte59 = static_cast<uint8_t>(byte59);
  s.screenWidth = static_cast<uint16_t>(screenWidth);
  s.screenHeight = static_cast<uint16_t>(screenHeight);
  const MouseSettingsBytes block = EncodeMouseSettings(previous, s, receiver);
  if (!Guard()) return 0;
  CDeviceLink& l = link();
  int r = l.BeginConfig();
  if (r == 1) r = l.WriteSettings(block.data(), block.size(), static_cast<uint16_t>(profile * kProfileStride));
  if (r == 1) {
    std::lock_guard lock(blockLock_);
    block_ = block;
  }
  l.EndConfig();
  return r;
}

std::vector<int> CTessaroMouseDevice::GetUsedMacros() {
  const int known = CMacroCatalogue(DeviceFolder()).Count();
  auto lock = ModelLock();
  std::vector<int> used;
  for (int k = 0; k < kPageButtons && k < static_cast<int>(keyList_.size()); ++k) {
    if (keyMap_[k] == kNoKey) continue;
    const KeyAssign& a = keyList_[k];
    if (!a.IsMacro() || a.code1 >= known) continue;
    if (std::find(used.begin(), used.end(), a.code1) == used.end()) used.push_back(a.code1);
  }
  return used;
}

int CTessaroMouseDevice::WriteKeyAssignments(int block, const std::vector<KeyAssign>& list) {
  if (!Guard()) return 0;
  CDeviceLink& l = link();
  DeviceInfo info;
  int r = l.ReadDeviceInfo(info);
  if (r != 1) return r;
  const int length = info.bytes[5] * 3;
  if (length > static_cast<int>(keyTable_.size())) return 0;
  const int known = CMacroCatalogue(DeviceFolder()).Count();
  KeyTableBytes table;
  {
    auto lock = ModelLock();
    deviceInfo_ = info;
    table = EncodeMouseKeyTable(keyTable_, length, keyMap_, list, known, nullptr);
  }
  r = l.BeginConfig();
  if (r == 1 && l.SetConfigSize(static_cast<uint16_t>(length)) != 1) r = 0;
  if (r == 1) r = l.WriteKeyTable(table.data(), table.size(), block);
  l.EndConfig();
  if (r == 1) {
    auto lock = ModelLock();
    keyTable_ = table;
  }
  return r;
}

int CTessaroMouseDevice::RewriteKeyAssignments(int block) {
  std::vector<KeyAssign> list;
  {
    auto lock = ModelLock();
    list = keyList_;
  }
  return WriteKeyAssignments(block, list);
}

int CTessaroMouseDevice::WriteMacros(const std::vector<int>& macros) { return WriteMacroBlock(macros); }

std::vector<KeyAssign> CTessaroMouseDevice::CopyKeyList() {
  auto lock = ModelLock();
  return keyList_;
}

void CTessaroMouseDevice::StoreKeyList(const std::vector<KeyAssign>& list) {
  {
    auto lock = ModelLock();
    keyList_ = list;
    profile_.SetKeyList(keyList_);
    profile_.Save();
  }
  if (auto* o = observer_.load()) o->OnKeyAssignmentsChanged();
}

std::optional<KeyAssign> CTessaroMouseDevice::KeyAssignmentOf(int button) const {
  auto lock = ModelLock();
  if (button < 0 || button >= static_cast<int>(keyList_.size())) return std::nullopt;
  return keyList_[static_cast<size_t>(button)];
}

void CTessaroMouseDevice::SetKeyAssignment(int button, const AssignCode& code) {
  auto lock = ModelLock();
  if (button < 0 || button >= static_cast<int>(keyList_.size())) return;
  keyList_[static_cast<size_t>(button)].SetCurrent(code);
  profile_.SetKeyList(keyList_);
}

int CTessaroMouseDevice::WriteShootData() {
  if (!Guard()) return 0;
  const std::string folder = DeviceFolder();
  std::vector<std::vector<MacroEvent>> guns;
  for (int gun = 0; gun < 4; ++gun)
    guns.push_back(CMacroFile::Read(folder + "ShootData_" + std::to_string(gun) + ".Shoot").events);
  const std::vector<uint8_t> block = BuildEventContainer(guns);
  if (block.empty()) return kLinkBadBlock;  // would not fit the 16-bit length
  int r = link().BeginConfig();
  if (r == 1) r = link().WriteShootData(block.data(), block.size());
  link().EndConfig();
  return r;
}

// ---- the model the page edits ---------------------------------------------------------------------

template <class Change>
void CTessaroMouseDevice::EditStages(Change change) {
  auto lock = ModelLock();
  std::vector<DPIStage> stages = profile_.GetDPIStages();
  if (stages.size() < kStageCount) stages.resize(kStageCount);
  change(stages);
  profile_.SetDPIStages(stages);
}

std::vector<DPIStage> CTessaroMouseDevice::Stages() {
  auto lock = ModelLock();
  return profile_.GetDPIStages();
}

void CTessaroMouseDevice::SetStageResolution(int stage, int dpi) {
  if (stage < 0 || stage >= kStageCount) return;
  const auto value = static_cast<uint16_t>(std::clamp(dpi, 0, 0xFFFF));
  EditStages([&](std::vector<DPIStage>& stages) {
    DPIStage& st = stages[stage];
    st.dpiX = value;
    if (st.xy == 0) st.dpiY = value;  // one resolution for both axes
  });
}

void CTessaroMouseDevice::SetStageEnabled(int stage, bool on) {
  if (stage < 0 || stage >= kStageCount) return;
  EditStages([&](std::vector<DPIStage>& stages) { stages[stage].active = on ? 1 : 0; });
}

void CTessaroMouseDevice::SetStageColour(int stage, uint8_t red, uint8_t green, uint8_t blue) {
  if (stage < 0 || stage >= kStageCount) return;
  EditStages([&](std::vector<DPIStage>& stages) {
    stages[stage].red = red;
    stages[stage].green = green;
    stages[stage].blue = blue;
  });
}

int CTessaroMouseDevice::ActiveStage() {
  auto lock = ModelLock();
  const int s = profile_.GetActiveDPIStage();
  return s >= 0 && s < kStageCount ? s : 0;
}

void CTessaroMouseDevice::SetActiveStage(int stage) {
  if (stage < 0 || stage >= kStageCount) return;
  auto lock = ModelLock();
  profile_.SetActiveDPIStage(stage);
}

MouseSystemStages CTessaroMouseDevice::SystemSettings() {
  auto lock = ModelLock();
  const auto w = profile_.GetSystemStages();
  return MouseSystemStages::Unpack(w[0], w[1], w[2], w[3]);
}

void CTessaroMouseDevice::SetSystemSettings(const MouseSystemStages& settings) {
  auto lock = ModelLock();
  const auto packed = settings.Pack();
  profile_.SetSystemStages(packed[0], packed[1], packed[2], packed[3]);
}

int CTessaroMouseDevice::ReportRate() {
  const MouseSystemStages sys = SystemSettings();
  return link().ReceiverMode() ? sys.reportRate24g : sys.reportRate;
}

void CTessaroMouseDevice::SetReportRate(int index) {
  if (index < 0 || index > 4) index = 0;
  auto lock = ModelLock();
  MouseSystemStages sys = SystemSettings();
  (link().ReceiverMode() ? sys.reportRate24g : sys.reportRate) = static_cast<uint16_t>(index);
  SetSystemSettings(sys);
}

// ---- reachability and power ----------------------------------------------------------------------

int CTessaroMouseDevice::IsReachable() { return ReachableThroughReceiver(); }

void CTessaroMouseDevice::PollBattery() { ReportPowerState(pollingSuspended_); }

// ---- companion interfaces ------------------------------------------------------------------------

void CTessaroMouseDevice::OpenEvents(const InterfaceEntry& companion) {
  companions_.Open(companion.devicePath, companion.kind);
}

int CTessaroMouseDevice::OpenCompanion(const std::string& path, int kind) { return companions_.Open(path, kind); }

int CTessaroMouseDevice::ReopenCompanion(const std::string& path, int kind) {
  CloseCompanion(kind);
  return OpenCompanion(path, kind);
}

void CTessaroMouseDevice::CloseCompanion(int kind) { companions_.Close(kind); }

bool CTessaroMouseDevice::CompanionOpen(int kind) const { return companions_.IsOpen(kind); }

void CTessaroMouseDevice::HandleCompanionUsage(uint16_t usage, bool wired) {
  if (usage == 0x401 || usage == 0x402) {
    DebugLine("接收到自动添加设备的同步信息要求");
    if (auto* o = observer_.load()) o->OnReloadRequested(kReloadDelayMs);
    return;
  }
  if (usage == 0x403) {
    if (!wired || GetLightEffect().mode != 6) return;
    MousePreview().StartFade();
    return;
  }
  const int high = usage >> 8;
  if (high != 0x10 && high != 0x11) return;
  const int profile = usage & 0x0F;
  activeProfile_ = profile;
  {
    std::lock_guard lock(stateLock_);
    lightState_.activeProfile = static_cast<uint8_t>(profile);
  }
  int stage = -1;
  if (high == 0x11) {
    stage = (usage >> 4) & 0x0F;
    if (stage >= kStageCount) stage = -1;  // no such stage: ignored
  }
  // The mouse switched on its own: its settings are read on the driver's worker (not on the
  // listener) and shown; writing the profile here would switch the mouse straight back.
  Session().Submit([this, stage] {
    if (ReadActiveSettings() != 1 && stage >= 0) SetActiveStage(stage);
    if (auto* o = observer_.load()) o->OnKeyAssignmentsChanged();
  });
}

// ---- light thread --------------------------------------------------------------------------------

void CTessaroMouseDevice::StartLightThread() { preview_->Start(&MousePlayer(), "MS灯光线程设定退出"); }

// ---- state for the page ------------------------------------------------------------------------

bool CTessaroMouseDevice::HasSettingsBlock() const {
  std::lock_guard lock(blockLock_);
  return hasBlock_;
}

MouseSettingsBytes CTessaroMouseDevice::SettingsBlock() const {
  std::lock_guard lock(blockLock_);
  return block_;
}

CTessaroMouseDevice::LightState CTessaroMouseDevice::GetLightState() const {
  std::lock_guard lock(stateLock_);
  return lightState_;
}

}  // namespace orlo
