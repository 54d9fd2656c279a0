#pragma once
// The mouse driver: reads the mouse's blocks over the link, keeps its profile document, and
// writes the profile back as the 78-byte settings block of a profile, the key table, and the
// macro and shooting blocks. Follows the mouse's companion interface for events the mouse sends
// on its own, and animates the page preview of the mouse's 15 LEDs.
#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "device/model/TessaroUSBDevice.h"
#include "macro/MacroEvent.h"
#include "profile/MouseProfiledata.h"

namespace orlo {

class CTessaroMouseDevice : public CTessaroUSBDevice {
 public:
  static constexpr int kLedCount = 15;
  static constexpr int kPageButtons = 11;
  static constexpr int kSettingsSize = 78;
  static constexpr int kProfileStride = 128;
  static constexpr int kStageCount = 5;
  static constexpr int kCompanionWired = 2;
  static constexpr int kCompanionReceiver = 6;
  static constexpr int kBatteryMessage = 3329;
  static constexpr int kReloadTimer = 1002;

  // The light state the preview and the page show.
  struct LightState {
    uint8_t activeProfile = 0, mode = 0, brightness = 0, speed = 0, multicolour = 0;
    uint8_t red = 0, green = 0, blue = 0;
  };

  explicit CTessaroMouseDevice(std::shared_ptr<hid::HidBackend> backend = hid::DefaultBackend());
  ~CTessaroMouseDevice() override;

  // ---- overrides ----------------------------------------------------------------------------
  void InitPage() override { BuildPage(); }
  int LoadProfileIntoState() override;
  void OnFirstContact() override;
  void ReloadFromDevice() override;
  void PollBattery() override;
  int IsReachable() override;
  int LoadProfile() override;
  void ApplyProfileToPage() override;
  void SaveProfile() override;
  void ReloadProfile() override;
  std::vector<int> GetUsedMacros() override;
  int WriteKeyAssignments(int block, const std::vector<KeyAssign>& list) override;
  int RewriteKeyAssignments(int block) override;
  int WriteMacros(const std::vector<int>& macros) override;
  int ApplySettings(int profile, int byte0, int byte59, int screenWidth, int screenHeight) override;
  void LoadCatalogues() override;
  void PrepareProfileFiles() override;
  std::string GetProfileName() override { return profile_.GetProfilePath(); }
  void NotifyProfileChanged() override { profile_.Save(); }
  void SetProfileKindIndex(int index) override;
  void SetLightEffect(const LightInfo& effect) override;
  void StepRainbow() override;
  void StepRipple() override;
  void StepFade() override;

  // ---- mouse operations -----------------------------------------------------------------------
  // First contact: information block, key table and key map. 1, or the failing code.
  int ReadAll();
  // Active profile number and its settings block. 1, or 0 when the read failed (the kept
  // block is then unchanged).
  int ReadActiveSettings();
  // The four guns' shooting block. 1, 0 when not reachable, or the failing code.
  int WriteShootData();

  // Companion interfaces (kind 2 wired, 6 receiver).
  int OpenCompanion(const std::string& path, int kind);
  int ReopenCompanion(const std::string& path, int kind);
  void CloseCompanion(int kind);
  bool CompanionOpen(int kind) const;

  void StartLightThread();
  void StopLightThread();
  bool LightThreadRunning() const { return lightThread_.Running(); }

  // An event code from a companion interface (the listener threads call this).
  void HandleCompanionUsage(uint16_t usage, bool wired);

  // ---- state for the page and tools ----------------------------------------------------------
  CMouseProfiledata& Profile() { return profile_; }
  const std::vector<KeyAssign>& KeyList() const { return keyList_; }
  // Table entry of page button j, or kNoKey.
  const std::array<int, kPageButtons>& KeyMap() const { return keyMap_; }
  bool HasSettingsBlock() const;
  std::array<uint8_t, kSettingsSize> SettingsBlock() const;
  LightState GetLightState() const;
  int ActiveProfileNumber() const { return activeProfile_.load(); }
  const std::vector<BuiltInLightEntry>& LightModes() const { return lightModes_; }
  const std::vector<CustomLightEntry>& CustomLightModes() const { return customModes_; }
  int MacroCount() const { return macroCount_; }
  void SetScreenSize(int width, int height) { screenWidth_ = width, screenHeight_ = height; }
  void SetPollingSuspended(bool on) { pollingSuspended_ = on; }
  // The device's code for a mode index (a mode of 10 or more, or beyond the list, as mode 0).
  int ModeCode(int modeIndex) const;
  // The mode index of a device code, or -1 when the list has no such code.
  int ModeIndexOfCode(int code) const;
  // Container shared by the macro and shooting blocks; empty when longer than 0xFFFF bytes
  // (its length and offsets are 16-bit fields).
  static std::vector<uint8_t> BuildEventContainer(const std::vector<std::vector<MacroEvent>>& entries);

 private:
  bool Guard();
  void BuildKeyMap(int entries);
  void TakeEffect(const LightInfo& effect, bool fromDevice);
  void PaintLightListFrame(const std::vector<LightInfo>& list);
  void ListenerLoop(const CStopEvent& stop, bool wired);
  CWorkerThread& Listener(int kind) { return kind == kCompanionReceiver ? receiverListener_ : wiredListener_; }

  CMouseProfiledata profile_;
  std::vector<KeyAssign> keyList_;
  std::array<int, kPageButtons> keyMap_{};
  mutable std::mutex blockLock_;
  std::array<uint8_t, kSettingsSize> block_{};
  bool hasBlock_ = false;
  mutable std::mutex stateLock_;
  LightState lightState_{};
  std::atomic<int> activeProfile_{0};
  std::vector<BuiltInLightEntry> lightModes_;
  std::vector<CustomLightEntry> customModes_;
  std::vector<LightInfo> lightList_;
  int macroCount_ = 0;
  int screenWidth_ = 0, screenHeight_ = 0;
  std::atomic<bool> pollingSuspended_{false};
  std::atomic<bool> companionWiredOpen_{false};
  std::atomic<bool> companionReceiverOpen_{false};
  CWorkerThread wiredListener_;
  CWorkerThread receiverListener_;
  // Per-LED fade of StepFade: state 0 idle, 1 fading in, 2 fading out.
  std::mutex fadeLock_;
  std::array<uint8_t, kLedCount> fadeLevel_{};
  std::array<uint8_t, kLedCount> fadeState_{};
  std::array<uint8_t, kLedCount> fadeHue_{};
};

}  // namespace orlo
