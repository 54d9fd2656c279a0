#pragma once
// The mouse's lighting preview: the base steps plus its rainbow wave, ripple and fade over the
// fifteen LEDs in seven column groups.
#include <array>
#include <mutex>
#include <vector>

#include "device/model/LightPreview.h"

namespace orlo {

class CMouseLightPreview : public CLightPreview {
 public:
  static constexpr int kLedCount = 15;

  CMouseLightPreview() : CLightPreview(kLedCount) {}

  void StepRainbow() override;
  void StepRipple() override;
  void StepFade() override;
  // Every LED starts a fade in a random colour (the mouse's own fade event).
  void StartFade();

  // LEDs of column group g (0..6).
  static const std::vector<int>& Group(int g);

 private:
  // Per-LED fade: state 0 idle, 1 fading in, 2 fading out.
  std::mutex fadeLock_;
  std::array<uint8_t, kLedCount> fadeLevel_{};
  std::array<uint8_t, kLedCount> fadeState_{};
  std::array<uint8_t, kLedCount> fadeHue_{};
};

}  // namespace orlo
