// The level analysis: which band a tone lights and how loud, silence, damaged input.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <numbers>
#include <vector>

#include "analysis/BandLayout.h"
#include "analysis/CaptureSession.h"
#include "analysis/SineSource.h"
#include "analysis/BandLevelAnalyser.h"

namespace orlo::audio {
namespace {

std::vector<float> Sine(double hz, double amplitude, size_t n = kWindowSize, double rate = kSampleRate) {
  std::vector<float> s(n);
  for (size_t i = 0; i < n; ++i) {
    s[i] = static_cast<float>(amplitude * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate));
  }
  return s;
}

Levels Analyse(const std::vector<float>& window) {
  CBandLevelAnalyser analyser(kSampleRate, kWindowSize);
  Levels levels{};
  EXPECT_TRUE(analyser.Analyse(window, levels));
  return levels;
}

size_t Loudest(const Levels& levels) {
  return static_cast<size_t>(std::max_element(levels.begin(), levels.end()) - levels.begin());
}

TEST(BandLayoutTest, TwentyFiveThirdOctavesFromFiftyHertzUpTo12_5Kilohertz) {
  EXPECT_NEAR(CBandLayout::CentreHz(0), 49.61, 0.01);     // 1000 × 2^(−13/3)
  EXPECT_NEAR(CBandLayout::CentreHz(13), 1000.0, 1e-9);
  EXPECT_NEAR(CBandLayout::CentreHz(24), 12699.2, 0.1);   // 1000 × 2^(11/3)
  EXPECT_NEAR(CBandLayout::LowerEdgeHz(13), 890.9, 0.1);  // 1000 × 2^(−1/6)
  EXPECT_NEAR(CBandLayout::UpperEdgeHz(13), 1122.5, 0.1);
  // Neighbouring bands meet without a gap.
  EXPECT_NEAR(CBandLayout::UpperEdgeHz(12), CBandLayout::LowerEdgeHz(13), 1e-9);

  // A bin across an edge counts to each side by the share of its width there: with 100 Hz bins,
  // bin 9 (850 … 950 Hz) gives band 13 the 59.1 Hz above 890.9 Hz and band 12 the rest.
  CBandLayout layout(1000.0 * 2, 20);  // 20-point FFT at 2 kHz: bins of 100 Hz, bins 0 … 10
  ASSERT_EQ(layout.BinCount(), 11u);
  std::vector<float> onlyBin9(11, 0.0f), onlyBin10(11, 0.0f);
  onlyBin9[9] = 1.0f;
  onlyBin10[10] = 1.0f;
  EXPECT_NEAR(layout.BandPowers(onlyBin9)[13], 0.591, 0.001);
  EXPECT_NEAR(layout.BandPowers(onlyBin9)[12], 0.409, 0.001);  // 850 … 890.9 Hz
  // Bin 10 is the last one: it stands for 950 … 1050 Hz, all inside band 13.
  EXPECT_NEAR(layout.BandPowers(onlyBin10)[13], 1.0, 0.001);
  EXPECT_EQ(layout.BandPowers(onlyBin10)[14], 0.0);
}

TEST(BandLevelAnalyserTest, AOneKilohertzSineLightsBand13AtItsLevel) {
  // Half full scale is −6.02 dB: 2000 × (60 − 6.02) / 60 = 1799.
  const Levels levels = Analyse(Sine(1000, 0.5));
  EXPECT_EQ(Loudest(levels), 13u);
  EXPECT_NEAR(levels[13], 1799, 4);
  // The window's side lobes reach the next bands only faintly (more than 49 dB down at 109 Hz,
  // the nearest edge of band 12) and the bands beyond not at all.
  EXPECT_LE(levels[12], 300);
  EXPECT_LE(levels[14], 300);
  for (size_t j : {0, 5, 10, 11, 15, 16, 20, 24}) EXPECT_EQ(levels[j], 0) << "band " << j;

  // Full scale reaches the top of the range and no further.
  EXPECT_NEAR(Analyse(Sine(1000, 1.0))[13], 2000, 2);
  // 30 dB down: 2000 × 30 / 60.
  EXPECT_NEAR(Analyse(Sine(1000, std::pow(10.0, -30.0 / 20)))[13], 1000, 4);
}

TEST(BandLevelAnalyserTest, TonesAtBothEndsLightTheirOwnBands) {
  EXPECT_EQ(Loudest(Analyse(Sine(100, 0.5))), 3u);      // 88.4 … 111.4 Hz
  EXPECT_EQ(Loudest(Analyse(Sine(2000, 0.5))), 16u);    // 1782 … 2245 Hz
  EXPECT_EQ(Loudest(Analyse(Sine(10000, 0.5))), 23u);   // 8980 … 11314 Hz
  EXPECT_EQ(Loudest(Analyse(Sine(12500, 0.5))), 24u);   // 11314 … 14254 Hz
}

TEST(BandLevelAnalyserTest, SilenceAndSoundBelowTheRangeLightNothing) {
  const Levels zero{};
  EXPECT_EQ(Analyse(std::vector<float>(kWindowSize, 0.0f)), zero);
  // 70 dB below full scale is under the 60 dB the levels span.
  EXPECT_EQ(Analyse(Sine(1000, std::pow(10.0, -70.0 / 20))), zero);
  // A constant offset is no sound in any band (all of it below 44 Hz).
  EXPECT_EQ(Analyse(std::vector<float>(kWindowSize, 0.25f)), zero);
}

TEST(BandLevelAnalyserTest, DamagedSamplesAndWrongWindowsAreHandled) {
  std::vector<float> window = Sine(1000, 0.5);
  window[100] = std::numeric_limits<float>::quiet_NaN();
  window[200] = std::numeric_limits<float>::infinity();
  const Levels levels = Analyse(window);
  EXPECT_EQ(Loudest(levels), 13u);
  for (int32_t v : levels) {
    EXPECT_GE(v, 0);
    EXPECT_LE(v, 2000);
  }

  CBandLevelAnalyser analyser(kSampleRate, kWindowSize);
  Levels kept{};
  kept[3] = 77;
  EXPECT_FALSE(analyser.Analyse(std::vector<float>(kWindowSize - 1, 0.5f), kept));
  EXPECT_EQ(kept[3], 77);
}

TEST(SineSourceTest, WindowsFollowTheClockWithoutAJump) {
  const TimePoint t0 = TimePoint{} + std::chrono::seconds(5);
  CSineSource sine(1000, 0.5, kSampleRate, t0);
  std::vector<float> a(kWindowSize), b(kWindowSize);
  sine.Latest(a, t0 + std::chrono::seconds(1));
  // One second later at 48 kHz: sample 48000 is the newest, a whole number of 1 kHz cycles, so
  // the window ends just before a rising zero crossing.
  EXPECT_NEAR(a.back(), 0.0f, 1e-4);
  EXPECT_NEAR(a[kWindowSize - 13], 0.5f * std::sin(2 * std::numbers::pi * (48000 - 12) / 48.0), 1e-4);
  // 1 ms later the window has moved by 48 samples.
  sine.Latest(b, t0 + std::chrono::milliseconds(1001));
  for (size_t i = 0; i + 48 < kWindowSize; i += 97) EXPECT_NEAR(b[i], a[i + 48], 1e-4) << i;
}

}  // namespace
}  // namespace orlo::audio
