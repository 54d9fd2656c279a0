#pragma once
// Plays a user's custom lighting effect (a list of steps, each a small effect shown for its
// duration) into an LED state, one pass at a time. One player state may serve several devices.
#include <chrono>
#include <cstdint>
#include <mutex>
#include <vector>

#include "device/model/LedState.h"

namespace orlo {

struct CustomEffectStep {
  uint8_t mode = 0, brightness = 0, speed = 0, direction = 0, multicolour = 0;
  uint8_t red = 0, green = 0, blue = 0;
  int32_t durationMs = 0;  // "Time"
  int32_t repeat = 0;      // "Cyle"
};

// The steps of a device's custom effect and the player's position in them, guarded together.
struct CustomEffectSteps {
  std::mutex lock;
  std::vector<CustomEffectStep> steps;
  size_t position = 0;
};

class CCustomEffectPlayer {
 public:
  using Clock = std::chrono::steady_clock;

  // One pass. effectSpeed is the speed index of the device's own effect (it times blinking).
  void Pass(CustomEffectSteps& steps, CLedState& leds, int effectSpeed, Clock::time_point now);
  void Pass(CustomEffectSteps& steps, CLedState& leds, int effectSpeed) {
    Pass(steps, leds, effectSpeed, Clock::now());
  }

 private:
  std::mutex mutex_;  // the state may be shared by several light threads
  CustomEffectStep step_{};
  unsigned counter_ = 0;
  uint8_t phase_ = 0;
  uint8_t hue_ = 0;
  bool lit_ = false;
  bool started_ = false;
  Clock::time_point stepStart_{};
  Clock::time_point lastToggle_{};
};

}  // namespace orlo
