// The keyboard's lighting effects stepped with an injected tick: when each effect steps, and the
// colours of chosen keys after chosen steps.
#include <gtest/gtest.h>

#include <vector>

#include "device/keyboard/KeyMatrix.h"
#include "device/keyboard/KeyboardLightEngine.h"

namespace orlo::keyboard {
namespace {

using preview::Rgb;

LightInfo Effect(uint8_t mode, uint8_t level, uint8_t speed, uint8_t dir, uint8_t multi, Rgb c = {}) {
  LightInfo e;
  e.mode = mode, e.brightness = level, e.speed = speed, e.direction = dir, e.multiColor = multi;
  e.red = c.r, e.green = c.g, e.blue = c.b;
  return e;
}

LedValue Led(uint8_t r, uint8_t g, uint8_t b, uint8_t brightness) { return {r, g, b, brightness}; }

class LightEngineTest : public ::testing::Test {
 protected:
  // Passes 2 ms apart from the current tick; the number of them that ran a step.
  int Run(int passes) {
    int steps = 0;
    for (int i = 0; i < passes; ++i, tick_ += 2) steps += engine_.Pass(tick_) ? 1 : 0;
    return steps;
  }
  // Passes until one step ran (effects stepping on every count take one pass).
  void StepOnce() {
    for (int guard = 0; guard < 20; ++guard, tick_ += 2)
      if (engine_.Pass(tick_)) {
        tick_ += 2;
        return;
      }
    FAIL() << "no step";
  }

  CLedState leds_{170};
  CKeyboardLightEngine engine_{leds_};
  uint64_t tick_ = 10;
};

TEST_F(LightEngineTest, EffectsStepAtTheirIntervals) {
  struct Case {
    uint8_t mode, speed;
    int passes, steps;
  };
  for (const Case c : {Case{1, 4, 40, 40}, Case{1, 0, 40, 4}, Case{12, 2, 40, 8}, Case{12, 0, 40, 4},
                       Case{16, 4, 30, 10}, Case{18, 0, 30, 10}, Case{29, 1, 20, 10}, Case{30, 0, 20, 20}}) {
    SCOPED_TRACE(::testing::Message() << "effect " << int(c.mode) << " speed " << int(c.speed));
    CLedState leds(170);
    CKeyboardLightEngine engine(leds);
    engine.SetEffect(Effect(c.mode, 4, c.speed, 1, 1));
    int steps = 0;
    for (int i = 0; i < c.passes; ++i) steps += engine.Pass(10 + 2 * static_cast<uint64_t>(i)) ? 1 : 0;
    EXPECT_EQ(steps, c.steps);
  }
  // A tick that moved by 1 ms or less is not counted; an interval of 0 steps on every pass.
  engine_.SetEffect(Effect(1, 4, 4, 1, 1));
  EXPECT_TRUE(engine_.Pass(10));
  EXPECT_FALSE(engine_.Pass(11));
  EXPECT_TRUE(engine_.Pass(12));
  engine_.SetEffect(Effect(30, 4, 2, 1, 0));
  EXPECT_TRUE(engine_.Pass(12));
  EXPECT_TRUE(engine_.Pass(12));
  for (int custom : {0, 19, 31}) EXPECT_EQ(CKeyboardLightEngine::IntervalOf(custom, 2), -1) << custom;
  EXPECT_EQ(CKeyboardLightEngine::IntervalOf(5, 9), 1) << "a speed beyond 4 counts as 4";
}

TEST_F(LightEngineTest, FixedColourFollowsTheSecondMode) {
  LightInfo e = Effect(17, 4, 4, 1, 0);
  e.secondMode = 2;
  engine_.SetEffect(e);
  StepOnce();
  for (int key : {0, 60, 131, 169}) EXPECT_EQ(leds_.Get(key), Led(0, 255, 18, 255)) << key;
  const std::pair<uint8_t, LedValue> cases[] = {
      {1, Led(255, 176, 0, 255)}, {3, Led(0, 255, 255, 255)}, {7, Led(255, 0, 85, 255)}, {0, Led(255, 0, 85, 255)}};
  for (const auto& [second, expected] : cases) {
    e.secondMode = second;
    engine_.SetEffect(e);
    StepOnce();
    EXPECT_EQ(leds_.Get(77), expected) << "second mode " << int(second);
  }
}

TEST_F(LightEngineTest, ColumnWaveColoursEachColumn) {
  engine_.SetEffect(Effect(1, 3, 4, 1, 1));
  StepOnce();  // phase 1: column c shows wheel entry 2 + 7c
  for (int key : {120, 121, 124}) EXPECT_EQ(leds_.Get(key), Led(255, 5, 0, 195)) << key;
  for (int key : {41, 16, 131}) EXPECT_EQ(leds_.Get(key), Led(213, 0, 255, 195)) << key;
  EXPECT_EQ(leds_.Get(150), Led(0, 0, 0, 0)) << "a position outside the matrix stays dark";

  // Single colour running backwards: phase 95, column c at wave curve entry 7c.
  engine_.SetEffect(Effect(1, 4, 4, 0, 0, {40, 50, 60}));
  engine_.RequestPrepare();
  StepOnce();
  EXPECT_EQ(leds_.Get(122), Led(40, 50, 60, 21));
  EXPECT_EQ(leds_.Get(65), Led(40, 50, 60, 98));
  EXPECT_EQ(engine_.Field().effectPhase, 95);
}

TEST_F(LightEngineTest, ARippleGrowsOneRingOfKeysAStepAndFades) {
  engine_.SetEffect(Effect(8, 4, 4, 1, 0, {200, 0, 0}));
  engine_.StartRipple(51, 0);   // not a press
  engine_.StartRipple(150, 1);  // outside the matrix
  StepOnce();
  EXPECT_EQ(engine_.Field().intensity[51], 0);
  engine_.StartRipple(51, 1);
  StepOnce();
  StepOnce();
  StepOnce();
  const auto& f = engine_.Field();
  EXPECT_EQ(f.intensity[51], 135);
  for (int key : {50, 52, 30, 72}) EXPECT_EQ(f.intensity[key], 175) << key;
  for (int key : {49, 53, 7, 92, 29, 31, 71, 73}) EXPECT_EQ(f.intensity[key], 215) << key;
  for (int key : {48, 54, 28, 32, 0, 120}) EXPECT_EQ(f.intensity[key], 0) << key;
  EXPECT_EQ(leds_.Get(51), Led(200, 0, 0, 134));
  EXPECT_EQ(leds_.Get(72), Led(200, 0, 0, 174));
  EXPECT_EQ(leds_.Get(92), Led(200, 0, 0, 214));
  EXPECT_EQ(leds_.Get(0), Led(200, 0, 0, 0));
}

TEST_F(LightEngineTest, FillLightsTheFillOrderOneKeyAStepBothWays) {
  engine_.SetEffect(Effect(21, 4, 4, 1, 0, {0, 0, 250}));
  StepOnce();
  StepOnce();
  EXPECT_EQ(engine_.Field().intensity[0], 174);
  EXPECT_EQ(engine_.Field().intensity[1], 214);
  EXPECT_EQ(leds_.Get(1), Led(0, 0, 250, 213));

  // Backwards it starts at the far end of the order, whose 38 marks light nothing.
  engine_.SetEffect(Effect(21, 4, 4, 0, 0, {0, 0, 250}));
  engine_.RequestPrepare();
  for (int i = 0; i < 38; ++i) StepOnce();
  for (int key = 0; key < kPositions; ++key) ASSERT_EQ(engine_.Field().intensity[key], 0) << key;
  StepOnce();
  EXPECT_EQ(engine_.Field().intensity[131], 214);
}

TEST_F(LightEngineTest, RandomBreathingStartsEachColumnAtItsOwnPhase) {
  engine_.SetEffect(Effect(22, 4, 4, 1, 1));
  ASSERT_TRUE(engine_.Pass(tick_));  // prepared, then one step
  const auto& f = engine_.Field();
  // Column 0 starts at 192 and goes down 35 a cell; column 3 starts at 168 and wraps below 0.
  EXPECT_EQ(f.colourIndex[21], 7);
  EXPECT_EQ(f.colourIndex[1], 21);
  EXPECT_EQ(f.phase[120], 158) << "157 after the preparation, one step since";
  EXPECT_EQ(f.phase[124], 18);
  EXPECT_EQ(f.phase[1], 169);
  EXPECT_EQ(f.phase[85], 29);
  EXPECT_EQ(f.phase[20], 187) << "28 - 35 would leave the byte: 28 - 98 wraps to 186";
  EXPECT_EQ((std::vector<int>{kPulse[24], kPulse[25], kPulse[85], kPulse[86], kPulse[87], kPulse[88]}),
            (std::vector<int>{255, 248, 2, 2, 1, 0}));
  EXPECT_EQ(leds_.Get(124), Led(255, 1, 0, 174)) << "wheel entry 7 x 0, pulse entry 18 (175)";
}

// The light thread sleeps until a step is due: the time it slept is counted as a whole, and it
// learns when to wake.
TEST_F(LightEngineTest, ElapsedTimeIsCountedSoTheThreadCanSleepUntilTheNextStep) {
  engine_.SetEffect(Effect(1, 4, 0, 1, 1));  // interval 10 counts: a step every 20 ms
  EXPECT_FALSE(engine_.Pass(100));  // the first pass counts once
  EXPECT_EQ(engine_.NextPassDue(100), 118u);
  EXPECT_TRUE(engine_.Pass(118));   // 9 counts
  EXPECT_EQ(engine_.NextPassDue(118), 138u);
  EXPECT_FALSE(engine_.Pass(128));  // 5 counts
  EXPECT_EQ(engine_.NextPassDue(128), 138u);
  EXPECT_TRUE(engine_.Pass(139));   // 5 more (the odd millisecond is kept)
  EXPECT_EQ(engine_.NextPassDue(139), 158u);
  EXPECT_FALSE(engine_.Pass(157));  // 9 counts
  EXPECT_TRUE(engine_.Pass(158));
  // After a rest (a gap beyond 100 ms) the effect goes on where it was: one count, no catching up.
  EXPECT_FALSE(engine_.Pass(400));
  EXPECT_EQ(engine_.NextPassDue(400), 418u);

  // Effects that need every pass, and one without a step of its own.
  engine_.SetEffect(Effect(0, 4, 2, 1, 0));  // custom effect
  engine_.Pass(500);
  EXPECT_EQ(engine_.NextPassDue(500), 501u);
  engine_.SetEffect(Effect(30, 4, 2, 1, 0));  // style colour at speed 2: interval 0
  engine_.Pass(502);
  EXPECT_EQ(engine_.NextPassDue(502), UINT64_MAX);
  LightInfo breathing = Effect(0, 4, 0, 0, 0, {6, 6, 6});
  breathing.further[kLightListEntryFlag] = 1;
  engine_.SetLightList({breathing});
  engine_.SetEffect(Effect(6, 4, 4, 1, 0));
  engine_.Pass(504);
  EXPECT_EQ(engine_.NextPassDue(504), 505u) << "a breathing light list entry moves on every pass";
}

TEST_F(LightEngineTest, BlinkTogglesByTimeNotBySteps) {
  engine_.SetEffect(Effect(23, 4, 4, 1, 1));
  engine_.Pass(10);
  EXPECT_EQ(leds_.Get(0), Led(0, 0, 0, 0));
  engine_.Pass(1398);
  EXPECT_EQ(leds_.Get(0), Led(0, 0, 0, 0)) << "1400 ms at speed 4";
  engine_.Pass(1400);
  EXPECT_EQ(leds_.Get(0), Led(255, 81, 0, 255)) << "on, wheel entry 16";
  engine_.Pass(2799);
  EXPECT_EQ(leds_.Get(5), Led(255, 81, 0, 255));
  engine_.Pass(2800);  // 1 ms after the last pass: not counted, no step
  EXPECT_EQ(leds_.Get(5), Led(255, 81, 0, 255));
  engine_.Pass(2801);
  EXPECT_EQ(leds_.Get(5), Led(0, 0, 0, 0));
}

TEST_F(LightEngineTest, CustomEffectPlaysItsStepsAndAnEmptyOneIsDark) {
  LEDEffectStep step;
  step.mode = 1, step.brightness = 4, step.red = 1, step.green = 2, step.blue = 3, step.time = 1000;
  engine_.SetCustomSteps({step});
  engine_.SetEffect(Effect(0, 4, 2, 1, 0));
  EXPECT_FALSE(engine_.Pass(tick_)) << "the custom effect plays on every pass, it has no step";
  EXPECT_EQ(leds_.Get(0), Led(1, 2, 3, 255));
  EXPECT_EQ(leds_.Get(169), Led(1, 2, 3, 255));
  engine_.SetCustomSteps({});
  engine_.Pass(tick_ + 2);
  EXPECT_EQ(leds_.Get(0), Led(0, 0, 0, 0));
  EXPECT_EQ(leds_.Get(169), Led(0, 0, 0, 0));
}

TEST_F(LightEngineTest, PerKeyEffectsOverrideTheEffectOnTheirLeds) {
  auto entry = [](uint8_t mode, uint8_t level, uint8_t speed, Rgb c) {
    LightInfo e = Effect(mode, level, speed, 0, 0, c);
    e.further[kLightListEntryFlag] = 1;
    return e;
  };
  std::vector<LightInfo> list(10);  // null entries: nothing drawn
  list[5] = entry(1, 2, 0, {9, 8, 7});   // static
  list[6] = entry(2, 4, 4, {1, 1, 1});   // blink every 1400 ms
  list[7] = entry(4, 4, 0, {5, 5, 5});   // off
  list[9] = entry(0, 4, 0, {6, 6, 6});   // breathing, phase + 4 a pass
  engine_.SetLightList(list);
  engine_.SetEffect(Effect(6, 4, 4, 1, 0, {50, 50, 50}));
  engine_.Pass(100);
  EXPECT_EQ(leds_.Get(4), Led(50, 50, 50, 255));
  EXPECT_EQ(leds_.Get(5), Led(9, 8, 7, 135));
  EXPECT_EQ(leds_.Get(6), Led(0, 0, 0, 0));
  EXPECT_EQ(leds_.Get(7), Led(0, 0, 0, 0));
  EXPECT_EQ(leds_.Get(8), Led(50, 50, 50, 255));
  EXPECT_EQ(leds_.Get(9), Led(6, 6, 6, 3)) << "breathing entry 4";
  engine_.Pass(1500);
  EXPECT_EQ(leds_.Get(6), Led(1, 1, 1, 255));
  EXPECT_EQ(leds_.Get(9), Led(6, 6, 6, 7)) << "breathing entry 8";
  engine_.Pass(2900);
  EXPECT_EQ(leds_.Get(6), Led(0, 0, 0, 0));
}

TEST_F(LightEngineTest, HostColourAndPerKeyColoursTakeTheLevel) {
  const int32_t style[] = {300, -5, 77, 0, 0, 0};
  engine_.SetAudioStyle(style);
  engine_.SetAudioStyle(std::span<const int32_t>(style, 2));  // too short: ignored
  engine_.SetEffect(Effect(30, 3, 4, 1, 0));
  engine_.Pass(tick_);
  EXPECT_EQ(leds_.Get(0), Led(255, 0, 77, 195));
  EXPECT_EQ(leds_.Get(169), Led(255, 0, 77, 195));

  // The per-key colour effect keeps the colours loaded into the LEDs and sets their level.
  leds_.Set(3, {1, 2, 3}, 9);
  engine_.SetEffect(Effect(20, 1, 4, 1, 0));
  engine_.Pass(tick_ + 2);
  EXPECT_EQ(leds_.Get(3), Led(1, 2, 3, 80));
  EXPECT_EQ(leds_.Get(4), Led(255, 0, 77, 80));
  // Another effect starts dark: a position it does not draw loses the colour.
  engine_.SetEffect(Effect(6, 4, 0, 1, 1));
  engine_.Pass(tick_ + 4);
  EXPECT_EQ(leds_.Get(150), Led(0, 0, 0, 0));
}

}  // namespace
}  // namespace orlo::keyboard
