#include "device/model/PreviewTables.h"

namespace orlo::preview {
namespace {

constexpr std::array<uint8_t, 64> kRising = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};

constexpr std::array<uint8_t, 32> kRise = {1,   3,   5,   7,   10,  14,  18,  22,  26,  32,  38,
                                           44,  50,  57,  65,  73,  81,  89,  99,  109, 119, 129,
                                           140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
constexpr std::array<uint8_t, 32> kFall = {248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124,
                                           114, 104, 94,  85,  77,  69,  61,  53,  47,  41,  35,
                                           29,  24,  20,  16,  12,  8,   6,   4,   2,   0};

constexpr std::array<uint8_t, 128> MakeBreathing() {
  std::array<uint8_t, 128> t{};
  for (int i = 0; i < 64; ++i) {
    t[i] = kRising[i];
    t[127 - i] = kRising[i];
  }
  return t;
}

constexpr std::array<uint8_t, 96> MakeWave() {
  std::array<uint8_t, 96> t{};
  for (int i = 0; i < 48; ++i) {
    t[i] = kRising[16 + i];
    t[95 - i] = kRising[16 + i];
  }
  return t;
}

constexpr std::array<Rgb, 256> MakeHueWheel() {
  std::array<Rgb, 256> t{};
  for (int i = 0; i < 192; ++i) {
    const int k = i % 32;
    switch (i / 32) {
      case 0: t[i] = {255, kRise[k], 0}; break;
      case 1: t[i] = {kFall[k], 255, 0}; break;
      case 2: t[i] = {0, 255, kRise[k]}; break;
      case 3: t[i] = {0, kFall[k], 255}; break;
      case 4: t[i] = {kRise[k], 0, 255}; break;
      default: t[i] = {255, 0, kFall[k]}; break;
    }
  }
  for (int i = 192; i < 256; ++i) t[i] = t[i - 192];
  return t;
}

}  // namespace

const std::array<uint8_t, 5> kBrightness = {0, 80, 135, 195, 255};
const std::array<uint8_t, 128> kBreathing = MakeBreathing();
const std::array<uint8_t, 96> kWave = MakeWave();
const std::array<Rgb, 256> kHueWheel = MakeHueWheel();
const std::array<Rgb, 4> kCycleColours = {Rgb{0, 255, 180}, Rgb{0, 255, 0}, Rgb{255, 255, 255},
                                          Rgb{255, 0, 0}};
const std::array<uint8_t, 5> kInterval20 = {20, 15, 10, 5, 1};
const std::array<uint8_t, 5> kInterval28 = {28, 23, 18, 13, 7};
const std::array<uint8_t, 5> kInterval10 = {10, 8, 5, 3, 1};

uint8_t StepPhase(uint8_t phase, int period, int direction) {
  if (period <= 0) return 0;
  if (direction != 0) {
    const int next = phase + 1;
    return static_cast<uint8_t>(next >= period ? 0 : next);
  }
  const int next = static_cast<uint8_t>(phase - 1);  // 8-bit wrap: 0 - 1 is 255
  return static_cast<uint8_t>(next >= period ? period - 1 : next);
}

}  // namespace orlo::preview
