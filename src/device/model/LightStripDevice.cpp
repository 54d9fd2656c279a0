#include "device/model/LightStripDevice.h"

#include "profile/JsonFile.h"

namespace orlo {

namespace {

CCustomEffectPlayer& StripPlayer() {
  // One player state serves every strip device.
  static CCustomEffectPlayer player;
  return player;
}

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

int CLightStripDevice::LoadProfileIntoState() {
  auto lock = ModelLock();
  CBasicProfiledata& doc = Document();
  const LightInfo effect = doc.GetLightInfo();
  if (preview_->Effect().mode != effect.mode) preview_->ClearKeyEffects();
  preview_->SetEffect(effect);
  image_.TakeEffect(effect);
  {
    std::lock_guard listLock(lightListLock_);
    lightList_ = doc.GetLightList();
  }
  doc.LoadLightConfig(doc.GetLightConfigPath());
  const std::vector<LEDEffectStep> steps = doc.GetCustomLightEffect();
  CustomEffectSteps& custom = preview_->CustomSteps();
  std::lock_guard stepsLock(custom.lock);
  custom.steps.clear();
  for (const auto& s : steps)
    custom.steps.push_back({s.mode, s.brightness, s.speed, s.direction, s.multiColor, s.red, s.green, s.blue,
                            s.time, s.cycle});
  custom.position = 0;
  return 1;
}

void CLightStripDevice::LoadCatalogues() {
  {
    auto lock = ModelLock();
    CJsonFile file;
    const Json::Value names = file.ReadDocument(DefaultLightCataloguePath());
    std::vector<BuiltInLightEntry> modes;
    if (ReadBuiltInLightNames(names, profileKindIndex_, modes)) lightModes_ = std::move(modes);
    const Json::Value config = file.ReadDocument(DeviceFolder() + lightConfigName_ + ".config");
    std::vector<CustomLightEntry> customs;
    if (ReadCustomLightEntries(config, profileKindIndex_, customs)) customModes_ = std::move(customs);
  }
  if (auto* o = observer_.load()) o->OnCataloguesLoaded();
}

void CLightStripDevice::SetLightEffect(const LightInfo& effect) {
  auto lock = ModelLock();
  if (preview_->Effect().mode != effect.mode) preview_->ClearKeyEffects();
  preview_->SetEffect(effect);
  image_.TakeEffect(effect);
  Document().SetLightInfo(effect);
}

bool CLightStripDevice::HasLightMode(int mode) const {
  auto lock = ModelLock();
  if (mode >= 0 && static_cast<size_t>(mode) < lightModes_.size()) return true;
  return mode >= 10 && static_cast<size_t>(mode - 10) < customModes_.size();
}

void CLightStripDevice::StartLightThread() { preview_->Start(&StripPlayer(), "MS灯光线程设定退出"); }

}  // namespace orlo
