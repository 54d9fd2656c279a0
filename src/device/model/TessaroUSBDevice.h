#pragma once
// The device object: common base of the four drivers. Owns the device's session (its command
// link, companion channels and worker thread), its identity, its profile list and the lighting
// preview engine, and tells its view what changed through IDeviceObserver. The page is a view;
// the driver never touches a widget.
//
// Threads: the driver's operations run on the session's worker in the application; the view
// reads the model on the UI thread. Both hold ModelLock() while they touch the model (profile
// document, key list, catalogues), never while a device exchange runs.
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "device/link/Catalogue.h"
#include "device/link/DeviceLink.h"
#include "device/link/DeviceSession.h"
#include "device/model/CommitDebounce.h"
#include "device/model/DeviceDriver.h"
#include "device/model/DeviceObserver.h"
#include "device/model/LightPreview.h"
#include "profile/BasicProfiledata.h"
#include "profile/KeyAssign.h"
#include "profile/LightData.h"
#include "profile/ProfileList.h"

namespace orlo {

class CTessaroUSBDevice : public IDeviceDriver {
 public:
  static constexpr int kKeyPositions = CLightPreview::kKeyPositions;
  static constexpr int kNoKey = 170;  // key map entry without a key-table entry

  // `family` is the wired kind (mouse, keyboard, mousepad, headset); `preview` the device's
  // lighting engine (null: the base engine with ledCount LEDs).
  CTessaroUSBDevice(std::shared_ptr<hid::HidBackend> backend, uint16_t family, int ledCount, int keyCount,
                    std::unique_ptr<CLightPreview> preview = nullptr);
  ~CTessaroUSBDevice() override;
  CTessaroUSBDevice(const CTessaroUSBDevice&) = delete;
  CTessaroUSBDevice& operator=(const CTessaroUSBDevice&) = delete;

  // ---- identity ------------------------------------------------------------------------------
  // The observer must outlive the device or be reset to null first.
  void SetObserver(IDeviceObserver* observer) { observer_ = observer; }
  IDeviceObserver* Observer() const { return observer_; }
  uint16_t Family() const { return family_; }
  // Kind (2/6 mouse, 1/9 keyboard ...) and variant of the connected slot.
  void SetSlotEntry(int kind, int variant, const std::string& path);
  void SetSlotEntry(const InterfaceEntry& entry) {
    slotEntry_ = entry;
    SetSlotEntry(entry.kind, entry.variant, entry.devicePath);
  }
  const InterfaceEntry& SlotEntry() const { return slotEntry_; }
  // From the page table: whether the tab shows a power indicator.
  void SetHasPowerIndicator(bool on) { hasPowerIndicator_ = on; }
  bool HasPowerIndicator() const { return hasPowerIndicator_; }
  int ConnectionKind() const { return connectionKind_; }
  int VariantOfSlot() const { return variantOfSlot_; }
  bool IsReceiverConnection() const { return isReceiverConnection_; }
  const std::string& SlotPath() const { return slotPath_; }
  void SetNames(const std::string& displayName, const std::string& lightConfigName);
  const std::string& DisplayName() const { return displayName_; }
  void SetWindowActive(bool active) { windowActive_ = active; }
  bool WindowActive() const { return windowActive_; }
  void SetScreenSize(int width, int height) { screenWidth_ = width, screenHeight_ = height; }

  // ---- profiles --------------------------------------------------------------------------------
  void SetActiveProfileId(const std::string& id);
  std::string ActiveProfileId() const;
  // Opens the device's profile list (creating "ProfileList.ini" and a first profile on a first
  // start) and makes the selected profile the active one. Runs when the device is created; false
  // when the list gives no profile.
  bool OpenProfileList();
  CProfileList& ProfileList() { return profileList_; }
  // The folder of the device's documents (created on demand) and its default document.
  std::string DeviceFolder() const;
  std::string DefaultDocumentPath() const;

  // ---- connection --------------------------------------------------------------------------------
  CDeviceSession& Session() { return *session_; }
  // Opens the command interface of `entry` through the session and takes its identity.
  int Connect(const InterfaceEntry& entry);
  CDeviceLink& link() { return session_->Link(); }
  CDeviceLink& companionLink() { return session_->Companion(); }
  const DeviceInfo& deviceInfo() const { return deviceInfo_; }
  const std::array<uint8_t, 512>& keyTable() const { return keyTable_; }
  int KeyCount() const { return keyCount_; }

  // ---- model ---------------------------------------------------------------------------------------
  std::unique_lock<std::recursive_mutex> ModelLock() const { return std::unique_lock(modelLock_); }
  // A change of the model to save and write: one commit per burst (see CCommitDebounce).
  void RequestCommit() { debounce_.Touch(); }
  CCommitDebounce& Debounce() { return debounce_; }
  virtual void SetLightEffect(const LightInfo& effect);
  // One change to the light effect: stored in the profile and taken into the preview; the next
  // commit writes it. Lighting synchronisation, if it ran, stops for this device.
  void ChangeLighting(const std::function<void(LightInfo&)>& change);
  LightInfo GetLightEffect() const { return preview_->Effect(); }
  // Writes the settings block (mouse and keyboard). 1, 0 when nothing could be written, or the
  // failing link code.
  virtual int ApplySettings(int /*profile*/, int /*byte0*/, int /*byte59*/, int /*screenWidth*/,
                            int /*screenHeight*/) {
    return 0;
  }
  // The window's light-control state (1: the host drives the device lighting, 0: it leaves it
  // to others). Runs on the session's worker.
  virtual void SetLightControl(int /*state*/) {}
  // Music lighting: a block of audio levels (the first 25 are used) and the music window's style
  // values. Only a device with a music effect takes them; false: not taken.
  virtual bool OnAudioLevels(const int32_t* /*levels*/, size_t /*count*/) { return false; }
  virtual void SetAudioStyle(const int32_t* /*values*/, size_t /*count*/) {}
  // Writes the model's key assignments (block 0: the active table).
  virtual int RewriteKeyAssignments(int /*block*/) { return 0; }
  // ---- key assignments (the mouse and the keyboard; other kinds have none) ----------------------
  // The record of key number `key` of the key list, or nullopt beyond the list.
  virtual std::optional<KeyAssign> KeyAssignmentOf(int /*key*/) const { return std::nullopt; }
  // Puts `code` in place of key `key`'s current assignment, in the key list and in the profile
  // document (not saved: NotifyProfileChanged saves it). Ignored beyond the list.
  virtual void SetKeyAssignment(int /*key*/, const AssignCode& /*code*/) {}
  // The macro numbers the key assignments use, in slot order.
  virtual std::vector<int> GetUsedMacros() { return {}; }
  // 0 when written (or nothing to write); n > 0 when the macros need n events more than the
  // device's macro area holds (nothing is sent); -1 when out of reach or on failure.
  virtual int WriteMacros(const std::vector<int>& /*macros*/) { return 0; }
  struct KeyDownload {
    int macros = 0;  // WriteMacros' result
    int keys = 0;    // RewriteKeyAssignments' result; 0 when it did not run
    bool Refused() const { return macros > 0; }
  };
  // The device download of the key assignments: the macros the key table refers to, then the
  // whole key table. When the macros do not fit, nothing is written and the device keeps its
  // previous assignments; a device out of reach while the macros are written still gets the
  // key table (which fails the same way).
  KeyDownload DownloadKeyAssignments();
  // How many events the macros exceed the device's macro area by: 0 when they fit, -1 when the
  // device could not be asked.
  int MacroExcess(const std::vector<int>& macros);
  // What writing the active profile to the device came to.
  struct ProfileWrite {
    int excess = 0;             // events too many for the macro area: nothing was written
    bool macrosFailed = false;  // the macro block did not reach the device (the rest was sent)
  };
  // Writes the active profile to the device: the settings block (withSettings), the macros the
  // key assignments use, then the key table. The macros are measured against the device first:
  // when they do not fit, nothing at all is written, so the device keeps a consistent profile.
  ProfileWrite WriteProfileToDevice(bool withSettings);
  // Saves the model into the active profile's document.
  virtual void NotifyProfileChanged() {}
  // The profile back to the default document.
  virtual void ReloadProfile() {}
  // After a profile was loaded: key assignments of macros the catalogue no longer holds fall
  // back to the key's default.
  virtual void SaveProfile() {}
  virtual int LoadProfileIntoState() { return 0; }
  virtual void LoadCatalogues() {}
  virtual void SetProfileKindIndex(int index) { profileKindIndex_ = index; }
  int GetProfileKindIndex() const { return profileKindIndex_; }
  // Path of the active profile's document.
  virtual std::string GetProfileName() { return {}; }
  // Built-in light modes are numbered from 0, the light configuration's custom effects from 10.
  virtual bool HasLightMode(int mode) const { return mode == 0; }

  // ---- IDeviceDriver: defaults for kinds without the operation ----------------------------------
  void OnFirstContact() override {}
  int LoadProfile() override { return 0; }
  int Commit() override;
  int SelectProfile(const std::string& id) override;
  void ReloadFromDevice() override {}
  int IsReachable() override { return 1; }
  void PollBattery() override {}

  // The device profile this program writes its settings to; a device running another one was
  // switched on the device itself.
  static constexpr int kHostProfile = 0;

  // ---- page state -----------------------------------------------------------------------------
  void SetSelectedKey(int index) { selectedKeyIndex_ = index; }
  int SelectedKey() const { return selectedKeyIndex_; }
  // The function tab (1..8) the page shows.
  void SetFunctionTab(int n) { functionTab_ = n; }
  int GetFunctionTab() const { return functionTab_; }
  // The page layouts a function tab shows: "device_function_switch" and
  // "device_key_function_switch" pages (-1 leaves a layout as it is).
  static std::pair<int, int> FunctionTabPages(int tab, int connectionKind);
  // The nine-byte music lighting record (AudioLightInfo in field order), handed over as three
  // values: a bytes 0-3, b bytes 4-7 (little-endian), c byte 8. A device with a music effect
  // (the keyboard) also stores it in its profile and takes it into its effect. Model lock held.
  virtual void SetAudioLightSettings(uint32_t a, uint32_t b, uint32_t c);
  std::array<uint8_t, 9> GetAudioLightSettings() const { return audioLight_; }

  // ---- lighting preview ---------------------------------------------------------------------
  CLightPreview& Preview() { return *preview_; }
  // Whether a page shows the device's picture: an animation nothing shows rests until shown again
  // (effects the host streams to the device go on). UI thread.
  virtual void SetPreviewShown(bool shown) { preview_->SetShown(shown); }
  const CLightPreview& Preview() const { return *preview_; }
  CLedState& ledState() { return preview_->Leds(); }
  const CLedState& ledState() const { return preview_->Leds(); }
  int LedCount() const { return preview_->Leds().Size(); }

 protected:
  // Commits a change still waiting for its debounce (it must not be lost when the device or the
  // program goes), lets the worker finish within a bound, and ends it. A driver's destructor
  // runs it first, before its members go.
  void StopWork();
  // The built-in light modes of the device's kind (from the light catalogue) and its custom
  // effects (from its light configuration); a list that cannot be read is left as it was.
  void ReadLightCatalogues(std::vector<BuiltInLightEntry>& modes, std::vector<CustomLightEntry>& customs) const;
  // Reads a companion channel's input reports until stop (closing the channel cancels a pending
  // read), handing each report's first usage (0 for none) to onUsage.
  static void ListenForUsages(CHidChannel& channel, const CStopEvent& stop, const std::function<void(uint16_t)>& onUsage);
  void NotifyProfileState() {
    if (auto* o = observer_.load()) o->OnProfileStateChanged();
  }
  // Points the profile document at the active profile's file (an id that could leave the
  // device folder keeps the former path), the light configuration and the default document.
  void PrepareProfilePaths(CBasicProfiledata& profile);
  // The macro count, the built-in light effects and the custom ones of the light
  // configuration (each list replaced only when its file has it); the view is told.
  void ReadCatalogues(int& macroCount, std::vector<BuiltInLightEntry>& builtIns,
                      std::vector<CustomLightEntry>& customs);
  // Receiver connection: 1 when the device behind the receiver answers.
  int ReachableThroughReceiver();
  // Writes the macro block of the listed macros (list index = the macro's slot) after reading
  // the information block again for the size of the device's macro area. 0 when written; the
  // number of events too many when they do not fit; -1 when out of reach or on failure.
  int WriteMacroBlock(const std::vector<int>& macros);
  // First contact marks the device as met; true when it had been met before in this run, so
  // that this contact is a return (replug, wake) and restores rather than adopts.
  bool MarkContacted() { return contacted_.exchange(true); }
  // Reads the information block again (receiver guard first); false when out of reach.
  bool RefreshDeviceInfo(DeviceInfo& info);
  // Reads the six power-state bytes and reports them (byte 3: on the receiver), unless polling
  // is suspended or the device is out of reach.
  void ReportPowerState(bool suspended);

  std::unique_ptr<CDeviceSession> session_;
  mutable std::recursive_mutex modelLock_;
  DeviceInfo deviceInfo_{};
  std::array<uint8_t, 512> keyTable_{};
  int keyCount_ = 0;
  std::string lightConfigName_;
  int profileKindIndex_ = 0;
  int screenWidth_ = 0, screenHeight_ = 0;
  std::array<uint8_t, 9> audioLight_{};
  std::mutex lightListLock_;  // the light list a preview frame is painted from
  std::atomic<IDeviceObserver*> observer_{nullptr};
  std::unique_ptr<CLightPreview> preview_;

 private:
  uint16_t family_;
  int connectionKind_ = 0;
  int variantOfSlot_ = 0;
  std::atomic<bool> isReceiverConnection_{false};
  std::string slotPath_;
  InterfaceEntry slotEntry_{};
  bool hasPowerIndicator_ = false;
  std::string displayName_;
  mutable std::mutex idLock_;
  std::string activeProfileId_;
  CProfileList profileList_;
  std::atomic<bool> windowActive_{false};
  std::atomic<bool> contacted_{false};
  int functionTab_ = 1;
  int selectedKeyIndex_ = -1;
  CCommitDebounce debounce_;
};

}  // namespace orlo
