#pragma once
// The headset's LED frame: the colours of its 13 LEDs go out as twelve 17-byte output reports,
// each one colour component of one half of the LEDs for one of the two LED groups:
//   byte 0 report id 0xFF, byte 1 group (0x22 or 0x44), byte 2 part, byte 3 0,
//   bytes 4-10 up to seven component values, bytes 11-16 0.
// Parts: 0xAA/0xAB/0xAC red/green/blue of LEDs 0-6, 0xAD/0xAE/0xAF the same of LEDs 7-12.
// Order: red of both halves for group 0x22, then 0x44; then green the same way, then blue.
#include <array>
#include <cstdint>

#include "device/model/LedState.h"

namespace orlo {

inline constexpr int kHeadsetLeds = 13;
inline constexpr size_t kLedReportSize = 17;
inline constexpr int kLedReportCount = 12;
inline constexpr uint8_t kLedReportId = 0xFF;
// The LEDs take no component above this.
inline constexpr uint8_t kLedComponentMax = 247;
using LedReport = std::array<uint8_t, kLedReportSize>;
using LedComponents = std::array<uint8_t, kHeadsetLeds>;

// A component scaled by its brightness (the high byte of the product), limited to 247.
uint8_t LedComponent(uint8_t component, uint8_t brightness);
// The three component arrays of an LED state (LEDs beyond 13 are not sent).
void LedFrameComponents(const CLedState& leds, LedComponents& red, LedComponents& green, LedComponents& blue);
std::array<LedReport, kLedReportCount> BuildLedReports(const LedComponents& red, const LedComponents& green,
                                                       const LedComponents& blue);

}  // namespace orlo
