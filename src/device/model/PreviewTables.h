#pragma once
// Tables and phase stepping shared by every driver's lighting preview and by the lighting
// synchronisation: brightness levels, the breathing and wave curves, the hue wheel and the
// four cycle colours.
#include <array>
#include <cstdint>

namespace orlo::preview {

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// Brightness by level 0..4; a level beyond the table reads as the brightest.
extern const std::array<uint8_t, 5> kBrightness;
// 128 entries: 0 at index 0, 255 at 63 and 64, back to 0 at 127.
extern const std::array<uint8_t, 128> kBreathing;
// 96 entries: the rising half from index 16 on, then the same mirrored.
extern const std::array<uint8_t, 96> kWave;
// 192 colours, stored with 256 entries (192..255 repeat 0..63) so every 8-bit index is valid.
extern const std::array<Rgb, 256> kHueWheel;
extern const std::array<Rgb, 4> kCycleColours;

// Interval (in 1 ms counts) of the slow steps and of the ripple/fade steps per speed index.
extern const std::array<uint8_t, 5> kInterval20;  // 20, 15, 10, 5, 1
extern const std::array<uint8_t, 5> kInterval28;  // 28, 23, 18, 13, 7
extern const std::array<uint8_t, 5> kInterval10;  // 10, 8, 5, 3, 1 (rainbow)

// Clamped table lookups: speeds and levels come from devices and files.
inline uint8_t Brightness(int level) { return kBrightness[level < 0 ? 0 : level > 4 ? 4 : level]; }
inline int SpeedIndex(int speed) { return speed < 0 ? 0 : speed > 4 ? 4 : speed; }

// One phase step over period: up with direction non-zero (0 once not below the period), down
// with direction 0 (period - 1 once the result is not below the period).
uint8_t StepPhase(uint8_t phase, int period, int direction);

// value * curve / 256, the way every step scales a brightness.
inline uint8_t Scale(uint8_t value, uint8_t curve) { return static_cast<uint8_t>(value * curve / 256); }

}  // namespace orlo::preview
