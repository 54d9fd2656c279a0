#pragma once
// Lighting synchronisation: one effect shown by every connected device at once. The effect of
// the device the user started from is translated into a common type (breathing, static,
// flashing, spectrum, off), written to each device in its own mode numbering, and stepped here
// for all their previews together.
#include <chrono>
#include <cstdint>
#include <optional>

#include "device/model/PreviewTables.h"
#include "profile/LightData.h"

namespace orlo {

struct SyncEffect {
  enum Type : int { kBreathing = 0, kStatic = 1, kFlashing = 2, kSpectrum = 3, kOff = 4 };
  int type = -1;  // none yet: nothing steps
  uint8_t level = 0, speed = 0, direction = 0, multicolour = 0;
  preview::Rgb colour{};
};

// The common type of `mode` on a device of `family` (its DeviceKind); none when the mode has no
// counterpart on the other devices.
std::optional<int> SyncTypeOf(int family, int mode);
// The mode that shows `type` on a device of `family`; none for a family without synchronisation.
std::optional<int> SyncModeOf(int family, int type);
// The common effect of a device's effect record; none when its mode has no counterpart.
std::optional<SyncEffect> SyncEffectOf(int family, const LightInfo& effect);

class CLightSyncEngine {
 public:
  using Clock = std::chrono::steady_clock;

  // Time between two steps: the interval of the speed index (28, 23, 18, 13, 7 counts) at the
  // previews' two milliseconds per count.
  static std::chrono::milliseconds StepPeriod(int speed);

  // One step of `effect` at `now`: the LED word (red | green << 8 | blue << 16 | intensity << 24)
  // every synchronised preview shows next, or none for a type that never steps.
  std::optional<uint32_t> Step(const SyncEffect& effect, Clock::time_point now);

  uint8_t Phase() const { return phase_; }
  uint8_t Hue() const { return hue_; }

 private:
  uint8_t phase_ = 0;      // breathing, 0..127
  uint8_t hue_ = 0;        // breathing and spectrum, 0..191
  uint8_t flashHue_ = 0;   // flashing, 0..191
  bool flashOn_ = false;
  Clock::time_point lastToggle_{};
};

}  // namespace orlo
