#pragma once
// The per-key effects of a profile's light list: entry i gives LED i an effect of its own
// (breathing, static, colour cycle, blink or off) that overrides what the keyboard's effect drew
// there. Runs on the light thread after every effect step; times come from the caller's tick.
#include <cstdint>
#include <vector>

#include "device/model/LedState.h"
#include "profile/LightData.h"

namespace orlo::keyboard {

class CPerKeyEffects {
 public:
  // Light list entry modes.
  enum Mode : uint8_t { kEntryBreathing = 0, kEntryStatic = 1, kEntryBlink = 2, kEntryColourCycle = 3, kEntryOff = 4 };

  // Takes a new list and restarts every LED's state at tick nowMs. Entries past the LED count are
  // never drawn.
  void Restart(std::vector<LightInfo> list, uint64_t nowMs);
  // One pass over all entries, in the order breathing, static, colour cycle, blink, off.
  void Run(CLedState& leds, uint64_t nowMs);
  size_t Size() const { return list_.size(); }
  // Breathing and colour-cycle entries move on with every pass, so they need a pass every
  // millisecond; the others keep time or stand still.
  bool CountsPasses() const;

 private:
  struct LedRun {
    uint8_t phase = 0, colourIndex = 0, counter = 0, cycleLimit = 0;
    bool on = false;
    uint64_t lastFlipMs = 0;
    uint32_t blinkPeriodMs = 0;
  };
  std::vector<LightInfo> list_;
  std::vector<LedRun> runs_;
};

}  // namespace orlo::keyboard
