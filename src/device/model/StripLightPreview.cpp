#include "device/model/StripLightPreview.h"

#include <chrono>

namespace orlo {

using namespace preview;

namespace {

uint64_t TickMs() {
  return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                   std::chrono::steady_clock::now().time_since_epoch())
                                   .count());
}

}  // namespace

template <void (CLightPreview::*Step)()>
void CStripLightPreview::StepWithList() {
  (this->*Step)();
  RunLightList(TickMs());
}

CLightPreview::StepPlan CStripLightPreview::PlanFor(int mode, int speed) const {
  const uint8_t interval = kInterval28[static_cast<size_t>(SpeedIndex(speed))];
  using S = CStripLightPreview;
  using B = CLightPreview;
  // The steps are virtual: the strip's own ripple and fade run through the base's names.
  auto plan = [interval](void (S::*step)()) { return StepPlan{static_cast<void (B::*)()>(step), interval}; };
  switch (mode) {
    case 0: return plan(&S::StepWithList<&B::StepRainbow>);
    case 1: return plan(&S::StepWithList<&B::StepSpectrum>);
    case 2: return plan(&S::StepWithList<&B::StepBreathing>);
    case 3: return plan(&S::StepWithList<&B::StepStatic>);
    case 4: return plan(&S::StepWithList<&B::StepBlink>);
    case 5: return plan(&S::StepWithList<&B::StepColourCycle>);
    case 6: return plan(&S::StepWithList<&B::StepFade>);
    case 7: return plan(&S::StepWithList<&B::StepRipple>);
    case 8: return plan(&S::StepWithList<&B::StepOff>);
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

void CStripLightPreview::KeyEffectSeed() {
  const int count = leds_.Size() < kRingLength ? leds_.Size() : kRingLength;
  for (int pos = 0; pos < count; ++pos)
    if (Ring(pos) != 0) SetIntensity(pos + 1, 255);
}

void CStripLightPreview::TakeLightList(std::vector<LightInfo> list, uint64_t nowMs) {
  std::lock_guard lock(perLedLock_);
  perLed_.Restart(std::move(list), nowMs);
}

void CStripLightPreview::RunLightList(uint64_t nowMs) {
  std::lock_guard lock(perLedLock_);
  perLed_.Run(leds_, nowMs);
}

void CStripLightPreview::RestartChase() {
  ClearKeyEffects();
  SetRing(0, 1);
  chaseCounter_ = 0;
}

void CStripLightPreview::StepRipple() {
  static const std::vector<std::array<int, 2>> kPairs = {{1, 14}, {2, 13}, {3, 12}, {4, 11},
                                                         {5, 10}, {6, 9},  {7, 8}};
  Chase(kPairs, 8, false);
}

void CStripLightPreview::StepFade() {
  std::vector<std::array<int, 2>> single;
  for (int i = 0; i < leds_.Size(); ++i) single.push_back({i, -1});
  Chase(single, kRingLength, true);
}

void CStripLightPreview::Chase(const std::vector<std::array<int, 2>>& groups, int ringLength,
                               bool forwardWhenDirectionSet) {
  const Params p = Snapshot();
  const uint8_t level = Brightness(p.level);
  const int count = leds_.Size();
  uint8_t phase = StepPhase(effectPhase_, 192, p.direction);
  // The ring moves on every second step, starting with the third.
  if (chaseCounter_ > 1) {
    chaseCounter_ = 0;
    KeyEffectSeed();
    RotateRing(ringLength, (p.direction != 0) == forwardWhenDirectionSet);
  }
  ++chaseCounter_;
  // While the light sits at the strip's end where it enters, the colours stand still.
  const int entry = p.direction != 0 ? 1 : count;
  for (size_t g = 0; g < groups.size(); ++g) {
    const int index = static_cast<int>(g);
    KeyEffectDecay(index, p.mode);
    Rgb colour = p.colour;
    if (p.multicolour) {
      phase = static_cast<uint8_t>(phase + 12);
      if (Intensity(entry) != 0) {
        const LedValue first = leds_.Get(groups[g][0]);
        colour = {first.r, first.g, first.b};
      } else {
        colour = kHueWheel[phase >= 192 ? phase - 192 : phase];
      }
    }
    const uint8_t brightness = Scale(level, Intensity(index + 1));
    for (int led : groups[g])
      if (led >= 0 && led < count) leds_.Set(led, colour, brightness);
  }
  effectPhase_ = phase;
}

}  // namespace orlo
