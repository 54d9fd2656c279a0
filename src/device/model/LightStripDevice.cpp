#include "device/model/LightStripDevice.h"

#include <chrono>

#include "platform/DebugLog.h"
#include "profile/JsonFile.h"

namespace orlo {

namespace {

CCustomEffectPlayer& StripPlayer() {
  // One player state serves every strip device.
  static CCustomEffectPlayer player;
  return player;
}

// The device asks to be read again: the tab reads it after this delay.
constexpr int kReloadDelayMs = 500;
constexpr uint16_t kUsageResync = 0x401;

}  // namespace

CLightStripDevice::CLightStripDevice(std::shared_ptr<hid::HidBackend> backend, uint16_t family, int ledCount,
                                     int kindIndex, const std::string& displayName, CStripLightPreview::Wave wave)
    : CTessaroUSBDevice(std::move(backend), family, ledCount, 0, std::make_unique<CStripLightPreview>(ledCount, wave)) {
  SetNames(displayName, "velko_light");
  profileKindIndex_ = kindIndex;
}

void CLightStripDevice::ReadInformation() {
  CDeviceLink& l = link();
  if (!l.IsOpen()) return;
  DeviceInfo info;
  if (l.BeginConfig() == 1 && l.ReadDeviceInfo(info) == 1) {
    auto lock = ModelLock();
    deviceInfo_ = info;
  }
  l.EndConfig();
}

int CLightStripDevice::ReadActiveSettings() {
  std::vector<BuiltInLightEntry> modes;
  {
    auto lock = ModelLock();
    modes = lightModes_;
  }
  const int r = image_.Read(link(), modes);
  if (r != 1) return r;
  // The image takes the device's block; the effect the page edits stays the profile's.
  image_.TakeEffect(GetLightEffect());
  return 1;
}

int CLightStripDevice::ApplySettings(int profile, int, int, int, int) {
  std::vector<BuiltInLightEntry> modes;
  {
    auto lock = ModelLock();
    modes = lightModes_;
  }
  return image_.Write(link(), profile, modes, kModeLimit);
}

void CLightStripDevice::ReloadFromDevice() {
  ReadActiveSettings();
  NotifyProfileState();
}

RestoreResult CLightStripDevice::RestoreSettings() {
  if (!link().IsOpen() || ReadActiveSettings() != 1) return RestoreResult::kNotReached;
  if (ActiveProfileNumber() != kHostProfile) {
    // Switched on the device itself: the page shows its block, nothing is written over it.
    NotifyProfileState();
    return RestoreResult::kRead;
  }
  return ApplySettings(kHostProfile, 0, 0, 0, 0) == 1 ? RestoreResult::kWritten : RestoreResult::kFailed;
}

void CLightStripDevice::PrepareProfileFiles() {
  auto lock = ModelLock();
  CBasicProfiledata& doc = Document();
  if (ProfileList().Folder().empty()) ProfileList().SetPaths(DeviceFolder(), DefaultDocumentPath());
  // An id that could leave the folder keeps the former path.
  const std::string path = ProfileList().DocumentPath(ActiveProfileId());
  if (!path.empty()) doc.SetProfilePath(path);
  doc.SetLightConfigPath(DeviceFolder() + lightConfigName_ + ".config");
  doc.SetDefaultPath(DefaultDocumentPath());
  doc.SetProfileKindIndex(profileKindIndex_);
}

int CLightStripDevice::LoadProfile() {
  {
    auto lock = ModelLock();
    PrepareProfileFiles();
    Document().LoadSection(Document().GetProfilePath());
    LoadProfileIntoState();
    LoadDeviceState();
  }
  NotifyProfileState();
  return 1;
}

void CLightStripDevice::ReloadProfile() {
  {
    auto lock = ModelLock();
    Document().SetDefaultPath(DefaultDocumentPath());
    ResetDocument();
    LoadProfileIntoState();
    LoadDeviceState();
    NotifyProfileChanged();
  }
  NotifyProfileState();
  ApplySettings(0, 0, 0, 0, 0);
}

int CLightStripDevice::LoadProfileIntoState() {
  auto lock = ModelLock();
  CBasicProfiledata& doc = Document();
  const LightInfo effect = doc.GetLightInfo();
  TakePreviewEffect(effect);
  image_.TakeEffect(effect);
  {
    std::lock_guard listLock(lightListLock_);
    lightList_ = doc.GetLightList();
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    Strip().TakeLightList(lightList_,
                          static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count()));
  }
  doc.LoadLightConfig(doc.GetLightConfigPath());
  preview_->TakeCustomSteps(doc.GetCustomLightEffect());
  return 1;
}

CStripLightPreview& CLightStripDevice::Strip() {
  // The constructor gives every strip device a strip preview.
  return static_cast<CStripLightPreview&>(*preview_);
}

void CLightStripDevice::TakePreviewEffect(const LightInfo& effect) {
  if (preview_->Effect().mode != effect.mode) Strip().RestartChase();
  preview_->SetEffect(effect);
}

void CLightStripDevice::LoadCatalogues() {
  {
    auto lock = ModelLock();
    ReadLightCatalogues(lightModes_, customModes_);
  }
  if (auto* o = observer_.load()) o->OnCataloguesLoaded();
}

void CLightStripDevice::SetLightEffect(const LightInfo& effect) {
  auto lock = ModelLock();
  TakePreviewEffect(effect);
  image_.TakeEffect(effect);
  Document().SetLightInfo(effect);
}

bool CLightStripDevice::HasLightMode(int mode) const {
  auto lock = ModelLock();
  if (mode >= 0 && static_cast<size_t>(mode) < lightModes_.size()) return true;
  return mode >= 10 && static_cast<size_t>(mode - 10) < customModes_.size();
}

void CLightStripDevice::StopStrip() {
  StopWork();
  StopLightThread();
  CloseEvents(0);
}

void CLightStripDevice::OpenEvents(const InterfaceEntry& companion) {
  CHidChannel& channel = companionLink().WiredChannel();
  // A listener of a former open would otherwise block for ever in a read on the new channel.
  listener_.Stop([&channel] { channel.Close(); });
  bool opened;
  {
    std::lock_guard lock(companionLock_);
    channel.Close();
    opened = channel.Open(companion.devicePath, true, true) == 1;
    companionOpen_ = opened;
  }
  if (opened) listener_.Start([this](const CStopEvent& stop) { ListenerLoop(stop); });
}

void CLightStripDevice::CloseEvents(uint16_t) {
  if (!companionOpen_) return;
  CHidChannel& channel = companionLink().WiredChannel();
  // Closing the channel cancels the listener's pending read, so the stop never waits it out.
  listener_.Stop([&channel] { channel.Close(); });
  std::lock_guard lock(companionLock_);
  companionOpen_ = false;
  channel.Close();
}

void CLightStripDevice::ListenerLoop(const CStopEvent& stop) {
  ListenForUsages(companionLink().WiredChannel(), stop, [this](uint16_t usage) { HandleCompanionUsage(usage); });
  DebugLine("MS设备同步线程设定退出");
}

void CLightStripDevice::HandleCompanionUsage(uint16_t usage) {
  if (usage != kUsageResync) return;
  DebugLine("接收到自动添加设备的同步信息要求");
  if (auto* o = observer_.load()) o->OnReloadRequested(kReloadDelayMs);
}

void CLightStripDevice::StartLightThread() { preview_->Start(&StripPlayer(), "MS灯光线程设定退出"); }

}  // namespace orlo
