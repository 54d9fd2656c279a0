#include "device/keyboard/PerKeyEffects.h"

#include <algorithm>

#include "device/model/PreviewTables.h"

namespace orlo::keyboard {

using namespace preview;

void CPerKeyEffects::Restart(std::vector<LightInfo> list, uint64_t nowMs) {
  list_ = std::move(list);
  runs_.assign(list_.size(), LedRun{});
  for (size_t i = 0; i < list_.size(); ++i) {
    const uint8_t passes = kInterval28[static_cast<size_t>(SpeedIndex(list_[i].speed))];
    runs_[i].cycleLimit = passes;
    runs_[i].blinkPeriodMs = passes * 200u;
    runs_[i].lastFlipMs = nowMs;
  }
}

bool CPerKeyEffects::CountsPasses() const {
  return std::any_of(list_.begin(), list_.end(), [](const LightInfo& e) {
    return e.further[kLightListEntryFlag] != 0 && (e.mode == kEntryBreathing || e.mode == kEntryColourCycle);
  });
}

void CPerKeyEffects::Run(CLedState& leds, uint64_t nowMs) {
  const int count = std::min<int>(static_cast<int>(list_.size()), leds.Size());
  auto colourOf = [](const LightInfo& e) { return Rgb{e.red, e.green, e.blue}; };
  auto present = [](const LightInfo& e) { return e.further[kLightListEntryFlag] != 0; };

  for (int i = 0; i < count; ++i) {  // breathing
    const LightInfo& e = list_[static_cast<size_t>(i)];
    LedRun& r = runs_[static_cast<size_t>(i)];
    if (e.mode != kEntryBreathing || !present(e)) continue;
    const Rgb colour = e.multiColor ? kHueWheel[r.colourIndex] : colourOf(e);
    r.phase = static_cast<uint8_t>(r.phase + e.speed + 4);
    if (r.phase >= 128) {
      r.phase = 0;
      const int next = r.colourIndex + 1;
      r.colourIndex = static_cast<uint8_t>(next > 192 ? 191 : next);
    }
    leds.Set(i, colour, Scale(Brightness(e.brightness), kBreathing[r.phase]));
  }
  for (int i = 0; i < count; ++i) {  // static
    const LightInfo& e = list_[static_cast<size_t>(i)];
    if (e.mode == kEntryStatic) leds.Set(i, colourOf(e), Brightness(e.brightness));
  }
  for (int i = 0; i < count; ++i) {  // colour cycle
    const LightInfo& e = list_[static_cast<size_t>(i)];
    LedRun& r = runs_[static_cast<size_t>(i)];
    if (e.mode != kEntryColourCycle || !present(e)) continue;
    if (++r.counter >= r.cycleLimit) {
      r.counter = 0;
      r.colourIndex = static_cast<uint8_t>(r.colourIndex >= 191 ? 0 : r.colourIndex + 1);
    }
    leds.Set(i, kHueWheel[r.colourIndex], Brightness(e.brightness));
  }
  for (int i = 0; i < count; ++i) {  // blink: every entry keeps time, blinking ones show it
    const LightInfo& e = list_[static_cast<size_t>(i)];
    LedRun& r = runs_[static_cast<size_t>(i)];
    if (nowMs - r.lastFlipMs >= r.blinkPeriodMs) {
      r.lastFlipMs = nowMs;
      r.on = !r.on;
      const int next = r.colourIndex + 14;
      r.colourIndex = static_cast<uint8_t>(next > 191 ? 0 : next);
    }
    if (e.mode != kEntryBlink) continue;
    if (r.on)
      leds.Set(i, e.multiColor ? kHueWheel[r.colourIndex] : colourOf(e), Brightness(e.brightness));
    else
      leds.Set(i, {}, 0);
  }
  for (int i = 0; i < count; ++i)  // off
    if (list_[static_cast<size_t>(i)].mode == kEntryOff) leds.Set(i, {}, 0);
}

}  // namespace orlo::keyboard
