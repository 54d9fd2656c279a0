#include "device/model/TessaroUSBDevice.h"

#include <algorithm>
#include <chrono>

#include "device/model/CompanionListeners.h"
#include "device/mouse/EventContainer.h"
#include "macro/MacroCatalogue.h"
#include "platform/DebugLog.h"
#include "platform/Paths.h"
#include "profile/JsonFile.h"

namespace orlo {

CTessaroUSBDevice::CTessaroUSBDevice(std::shared_ptr<hid::HidBackend> backend, uint16_t family, int ledCount,
                                     int keyCount, std::unique_ptr<CLightPreview> preview)
    : session_(std::make_unique<CDeviceSession>(std::move(backend))),
      keyCount_(keyCount),
      preview_(preview ? std::move(preview) : std::make_unique<CLightPreview>(ledCount)),
      family_(family),
      displayName_(DeviceFolderName(family)),
      debounce_([this] { session_->Submit([this] { Commit(); }); }) {
  preview_->SetHooks({[this] { return link().IsOpen(); }, [this] { return link().LightSyncActive(); },
                      [this] {
                        if (auto* o = observer_.load()) o->OnLedsChanged();
                      }});
}

CTessaroUSBDevice::~CTessaroUSBDevice() {
  StopWork();
  preview_->Stop();
}

void CTessaroUSBDevice::StopWork() {
  debounce_.SetTimer({});
  debounce_.Fire();
  // A device that stopped answering is not waited for long: the pending exchange is cancelled.
  if (!session_->Drain(std::chrono::milliseconds(1500)))
    DebugLine("device worker did not finish its work in time; it is cancelled");
  session_->StopWorker();
}

void CTessaroUSBDevice::SetSlotEntry(int kind, int variant, const std::string& path) {
  connectionKind_ = kind;
  variantOfSlot_ = variant;
  slotPath_ = path;
  isReceiverConnection_ = IsReceiverKind(static_cast<uint16_t>(kind));
}

void CTessaroUSBDevice::SetNames(const std::string& displayName, const std::string& lightConfigName) {
  displayName_ = displayName;
  lightConfigName_ = lightConfigName;
}

int CTessaroUSBDevice::Connect(const InterfaceEntry& entry) {
  if (session_->Connect(entry) != 1) return 0;
  SetSlotEntry(entry);
  return 1;
}

void CTessaroUSBDevice::SetActiveProfileId(const std::string& id) {
  std::lock_guard lock(idLock_);
  activeProfileId_ = id;
}

std::string CTessaroUSBDevice::ActiveProfileId() const {
  std::lock_guard lock(idLock_);
  return activeProfileId_;
}

bool CTessaroUSBDevice::OpenProfileList() {
  auto lock = ModelLock();
  profileList_.SetDeviceKind(family_);
  profileList_.SetPaths(DeviceFolder(), DefaultDocumentPath());
  profileList_.Init();
  const std::string id = profileList_.GetSelectedUUID();
  if (id.empty()) {
    DebugPrintf("%s: the profile list names no profile", displayName_.c_str());
    return false;
  }
  SetActiveProfileId(id);
  return true;
}

std::string CTessaroUSBDevice::DeviceFolder() const {
  const std::string folder = paths::DeviceFolder(family_);
  paths::EnsureFolder(folder);
  return folder;
}

std::string CTessaroUSBDevice::DefaultDocumentPath() const { return paths::DefaultDocumentPath(family_); }

void CTessaroUSBDevice::ReadLightCatalogues(std::vector<BuiltInLightEntry>& modes,
                                            std::vector<CustomLightEntry>& customs) const {
  CJsonFile file;
  std::vector<BuiltInLightEntry> readModes;
  if (ReadBuiltInLightNames(file.ReadDocument(DefaultLightCataloguePath()), profileKindIndex_, readModes))
    modes = std::move(readModes);
  std::vector<CustomLightEntry> readCustoms;
  if (ReadCustomLightEntries(file.ReadDocument(DeviceFolder() + lightConfigName_ + ".config"), profileKindIndex_,
                             readCustoms))
    customs = std::move(readCustoms);
}

void CTessaroUSBDevice::ListenForUsages(CHidChannel& channel, const CStopEvent& stop,
                                        const std::function<void(uint16_t)>& onUsage) {
  CCompanionListeners::ReadUsages(channel, stop, onUsage);
}

int CTessaroUSBDevice::Commit() {
  NotifyProfileChanged();
  return ApplySettings(0, 0, 1, screenWidth_, screenHeight_);
}

int CTessaroUSBDevice::SelectProfile(const std::string& id) {
  if (id.empty()) return 0;
  SetActiveProfileId(id);
  LoadProfile();
  SaveProfile();
  RewriteKeyAssignments(0);
  return ApplySettings(0, 0, 1, screenWidth_, screenHeight_);
}

std::pair<int, int> CTessaroUSBDevice::FunctionTabPages(int tab, int connectionKind) {
  switch (tab) {
    case 2: case 6: return {0, 1};
    case 3: case 8: return {1, -1};
    case 4:
      // The mouse and the keyboard on their cables have a page of system settings.
      if (connectionKind == kKindKeyboard || connectionKind == kKindMouse) return {3, -1};
      return {0, 2};
    case 7: return {0, 2};
    case 5: return {2, -1};
    default: return {0, 0};
  }
}

void CTessaroUSBDevice::SetAudioLightSettings(uint32_t a, uint32_t b, uint32_t c) {
  for (int i = 0; i < 4; ++i) {
    audioLight_[i] = static_cast<uint8_t>(a >> (8 * i));
    audioLight_[4 + i] = static_cast<uint8_t>(b >> (8 * i));
  }
  audioLight_[8] = static_cast<uint8_t>(c);
}

void CTessaroUSBDevice::SetLightEffect(const LightInfo& effect) { preview_->SetEffect(effect); }

void CTessaroUSBDevice::ChangeLighting(const std::function<void(LightInfo&)>& change) {
  link().SetLightSyncActive(false);
  auto lock = ModelLock();
  LightInfo effect = GetLightEffect();
  change(effect);
  SetLightEffect(effect);
  LoadProfileIntoState();
}

// ---- helpers of the drivers ----------------------------------------------------------------

void CTessaroUSBDevice::PrepareProfilePaths(CBasicProfiledata& profile) {
  auto lock = ModelLock();
  if (ProfileList().Folder().empty()) ProfileList().SetPaths(DeviceFolder(), DefaultDocumentPath());
  const std::string path = ProfileList().DocumentPath(ActiveProfileId());
  if (!path.empty()) profile.SetProfilePath(path);
  profile.SetLightConfigPath(DeviceFolder() + lightConfigName_ + ".config");
  profile.SetDefaultPath(DefaultDocumentPath());
}

void CTessaroUSBDevice::ReadCatalogues(int& macroCount, std::vector<BuiltInLightEntry>& builtIns,
                                       std::vector<CustomLightEntry>& customs) {
  {
    auto lock = ModelLock();
    macroCount = CMacroCatalogue(DeviceFolder()).Count();
    CJsonFile file;
    const Json::Value names = file.ReadDocument(DefaultLightCataloguePath());
    std::vector<BuiltInLightEntry> modes;
    if (ReadBuiltInLightNames(names, profileKindIndex_, modes)) builtIns = std::move(modes);
    const Json::Value config = file.ReadDocument(DeviceFolder() + lightConfigName_ + ".config");
    std::vector<CustomLightEntry> read;
    if (ReadCustomLightEntries(config, profileKindIndex_, read)) customs = std::move(read);
  }
  if (auto* o = observer_.load()) o->OnCataloguesLoaded();
}

namespace {
// Events too many for the macro area the information block announces (128 bytes per unit of
// byte 6), rounded up; 0 when they fit.
int ExcessEvents(size_t total, const DeviceInfo& info) {
  const size_t area = static_cast<size_t>(info.bytes[6]) * 128;
  return total > area ? static_cast<int>((total - area) / 4 + 1) : 0;
}
}  // namespace

bool CTessaroUSBDevice::RefreshDeviceInfo(DeviceInfo& info) {
  CDeviceLink& l = link();
  if (!l.IsOpen() || !l.ReceiverGuard() || l.ReadDeviceInfo(info) != 1) return false;
  auto lock = ModelLock();
  deviceInfo_ = info;
  return true;
}

int CTessaroUSBDevice::MacroExcess(const std::vector<int>& macros) {
  DeviceInfo info;
  if (!RefreshDeviceInfo(info)) return -1;
  return ExcessEvents(EventContainerSize(LoadMacroEvents(DeviceFolder(), macros)), info);
}

CTessaroUSBDevice::ProfileWrite CTessaroUSBDevice::WriteProfileToDevice(bool withSettings) {
  ProfileWrite out;
  const std::vector<int> macros = GetUsedMacros();
  if (!macros.empty()) {
    const int excess = MacroExcess(macros);
    if (excess > 0) {
      out.excess = excess;
      return out;
    }
  }
  if (withSettings) ApplySettings(0, 0, 1, screenWidth_, screenHeight_);
  // A macro file that grew since it was measured leaves the key table as it was.
  const KeyDownload keys = DownloadKeyAssignments();
  if (keys.Refused()) out.excess = keys.macros;
  out.macrosFailed = keys.macros < 0;
  return out;
}

int CTessaroUSBDevice::WriteMacroBlock(const std::vector<int>& macros) {
  CDeviceLink& l = link();
  DeviceInfo info;
  if (!RefreshDeviceInfo(info)) return -1;
  const std::vector<std::vector<MacroEvent>> events = LoadMacroEvents(DeviceFolder(), macros);
  if (const int excess = ExcessEvents(EventContainerSize(events), info); excess > 0) return excess;
  const std::vector<uint8_t> block = BuildEventContainer(events);
  if (block.empty()) return -1;
  int r = l.BeginConfig();
  if (r == 1) r = l.WriteMacroData(block.data(), block.size());
  l.EndConfig();
  return r == 1 ? 0 : -1;
}

CTessaroUSBDevice::KeyDownload CTessaroUSBDevice::DownloadKeyAssignments() {
  KeyDownload r;
  r.macros = WriteMacros(GetUsedMacros());
  if (r.Refused()) return r;
  r.keys = RewriteKeyAssignments(0);
  return r;
}

int CTessaroUSBDevice::ReachableThroughReceiver() {
  CDeviceLink& l = link();
  return l.IsOpen() && l.ReceiverMode() && l.QueryWireless() ? 1 : 0;
}

void CTessaroUSBDevice::ReportPowerState(bool suspended) {
  CDeviceLink& l = link();
  if (!l.IsOpen() || suspended || !l.QueryWireless()) return;
  uint8_t power[6] = {};
  if (l.ReadRange(power, sizeof power, 0) != 1) return;
  power[3] = l.ReceiverMode() ? 1 : 0;
  if (auto* o = observer_.load()) o->OnPowerChanged(power, 6);
}

}  // namespace orlo
