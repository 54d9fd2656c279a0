#pragma once
// The lighting preview of the devices whose LEDs run in one strip (the mousepad's 15, the
// headset's 13): the base steps plus a wave that runs along the strip. The two differ only in
// how far apart neighbouring LEDs sit on the wave and how fast a single-colour wave moves.
//
// Modes: 0 wave, 1 spectrum, 2 breathing, 3 static, 4 blink, 5 colour cycle, 8 off, every 28, 23,
// 18, 13 or 7 counts for speed index 0 to 4; the chase modes 6 and 7 have no preview of their own
// yet and stay dark;
// custom effects (10 on) run through the custom effect player.
#include "device/model/LightPreview.h"

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

 private:
  Wave wave_;
};

}  // namespace orlo
