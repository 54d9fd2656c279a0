// The strip devices' chases (pair chase of mode 7, single-LED chase of mode 6), step by step.
#include <gtest/gtest.h>

#include <vector>

#include "device/model/StripLightPreview.h"

namespace orlo {
namespace {

using preview::Rgb;

LightInfo Chase(uint8_t mode, uint8_t dir, uint8_t multi) {
  LightInfo e;
  e.mode = mode, e.brightness = 4, e.speed = 0, e.direction = dir, e.multiColor = multi;
  e.red = 10, e.green = 20, e.blue = 30;
  return e;
}

// The brightness of every LED.
std::vector<int> Levels(const CLedState& leds) {
  std::vector<int> out;
  for (int i = 0; i < leds.Size(); ++i) out.push_back(leds.Get(i).brightness);
  return out;
}

// One step of the light thread for the effect's mode.
void Step(CStripLightPreview& strip) {
  const auto plan = strip.PlanFor(strip.Effect().mode, strip.Effect().speed);
  ASSERT_NE(plan.step, nullptr);
  (strip.*plan.step)();
}

TEST(StripChase, TheChasesRunAtTheStripIntervalAndTheLightListDrawsOverThem) {
  CStripLightPreview pad(15, {7, 7, 1, 1});
  EXPECT_EQ(pad.PlanFor(7, 4).interval, 7);
  EXPECT_EQ(pad.PlanFor(6, 1).interval, 23);
  LightInfo own = Chase(1, 0, 0);  // static, red
  own.brightness = 2, own.red = 200, own.green = 0, own.blue = 0;
  LightInfo off = own;
  off.mode = 4;
  pad.TakeLightList({own, off}, 0);
  LightInfo effect = Chase(3, 0, 0);  // the pad's effect: static
  pad.SetEffect(effect);
  Step(pad);
  EXPECT_EQ(pad.Leds().Get(0), (LedValue{200, 0, 0, 135}));
  EXPECT_EQ(pad.Leds().Get(1), (LedValue{0, 0, 0, 0}));
  EXPECT_EQ(pad.Leds().Get(2), (LedValue{10, 20, 30, 255}));
  EXPECT_EQ(pad.Leds().Get(14), (LedValue{10, 20, 30, 255}));
}

TEST(StripChase, PadPairsLightFromTheEndsInwardEverySecondStepAndFade) {
  CStripLightPreview pad(15, {7, 7, 1, 1});
  pad.SetIntensity(5, 99);  // left from an earlier effect: a restart clears it
  pad.RestartChase();
  pad.SetEffect(Chase(7, 0, 0));
  const std::vector<std::vector<int>> expected = {
      // LED 0 … 14
      {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
      {0, 214, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 214},
      {0, 174, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 174},
      {0, 134, 214, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 214, 134},
      {0, 94, 174, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 174, 94},
      {0, 64, 134, 214, 0, 0, 0, 0, 0, 0, 0, 0, 214, 134, 64},
  };
  for (size_t step = 0; step < expected.size(); ++step) {
    Step(pad);
    EXPECT_EQ(Levels(pad.Leds()), expected[step]) << "step " << step + 1;
  }
  // Single colour: the effect's colour on every pair LED; LED 0 is never painted.
  EXPECT_EQ(pad.Leds().Get(3), (LedValue{10, 20, 30, 214}));
  EXPECT_EQ(pad.Leds().Get(0), (LedValue{0, 0, 0, 0}));
}

TEST(StripChase, HeadsetSingleLedChaseKeepsItsColoursWhileTheEntryIsLit) {
  CStripLightPreview headset(13, {16, 10, 3, 0});
  headset.RestartChase();
  headset.SetEffect(Chase(6, 1, 1));
  auto rgb = [&](int i) {
    const LedValue v = headset.Leds().Get(i);
    return Rgb{v.r, v.g, v.b};
  };
  // Step 1: phase 1, then 12 further per LED: LED 0 at hue 13, nothing lit yet.
  Step(headset);
  EXPECT_EQ(rgb(0), (Rgb{255, 57, 0}));
  EXPECT_EQ(headset.Leds().Get(0).brightness, 0);
  EXPECT_EQ(headset.EffectPhase(), 157);
  // Step 2: phase 158; LED 0 at hue 170, LED 1 at 182, LED 2 at 194 = hue 2.
  Step(headset);
  EXPECT_EQ(rgb(0), (Rgb{255, 0, 124}));
  EXPECT_EQ(rgb(1), (Rgb{255, 0, 29}));
  EXPECT_EQ(rgb(2), (Rgb{255, 5, 0}));
  EXPECT_EQ(headset.EffectPhase(), 58);
  // Step 3: LED 0 lights; while it is lit every LED keeps the colour it shows.
  Step(headset);
  EXPECT_EQ(headset.Leds().Get(0), (LedValue{255, 0, 124, 214}));
  EXPECT_EQ(headset.Leds().Get(1), (LedValue{255, 0, 29, 0}));
  EXPECT_EQ(rgb(2), (Rgb{255, 5, 0}));
  EXPECT_EQ(headset.EffectPhase(), 215);
  Step(headset);
  // Step 5: the ring moved forward: LED 1 lights behind LED 0.
  Step(headset);
  EXPECT_EQ(Levels(headset.Leds()), (std::vector<int>{134, 214, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(headset.Leds().Get(1), (LedValue{255, 0, 29, 214}));
}

TEST(StripChase, HeadsetPairsBeyondItsLastLedAreLeftOut) {
  CStripLightPreview headset(13, {16, 10, 3, 0});
  headset.RestartChase();
  headset.SetEffect(Chase(7, 0, 0));
  for (int i = 0; i < 5; ++i) headset.StepRipple();
  // Pairs (1, 14) and (2, 13) light only LEDs 1 and 2; the pad would light 13 and 14 too.
  EXPECT_EQ(Levels(headset.Leds()), (std::vector<int>{0, 134, 214, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
}

}  // namespace
}  // namespace orlo
