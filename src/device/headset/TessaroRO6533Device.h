#pragma once
// The USB headset's driver. Three paths lead to the headset:
// - its audio functions (microphone and monitoring levels and mutes, equaliser, voice changer)
//   on its audio chip, through the chip port: playback endpoint and recording endpoint;
// - its lighting settings block through the command link (see CLightStripDevice);
// - its 13 LED colours, frame by frame, as twelve output reports (HeadsetLedReports.h): the
//   LEDs show the page preview's colours rather than an effect of their own.
//
// Every voice operation acts on the chip first and stores the setting in the profile ("system
// set stages", all eight values) only when the chip took it, so the profile never claims what
// the headset does not do. Chip calls are serialised by the driver's chip lock.
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "device/headset/HeadsetLedReports.h"
#include "device/model/LightStripDevice.h"
#include "platform/audio/AudioChipPort.h"
#include "profile/Ro6533Profiledata.h"

namespace orlo {

class CTessaroRO6533Device : public CLightStripDevice {
 public:
  static constexpr int kLedCount = kHeadsetLeds;
  static constexpr int kBandCount = CRo6533Profiledata::kBandCount;
  static constexpr int kCustomEqType = CRo6533Profiledata::kCustomEqType;

  explicit CTessaroRO6533Device(std::shared_ptr<hid::HidBackend> backend = hid::DefaultBackend());
  ~CTessaroRO6533Device() override;

  // ---- the driver's life -------------------------------------------------------------------
  // The chip component (the simulated chip, the USB sound card of a real headset, or null
  // when there is none); reason says why there is none. Set before StartAudioChip.
  void SetAudioChip(std::shared_ptr<audio::IAudioChip> chip, std::string reason = {});
  // Where StartAudioChip finds the chip when none was set: asked with the connected slot's path
  // and USB id, it gives the component, or null and the reason.
  using ChipSource = std::function<std::pair<std::shared_ptr<audio::IAudioChip>, std::string>(
      const std::string& path, uint16_t vendor, uint16_t product)>;
  void SetChipSource(ChipSource source) { chipSource_ = std::move(source); }
  // Starts the chip once: endpoints chosen, properties the chip does not answer set to 0, the
  // chip's state read. False when there is no usable chip (ChipUnavailableReason says why).
  bool StartAudioChip();
  bool ChipAvailable() const;
  std::string ChipUnavailableReason() const;
  audio::AudioChipPort& ChipPort() { return chip_; }

  void OnFirstContact() override;
  // The six power-state bytes to the power indicator; byte 3 says wired (0).
  void PollBattery() override;

  // ---- LED frame -----------------------------------------------------------------------------
  // Whether the program drives the LEDs (the window's light-control state).
  void SetLightControl(int state) override { lightControl_ = state != 0; }
  bool LightControl() const { return lightControl_; }
  // Sends the preview's current colours as the twelve LED reports (nothing while light control
  // is off). The number of reports the headset took.
  int SendLedFrame();

  // ---- voice operations: the chip first, then the profile ------------------------------------
  // Each returns the chip's result (0 = taken).
  int SetMicLevel(int level);
  int SetMicOn(bool on);
  int SetMonitorLevel(int level);
  int SetMonitorOn(bool on);
  // Types 1-12 send and store the preset's bands, 13 the selected custom equaliser; type 0 and
  // any other type change nothing (result 0 for type 0, kChipBadValue for others).
  int ApplyEqPreset(int type);
  // One band to the chip; the equaliser becomes the custom type with no custom equaliser
  // selected. The band list follows, the profile's rows are not written.
  int SetEqBand(int band, int value);
  int SetVoiceChangerEnabled(bool on);
  // Types 1-4; anything else changes nothing (kChipBadValue).
  int SelectVoiceChanger(int type);
  // Selects custom equaliser slot s and sends its bands.
  int ApplyCustomEq(int slot);
  // Stores the current band list as a custom equaliser. An empty name re-stores the selected
  // one (-1 when none is selected); a new name adds one: -1 with 20 already, 0 when the name is
  // taken (letter case aside). 1 when stored. bands (ten values), when given, become the band
  // list first: the sliders the user sees, whatever band change is still on its way.
  int SaveCustomEq(const std::string& name, const std::vector<int32_t>& bands = {});
  // Removes the selected custom equaliser (the chip is not changed).
  void DeleteCustomEq();
  // Sends the profile's voice settings to the chip as they are stored: levels, mutes, the
  // equaliser bands and the voice changer. The first failing result, else 0.
  int ApplyVoiceSettings();

  // ---- state for the page and tools ----------------------------------------------------------
  // Callers on another thread than the driver's hold ModelLock() while they use these.
  CRo6533Profiledata& Profile() { return profile_; }
  HeadsetSystemSetStages Stages() const;
  std::vector<int32_t> Bands() const;
  std::vector<std::string> CustomEqNames() const;

 protected:
  CBasicProfiledata& Document() override { return profile_; }
  // The voice settings, band list and custom equaliser names from the document.
  void LoadDeviceState() override;
  // The default document, keeping the user's custom equalisers.
  void ResetDocument() override;

 private:
  void ConfigureChipDefaults();
  void ReadChipState();
  // Sends ten bands (equaliser on first); the result of the first failing call, else 0.
  int SendBands(const std::vector<int32_t>& bands);
  void StoreStages(const HeadsetSystemSetStages& stages);
  // A chip result: when the chip took the setting, the stages changed and stored.
  int StoreIfTaken(int result, const std::function<void(HeadsetSystemSetStages&)>& change);

  CRo6533Profiledata profile_;
  mutable std::mutex chipLock_;
  audio::AudioChipPort chip_;
  ChipSource chipSource_;
  bool chipStarted_ = false;
  bool chipUsable_ = false;
  std::string chipReason_;
  HeadsetSystemSetStages stages_;
  std::vector<int32_t> bands_;
  std::vector<std::string> customNames_;
  std::atomic<bool> lightControl_{true};
};

}  // namespace orlo
