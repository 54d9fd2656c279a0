#pragma once
// The device object: common base of the four drivers. Owns the command link and the companion
// channels, holds the device identity and the live lighting state the page's device picture
// shows, and dispatches every device operation through its virtual interface. The page is a
// view behind IDeviceObserver; the driver never touches a widget.
#include <array>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "device/link/Catalogue.h"
#include "device/model/CustomEffectPlayer.h"
#include "device/link/DeviceLink.h"
#include "device/model/DeviceObserver.h"
#include "device/model/LedState.h"
#include "device/model/PreviewTables.h"
#include "device/model/WorkerThread.h"
#include "profile/KeyAssign.h"
#include "profile/LightData.h"
#include "profile/ProfileList.h"

namespace orlo {

class CTessaroUSBDevice {
 public:
  static constexpr int kKeyPositions = 170;
  static constexpr int kRingLength = 23;
  static constexpr int kNoKey = 170;  // key map entry without a key-table entry

  CTessaroUSBDevice(std::shared_ptr<hid::HidBackend> backend, int ledCount, int keyCount);
  virtual ~CTessaroUSBDevice();
  CTessaroUSBDevice(const CTessaroUSBDevice&) = delete;
  CTessaroUSBDevice& operator=(const CTessaroUSBDevice&) = delete;

  // ---- identity and wiring ----------------------------------------------------------------
  // The observer must outlive the device or be reset to null first.
  void SetObserver(IDeviceObserver* observer) { observer_ = observer; }
  IDeviceObserver* Observer() const { return observer_; }
  // Kind (2/6 mouse, 1/9 keyboard ...) and variant of the connected slot.
  void SetSlotEntry(int kind, int variant, const std::string& path);
  void SetSlotEntry(const InterfaceEntry& entry) {
    slotEntry_ = entry;
    SetSlotEntry(entry.kind, entry.variant, entry.devicePath);
  }
  const InterfaceEntry& SlotEntry() const { return slotEntry_; }
  // From the page table: whether the tab shows a power indicator.
  void SetHasPowerIndicator(bool on) { hasPowerIndicator_ = on; }
  bool HasPowerIndicator() const { return hasPowerIndicator_ != 0; }
  int ConnectionKind() const { return connectionKind_; }
  int VariantOfSlot() const { return variantOfSlot_; }
  bool IsReceiverConnection() const { return isReceiverConnection_; }
  const std::string& SlotPath() const { return slotPath_; }
  void SetNames(const std::string& displayName, const std::string& lightConfigName);
  const std::string& DisplayName() const { return displayName_; }
  void SetActiveProfileId(const std::string& id);
  std::string ActiveProfileId() const;
  // Opens the device's profile list in its device folder (creating "ProfileList.ini" and a first
  // profile on a first start) and makes the selected profile the active one, so that
  // LoadProfile and NotifyProfileChanged use its document. Needs the names set; BuildPage runs
  // it, tools without a page call it themselves. False when the list gives no profile.
  bool OpenProfileList();
  CProfileList& ProfileList() { return profileList_; }
  void SetWindowActive(bool active) { windowActive_ = active; }
  bool WindowActive() const { return windowActive_; }

  // Folders: <app data>/<displayName>/ (created on demand) and <program>/DefaultData/.
  std::string DeviceFolder() const;
  std::string DefaultDataFolder() const;
  std::string DefaultDocumentPath() const;

  CDeviceLink& link() { return *link_; }
  CDeviceLink& companionLink() { return *companionLink_; }
  const DeviceInfo& deviceInfo() const { return deviceInfo_; }
  const std::array<uint8_t, 512>& keyTable() const { return keyTable_; }
  CLedState& ledState() { return ledState_; }
  const CLedState& ledState() const { return ledState_; }
  int LedCount() const { return ledState_.Size(); }
  int KeyCount() const { return keyCount_; }

  // ---- virtual device interface (base behaviour) --------------------------------------
  virtual void InitPage();
  virtual int LoadProfileIntoState();
  virtual void StepBreathing();
  virtual void StepColourCycle();
  virtual void StepStatic();
  virtual void StepSpectrum();
  virtual void StepBlink();
  virtual void StepColourBlink();
  virtual void StepOff();
  virtual void PaintLeds();
  virtual void SetLedValue(int index, uint32_t value);
  virtual uint32_t GetLedValue(int index) const;
  virtual void OnFirstContact() {}
  virtual void ReloadFromDevice() {}
  virtual void OnTimer1003() {}
  virtual void OnTimer1004() {}
  virtual void PollBattery() {}
  virtual int IsReachable() { return 1; }
  virtual int LoadProfile() { return 0; }
  virtual void ApplyProfileToPage();
  virtual void AfterApplyProfileToPage() {}
  virtual void SaveProfile() {}
  virtual void ReloadProfile() {}
  virtual std::vector<int> GetUsedMacros() { return {}; }
  virtual int WriteKeyAssignments(int /*block*/, const std::vector<KeyAssign>& /*list*/) { return 0; }
  virtual int RewriteKeyAssignments(int /*block*/) { return 0; }
  virtual int WriteMacros(const std::vector<int>& /*macros*/) { return 0; }
  virtual int ApplySettings(int /*profile*/, int /*byte0*/, int /*byte59*/, int /*screenWidth*/,
                            int /*screenHeight*/) {
    return 0;
  }
  virtual void LoadCatalogues() {}
  virtual void SetKeyMap(const std::map<int, int>& map);
  virtual void KeyEffectDecay(int index, int effectMode);
  virtual void KeyEffectSeed();
  virtual void KeyEffectRotate(bool forward);
  virtual void ClearKeyEffects();
  virtual void ShowFunctionTab(int n);
  virtual int GetFunctionTab() const { return tabIndexOfFunctionSwitch_; }
  virtual void PrepareProfileFiles() {}
  virtual std::string GetProfileName() { return {}; }
  virtual void NotifyProfileChanged() {}
  virtual void SetProfileKindIndex(int index) { profileKindIndex_ = index; }
  virtual int GetProfileKindIndex() const { return profileKindIndex_; }
  virtual void SetLightEffect(const LightInfo& effect);
  virtual void SetAudioLightSettings(uint32_t a, uint32_t b, uint32_t c);
  virtual std::array<uint8_t, 9> GetAudioLightSettings();
  virtual void SelectKey(int index);
  virtual void OnAudioLevels(const int32_t* /*levels*/, int /*count*/) {}
  virtual void SetAudioStyle(uint32_t /*a*/, uint32_t /*b*/, uint32_t /*c*/) {}
  // The operations the drivers add.
  virtual void BuildPage();
  virtual LightInfo GetLightEffect() const;
  virtual void StepRainbow() {}
  virtual void StepRipple() {}
  virtual void StepFade() {}

  // Non-virtual helpers.
  void RotateRing(int length, bool forward);
  int SelectedKey() const { return selectedKeyIndex_; }
  const std::map<int, int>& KeyMap3() const { return keyMap3_; }
  uint8_t Intensity(int index) const;  // 1..170; 0 outside
  uint8_t Ring(int position) const;    // 0..22; 0 outside
  void SetRing(int position, uint8_t value);
  void SetIntensity(int index, uint8_t value);
  uint8_t EffectPhase() const { return effectPhase_; }
  uint8_t EffectColourIndex() const { return effectColourIndex_; }

  // Step chosen for a mode by the light thread and its interval in 1 ms counts; interval 0
  // means the custom effect player runs on every pass.
  struct StepPlan {
    void (CTessaroUSBDevice::*step)() = nullptr;
    int interval = 0;
  };
  StepPlan PlanFor(int mode, int speed) const;

  // Passes of the light thread's loop so far (each is one wake-up).
  uint64_t LightPasses() const { return lightPasses_.load(std::memory_order_relaxed); }

  // Custom effect steps and their player position (shared with the light thread).
  CustomEffectSteps& customSteps() { return customSteps_; }

 protected:
  // The effect parameters the light thread animates: a snapshot taken under a lock so that a
  // step never sees half of an update from the UI thread.
  struct EffectParams {
    uint8_t mode = 0, level = 0, speed = 0, direction = 0, multicolour = 0;
    preview::Rgb colour{};
  };
  EffectParams Params() const;
  void SetParams(const EffectParams& p);

  // The light thread body: one step per interval while the link is open and no lighting
  // synchronisation runs; sleeps until the next step is due. customPass runs the custom
  // effect player for modes without a step.
  void RunLightLoop(const CStopEvent& stop, CCustomEffectPlayer* player, const char* exitTrace);
  // Makes a sleeping light thread re-plan after the mode or speed changed.
  void NudgeLightThread() { lightThread_.Nudge(); }

  std::unique_ptr<CDeviceLink> link_;
  std::unique_ptr<CDeviceLink> companionLink_;
  std::mutex companionWiredLock_;     // opening of the wired companion channel
  std::mutex companionReceiverLock_;  // opening of the receiver companion channel
  DeviceInfo deviceInfo_{};
  std::array<uint8_t, 512> keyTable_{};
  int connectionKind_ = 0;
  int variantOfSlot_ = 0;
  std::atomic<bool> isReceiverConnection_{false};
  std::string slotPath_;
  InterfaceEntry slotEntry_{};
  int keyCount_ = 0;
  CLedState ledState_;
  mutable std::mutex effectLock_;  // lightEffect and the parameter snapshot
  LightInfo lightEffect_{};
  EffectParams params_{};
  std::atomic<uint8_t> effectPhase_{0};
  std::atomic<uint8_t> effectColourIndex_{0};
  // Key effects: intensity[1..170] (index 0 unused) and the 23-byte ring. Touched by the light
  // thread and by ClearKeyEffects, hence atomics.
  std::array<std::atomic<uint8_t>, kKeyPositions + 1> intensity_{};
  std::array<std::atomic<uint8_t>, kRingLength> ring_{};
  std::map<int, int> keyMap3_;
  int tabIndexOfFunctionSwitch_ = 1;
  int selectedKeyIndex_ = -1;
  int profileKindIndex_ = 0;
  int hasPowerIndicator_ = 0;
  std::string displayName_;
  std::string lightConfigName_;
  mutable std::mutex idLock_;
  std::string activeProfileId_;
  CProfileList profileList_;  // UI thread only
  std::atomic<bool> windowActive_{false};
  std::array<uint8_t, 9> audioLight_{};
  CustomEffectSteps customSteps_;
  std::mutex lightListLock_;  // the second lock: the light list
  IDeviceObserver* observer_ = nullptr;
  CWorkerThread lightThread_;
  std::atomic<uint64_t> lightPasses_{0};

  // Blink timing of StepBlink / StepColourBlink.
  std::chrono::steady_clock::time_point lastBlinkToggle_{};
  bool blinkOn_ = false;
};

}  // namespace orlo
