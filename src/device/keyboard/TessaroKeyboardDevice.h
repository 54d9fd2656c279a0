#pragma once
// The keyboard driver: reads the keyboard's key tables once per connection and maps its physical
// keys to the 170 key positions the page and the profile use, keeps its profile document as the
// model the page edits, and writes the profile back as the 26-byte settings block, the key table,
// the macro block and the colour groups of the per-key colour effect. Its light thread animates
// the keyboard's picture and streams the frames of the two effects the host draws; its
// companion listeners follow what the keyboard changes with its own keys.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "device/keyboard/KeyPositionMap.h"
#include "device/keyboard/KeyboardLightEngine.h"
#include "device/model/ShowGate.h"
#include "device/keyboard/KeyboardSettingsBlock.h"
#include "device/model/CompanionListeners.h"
#include "device/model/MacroDevice.h"
#include "device/model/TessaroUSBDevice.h"
#include "device/model/WorkerThread.h"
#include "profile/KeyboardProfiledata.h"

namespace orlo {

class CTessaroKeyboardDevice : public CTessaroUSBDevice, public IMacroDevice {
 public:
  static constexpr int kPositions = keyboard::CKeyPositionMap::kPositions;
  static constexpr int kCompanionWired = 1;
  static constexpr int kCompanionReceiver = 9;
  // The key button whose function tab 2 disables it.
  static constexpr int kFnPosition = 110;
  // The light thread streams a host-driven frame at most this often (the wired page's paint
  // period), and waits this long after a frame the keyboard refused.
  static constexpr int kStreamPeriodMs = 10;
  static constexpr int kStreamRetryMs = 200;
  // The light thread looks at its inputs at least this often.
  static constexpr uint64_t kMaxPassGapMs = 20;

  explicit CTessaroKeyboardDevice(std::shared_ptr<hid::HidBackend> backend = hid::DefaultBackend());
  ~CTessaroKeyboardDevice() override;

  // ---- the driver's life -------------------------------------------------------------------
  void OnFirstContact() override;
  void ReloadFromDevice() override;
  RestoreResult RestoreSettings() override;
  void PollBattery() override;
  int IsReachable() override;
  int LoadProfile() override;
  void OpenEvents(const InterfaceEntry& companion) override { companions_.Open(companion.devicePath, companion.kind); }
  void CloseEvents(uint16_t kind) override { companions_.Close(kind); }
  bool CompanionOpen(int kind) const { return companions_.IsOpen(kind); }
  // 1: the host drives the keyboard's lighting (the default); 0: it leaves it to others. On, a
  // wired keyboard is claimed for host light control.
  void SetLightControl(int state) override;
  int LightControl() const { return lightControl_.load(); }

  // ---- reads -----------------------------------------------------------------------------------
  // First contact: information block, key table and key LED table, then the position maps.
  // 1; 0 when the link is closed or the keyboard's key count does not fit the 512-byte tables
  // (LastError says why; the tables and maps stay as they were); else the failing link code.
  int ReadAll();
  bool HasKeyTables() const;
  std::string LastError() const;
  // Active profile number and its settings block. 1, or 0 when the read failed (nothing kept).
  // With intoProfile the block's effect and switches become the profile's (saved); without, the
  // block is only kept.
  int ReadActiveSettings(bool intoProfile = true);
  // ReloadFromDevice: the active settings read into the profile, the view told. True when read.
  bool ReloadFromDeviceRead();

  // ---- writes (each: 1, 0 when nothing could be written, or the failing link code) -----------
  int ApplySettings(int profile, int byte0, int byte59, int screenWidth, int screenHeight) override;
  int WriteKeyAssignments(int block, const std::vector<KeyAssign>& list);
  int RewriteKeyAssignments(int block) override;
  std::vector<int> GetUsedMacros() override;
  // 0 when written (or nothing to write); the number of events too many when they do not fit
  // the keyboard's macro area; -1 on failure.
  int WriteMacros(const std::vector<int>& macros) override;
  // IMacroDevice: the key list of the active profile.
  std::vector<KeyAssign> CopyKeyList() override;
  void StoreKeyList(const std::vector<KeyAssign>& list) override;
  // Colour group `group` of the profile, scaled by each key's brightness, into the keyboard's
  // light data area.
  int WriteLightData(int group);
  // Per-key colour effect: key position p takes the effect's colour at the effect's brightness,
  // the selected group is stored in the profile (saved) and, on the cable, written to the
  // keyboard. 1 when written, 0 when only stored or nothing to do (another effect, p out of
  // range), else the failing link code.
  int PaintKey(int position);
  // Every colour group the profile holds.
  int WriteLightGroups();

  // ---- colour groups of the per-key colour effect --------------------------------------------
  // Group g (0 .. 7) becomes the profile's selected group and the effect's custom group (byte
  // 25 of the settings block); the profile is saved. 1, or 0 for a group out of range (nothing
  // changes).
  int SelectCustomGroup(int group);
  // The selected group's colours from the profile into the LED state, shown on the page and
  // sent (SendCustomGroup's result).
  int LoadCustomGroup();
  // Every key to the effect's colour at the effect's brightness (on) or to black, sent, then
  // stored as the selected group and saved. SendCustomGroup's result.
  int FillCustomGroup(bool on);
  // As LoadCustomGroup, without telling the page: the keyboard gets the stored group again.
  int ResendCustomGroup();
  // The LED state, scaled by each key's brightness, as the effect's colour group in the
  // keyboard's light data area, on the cable and through the receiver alike. Per-key colour
  // effect only. 1 when written, 0 when nothing was sent, else the failing link code.
  int SendCustomGroup();
  // Streams one per-key frame of the current LED state (wired only).
  int StreamLightFrame();
  // Settings block, key table and macro block (the commit of a page change).
  void ApplyProfile();

  // ---- the model the page edits (each takes the model lock; RequestCommit writes it) ---------
  KeyboardSystemStages SystemSettings();
  void SetSystemSettings(const KeyboardSystemStages& stages);
  void SetLightEffect(const LightInfo& effect) override;
  // The current code of a key position (kept in the profile's key list); ignored out of range.
  void SetKeyAssignment(int position, const AssignCode& code) override;
  std::optional<KeyAssign> KeyAssignmentOf(int position) const override;
  // The music lighting record: kept, stored in the profile (saved by NotifyProfileChanged) and
  // taken into the music effect.
  void SetAudioLightSettings(uint32_t a, uint32_t b, uint32_t c) override;
  // Style colour of the host-driven colour effect (red, green, blue).
  void SetAudioStyle(const int32_t* values, size_t count) override;
  // A frame of audio levels for the music effect (the first 25 are used).
  bool OnAudioLevels(const int32_t* levels, size_t count) override { return engine_.OnAudioLevels(levels, count); }

  // ---- profile document --------------------------------------------------------------------
  int LoadProfileIntoState() override;
  // Key assignments of macros the catalogue no longer holds fall back to their defaults; when
  // one did, the key list goes to the profile document and the key table to the keyboard. A
  // catalogue that exists but cannot be read changes nothing.
  void SaveProfile() override;
  void ReloadProfile() override;
  void LoadCatalogues() override;
  void PrepareProfileFiles();
  std::string GetProfileName() override { return profile_.GetProfilePath(); }
  void NotifyProfileChanged() override { profile_.Save(); }
  void SetProfileKindIndex(int index) override;
  bool HasLightMode(int mode) const override;
  // An event from a companion interface (the listener threads call this).
  void HandleCompanionUsage(uint16_t usage);

  // ---- light thread --------------------------------------------------------------------------
  void StartLightThread();
  void StopLightThread();
  bool LightThreadRunning() const { return lightThread_.Running(); }
  void SetPreviewShown(bool shown) override;
  // The light thread waits for the page to be shown again (nothing is streamed meanwhile).
  bool LightThreadResting() const { return gate_.Resting(); }
  // Frames streamed so far, and a wait until `count` of them were (false when `limit` passed).
  uint64_t FramesStreamed() const;
  bool WaitForFrames(uint64_t count, std::chrono::milliseconds limit) const;
  keyboard::CKeyboardLightEngine& Engine() { return engine_; }
  // Host-driven effect shown: the light thread streams its frames.
  static bool IsHostDriven(int mode) {
    return mode == keyboard::CKeyboardLightEngine::kMusic || mode == keyboard::CKeyboardLightEngine::kStyleColour;
  }

  // ---- state for the page and tools (callers on another thread hold ModelLock()) -------------
  CKeyboardProfiledata& Profile() { return profile_; }
  const std::vector<KeyAssign>& KeyList() const { return keyList_; }
  const keyboard::CKeyPositionMap& PositionMap() const { return map_; }
  bool HasSettingsBlock() const;
  keyboard::SettingsBlock SettingsBlock() const;
  const std::vector<BuiltInLightEntry>& LightModes() const { return lightModes_; }
  const std::vector<CustomLightEntry>& CustomLightModes() const { return customModes_; }
  int MacroCount() const { return macroCount_; }
  void SetPollingSuspended(bool on) { pollingSuspended_ = on; }

 private:
  bool Guard();
  void TakeEffect(const LightInfo& effect);
  // The profile's selected group into the LED state (model lock held).
  void LoadGroupIntoLeds();
  // The LED state as a stored group: colour and brightness ("Alpha") per key position.
  std::vector<LightColor> LedColours() const;
  void LightLoop(const CStopEvent& stop);

  CKeyboardProfiledata profile_;
  std::vector<KeyAssign> keyList_;
  keyboard::CKeyPositionMap map_;
  std::array<uint8_t, 512> ledTable_{};
  bool hasTables_ = false;
  std::string lastError_;
  mutable std::mutex blockLock_;
  keyboard::SettingsBlock block_{};
  bool hasBlock_ = false;
  std::vector<BuiltInLightEntry> lightModes_;
  std::vector<CustomLightEntry> customModes_;
  int macroCount_ = 0;
  std::atomic<bool> pollingSuspended_{false};
  std::atomic<int> lightControl_{1};
  mutable std::mutex framesLock_;
  mutable std::condition_variable framesStreamedCv_;
  uint64_t framesStreamed_ = 0;
  keyboard::CKeyboardLightEngine engine_;
  CWorkerThread lightThread_;
  // Shown state of the page's picture; the light thread rests on it while nothing shows it.
  CShowGate gate_;
  CCompanionListeners companions_;
};

}  // namespace orlo
