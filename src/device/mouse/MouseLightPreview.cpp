#include "device/mouse/MouseLightPreview.h"

#include <algorithm>
#include <random>

namespace orlo {

using namespace preview;

namespace {

const std::array<std::vector<int>, 7> kGroups = {{
    {0, 13}, {1, 12}, {2, 11}, {3, 10}, {4, 9}, {5, 8}, {6, 14, 7},
}};

uint8_t RandomHue() {
  thread_local std::minstd_rand rng{std::random_device{}()};
  return static_cast<uint8_t>(rng() % 192);
}

}  // namespace

const std::vector<int>& CMouseLightPreview::Group(int g) { return kGroups[static_cast<size_t>(std::clamp(g, 0, 6))]; }

void CMouseLightPreview::StepRainbow() {
  const Params p = Snapshot();
  const uint8_t level = Brightness(p.level);
  const int period = p.multicolour ? 192 : 96;
  const uint8_t phase = StepPhase(effectPhase_, period, p.direction);
  effectPhase_ = phase;
  for (int g = 0; g < 7; ++g) {
    const int at = (phase + 1 + 7 * g) % period;
    for (int led : kGroups[g]) {
      if (p.multicolour)
        leds_.Set(led, kHueWheel[at], level);
      else
        leds_.Set(led, p.colour, Scale(level, kWave[at]));
    }
  }
}

void CMouseLightPreview::StepRipple() {
  const Params p = Snapshot();
  const uint8_t level = Brightness(p.level);
  uint8_t phase = StepPhase(effectPhase_, 192, p.direction);
  effectPhase_ = phase;
  KeyEffectSeed();
  KeyEffectRotate(p.direction != 0);
  const bool entryLit = Intensity(p.direction != 0 ? 1 : 7) != 0;
  for (int g = 0; g < 7; ++g) {
    KeyEffectDecay(g, p.mode);
    Rgb colour = p.colour;
    if (p.multicolour) {
      phase = static_cast<uint8_t>(phase + 12);
      if (entryLit) {
        const LedValue first = leds_.Get(kGroups[g].front());
        colour = {first.r, first.g, first.b};
      } else {
        colour = kHueWheel[phase >= 192 ? phase - 192 : phase];
      }
    }
    const uint8_t brightness = static_cast<uint8_t>(level * Intensity(g + 1) / 256);
    for (int led : kGroups[g]) leds_.Set(led, colour, brightness);
  }
}

void CMouseLightPreview::StepFade() {
  const Params p = Snapshot();
  const uint8_t level = Brightness(p.level);
  std::lock_guard lock(fadeLock_);
  for (int i = 0; i < kLedCount; ++i) {
    if (fadeState_[i] == 1) {
      fadeLevel_[i] = static_cast<uint8_t>(std::min(255, fadeLevel_[i] + 15));
      if (fadeLevel_[i] == 255) fadeState_[i] = 2;
    } else if (fadeState_[i] == 2) {
      fadeLevel_[i] = static_cast<uint8_t>(std::max(0, fadeLevel_[i] - 15));
      if (fadeLevel_[i] == 0) fadeState_[i] = 0;
    }
    const Rgb colour = p.multicolour ? kHueWheel[fadeHue_[i]] : p.colour;
    leds_.Set(i, colour, Scale(level, fadeLevel_[i]));
  }
}

void CMouseLightPreview::StartFade() {
  std::lock_guard lock(fadeLock_);
  for (int i = 0; i < kLedCount; ++i) {
    fadeState_[i] = 1;
    fadeLevel_[i] = 255;
    fadeHue_[i] = RandomHue();
  }
}

}  // namespace orlo
