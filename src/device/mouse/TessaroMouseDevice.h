#pragma once
// The mouse driver: reads the mouse's blocks over the session, keeps its profile document as
// the model the page edits, and writes the profile back as the 78-byte settings block of a
// profile, the key table, and the macro and shooting blocks. Follows the mouse's companion
// interface for events the mouse sends on its own, and animates the preview of its 15 LEDs.
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "device/model/CompanionListeners.h"
#include "device/model/MacroDevice.h"
#include "device/model/TessaroUSBDevice.h"
#include "device/mouse/EventContainer.h"
#include "device/mouse/MouseKeyTable.h"
#include "device/mouse/MouseLightPreview.h"
#include "device/mouse/MouseSettingsBlock.h"
#include "macro/MacroEvent.h"
#include "profile/MouseProfiledata.h"

namespace orlo {

class CTessaroMouseDevice : public CTessaroUSBDevice, public IMacroDevice {
 public:
  static constexpr int kLedCount = CMouseLightPreview::kLedCount;
  static constexpr int kPageButtons = kMouseButtons;
  static constexpr int kSettingsSize = kMouseSettingsSize;
  static constexpr int kProfileStride = kMouseProfileStride;
  static constexpr int kStageCount = kMouseStageCount;
  static constexpr int kCompanionWired = 2;
  static constexpr int kCompanionReceiver = 6;

  // The light state the preview and the page show.
  struct LightState {
    uint8_t activeProfile = 0, mode = 0, brightness = 0, speed = 0, multicolour = 0;
    uint8_t red = 0, green = 0, blue = 0;
  };

  explicit CTessaroMouseDevice(std::shared_ptr<hid::HidBackend> backend = hid::DefaultBackend());
  ~CTessaroMouseDevice() override;

  // ---- the driver's life -------------------------------------------------------------------
  void OnFirstContact() override;
  void ReloadFromDevice() override;
  RestoreResult RestoreSettings() override;
  void PollBattery() override;
  int IsReachable() override;
  int LoadProfile() override;
  void OpenEvents(const InterfaceEntry& companion) override;
  void CloseEvents(uint16_t kind) override { CloseCompanion(kind); }

  // ---- reads and writes -------------------------------------------------------------------------
  // First contact: information block, key table and key map. 1, or the failing code.
  int ReadAll();
  // Active profile number and its settings block. 1, or 0 when the read failed (the kept
  // block is then unchanged). With intoProfile the block's lighting and active stage become the
  // profile's (and the document is saved); without, only the block is kept for later writes.
  int ReadActiveSettings(bool intoProfile = true);
  // Catalogues loaded, the view told, the settings block written.
  void ApplyProfile();
  int ApplySettings(int profile, int byte0, int byte59, int screenWidth, int screenHeight) override;
  std::vector<int> GetUsedMacros() override;
  int WriteKeyAssignments(int block, const std::vector<KeyAssign>& list);
  int RewriteKeyAssignments(int block) override;
  // 0 when written; the number of events too many when they do not fit; -1 on failure.
  int WriteMacros(const std::vector<int>& macros) override;
  // IMacroDevice: the key list of the active profile.
  std::vector<KeyAssign> CopyKeyList() override;
  void StoreKeyList(const std::vector<KeyAssign>& list) override;
  std::optional<KeyAssign> KeyAssignmentOf(int button) const override;
  // The current code of page button `button` (kept in the profile's key list).
  void SetKeyAssignment(int button, const AssignCode& code) override;
  // The four guns' shooting block. 1, 0 when not reachable, or the failing code.
  int WriteShootData();

  // ---- the model the page edits (each takes the model lock; RequestCommit writes it) ---------
  std::vector<DPIStage> Stages();
  void SetStageResolution(int stage, int dpi);
  void SetStageEnabled(int stage, bool on);
  void SetStageColour(int stage, uint8_t red, uint8_t green, uint8_t blue);
  int ActiveStage();
  void SetActiveStage(int stage);
  MouseSystemStages SystemSettings();
  void SetSystemSettings(const MouseSystemStages& settings);
  // The report rate of the connection in use (cable or receiver), 0..4.
  int ReportRate();
  void SetReportRate(int index);
  void SetLightEffect(const LightInfo& effect) override;

  // ---- profile document ----------------------------------------------------------------------
  int LoadProfileIntoState() override;
  // Drops assignments of macros the catalogue no longer holds and stores the key list.
  void SaveProfile() override;
  void ReloadProfile() override;
  void LoadCatalogues() override;
  void PrepareProfileFiles();
  std::string GetProfileName() override { return profile_.GetProfilePath(); }
  void NotifyProfileChanged() override { profile_.Save(); }
  void SetProfileKindIndex(int index) override;
  bool HasLightMode(int mode) const override;

  // ---- companion interfaces (kind 2 wired, 6 receiver) --------------------------------------
  int OpenCompanion(const std::string& path, int kind);
  int ReopenCompanion(const std::string& path, int kind);
  void CloseCompanion(int kind);
  bool CompanionOpen(int kind) const;
  // An event code from a companion interface (the listener threads call this).
  void HandleCompanionUsage(uint16_t usage, bool wired);

  void StartLightThread();
  void StopLightThread() { preview_->Stop(); }
  bool LightThreadRunning() const { return preview_->Running(); }
  CMouseLightPreview& MousePreview() { return static_cast<CMouseLightPreview&>(*preview_); }

  // ---- state for the page and tools ----------------------------------------------------------
  // Callers on another thread than the driver's hold ModelLock() while they use these.
  CMouseProfiledata& Profile() { return profile_; }
  const std::vector<KeyAssign>& KeyList() const { return keyList_; }
  // Table entry of page button j, or kNoKey.
  const MouseKeyMap& KeyMap() const { return keyMap_; }
  bool HasSettingsBlock() const;
  MouseSettingsBytes SettingsBlock() const;
  LightState GetLightState() const;
  int ActiveProfileNumber() const { return activeProfile_.load(); }
  const std::vector<BuiltInLightEntry>& LightModes() const { return lightModes_; }
  const std::vector<CustomLightEntry>& CustomLightModes() const { return customModes_; }
  int MacroCount() const { return macroCount_; }
  void SetPollingSuspended(bool on) { pollingSuspended_ = on; }
  // The device's code for a mode index (a mode of 10 or more, or beyond the list, as mode 0).
  int ModeCode(int modeIndex) const;
  // The mode index of a device code, or -1 when the list has no such code.
  int ModeIndexOfCode(int code) const;

 private:
  bool Guard();
  void TakeEffect(const LightInfo& effect, bool fromDevice);
  void PaintLightListFrame(const std::vector<LightInfo>& list);
  template <class Change>
  void EditStages(Change change);

  CMouseProfiledata profile_;
  std::vector<KeyAssign> keyList_;
  MouseKeyMap keyMap_{};
  mutable std::mutex blockLock_;
  MouseSettingsBytes block_{};
  bool hasBlock_ = false;
  mutable std::mutex stateLock_;
  LightState lightState_{};
  std::atomic<int> activeProfile_{0};
  std::vector<BuiltInLightEntry> lightModes_;
  std::vector<CustomLightEntry> customModes_;
  std::vector<LightInfo> lightList_;
  int macroCount_ = 0;
  std::atomic<bool> pollingSuspended_{false};
  CCompanionListeners companions_;
};

}  // namespace orlo
