// Preview tables, phase stepping, key effects and the base preview steps.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "device/model/CustomEffectPlayer.h"
#include "device/model/LedState.h"
#include "device/model/PreviewTables.h"
#include "device/model/LightPreview.h"
#include "device/model/TessaroUSBDevice.h"

namespace orlo {
namespace {

using namespace preview;

// The base preview engine over four LEDs; its effect stands in for the device's.
class BaseDevice : public CLightPreview {
 public:
  BaseDevice() : CLightPreview(4) {}
  void SetLightEffect(const LightInfo& e) { SetEffect(e); }
  CLedState& ledState() { return Leds(); }
};

LightInfo Effect(uint8_t mode, uint8_t level, uint8_t speed, uint8_t dir, uint8_t multi, Rgb c = {10, 20, 30}) {
  LightInfo e;
  e.mode = mode, e.brightness = level, e.speed = speed, e.direction = dir, e.multiColor = multi;
  e.red = c.r, e.green = c.g, e.blue = c.b;
  return e;
}

TEST(DeviceBasePreviewTest, TablesHaveTheirShapes) {
  EXPECT_EQ(kHueWheel[0], (Rgb{255, 1, 0}));
  EXPECT_EQ(kHueWheel[31], (Rgb{255, 255, 0}));
  EXPECT_EQ(kHueWheel[32], (Rgb{248, 255, 0}));
  EXPECT_EQ(kHueWheel[100], (Rgb{0, 194, 255}));  // fall[4]
  EXPECT_EQ(kHueWheel[191], (Rgb{255, 0, 0}));
  for (int i = 192; i < 256; ++i) EXPECT_EQ(kHueWheel[i], kHueWheel[i - 192]) << i;
  EXPECT_EQ(kBreathing[0], 0);
  EXPECT_EQ(kBreathing[63], 255);
  EXPECT_EQ(kBreathing[64], 255);
  EXPECT_EQ(kBreathing[127], 0);
  EXPECT_EQ(kBreathing[20], kBreathing[107]);
  EXPECT_EQ(kWave[0], 22);
  EXPECT_EQ(kWave[47], 255);
  EXPECT_EQ(kWave[95], 22);
  EXPECT_EQ(Brightness(3), 195);
  EXPECT_EQ(Brightness(9), 255);  // a level from a device beyond the table
}

TEST(DeviceBasePreviewTest, PhaseWrapsBothWays) {
  EXPECT_EQ(StepPhase(190, 192, 1), 191);
  EXPECT_EQ(StepPhase(191, 192, 1), 0);
  EXPECT_EQ(StepPhase(0, 192, 0), 191);
  EXPECT_EQ(StepPhase(5, 192, 0), 4);
  // A phase left above a shorter period (mode switched) comes back into range.
  EXPECT_EQ(StepPhase(150, 96, 0), 95);
  EXPECT_EQ(StepPhase(150, 96, 1), 0);
}

TEST(DeviceBasePreviewTest, DecayRulesByMode) {
  BaseDevice d;
  auto decayed = [&](uint8_t v, int mode) {
    d.SetIntensity(1, v);
    d.KeyEffectDecay(0, mode);
    return d.Intensity(1);
  };
  EXPECT_EQ(decayed(128, 0), 88);
  EXPECT_EQ(decayed(40, 0), 25);
  EXPECT_EQ(decayed(17, 0), 9);
  EXPECT_EQ(decayed(1, 0), 0);
  EXPECT_EQ(decayed(0, 0), 0);
  EXPECT_EQ(decayed(150, 29), 105);
  EXPECT_EQ(decayed(100, 29), 70);
  EXPECT_EQ(decayed(20, 29), 15);
  EXPECT_EQ(decayed(40, 5), 30);
  EXPECT_EQ(decayed(64, 5), 34);
  // Key 169 decays entry 170, the last one; key 170 has no entry and changes nothing.
  d.SetIntensity(170, 200);
  d.KeyEffectDecay(169, 0);
  EXPECT_EQ(d.Intensity(170), 160);
  d.KeyEffectDecay(170, 0);
  d.KeyEffectDecay(-5, 0);
  EXPECT_EQ(d.Intensity(170), 160);
}

TEST(DeviceBasePreviewTest, RingRotatesSeedsAndClears) {
  BaseDevice d;
  for (int i = 0; i < 5; ++i) d.SetRing(i, static_cast<uint8_t>(i + 1));
  d.RotateRing(5, true);
  EXPECT_EQ(d.Ring(0), 5);
  EXPECT_EQ(d.Ring(1), 1);
  EXPECT_EQ(d.Ring(4), 4);
  EXPECT_EQ(d.Ring(5), 0);
  d.RotateRing(5, false);
  EXPECT_EQ(d.Ring(0), 1);
  EXPECT_EQ(d.Ring(4), 5);
  d.ClearKeyEffects();
  d.SetRing(22, 7);
  d.RotateRing(100, true);  // capped at the ring's 23 entries
  EXPECT_EQ(d.Ring(0), 7);
  d.SetRing(8, 1);
  d.SetRing(9, 1);
  d.KeyEffectSeed();
  EXPECT_EQ(d.Intensity(1), 255);  // ring 0
  EXPECT_EQ(d.Intensity(9), 255);  // ring 8
  EXPECT_EQ(d.Intensity(10), 0);   // ring 9 lies outside the seeded positions
  d.ClearKeyEffects();
  EXPECT_EQ(d.Intensity(1), 0);
  EXPECT_EQ(d.Ring(0), 0);
}

TEST(DeviceBasePreviewTest, BaseStepsPaintEveryLed) {
  BaseDevice d;
  d.SetLightEffect(Effect(2, 3, 0, 1, 0));
  d.StepStatic();
  for (int i = 0; i < 4; ++i) EXPECT_EQ(d.ledState().Get(i), (LedValue{10, 20, 30, 195}));
  d.StepOff();
  EXPECT_EQ(d.ledState().Get(3), (LedValue{}));
  d.SetLightEffect(Effect(1, 4, 0, 1, 0));
  d.StepSpectrum();
  EXPECT_EQ(d.ledState().Get(0), (LedValue{kHueWheel[1].r, kHueWheel[1].g, kHueWheel[1].b, 255}));
  // Breathing with multicolour: the colour index moves by 16 at each return to phase 0 and
  // runs 0, 16 ... 192, 0.
  BaseDevice b;
  b.SetLightEffect(Effect(0, 4, 0, 1, 1));
  std::vector<int> indices;
  for (int i = 0; i < 128 * 14; ++i) {
    b.StepBreathing();
    if (b.EffectPhase() == 0) indices.push_back(b.EffectColourIndex());
  }
  ASSERT_GE(indices.size(), 13u);
  EXPECT_EQ(indices[0], 16);
  EXPECT_EQ(indices[11], 192);
  EXPECT_EQ(indices[12], 0);
  EXPECT_EQ(b.ledState().Get(0).brightness, 0);  // phase 0 of the curve
}

TEST(DeviceBasePreviewTest, FunctionTabsFollowTheTable) {
  using Pages = std::pair<int, int>;
  EXPECT_EQ(CTessaroUSBDevice::FunctionTabPages(4, kKindMouse), (Pages{3, -1}));
  EXPECT_EQ(CTessaroUSBDevice::FunctionTabPages(4, kKindMouseReceiver), (Pages{0, 2}));
  EXPECT_EQ(CTessaroUSBDevice::FunctionTabPages(3, kKindMouseReceiver), (Pages{1, -1}));
  EXPECT_EQ(CTessaroUSBDevice::FunctionTabPages(6, kKindMouse), (Pages{0, 1}));
  EXPECT_EQ(CTessaroUSBDevice::FunctionTabPages(9, kKindMouse), (Pages{0, 0}));
}

TEST(DeviceBasePreviewTest, LedEntriesAreNeverTorn) {
  CLedState leds(15);
  std::atomic<bool> done{false};
  std::thread writer([&] {
    for (int n = 0; n < 200000; ++n) {
      const auto v = static_cast<uint8_t>(n);
      leds.Set(n % 15, Rgb{v, v, v}, v);
    }
    done = true;
  });
  long torn = 0;
  while (!done)
    for (int i = 0; i < 15; ++i) {
      const LedValue v = leds.Get(i);
      torn += !(v.r == v.g && v.g == v.b && v.b == v.brightness);
    }
  writer.join();
  EXPECT_EQ(torn, 0);
  EXPECT_EQ(leds.GetWord(15), 0u);  // outside the LEDs
}

TEST(DeviceBasePreviewTest, CustomPlayerWalksItsSteps) {
  CLedState leds(3);
  CustomEffectSteps steps;
  CCustomEffectPlayer player;
  const auto t0 = CCustomEffectPlayer::Clock::now();
  leds.Fill({1, 1, 1}, 1);
  player.Pass(steps, leds, 0, t0);
  EXPECT_EQ(leds.Get(2), (LedValue{}));  // no steps: all off
  steps.steps = {{1, 4, 0, 0, 0, 200, 0, 0, 100, 0}, {1, 2, 0, 0, 0, 0, 0, 200, 100, 0}};
  player.Pass(steps, leds, 0, t0);
  EXPECT_EQ(leds.Get(0), (LedValue{200, 0, 0, 255}));
  player.Pass(steps, leds, 0, t0 + std::chrono::milliseconds(101));  // duration passed
  EXPECT_EQ(steps.position, 1u);
  player.Pass(steps, leds, 0, t0 + std::chrono::milliseconds(102));
  EXPECT_EQ(leds.Get(1), (LedValue{0, 0, 200, 135}));
  player.Pass(steps, leds, 0, t0 + std::chrono::milliseconds(300));
  EXPECT_EQ(steps.position, 0u);  // past the last step: back to the first
  // A position beyond a list that shrank meanwhile starts again at 0.
  steps.position = 7;
  player.Pass(steps, leds, 0, t0 + std::chrono::milliseconds(301));
  EXPECT_EQ(leds.Get(0), (LedValue{200, 0, 0, 255}));
}

}  // namespace
}  // namespace orlo
