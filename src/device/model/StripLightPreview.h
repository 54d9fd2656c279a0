#pragma once
// The lighting preview of the devices whose LEDs run in one strip (the mousepad's 15, the
// headset's 13): the base steps, a wave that runs along the strip and two chases. The two
// devices differ only in how far apart neighbouring LEDs sit on the wave and how fast a
// single-colour wave moves.
//
// Modes: 0 wave, 1 spectrum, 2 breathing, 3 static, 4 blink, 5 colour cycle, 6 single-LED chase
// (StepFade), 7 pair chase (StepRipple), 8 off, every 28, 23, 18, 13 or 7 counts for speed index
// 0 to 4; custom effects (10 on) run through the custom effect player.
//
// The chases: a lit ring position lights the intensity of its LED (or pair) at 255, the ring
// moves one place every second step, and every LED's intensity decays on each step, so a light
// runs along the strip and fades behind itself.
#include <array>
#include <atomic>
#include <vector>

#include <mutex>

#include "device/model/LightPreview.h"
#include "device/keyboard/PerKeyEffects.h"

namespace orlo {

class CStripLightPreview : public CLightPreview {
 public:
  struct Wave {
    int hueStride;   // hue wheel entries between neighbouring LEDs (multicolour)
    int curveStride; // wave curve entries between neighbouring LEDs (single colour)
    int curveStep;   // wave curve entries the single-colour wave moves per step
    int curveOffset; // wave curve entry of the first LED, past the phase
  };

  CStripLightPreview(int ledCount, Wave wave) : CLightPreview(ledCount), wave_(wave) {}

  StepPlan PlanFor(int mode, int speed) const override;
  void StepRainbow() override;
  // The pairs (1, 14), (2, 13) … (7, 8) light from the ends toward the middle (direction 0) or
  // back; LED 0 takes no part and pair members past the strip's end are left out.
  void StepRipple() override;
  // Every LED on its own, along the 23-place ring.
  void StepFade() override;
  // Every set ring position below the strip's length lights its LED's intensity (the base seed
  // covers ring positions 0 to 8 only).
  void KeyEffectSeed();
  // Clears the chase and lights its first ring position: a new chase starts at the strip's start.
  void RestartChase();
  // The profile's light list: entry i gives LED i an effect of its own over the strip's effect,
  // restarted at tick nowMs.
  void TakeLightList(std::vector<LightInfo> list, uint64_t nowMs);
  // Draws the light list's effects over the strip's effect (the light thread does after every
  // step).
  void RunLightList(uint64_t nowMs);

 private:
  // One chase step over LED groups (one or two LEDs each; -1 for no second) along the first
  // ringLength ring places; the ring moves forward when the effect's direction is set or not as
  // forwardWhenDirectionSet says.
  void Chase(const std::vector<std::array<int, 2>>& groups, int ringLength, bool forwardWhenDirectionSet);

  // The light thread's steps: the mode's step, then the light list over it.
  template <void (CLightPreview::*Step)()>
  void StepWithList();

  Wave wave_;
  std::mutex perLedLock_;
  keyboard::CPerKeyEffects perLed_;
  // Steps since the ring last moved, shared by both chases (light thread only).
  std::atomic<int> chaseCounter_{0};
};

}  // namespace orlo
