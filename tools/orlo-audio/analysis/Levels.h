#pragma once
// What the analysis produces per frame: 25 levels, the lowest band first, 0 for silence and
// 2000 for a full-scale sine.
#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>

namespace orlo::audio {

inline constexpr size_t kBandCount = 25;
inline constexpr int32_t kLevelMax = 2000;

using Levels = std::array<int32_t, kBandCount>;

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;

}  // namespace orlo::audio
