#include "device/model/StripLightPreview.h"

namespace orlo {

using namespace preview;

CLightPreview::StepPlan CStripLightPreview::PlanFor(int mode, int speed) const {
  const uint8_t interval = kInterval28[static_cast<size_t>(SpeedIndex(speed))];
  using D = CLightPreview;
  switch (mode) {
    case 0: return {&D::StepRainbow, interval};
    case 1: return {&D::StepSpectrum, interval};
    case 2: return {&D::StepBreathing, interval};
    case 3: return {&D::StepStatic, interval};
    case 4: return {&D::StepBlink, interval};
    case 5: return {&D::StepColourCycle, interval};
    case 6:
    case 7:
    case 8: return {&D::StepOff, interval};
    default: return {nullptr, 0};
  }
}

void CStripLightPreview::StepRainbow() {
  const Params p = Snapshot();
  const uint8_t level = Brightness(p.level);
  const int count = leds_.Size();
  if (p.multicolour) {
    const uint8_t phase = StepPhase(effectPhase_, 192, p.direction);
    effectPhase_ = phase;
    for (int i = 0; i < count; ++i) leds_.Set(i, kHueWheel[(phase + 1 + wave_.hueStride * i) % 192], level);
    return;
  }
  uint8_t phase = effectPhase_;
  for (int s = 0; s < wave_.curveStep; ++s) phase = StepPhase(phase, 96, p.direction);
  effectPhase_ = phase;
  for (int i = 0; i < count; ++i)
    leds_.Set(i, p.colour, Scale(level, kWave[static_cast<size_t>((phase + wave_.curveOffset + wave_.curveStride * i) % 96)]));
}

}  // namespace orlo
