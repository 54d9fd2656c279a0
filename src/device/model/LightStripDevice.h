#pragma once
// What the mousepad and headset drivers share: a strip of LEDs animated by the page preview,
// the 21-byte lighting settings block (see LightSettingsImage.h) written from the profile's
// light effect, and the light mode list of the device's kind. Each keeps its own profile
// document; this base reaches it through Document().
#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "device/model/LightSettingsImage.h"
#include "device/model/StripLightPreview.h"
#include "device/model/TessaroUSBDevice.h"
#include "device/model/WorkerThread.h"
#include "profile/BasicProfiledata.h"

namespace orlo {

class CLightStripDevice : public CTessaroUSBDevice {
 public:
  // Mode indexes from here on count as mode 0 when the block is written.
  static constexpr int kModeLimit = 9;

  CLightStripDevice(std::shared_ptr<hid::HidBackend> backend, uint16_t family, int ledCount, int kindIndex,
                    const std::string& displayName, CStripLightPreview::Wave wave);

  // ---- reads and writes ----------------------------------------------------------------------
  // Reads the device information block between BeginConfig and EndConfig.
  void ReadInformation();
  // Reads the active profile number and its block into the image (the profile is not touched).
  // 1, or 0 when the link is closed or a read failed.
  int ReadActiveSettings();
  // Writes the image for a profile: the profile's light effect with the device's own bytes.
  int ApplySettings(int profile, int byte0, int byte59, int screenWidth, int screenHeight) override;
  void ReloadFromDevice() override;
  RestoreResult RestoreSettings() override;
  const CLightSettingsImage& SettingsImage() const { return image_; }
  int ActiveProfileNumber() const { return image_.ActiveProfile(); }

  // ---- profile and catalogues --------------------------------------------------------------------
  // The active profile's document loaded into the effect, the image and the device's own state.
  int LoadProfile() override;
  // Back to the default document (ResetDocument), stored and written.
  void ReloadProfile() override;
  int LoadProfileIntoState() override;
  void PrepareProfileFiles();
  void LoadCatalogues() override;
  void SetLightEffect(const LightInfo& effect) override;
  std::string GetProfileName() override { return Document().GetProfilePath(); }
  void NotifyProfileChanged() override { Document().Save(); }
  bool HasLightMode(int mode) const override;
  const std::vector<BuiltInLightEntry>& LightModes() const { return lightModes_; }
  const std::vector<CustomLightEntry>& CustomLightModes() const { return customModes_; }

  // ---- companion interface: the device asks to be read again (usage 0x401) ------------------
  void OpenEvents(const InterfaceEntry& companion) override;
  void CloseEvents(uint16_t kind) override;
  bool CompanionOpen() const { return companionOpen_; }
  // An event code from the companion interface (the listener calls this).
  void HandleCompanionUsage(uint16_t usage);

  void StartLightThread();
  void StopLightThread() { preview_->Stop(); }
  bool LightThreadRunning() const { return preview_->Running(); }
  CStripLightPreview& Strip();

 protected:
  virtual CBasicProfiledata& Document() = 0;
  // After a document was loaded (model lock held): the device's own settings from it.
  virtual void LoadDeviceState() {}
  // Loads the default document into the profile (model lock held).
  virtual void ResetDocument() { Document().LoadSection(DefaultDocumentPath()); }
  // The preview animates an effect; a new mode starts its chase afresh. Model lock held.
  void TakePreviewEffect(const LightInfo& effect);
  // Ends the worker, the light thread and the listener: a driver's destructor runs it first.
  void StopStrip();

  CLightSettingsImage image_;
  std::vector<BuiltInLightEntry> lightModes_;
  std::vector<CustomLightEntry> customModes_;
  std::vector<LightInfo> lightList_;

 private:
  void ListenerLoop(const CStopEvent& stop);

  std::mutex companionLock_;  // opening and closing of the companion channel
  std::atomic<bool> companionOpen_{false};
  CWorkerThread listener_;
};

}  // namespace orlo
