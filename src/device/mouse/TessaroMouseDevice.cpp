#include "device/mouse/TessaroMouseDevice.h"

#include <algorithm>
#include <random>

#include "macro/MacroCatalogue.h"
#include "macro/MacroFile.h"
#include "platform/DebugLog.h"
#include "profile/FileId.h"

namespace orlo {

using namespace preview;

namespace {

// Factory assignment of each page button: which key-table entry belongs to which button.
constexpr std::array<std::array<uint8_t, 3>, CTessaroMouseDevice::kPageButtons> kFactory = {{
    {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00}, {0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00}, {0x16, 0x90, 0x01}, {0x14, 0x78, 0x02},
}};

// The mouse's LEDs in seven column groups.
const std::array<std::vector<int>, 7> kGroups = {{
    {0, 13}, {1, 12}, {2, 11}, {3, 10}, {4, 9}, {5, 8}, {6, 14, 7},
}};

// Settings block layout.
constexpr int kStageBase = 14;
constexpr int kStageSize = 9;
constexpr int kMaxContainer = 0xFFFF;

void PutLe16(uint8_t* at, int value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

CCustomEffectPlayer& MousePlayer() {
  // One player state serves every mouse.
  static CCustomEffectPlayer player;
  return player;
}

uint8_t RandomHue() {
  thread_local std::minstd_rand rng{std::random_device{}()};
  return static_cast<uint8_t>(rng() % 192);
}

}  // namespace

CTessaroMouseDevice::CTessaroMouseDevice(std::shared_ptr<hid::HidBackend> backend)
    : CTessaroUSBDevice(std::move(backend), kLedCount, kPageButtons) {
  keyMap_.fill(kNoKey);
  SetNames("mouse", "velko_light");
  profileKindIndex_ = kMouseKindIndex;
  profile_.SetProfileKindIndex(kMouseKindIndex);
  profile_.SetDefaultPath(DefaultDocumentPath());
}

CTessaroMouseDevice::~CTessaroMouseDevice() {
  // Threads call into this object: stop them before its members go.
  StopLightThread();
  CloseCompanion(kCompanionWired);
  CloseCompanion(kCompanionReceiver);
}

bool CTessaroMouseDevice::Guard() { return link_->IsOpen() && link_->ReceiverGuard(); }

// ---- profile ------------------------------------------------------------------------------

void CTessaroMouseDevice::SetProfileKindIndex(int index) {
  profileKindIndex_ = index;
  profile_.SetDeviceIndex(0);
  profile_.SetProfileKindIndex(index);  // numbers the custom effects of the light list
}

void CTessaroMouseDevice::PrepareProfileFiles() {
  const std::string folder = DeviceFolder();
  const std::string id = ActiveProfileId();
  // The id becomes a file name; one that could leave the folder keeps the former path.
  if (IsSafeFileId(id)) profile_.SetProfilePath(folder + id + ".Json");
  profile_.SetLightConfigPath(folder + lightConfigName_ + ".config");
  profile_.SetDefaultPath(DefaultDocumentPath());
}

int CTessaroMouseDevice::LoadProfile() {
  PrepareProfileFiles();
  profile_.LoadSection(profile_.GetProfilePath());
  keyList_ = profile_.GetKeyList();
  LoadProfileIntoState();
  profile_.GetDPIStages();
  profile_.GetSystemStages();
  if (observer_) observer_->OnProfileStateChanged();
  return 1;
}

void CTessaroMouseDevice::ReloadProfile() {
  profile_.SetDefaultPath(DefaultDocumentPath());
  profile_.LoadSection(DefaultDocumentPath());
  keyList_ = profile_.GetKeyList();
  LoadProfileIntoState();
  profile_.GetDPIStages();
  profile_.GetSystemStages();
  NotifyProfileChanged();
  ApplyProfileToPage();
}

void CTessaroMouseDevice::TakeEffect(const LightInfo& effect, bool fromDevice) {
  LightInfo stored = effect;
  uint8_t oldMode;
  {
    std::lock_guard lock(effectLock_);
    oldMode = lightEffect_.mode;
    if (fromDevice) stored.direction = lightEffect_.direction;  // the block's direction is not taken
    lightEffect_ = stored;
    params_ = EffectParams{stored.mode, stored.brightness, stored.speed, stored.direction,
                           stored.multiColor, Rgb{stored.red, stored.green, stored.blue}};
  }
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
  if (oldMode != stored.mode) {
    ClearKeyEffects();
    SetRing(0, 1);  // a new ripple starts at the first group
  }
  NudgeLightThread();
}

int CTessaroMouseDevice::LoadProfileIntoState() {
  TakeEffect(profile_.GetLightInfo(), false);
  {
    std::lock_guard lock(lightListLock_);
    lightList_ = profile_.GetLightList();
    PaintLightListFrame(lightList_);
  }
  profile_.LoadLightConfig(profile_.GetLightConfigPath());
  const std::vector<LEDEffectStep> steps = profile_.GetCustomLightEffect();
  {
    std::lock_guard lock(customSteps_.lock);
    customSteps_.steps.clear();
    for (const auto& s : steps)
      customSteps_.steps.push_back({s.mode, s.brightness, s.speed, s.direction, s.multiColor, s.red,
                                    s.green, s.blue, s.time, s.cycle});
    customSteps_.position = 0;
  }
  return 1;
}

// One frame of the per-LED effects of the light list (entry i applies to LED i).
void CTessaroMouseDevice::PaintLightListFrame(const std::vector<LightInfo>& list) {
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
          ledState_.Set(i, e.multiColor ? kHueWheel[0] : colour, Scale(level, kBreathing[phase % 128]));
        }
        break;
      case 1: ledState_.Set(i, colour, level); break;
      case 3:
        if (present) ledState_.Set(i, kHueWheel[0], level);
        break;
      case 2:  // blink starts dark
      case 4: ledState_.Set(i, {}, 0); break;
      default: break;
    }
  }
}

void CTessaroMouseDevice::SetLightEffect(const LightInfo& effect) {
  TakeEffect(effect, false);
  profile_.SetLightInfo(effect);
}

void CTessaroMouseDevice::SaveProfile() {
  LoadCatalogues();
  if (DropMissingMacros(keyList_, macroCount_)) {
    profile_.SetKeyList(keyList_);
    if (observer_) {
      observer_->ShowKeyAssignments();
      observer_->OnKeyAssignmentsChanged();
    }
  }
}

void CTessaroMouseDevice::LoadCatalogues() {
  macroCount_ = CMacroCatalogue(DeviceFolder()).Count();
  CJsonFile file;
  const Json::Value names = file.ReadDocument(DefaultLightCataloguePath());
  std::vector<BuiltInLightEntry> modes;
  if (ReadBuiltInLightNames(names, profileKindIndex_, modes)) lightModes_ = std::move(modes);
  const Json::Value config = file.ReadDocument(DeviceFolder() + lightConfigName_ + ".config");
  std::vector<CustomLightEntry> customs;
  if (ReadCustomLightEntries(config, profileKindIndex_, customs)) customModes_ = std::move(customs);
  if (observer_) observer_->OnCataloguesLoaded();
}

int CTessaroMouseDevice::ModeCode(int modeIndex) const {
  if (modeIndex < 0 || modeIndex >= 10) modeIndex = 0;
  if (modeIndex >= static_cast<int>(lightModes_.size())) {
    // Beyond the list: the code of mode 0 (or the index itself when there is no list at all).
    return lightModes_.empty() ? modeIndex : lightModes_[0].value;
  }
  return lightModes_[modeIndex].value;
}

int CTessaroMouseDevice::ModeIndexOfCode(int code) const {
  for (size_t i = 0; i < lightModes_.size(); ++i)
    if (lightModes_[i].value == code) return static_cast<int>(i);
  return -1;
}

void CTessaroMouseDevice::ApplyProfileToPage() {
  LoadCatalogues();
  if (observer_) {
    observer_->ShowKeyAssignments();
    observer_->ApplyProfileToPage();
  }
  ApplySettings(0, 0, 1, 0, 0);
}

// ---- first contact and reads ----------------------------------------------------------------

void CTessaroMouseDevice::OnFirstContact() {
  ReadAll();
  LoadProfile();
  ReadActiveSettings();
  ApplyProfileToPage();
  StartLightThread();
}

void CTessaroMouseDevice::ReloadFromDevice() {
  ReadActiveSettings();
  ApplyProfileToPage();
}

int CTessaroMouseDevice::ReadAll() {
  if (!Guard()) return 0;
  int r = link_->BeginConfig();
  if (r != 1) return r;
  DeviceInfo info;
  r = link_->ReadDeviceInfo(info);
  if (r != 1) return r;
  deviceInfo_ = info;
  const int entries = info.bytes[5];
  if (link_->SetConfigSize(static_cast<uint16_t>(entries * 3)) != 1) return 0;
  std::array<uint8_t, 512> table{};
  r = link_->ReadKeyTable(table.data(), table.size());
  if (r != 1) return r;
  keyTable_ = table;
  link_->EndConfig();
  BuildKeyMap(entries);
  if (observer_) {
    observer_->SetStageRanges(149, 15000);
    observer_->OnKeyAssignmentsChanged();
  }
  return 1;
}

void CTessaroMouseDevice::BuildKeyMap(int entries) {
  // The page always has 11 buttons; only entries the device reported and that were read count.
  const int searched = std::min(entries, static_cast<int>(keyTable_.size() / 3));
  keyMap_.fill(kNoKey);
  for (int j = 0; j < kPageButtons; ++j) {
    for (int k = 0; k < searched; ++k) {
      if (std::equal(kFactory[j].begin(), kFactory[j].end(), keyTable_.begin() + 3 * k)) {
        keyMap_[j] = k;
        break;
      }
    }
  }
}

int CTessaroMouseDevice::ReadActiveSettings() {
  link_->SetLightSyncActive(false);
  if (!link_->IsOpen()) return 0;
  uint8_t profile = 0;
  if (link_->ReadSettings(&profile, 1, 0) != 1) return 0;
  // Read into a scratch block: a failed read must never become the block written back.
  std::array<uint8_t, kSettingsSize> block{};
  if (link_->ReadSettings(block.data(), block.size(), static_cast<uint16_t>(profile * kProfileStride)) != 1)
    return 0;
  block[9] = 0;
  const int modeIndex = ModeIndexOfCode(block[1]);
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
  LightInfo effect = GetLightEffect();
  effect.mode = static_cast<uint8_t>(modeIndex >= 0 ? modeIndex : block[1]);
  effect.brightness = block[2];
  effect.speed = static_cast<uint8_t>(4 - std::min<int>(block[3], 4));
  effect.multiColor = block[5];
  effect.red = block[6];
  effect.green = block[7];
  effect.blue = block[8];
  TakeEffect(effect, true);
  if (block[12] < kStageCount) profile_.SetActiveDPIStage(block[12]);
  profile_.SetLightInfo(GetLightEffect());
  profile_.Save();
  if (observer_) observer_->OnProfileStateChanged();
  return 1;
}

// ---- writes ------------------------------------------------------------------------------------

int CTessaroMouseDevice::ApplySettings(int profile, int byte0, int byte59, int screenWidth,
                                       int screenHeight) {
  if (profile < 0 || profile * kProfileStride > 0xFFFF) return 0;
  std::array<uint8_t, kSettingsSize> block;
  {
    std::lock_guard lock(blockLock_);
    // Nothing is written before one good read: the unlisted bytes must come from the mouse.
    if (!hasBlock_) return 0;
    block = block_;
  }
  const LightInfo e = GetLightEffect();
  block[0] = static_cast<uint8_t>(byte0);
  block[1] = static_cast<uint8_t>(ModeCode(e.mode));
  block[2] = e.brightness;
  block[3] = static_cast<uint8_t>(4 - SpeedIndex(e.speed));
  block[4] = e.direction;
  block[5] = e.multiColor;
  block[6] = e.red;
  block[7] = e.green;
  block[8] = e.blue;
  block[9] = 0;
  const MouseSystemStages system = [&] {
    const auto w = profile_.GetSystemStages();
    return MouseSystemStages::Unpack(w[0], w[1], w[2], w[3]);
  }();
  const bool receiver = link_->ReceiverMode();
  if (!receiver) block[11] = static_cast<uint8_t>(system.reportRate);
  const std::vector<DPIStage> stages = profile_.GetDPIStages();
  block[12] = static_cast<uint8_t>(profile_.GetActiveDPIStage());
  const size_t written = std::min<size_t>(stages.size(), kStageCount);
  for (size_t s = 0; s < written; ++s) {
    uint8_t* at = block.data() + kStageBase + kStageSize * s;
    at[0] = stages[s].active;
    at[1] = stages[s].xy;
    PutLe16(at + 2, stages[s].dpiX);
    PutLe16(at + 4, stages[s].dpiY);
    at[6] = stages[s].red;
    at[7] = stages[s].green;
    at[8] = stages[s].blue;
  }
  block[59] = static_cast<uint8_t>(byte59);
  PutLe16(block.data() + 60, screenWidth);
  PutLe16(block.data() + 62, screenHeight);
  block[64] = block[65] = 0;
  for (const CorrectEntry& c : profile_.GetCorrectInfo()) {
    if (c.select != 0) {
      block[64] = c.minSq;
      block[65] = c.pixThresh;
      break;
    }
  }
  if (receiver) block[77] = static_cast<uint8_t>(system.reportRate24g);
  if (!Guard()) return 0;
  int r = link_->BeginConfig();
  if (r == 1) r = link_->WriteSettings(block.data(), block.size(), static_cast<uint16_t>(profile * kProfileStride));
  if (r == 1) {
    std::lock_guard lock(blockLock_);
    block_ = block;
  }
  link_->EndConfig();
  return r;
}

std::vector<int> CTessaroMouseDevice::GetUsedMacros() {
  const int known = CMacroCatalogue(DeviceFolder()).Count();
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
  DeviceInfo info;
  int r = link_->ReadDeviceInfo(info);
  if (r != 1) return r;
  deviceInfo_ = info;
  const int length = info.bytes[5] * 3;
  if (length > static_cast<int>(keyTable_.size())) return 0;
  std::array<uint8_t, 512> table = keyTable_;
  const int known = CMacroCatalogue(DeviceFolder()).Count();
  std::vector<int> slots;
  for (int k = 0; k < kPageButtons && k < static_cast<int>(list.size()); ++k) {
    const int index = keyMap_[k];
    if (index == kNoKey || 3 * index + 2 >= length) continue;
    KeyAssign a = list[k];
    if (a.IsMacro()) {
      if (a.code1 < known) {
        // Macros are renumbered by first use so the macro block holds only those in use.
        auto it = std::find(slots.begin(), slots.end(), a.code1);
        const int slot = static_cast<int>(it - slots.begin());
        if (it == slots.end()) slots.push_back(a.code1);
        a.code1 = static_cast<uint8_t>(slot);
      } else {
        a.SetCurrent(a.Default());
      }
    }
    table[3 * index] = a.type;
    table[3 * index + 1] = a.code1;
    table[3 * index + 2] = a.code2;
  }
  r = link_->BeginConfig();
  if (r == 1 && link_->SetConfigSize(static_cast<uint16_t>(length)) != 1) r = 0;
  if (r == 1) r = link_->WriteKeyTable(table.data(), table.size(), block);
  link_->EndConfig();
  if (r == 1) keyTable_ = table;
  return r;
}

int CTessaroMouseDevice::RewriteKeyAssignments(int block) { return WriteKeyAssignments(block, keyList_); }

std::vector<uint8_t> CTessaroMouseDevice::BuildEventContainer(
    const std::vector<std::vector<MacroEvent>>& entries) {
  size_t total = 16 + 6 * entries.size();
  for (const auto& e : entries) total += 4 * e.size();
  // The length and every offset are 16-bit fields.
  if (total > kMaxContainer) return {};
  std::vector<uint8_t> block(total, 0);
  block[0] = 0xAA;
  block[1] = 0x55;
  PutLe16(&block[2], static_cast<int>(total));
  PutLe16(&block[4], static_cast<int>(entries.size()));
  size_t at = 16 + 2 * entries.size();
  for (size_t i = 0; i < entries.size(); ++i) {
    PutLe16(&block[16 + 2 * i], static_cast<int>(at));
    PutLe16(&block[at], static_cast<int>(entries[i].size()));
    at += 4;
    for (const MacroEvent& ev : entries[i]) {
      const auto bytes = MacroEventBytes(ev);
      std::copy(bytes.begin(), bytes.end(), block.begin() + static_cast<std::ptrdiff_t>(at));
      at += 4;
    }
  }
  return block;
}

int CTessaroMouseDevice::WriteMacros(const std::vector<int>& macros) {
  if (!Guard()) return -1;
  DeviceInfo info;
  if (link_->ReadDeviceInfo(info) != 1) return -1;
  deviceInfo_ = info;
  CMacroCatalogue catalogue(DeviceFolder());
  const std::vector<MacroEntry> entries = catalogue.LoadCatalogue();
  std::vector<std::vector<MacroEvent>> events;
  size_t total = 16;
  for (int m : macros) {
    std::vector<MacroEvent> list;
    if (m >= 0 && m < static_cast<int>(entries.size())) {
      const std::string path = catalogue.MacroPath(entries[m]);
      if (!path.empty()) list = CMacroFile::Read(path).events;
    }
    total += 6 + 4 * list.size();
    events.push_back(std::move(list));
  }
  const size_t area = static_cast<size_t>(info.bytes[6]) * 128;
  if (total > area) return static_cast<int>((total - area) / 4 + 1);
  const std::vector<uint8_t> block = BuildEventContainer(events);
  if (block.empty()) return -1;
  int r = link_->BeginConfig();
  if (r == 1) r = link_->WriteMacroData(block.data(), block.size());
  link_->EndConfig();
  return r == 1 ? 0 : -1;
}

int CTessaroMouseDevice::WriteShootData() {
  if (!Guard()) return 0;
  const std::string folder = DeviceFolder();
  std::vector<std::vector<MacroEvent>> guns;
  for (int gun = 0; gun < 4; ++gun)
    guns.push_back(CMacroFile::Read(folder + "ShootData_" + std::to_string(gun) + ".Shoot").events);
  const std::vector<uint8_t> block = BuildEventContainer(guns);
  if (block.empty()) return kLinkBadBlock;  // would not fit the 16-bit length
  int r = link_->BeginConfig();
  if (r == 1) r = link_->WriteShootData(block.data(), block.size());
  link_->EndConfig();
  return r;
}

// ---- reachability and power ----------------------------------------------------------------------

int CTessaroMouseDevice::IsReachable() {
  return link_->IsOpen() && link_->ReceiverMode() && link_->QueryWireless() ? 1 : 0;
}

void CTessaroMouseDevice::PollBattery() {
  if (!link_->IsOpen() || pollingSuspended_ || !link_->QueryWireless()) return;
  uint8_t power[6] = {};
  if (link_->ReadRange(power, sizeof power, 0) != 1) return;
  power[3] = link_->ReceiverMode() ? 1 : 0;
  if (observer_) {
    observer_->ShowPower(power, 6);
    observer_->PostMainMessage(kBatteryMessage, power[4], 0);
  }
}

// ---- companion interfaces ------------------------------------------------------------------------

int CTessaroMouseDevice::OpenCompanion(const std::string& path, int kind) {
  const bool receiver = kind == kCompanionReceiver;
  CHidChannel& channel = receiver ? companionLink_->ReceiverChannel() : companionLink_->WiredChannel();
  auto& mark = receiver ? companionReceiverOpen_ : companionWiredOpen_;
  // A listener of a former open would otherwise block for ever in a read on the new channel.
  Listener(kind).Stop([&channel] { channel.Close(); });
  bool opened;
  {
    std::lock_guard lock(receiver ? companionReceiverLock_ : companionWiredLock_);
    channel.Close();
    opened = channel.Open(path, true, true) == 1;
    mark = opened;
  }
  if (!opened) return 0;
  Listener(kind).Start([this, receiver](const CStopEvent& stop) { ListenerLoop(stop, !receiver); });
  return 1;
}

int CTessaroMouseDevice::ReopenCompanion(const std::string& path, int kind) {
  CloseCompanion(kind);
  return OpenCompanion(path, kind);
}

void CTessaroMouseDevice::CloseCompanion(int kind) {
  const bool receiver = kind == kCompanionReceiver;
  CHidChannel& channel = receiver ? companionLink_->ReceiverChannel() : companionLink_->WiredChannel();
  auto& mark = receiver ? companionReceiverOpen_ : companionWiredOpen_;
  if (!mark) return;
  // Closing the channel cancels the listener's pending read, so the stop never waits it out.
  Listener(kind).Stop([&channel] { channel.Close(); });
  std::lock_guard lock(receiver ? companionReceiverLock_ : companionWiredLock_);
  mark = false;
  channel.Close();
}

bool CTessaroMouseDevice::CompanionOpen(int kind) const {
  return kind == kCompanionReceiver ? companionReceiverOpen_.load() : companionWiredOpen_.load();
}

void CTessaroMouseDevice::ListenerLoop(const CStopEvent& stop, bool wired) {
  CHidChannel& channel = wired ? companionLink_->WiredChannel() : companionLink_->ReceiverChannel();
  std::vector<uint8_t> report(64);
  while (!stop.IsSet()) {
    const size_t length = std::max<size_t>(channel.Caps().inputReportByteLength, 1);
    if (report.size() < length) report.resize(length);
    uint32_t got = 0;
    if (!channel.Read(report.data(), static_cast<uint32_t>(length), &got, CHidChannel::kInfinite) || got == 0) {
      stop.WaitFor(std::chrono::milliseconds(1));
      continue;
    }
    if (channel.UnpackInput(report.data(), got) != 1) continue;
    uint16_t usage = 0;
    const auto& items = channel.InputDataItems();
    if (!items.empty()) {
      const HidDataItem& item = items.front();
      // An empty usage list means no event (usage 0).
      if (item.isButton)
        usage = item.usages.empty() ? 0 : item.usages.front();
      else
        usage = static_cast<uint16_t>(item.value);
    }
    DebugLine("接收到自动添加设备的同步信息要求  TEST");
    HandleCompanionUsage(usage, wired);
  }
  DebugLine("MS 设备同步线程设定退出");
}

void CTessaroMouseDevice::HandleCompanionUsage(uint16_t usage, bool wired) {
  if (usage == 0x401 || usage == 0x402) {
    DebugLine("接收到自动添加设备的同步信息要求");
    if (observer_) observer_->ArmTimer(kReloadTimer, 50);
    return;
  }
  if (usage == 0x403) {
    if (!wired || Params().mode != 6) return;
    std::lock_guard lock(fadeLock_);
    for (int i = 0; i < kLedCount; ++i) {
      fadeState_[i] = 1;
      fadeLevel_[i] = 255;
      fadeHue_[i] = RandomHue();
    }
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
  if (!observer_) return;
  // The profile data and the page belong to the UI thread.
  observer_->PostToUiThread([this, stage] {
    if (stage >= 0) profile_.SetActiveDPIStage(stage);
    if (observer_) observer_->OnProfileStateChanged();
    ApplyProfileToPage();
  });
}

// ---- light thread and the mouse's own preview steps ----------------------------------------------

void CTessaroMouseDevice::StartLightThread() {
  lightThread_.Start([this](const CStopEvent& stop) { RunLightLoop(stop, &MousePlayer(), "MS灯光线程设定退出"); });
}

void CTessaroMouseDevice::StopLightThread() { lightThread_.Stop(); }

void CTessaroMouseDevice::StepRainbow() {
  const EffectParams p = Params();
  const uint8_t level = Brightness(p.level);
  const int period = p.multicolour ? 192 : 96;
  const uint8_t phase = StepPhase(effectPhase_, period, p.direction);
  effectPhase_ = phase;
  for (int g = 0; g < 7; ++g) {
    const int at = (phase + 1 + 7 * g) % period;
    for (int led : kGroups[g]) {
      if (p.multicolour)
        ledState_.Set(led, kHueWheel[at], level);
      else
        ledState_.Set(led, p.colour, Scale(level, kWave[at]));
    }
  }
}

void CTessaroMouseDevice::StepRipple() {
  const EffectParams p = Params();
  const uint8_t level = Brightness(p.level);
  uint8_t phase = StepPhase(effectPhase_, 192, p.direction);
  effectPhase_ = phase;
  KeyEffectSeed();
  KeyEffectRotate(p.direction != 0);
  const bool entryLit = Intensity(p.direction != 0 ? 1 : 7) != 0;
  for (int g = 0; g < 7; ++g) {
    KeyEffectDecay(g, p.mode);
    Rgb colour = p.colour;
    if (p.multicolour) {
      phase = static_cast<uint8_t>(phase + 12);
      if (entryLit) {
        const LedValue first = ledState_.Get(kGroups[g].front());
        colour = {first.r, first.g, first.b};
      } else {
        colour = kHueWheel[phase >= 192 ? phase - 192 : phase];
      }
    }
    const uint8_t brightness = static_cast<uint8_t>(level * Intensity(g + 1) / 256);
    for (int led : kGroups[g]) ledState_.Set(led, colour, brightness);
  }
}

void CTessaroMouseDevice::StepFade() {
  const EffectParams p = Params();
  const uint8_t level = Brightness(p.level);
  std::lock_guard lock(fadeLock_);
  for (int i = 0; i < kLedCount; ++i) {
    if (fadeState_[i] == 1) {
      fadeLevel_[i] = static_cast<uint8_t>(std::min(255, fadeLevel_[i] + 15));
      if (fadeLevel_[i] == 255) fadeState_[i] = 2;
    } else if (fadeState_[i] == 2) {
      fadeLevel_[i] = static_cast<uint8_t>(std::max(0, fadeLevel_[i] - 15));
      if (fadeLevel_[i] == 0) fadeState_[i] = 0;
    }
    const Rgb colour = p.multicolour ? kHueWheel[fadeHue_[i]] : p.colour;
    ledState_.Set(i, colour, Scale(level, fadeLevel_[i]));
  }
}

// ---- state for the page ------------------------------------------------------------------------

bool CTessaroMouseDevice::HasSettingsBlock() const {
  std::lock_guard lock(blockLock_);
  return hasBlock_;
}

std::array<uint8_t, CTessaroMouseDevice::kSettingsSize> CTessaroMouseDevice::SettingsBlock() const {
  std::lock_guard lock(blockLock_);
  return block_;
}

CTessaroMouseDevice::LightState CTessaroMouseDevice::GetLightState() const {
  std::lock_guard lock(stateLock_);
  return lightState_;
}

}  // namespace orlo
