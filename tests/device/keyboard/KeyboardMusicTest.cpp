// The music effect: audio level frames to key colours in each picture, frames of the wrong size,
// levels beyond full scale, and the beat detector's ripples.
#include <gtest/gtest.h>

#include <climits>
#include <vector>

#include "device/keyboard/KeyboardLightEngine.h"

namespace orlo::keyboard {
namespace {

using Levels = std::vector<int32_t>;

LedValue Led(uint8_t r, uint8_t g, uint8_t b, uint8_t brightness) { return {r, g, b, brightness}; }
const LedValue kBackground = Led(1, 1, 1, 255);
const LedValue kLit = Led(10, 20, 30, 254);

class MusicTest : public ::testing::Test {
 protected:
  void Start(uint8_t audioMode, uint8_t direction = 1, uint8_t sevenColours = 0) {
    AudioLightInfo record;
    record.audioMode = audioMode;
    record.bkRed = record.bkGreen = record.bkBlue = 1;
    record.fgRed = 10, record.fgGreen = 20, record.fgBlue = 30;
    record.sevenColorFlag = sevenColours;
    engine_.SetAudioLight(record);
    LightInfo e;
    e.mode = CKeyboardLightEngine::kMusic, e.brightness = 4, e.speed = 2, e.direction = direction;
    engine_.SetEffect(e);
    engine_.RequestPrepare();
    engine_.Pass(tick_);  // prepared; the first count
    tick_ += 2;
  }
  // The music steps on every second count: a pass that steps, then one that only counts.
  void Step() {
    EXPECT_TRUE(engine_.Pass(tick_));
    EXPECT_FALSE(engine_.Pass(tick_ + 2));
    tick_ += 4;
  }
  bool Feed(const Levels& levels) { return engine_.OnAudioLevels(levels.data(), levels.size()); }

  CLedState leds_{170};
  CKeyboardLightEngine engine_{leds_};
  uint64_t tick_ = 10;
};

TEST_F(MusicTest, RisingColumnsLightFromTheBottomByLoudnessThenFadeFromTheTop) {
  Start(0);
  Levels levels(25, 0);
  levels[4] = 2000;  // column 4: rows 1-5
  levels[6] = 1000;  // column 6: rows 4 and 5
  ASSERT_TRUE(Feed(levels));
  Step();
  EXPECT_EQ(leds_.Get(2), kBackground);
  for (int key : {24, 45, 66, 86, 107}) EXPECT_EQ(leds_.Get(key), kLit) << key;
  for (int key : {4, 26, 47, 68, 3, 25, 46, 67, 87, 126}) EXPECT_EQ(leds_.Get(key), kBackground) << key;
  for (int key : {88, 127}) EXPECT_EQ(leds_.Get(key), kLit) << key;

  // No new frame: silence. The top lit key fades, the ones under it are held by it.
  Step();
  EXPECT_EQ(leds_.Get(24), Led(10, 20, 30, 209));
  EXPECT_EQ(leds_.Get(45), kLit);
  EXPECT_EQ(leds_.Get(107), kLit);
  EXPECT_EQ(leds_.Get(88), Led(10, 20, 30, 209));
  EXPECT_EQ(leds_.Get(127), kLit);
}

TEST_F(MusicTest, LevelsBeyondFullScaleAreTakenWithoutOverflow) {
  Start(0);
  Levels levels(25, 0);
  levels[7] = INT32_MAX;  // column 7 entirely, row 0 too
  levels[8] = INT32_MIN;  // quieter than silence: nothing
  ASSERT_TRUE(Feed(levels));
  Step();
  for (int key : {18, 27, 48, 69, 89, 108}) EXPECT_EQ(leds_.Get(key), kLit) << key;
  for (int key : {5, 28, 49, 70, 90, 128}) EXPECT_EQ(leds_.Get(key), kBackground) << key;
}

TEST_F(MusicTest, BarsFromTheCentreGrowOutwardWithLoudness) {
  Start(1);
  ASSERT_TRUE(Feed(Levels(25, 2000)));
  Step();
  // Row 1: lit from column 2 to column 19.
  for (int key : {120, 21, 39, 40, 41}) EXPECT_EQ(leds_.Get(key), kBackground) << key;
  for (int key : {22, 28, 29, 38}) EXPECT_EQ(leds_.Get(key), kLit) << key;
  // In silence the bars shrink from their outer ends: an end key fades, the keys it holds stay.
  Step();
  EXPECT_EQ(engine_.Field().intensity[22], 210);
  EXPECT_EQ(engine_.Field().intensity[38], 210);
  EXPECT_EQ(engine_.Field().intensity[28], 255);
  EXPECT_EQ(engine_.Field().intensity[29], 255);
  EXPECT_EQ(leds_.Get(22), Led(10, 20, 30, 209));
}

TEST_F(MusicTest, SilenceLightsOnlyColumnZeroOfOddRowsInAlternatingBars) {
  Start(6);
  Step();
  for (int key : {120, 122, 124}) EXPECT_EQ(leds_.Get(key), kLit) << key;
  for (int key : {121, 123, 21, 63, 105, 0, 41, 131}) EXPECT_EQ(leds_.Get(key), kBackground) << key;
}

TEST_F(MusicTest, LoudnessRowsMoveThePhaseByTwentyInSilence) {
  Start(3);
  Step();
  EXPECT_EQ(engine_.Field().effectPhase, 20);
  Step();
  EXPECT_EQ(engine_.Field().effectPhase, 40);
  for (int key = 0; key < kMatrixKeys; ++key) ASSERT_EQ(engine_.Field().intensity[key], 0) << key;
  Start(3, 0);  // backwards
  Step();
  EXPECT_EQ(engine_.Field().effectPhase, 172) << "below 0: 192 - 20";
  Step();
  EXPECT_EQ(engine_.Field().effectPhase, 152);
}

TEST_F(MusicTest, AFallingColumnIgnoresLevelsUntilItsBottomKeyIsDark) {
  Start(4);
  Levels levels(25, 0);
  levels[1] = 2000;  // column 0 reads level 1 while the level offset is 0
  ASSERT_TRUE(Feed(levels));
  Step();
  for (int key : {120, 121, 122, 123, 124}) {
    EXPECT_EQ(engine_.Field().intensity[key], 255) << key;
    EXPECT_EQ(leds_.Get(key), kBackground) << key << " shows from the next step";
  }
  EXPECT_TRUE(engine_.Music().Latch(0));
  EXPECT_FALSE(engine_.Music().Latch(1)) << "its bottom key is dark";

  ASSERT_TRUE(Feed(levels));
  Step();
  EXPECT_EQ(engine_.Field().intensity[120], 210) << "fading from the top, not lit again";
  EXPECT_EQ(leds_.Get(120), Led(10, 20, 30, 209));
  for (int key : {121, 122, 123, 124}) EXPECT_EQ(leds_.Get(key), kLit) << key;
}

TEST_F(MusicTest, FramesShorterThan25LevelsAreDroppedLongerOnesReadTo25) {
  Start(0);
  Levels shortFrame(24, 2000);
  EXPECT_FALSE(Feed(shortFrame));
  EXPECT_FALSE(engine_.OnAudioLevels(nullptr, 25));
  Step();
  EXPECT_EQ(leds_.Get(24), kBackground) << "nothing was taken";

  Levels padded(500, 0);  // 25 levels then zeros, as the main window sends them
  padded[4] = 2000;
  padded[30] = 2000;
  ASSERT_TRUE(Feed(padded));
  Step();
  EXPECT_EQ(leds_.Get(24), kLit);
  EXPECT_EQ(leds_.Get(25), kBackground);
}

TEST_F(MusicTest, ALevelOffsetLeftHighByAnotherEffectStaysInsideTheFrame) {
  // Blinking moves the shared colour index by 16 a toggle, to 176 after eleven.
  LightInfo blink;
  blink.mode = 23, blink.brightness = 4, blink.speed = 4, blink.multiColor = 1;
  engine_.SetEffect(blink);
  for (uint64_t t = 1400; t <= 11 * 1400; t += 1400) engine_.Pass(t);
  ASSERT_EQ(engine_.Field().secondPhase, 176);
  tick_ = 20000;
  Start(1);
  Step();
  EXPECT_EQ(engine_.Field().secondPhase, 0) << "176 is outside the 25 levels: back to the start";
  for (int key : {120, 22, 29, 41}) EXPECT_EQ(leds_.Get(key), kBackground) << key;
}

TEST_F(MusicTest, BeatsStartRipplesFromTheCentre) {
  EXPECT_EQ(CKeyboardMusic::Loudness({}), 0);
  CKeyboardMusic::Levels levels;
  levels.fill(2000);
  EXPECT_EQ(CKeyboardMusic::Loudness(levels), 25);
  levels.fill(INT32_MAX);
  EXPECT_EQ(CKeyboardMusic::Loudness(levels), 5) << "beyond full scale counts as almost silent";

  Start(2);
  const Levels full(25, 2000);  // loudness 25 a frame
  ASSERT_TRUE(Feed(full));
  ASSERT_TRUE(Feed(full));
  Step();
  for (int column = 0; column < kColumns; ++column) EXPECT_EQ(engine_.Field().RingColumn(column), 0) << "50: no beat yet";
  ASSERT_TRUE(Feed(full));  // 75: a beat
  Step();
  EXPECT_EQ(engine_.Field().intensity[51], 210);
  EXPECT_EQ(engine_.Field().intensity[50], 0);
  EXPECT_EQ(leds_.Get(51), Led(10, 20, 30, 209));
  EXPECT_EQ(leds_.Get(50), kBackground);
  Step();
  EXPECT_EQ(engine_.Field().intensity[50], 210);
  EXPECT_EQ(engine_.Field().intensity[51], 165);
}

}  // namespace
}  // namespace orlo::keyboard
