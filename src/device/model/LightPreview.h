#pragma once
// The lighting preview engine of one device: the live LED state the page's device picture
// shows, the effect record it animates, the phase and key-effect counters, and the light thread
// that steps the effect at its interval. A device kind adds the steps of its own modes by
// overriding StepRainbow, StepRipple and StepFade.
//
// Threads: the light thread runs the steps; the UI thread and the device's worker set the
// effect. The effect record and its parameter snapshot are taken under one lock, the counters
// are atomics and the LED state is handed over word by word, so a step never sees half an update.
#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>

#include "device/model/CustomEffectPlayer.h"
#include "device/model/LedState.h"
#include "device/model/PreviewTables.h"
#include "device/model/ShowGate.h"
#include "device/model/WorkerThread.h"
#include "profile/LightData.h"

namespace orlo {

class CLightPreview {
 public:
  static constexpr int kKeyPositions = 170;
  static constexpr int kRingLength = 23;

  // What the light thread asks of its device.
  struct Hooks {
    std::function<bool()> running;       // the device is connected: animate
    std::function<bool()> synchronised;  // lighting synchronisation drives the LEDs instead
    std::function<void()> ledsChanged;   // a step changed the LEDs
  };

  explicit CLightPreview(int ledCount);
  virtual ~CLightPreview();
  CLightPreview(const CLightPreview&) = delete;
  CLightPreview& operator=(const CLightPreview&) = delete;

  void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }

  CLedState& Leds() { return leds_; }
  const CLedState& Leds() const { return leds_; }

  // ---- the effect ------------------------------------------------------------------------
  void SetEffect(const LightInfo& effect);
  LightInfo Effect() const;

  // ---- steps (one frame each) ------------------------------------------------------------
  void StepBreathing();
  void StepColourCycle();
  void StepStatic();
  void StepSpectrum();
  void StepBlink();
  void StepColourBlink();
  void StepOff();
  virtual void StepRainbow() {}
  virtual void StepRipple() {}
  virtual void StepFade() {}

  // The step the light thread runs for a mode and its interval in milliseconds; no step means
  // the custom effect player runs on every pass.
  struct StepPlan {
    void (CLightPreview::*step)() = nullptr;
    int interval = 0;
  };
  virtual StepPlan PlanFor(int mode, int speed) const;
  // The light thread counts one each time the tick moved by more than 1 ms while it checks every
  // millisecond: one count per 2 ms, so a step of N counts comes every 2N ms.
  static constexpr int kMsPerCount = 2;
  // How often the mode's step runs; zero for modes the custom effect player runs.
  std::chrono::milliseconds StepPeriod(int mode, int speed) const {
    return std::chrono::milliseconds(PlanFor(mode, speed).interval * kMsPerCount);
  }

  // Lighting synchronisation drives the LEDs of a synchronised device: every LED shows `word`.
  void PaintSynchronised(uint32_t word);

  // ---- key effects (ripples): intensity of key position 1..170 and the 23-entry ring -------
  uint8_t Intensity(int index) const;  // 0 outside 1..170
  void SetIntensity(int index, uint8_t value);
  uint8_t Ring(int position) const;    // 0 outside 0..22
  void SetRing(int position, uint8_t value);
  void KeyEffectDecay(int index, int effectMode);
  void KeyEffectSeed();
  void KeyEffectRotate(bool forward);
  void RotateRing(int length, bool forward);
  void ClearKeyEffects();
  uint8_t EffectPhase() const { return effectPhase_; }
  uint8_t EffectColourIndex() const { return effectColourIndex_; }

  // Key position → LED index of the keys that have one.
  void SetKeyPositionMap(const std::map<int, int>& map);
  std::map<int, int> KeyPositionMap() const;

  // Custom effect steps and their player position (shared with the light thread).
  CustomEffectSteps& CustomSteps() { return customSteps_; }
  // Replaces the custom effect's steps (a profile's) and starts the player at the first.
  void TakeCustomSteps(const std::vector<LEDEffectStep>& steps);

  // ---- on screen or not ------------------------------------------------------------------
  // Whether anything shows the preview (the device's page on screen). While nothing does, the
  // light thread of a preview that only feeds the picture steps nothing and sleeps without a
  // wake-up until it is shown again or stopped; shown again, it goes on from where it was.
  void SetShown(bool shown);
  bool Shown() const { return gate_.Shown(); }
  // A preview whose frames the host sends to the device's lights never pauses.
  virtual bool FeedsDevice() const { return false; }
  // The light thread sleeps because nothing shows the preview.
  bool Paused() const { return gate_.Resting(); }

  // ---- the light thread -------------------------------------------------------------------
  // player: the custom effect player for modes without a step (may be null).
  void Start(CCustomEffectPlayer* player, const char* exitTrace);
  void Stop();
  bool Running() const { return thread_.Running(); }
  // Passes of the light thread's loop so far (each is one wake-up).
  uint64_t Passes() const { return passes_.load(std::memory_order_relaxed); }

 protected:
  // The effect parameters a step animates: a snapshot of the effect record.
  struct Params {
    uint8_t mode = 0, level = 0, speed = 0, direction = 0, multicolour = 0;
    preview::Rgb colour{};
  };
  Params Snapshot() const;

  CLedState leds_;
  std::atomic<uint8_t> effectPhase_{0};
  std::atomic<uint8_t> effectColourIndex_{0};

 private:
  void Loop(const CStopEvent& stop, CCustomEffectPlayer* player, const char* exitTrace);

  Hooks hooks_;
  mutable std::mutex effectLock_;
  LightInfo effect_{};
  Params params_{};
  std::array<std::atomic<uint8_t>, kKeyPositions + 1> intensity_{};
  std::array<std::atomic<uint8_t>, kRingLength> ring_{};
  mutable std::mutex mapLock_;
  std::map<int, int> keyPositionMap_;
  CustomEffectSteps customSteps_;
  CWorkerThread thread_;
  std::atomic<uint64_t> passes_{0};
  CShowGate gate_;
  // Blink timing of StepBlink / StepColourBlink (light thread only).
  std::chrono::steady_clock::time_point lastBlinkToggle_{};
  bool blinkOn_ = false;
};

}  // namespace orlo
