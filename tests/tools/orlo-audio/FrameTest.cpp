// The level blocks for the main window: size, clamps, flipping signs, what the window makes of
// them, and the pacing of frames on an injected clock.
#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <vector>

#include "analysis/CaptureSession.h"
#include "analysis/FramePacer.h"
#include "analysis/LevelFrameEncoder.h"
#include "analysis/SampleWindow.h"
#include "analysis/SineSource.h"

namespace orlo::audio {
namespace {

using std::chrono::milliseconds;

int32_t ValueAt(const std::vector<uint8_t>& block, size_t i) {
  uint32_t v = 0;
  for (size_t b = 0; b < 4; ++b) v |= static_cast<uint32_t>(block[i * 4 + b]) << (8 * b);
  return static_cast<int32_t>(v);
}

// The main window's reduction of frames to levels, as it does it: per level j the distances of
// values 5j … 5j+3 from the previous frame, level := (level + sum) / 4 in unsigned arithmetic.
struct WindowReduction {
  std::array<int32_t, 500> previous{};
  std::array<uint32_t, 25> level{};
  void Take(const std::vector<uint8_t>& block) {
    std::array<int32_t, 500> current{};
    for (size_t i = 0; i < block.size() / 4 && i < 500; ++i) current[i] = ValueAt(block, i);
    for (size_t j = 0; j < 25; ++j) {
      uint32_t sum = 0;
      for (size_t k = 0; k < 4; ++k) {
        const int32_t a = current[5 * j + k], b = previous[5 * j + k];
        sum += static_cast<uint32_t>(a > b ? a - b : b - a);
      }
      level[j] = (level[j] + sum) / 4;
    }
    previous = current;
  }
};

TEST(LevelFrameEncoderTest, LevelsAreClampedAndWrittenWithAFlippingSign) {
  CLevelFrameEncoder encoder;
  Levels levels{};
  levels[0] = -5;     // below silence: 0
  levels[1] = 2500;   // above full scale: 2000, written as 3 × 2000 / 8 = 750
  levels[2] = 1000;   // 375
  levels[24] = 2000;  // 750

  const std::vector<uint8_t> first = encoder.Encode(levels);
  ASSERT_EQ(first.size(), 2000u);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(ValueAt(first, i), 0) << i;
  for (size_t i = 5; i < 9; ++i) EXPECT_EQ(ValueAt(first, i), 750) << i;
  EXPECT_EQ(ValueAt(first, 9), 0);
  for (size_t i = 10; i < 14; ++i) EXPECT_EQ(ValueAt(first, i), 375) << i;
  for (size_t i = 120; i < 124; ++i) EXPECT_EQ(ValueAt(first, i), 750) << i;
  for (size_t i = 124; i < 500; ++i) ASSERT_EQ(ValueAt(first, i), 0) << i;
  // Little-endian: 750 = 0x02EE.
  EXPECT_EQ(first[20], 0xEE);
  EXPECT_EQ(first[21], 0x02);
  EXPECT_EQ(first[22], 0x00);

  const std::vector<uint8_t> second = encoder.Encode(levels);
  EXPECT_EQ(ValueAt(second, 5), -750);
  EXPECT_EQ(second[20], 0x12);  // −750 = 0xFFFFFD12
  EXPECT_EQ(second[23], 0xFF);
  EXPECT_EQ(ValueAt(second, 10), -375);
  EXPECT_EQ(ValueAt(second, 0), 0);  // silence has no sign
  EXPECT_EQ(ValueAt(encoder.Encode(levels), 5), 750);
}

TEST(LevelFrameEncoderTest, AWrongNumberOfLevelsGivesNoBlockAndKeepsTheSign) {
  CLevelFrameEncoder encoder;
  std::vector<int32_t> full(25, 2000);
  EXPECT_TRUE(encoder.Encode(std::vector<int32_t>(24, 2000)).empty());
  EXPECT_TRUE(encoder.Encode(std::vector<int32_t>(26, 2000)).empty());
  EXPECT_TRUE(encoder.Encode({}).empty());
  EXPECT_EQ(ValueAt(encoder.Encode(full), 0), 750);
  EXPECT_TRUE(encoder.Encode(std::vector<int32_t>(500, 1)).empty());
  EXPECT_EQ(ValueAt(encoder.Encode(full), 0), -750);
}

TEST(LevelFrameEncoderTest, TheWindowReadsBackTheLevelsItWasSent) {
  CLevelFrameEncoder encoder;
  WindowReduction window;
  Levels loud{};
  loud.fill(2000);
  loud[7] = 800;  // a = 300
  // From silence, each frame carries a quarter of the last level: 750, (750 + 6000) / 4 = 1687,
  // (1687 + 6000) / 4 = 1921, (1921 + 6000) / 4 = 1980, on its way to 2000.
  const uint32_t expected[] = {750, 1687, 1921, 1980};
  for (uint32_t e : expected) {
    window.Take(encoder.Encode(loud));
    EXPECT_EQ(window.level[0], e);
    EXPECT_EQ(window.level[24], e);
  }
  // Level 800 from a = 300: 300, (300 + 2400) / 4 = 675, (675 + 2400) / 4 = 768, 792.
  EXPECT_EQ(window.level[7], 792u);
  for (int i = 0; i < 20; ++i) window.Take(encoder.Encode(loud));
  EXPECT_EQ(window.level[0], 1999u);  // the quarter carry stops one short of 2000
  EXPECT_EQ(window.level[7], 799u);

  // Silence: the last frame's values fall away once, then the level quarters every frame.
  Levels quiet{};
  window.Take(encoder.Encode(quiet));
  EXPECT_EQ(window.level[0], (1999u + 3000u) / 4);  // 1249
  window.Take(encoder.Encode(quiet));
  EXPECT_EQ(window.level[0], 312u);
  window.Take(encoder.Encode(quiet));
  EXPECT_EQ(window.level[0], 78u);
}

TEST(FramePacerTest, FramesComeEveryPeriodAndLateOnesDoNotBurst) {
  const TimePoint t0 = TimePoint{} + std::chrono::seconds(100);
  CFramePacer pacer(milliseconds(10));
  EXPECT_TRUE(pacer.Tick(t0));  // the first at once
  EXPECT_EQ(pacer.NextDue(), t0 + milliseconds(10));
  EXPECT_FALSE(pacer.Tick(t0 + milliseconds(9)));
  EXPECT_TRUE(pacer.Tick(t0 + milliseconds(10)));
  EXPECT_FALSE(pacer.Tick(t0 + milliseconds(10)));  // the same moment again
  EXPECT_EQ(pacer.NextDue(), t0 + milliseconds(20));
  // 15 ms late: one frame now, the next on the grid at 40 ms, not two at once to catch up.
  EXPECT_TRUE(pacer.Tick(t0 + milliseconds(35)));
  EXPECT_EQ(pacer.NextDue(), t0 + milliseconds(40));
  EXPECT_FALSE(pacer.Tick(t0 + milliseconds(36)));
  EXPECT_TRUE(pacer.Tick(t0 + milliseconds(40)));

  // A clock read every millisecond for one second gives 100 frames.
  CFramePacer steady(milliseconds(10));
  int frames = 0;
  for (int ms = 0; ms < 1000; ++ms) frames += steady.Tick(t0 + milliseconds(ms)) ? 1 : 0;
  EXPECT_EQ(frames, 100);
}

TEST(SampleWindowTest, HoldsOneWindowAndForgetsStaleSound) {
  const TimePoint t0 = TimePoint{} + std::chrono::seconds(1);
  const auto maxAge = milliseconds(40);
  CSampleWindow window(4);
  std::vector<float> out(4, -1.0f);
  window.CopyLatest(out, t0, maxAge);
  EXPECT_EQ(out, (std::vector<float>{0, 0, 0, 0}));  // nothing heard yet

  window.Append(std::vector<float>{1, 2, 3}, t0);
  window.CopyLatest(out, t0 + milliseconds(40), maxAge);
  EXPECT_EQ(out, (std::vector<float>{0, 1, 2, 3}));
  window.Append(std::vector<float>{4, 5, 6}, t0);
  window.CopyLatest(out, t0, maxAge);
  EXPECT_EQ(out, (std::vector<float>{3, 4, 5, 6}));
  window.Append(std::vector<float>{7, 8, 9, 10, 11, 12}, t0);  // more than fits
  window.CopyLatest(out, t0, maxAge);
  EXPECT_EQ(out, (std::vector<float>{9, 10, 11, 12}));

  // Nothing for longer than maxAge: silence, and the old samples are gone for good.
  window.CopyLatest(out, t0 + milliseconds(41), maxAge);
  EXPECT_EQ(out, (std::vector<float>{0, 0, 0, 0}));
  window.Append(std::vector<float>{13}, t0 + milliseconds(50));
  window.CopyLatest(out, t0 + milliseconds(50), maxAge);
  EXPECT_EQ(out, (std::vector<float>{0, 0, 0, 13}));

  std::vector<float> wrong(3, -1.0f);
  window.CopyLatest(wrong, t0 + milliseconds(50), maxAge);
  EXPECT_EQ(wrong, (std::vector<float>{-1, -1, -1}));
}

TEST(CaptureSessionTest, ASineBecomesTenBlocksIn100MsThatTheWindowReadsAsBand13) {
  const TimePoint t0 = TimePoint{} + std::chrono::seconds(7);
  CSineSource sine(1000, 0.5, kSampleRate, t0 - std::chrono::seconds(1));
  CCaptureSession session(sine);
  WindowReduction window;
  int blocks = 0;
  for (int ms = 0; ms < 100; ++ms) {
    const std::vector<uint8_t> block = session.Tick(t0 + milliseconds(ms));
    if (block.empty()) continue;
    ASSERT_EQ(block.size(), 2000u);
    // Level 1799 (a sine at half full scale) is written as ±(3 × 1799 / 8) = ±675.
    const int32_t v = ValueAt(block, 65);
    EXPECT_NEAR(blocks % 2 == 0 ? v : -v, 675, 2) << "block " << blocks;
    EXPECT_EQ(ValueAt(block, 66), v);
    EXPECT_EQ(ValueAt(block, 55), 0);   // band 11
    EXPECT_EQ(ValueAt(block, 80), 0);   // band 16
    window.Take(block);
    ++blocks;
  }
  EXPECT_EQ(blocks, 10);
  EXPECT_EQ(session.NextDue(), t0 + milliseconds(100));
  EXPECT_NEAR(session.LastLevels()[13], 1799, 4);
  EXPECT_NEAR(static_cast<int>(window.level[13]), 1799, 8);
  EXPECT_EQ(window.level[0], 0u);
  EXPECT_EQ(window.level[20], 0u);
}

}  // namespace
}  // namespace orlo::audio
