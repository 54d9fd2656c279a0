#pragma once
// The keyboard's lighting effects, computed frame by frame into the LED state of its 170 key
// positions: the preview of every effect the keyboard runs by itself, and the frames of the two
// effects the host draws for it (29 music, 30 a colour given by another program), which the
// driver streams. A custom effect plays the user's steps; a profile's light list overrides single
// LEDs.
//
// Threads: the UI thread hands over the effect, the music record and levels, the style colour,
// ripples, the light list and the custom steps; the light thread calls Pass with its tick count
// and picks them up at the start of the pass, so a step never sees half of an update. Everything
// else is the light thread's own.
#include <array>
#include <cstdint>
#include <mutex>
#include <span>
#include <vector>

#include "device/keyboard/EffectRandom.h"
#include "device/keyboard/KeyEffectField.h"
#include "device/keyboard/KeyboardMusic.h"
#include "device/keyboard/PerKeyEffects.h"
#include "device/model/CustomEffectPlayer.h"
#include "device/model/LedState.h"
#include "profile/LightData.h"

namespace orlo::keyboard {

class CKeyboardLightEngine {
 public:
  // Effects with a meaning of their own to the engine (0, 19 and above 30 play the custom effect).
  enum : uint8_t {
    kPerKeyColours = 20,
    kMusic = 29,
    kStyleColour = 30,
  };
  static constexpr int kLeds = kPositions;

  // The engine draws into `leds` (entry p is key position p); it must outlive the engine.
  explicit CKeyboardLightEngine(CLedState& leds);

  // ---- UI thread ------------------------------------------------------------------------------
  // The effect to show. A new mode (or the per-key colour effect again) is prepared at the next
  // pass: phases, per-key values and the ring start from zero, the music's column latches are
  // set, and every LED goes dark — except for the per-key colour effect, whose colours the driver
  // loads into the LED state itself.
  void SetEffect(const LightInfo& effect);
  LightInfo Effect() const;
  // Prepares the current mode again at the next pass.
  void RequestPrepare();
  void SetAudioLight(const AudioLightInfo& record);
  // Style values of the music window: the first three are red, green and blue of effect 30
  // (each clamped to 0-255). Fewer than three values are ignored.
  void SetAudioStyle(std::span<const int32_t> values);
  // A frame of audio levels: the first 25 of `count` are kept for the next music step; a frame
  // with fewer than 25 levels is dropped (false). In the music effect's ripple picture the frame
  // feeds the beat detector instead, which starts a ripple from the centre on every beat.
  bool OnAudioLevels(const int32_t* levels, size_t count);
  // A ripple from a key position (pressed must be 1), started at the next pass.
  void StartRipple(int position, int pressed);
  // The profile's light list (entry i drives LED i); the per-key effects restart at the next pass.
  void SetLightList(std::vector<LightInfo> list);
  // The user's custom effect; it plays from its first step.
  void SetCustomSteps(const std::vector<LEDEffectStep>& steps);

  // ---- light thread ---------------------------------------------------------------------------
  // One pass at millisecond tick `nowMs`: the time since the last counted tick is counted, one
  // count for every 2 ms (a tick counts once it moved by more than 1 ms); the effect's step runs
  // once the count reaches the effect's interval for its speed (the custom effect plays on every
  // pass); then the per-key effects. The first pass, and one after a gap of more than kResumeMs
  // (the thread rested), counts once: the effect goes on from its phase without catching up. Returns true when a step ran.
  bool Pass(uint64_t nowMs);
  // The tick at which the next pass has work: when the next step comes due, or the next
  // millisecond while the custom effect or the light list needs every pass. An effect that steps
  // on every pass (interval 0) has no step of its own to wait for: UINT64_MAX.
  uint64_t NextPassDue(uint64_t nowMs) const;
  static constexpr uint64_t kResumeMs = 100;
  // The effect's step, now, whatever the count (for callers that time steps themselves).
  void Step(uint64_t nowMs);

  // Counted ticks between two steps of an effect at a speed index; 0 steps on every pass, -1
  // plays the custom effect on every pass.
  static int IntervalOf(int mode, int speed);

  // Seeds the random picks (twinkles, random colours), so a run can be replayed.
  void SeedRandom(uint32_t seed) { random_.Seed(seed); }
  // The animation state (light thread, or a test between passes).
  const KeyEffectField& Field() const { return field_; }
  const CKeyboardMusic& Music() const { return music_; }

 private:
  void TakeInputs(uint64_t nowMs);
  void Prepare(int mode);
  CKeyboardMusic::Levels TakeLevels();

  // Drawing helpers and the effect steps.
  preview::Rgb KeyColour(int key) const;  // wheel colour (multicolour) or the effect colour
  void DrawByIntensity(int key);  // that colour at level × intensity / 256
  void StepColumnWave(int mode);
  void StepSweep();
  void StepBreathingColumns();
  void StepStatic();
  void StepKeyFade();
  void StepRipple(int mode);
  void StepTwinkle();
  void StepColourCycleKeys();
  void StepRowWave();
  void StepRingWave();
  void StepScripted();
  void StepRandomBreathing(int mode);
  void StepBouncingRing();
  void StepFixedColour();
  void StepSlantedRows();
  void StepFill();
  void StepDiagonal();
  void StepSpectrum();
  void StepBlink(uint64_t nowMs, bool cycleColours);
  void StepColourCycle();
  void StepMusic();

  CLedState& leds_;
  KeyEffectField field_;
  CKeyboardMusic music_;
  CPerKeyEffects perKey_;
  CustomEffectSteps customSteps_;
  CCustomEffectPlayer player_;
  CEffectRandom random_;

  // The light thread's copies of the inputs.
  LightInfo effect_{};
  AudioLightInfo audio_{};
  preview::Rgb styleColour_{};
  uint8_t level_ = 0;
  uint64_t lastTick_ = 0;
  int counted_ = 0;
  bool blinkOn_ = false;
  uint64_t lastBlinkMs_ = 0;
  int fillCursor_ = 0;
  int scriptStage_ = 0, scriptStep_ = 0;

  // Handed over by the UI thread, under inputLock_.
  mutable std::mutex inputLock_;
  struct Inputs {
    LightInfo effect{};
    AudioLightInfo audio{};
    preview::Rgb styleColour{};
    bool prepare = true;
    std::array<uint8_t, 16> ripples{};  // positions waiting to start, at most 16 a pass
    int rippleCount = 0;
    bool newLightList = false;
    std::vector<LightInfo> lightList;
    CKeyboardMusic::Levels levels{};
    bool haveLevels = false;
    int beat = 0;  // summed loudness since the last beat
  } in_;
};

}  // namespace orlo::keyboard
