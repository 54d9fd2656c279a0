#include "device/headset/HeadsetLedReports.h"

#include <algorithm>

namespace orlo {

uint8_t LedComponent(uint8_t component, uint8_t brightness) {
  const int scaled = (component * brightness) >> 8;
  return static_cast<uint8_t>(std::min<int>(scaled, kLedComponentMax));
}

void LedFrameComponents(const CLedState& leds, LedComponents& red, LedComponents& green, LedComponents& blue) {
  red.fill(0);
  green.fill(0);
  blue.fill(0);
  const int n = std::min(leds.Size(), kHeadsetLeds);
  for (int i = 0; i < n; ++i) {
    const LedValue v = leds.Get(i);
    red[i] = LedComponent(v.r, v.brightness);
    green[i] = LedComponent(v.g, v.brightness);
    blue[i] = LedComponent(v.b, v.brightness);
  }
}

std::array<LedReport, kLedReportCount> BuildLedReports(const LedComponents& red, const LedComponents& green,
                                                       const LedComponents& blue) {
  std::array<LedReport, kLedReportCount> out{};
  const LedComponents* components[3] = {&red, &green, &blue};
  size_t n = 0;
  for (int c = 0; c < 3; ++c) {
    for (uint8_t group : {uint8_t{0x22}, uint8_t{0x44}}) {
      for (int half = 0; half < 2; ++half) {
        LedReport& r = out[n++];
        r[0] = kLedReportId;
        r[1] = group;
        r[2] = static_cast<uint8_t>(0xAA + c + 3 * half);
        const int first = half == 0 ? 0 : 7;
        const int count = half == 0 ? 7 : kHeadsetLeds - 7;
        for (int i = 0; i < count; ++i) r[4 + i] = (*components[c])[static_cast<size_t>(first + i)];
      }
    }
  }
  return out;
}

}  // namespace orlo
