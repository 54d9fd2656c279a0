#include "device/model/CustomEffectPlayer.h"

#include "device/model/PreviewTables.h"

namespace orlo {

using namespace preview;

void CCustomEffectPlayer::Pass(CustomEffectSteps& steps, CLedState& leds, int effectSpeed,
                               Clock::time_point now) {
  std::lock_guard self(mutex_);
  {
    std::lock_guard lock(steps.lock);
    if (steps.position >= steps.steps.size()) steps.position = 0;
    if (steps.steps.empty()) {
      leds.Fill({}, 0);
      return;
    }
    step_ = steps.steps[steps.position];
  }
  if (!started_) {
    started_ = true;
    stepStart_ = lastToggle_ = now;
  }
  const int speed = SpeedIndex(step_.speed);
  const uint8_t level = Brightness(step_.brightness);
  const Rgb colour{step_.red, step_.green, step_.blue};
  const int count = leds.Size();
  ++counter_;
  switch (step_.mode) {
    case 0:  // breathing
      if (counter_ >= kInterval28[speed]) {
        phase_ = static_cast<uint8_t>((phase_ + 1) % 128);
        counter_ = 0;
      }
      leds.Fill(step_.multicolour ? kHueWheel[0] : colour, Scale(level, kBreathing[phase_ % 128]));
      break;
    case 1:  // static
      if (counter_ >= kInterval28[speed]) counter_ = 0;
      leds.Fill(colour, level);
      break;
    case 2: {  // blink, timed by the device effect's speed
      phase_ = static_cast<uint8_t>((phase_ + 1) % 128);
      if (counter_ >= kInterval28[speed]) counter_ = 0;
      const auto period = std::chrono::milliseconds(kInterval28[SpeedIndex(effectSpeed)] * 200);
      if (now - lastToggle_ >= period) {
        lastToggle_ = now;
        lit_ = !lit_;
        hue_ = static_cast<uint8_t>(phase_ + 14);
      }
      if (lit_)
        leds.Fill(step_.multicolour ? kHueWheel[hue_] : colour, level);
      else
        leds.Fill({}, 0);
      break;
    }
    case 4: {  // wave
      if (counter_ >= kInterval28[speed]) {
        phase_ = static_cast<uint8_t>((phase_ + 1) % 192);
        counter_ = 0;
      }
      int start;
      if (step_.direction == 0)
        start = phase_ + 1 >= 192 ? 0 : phase_ + 1;
      else
        start = phase_ == 0 ? 191 : 192 - phase_;
      for (int k = 0; k < count; ++k) {
        if (step_.multicolour)
          leds.Set(k, kHueWheel[(start + 12 * k) % 192], level);
        else
          leds.Set(k, colour, Scale(level, kWave[(start + 12 * (k + 1)) % 96]));
      }
      break;
    }
    case 5:  // spectrum
      if (counter_ >= kInterval10[speed]) {
        phase_ = static_cast<uint8_t>((phase_ + 1) % 192);
        counter_ = 0;
      }
      leds.Fill(kHueWheel[phase_], level);
      break;
    default:
      break;
  }
  if (counter_ >= 255) counter_ = 0;
  if (now - stepStart_ > std::chrono::milliseconds(step_.durationMs)) {
    std::lock_guard lock(steps.lock);
    if (++steps.position >= steps.steps.size()) steps.position = 0;
    stepStart_ = now;
  }
}

}  // namespace orlo
