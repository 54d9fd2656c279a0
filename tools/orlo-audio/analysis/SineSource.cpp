#include "analysis/SineSource.h"

#include <chrono>
#include <cmath>
#include <numbers>

namespace orlo::audio {

void CSineSource::Latest(std::span<float> window, TimePoint now) {
  // Index of the newest sample, in whole numbers so that 1.001 s is sample 48048 and not 48047
  // by rounding; the phase is taken from the cycle count modulo 1 so that it stays exact over
  // hours.
  const int64_t ns = std::chrono::duration_cast<std::chrono::nanoseconds>(now - start_).count();
  const int64_t rate = std::llround(sampleRate_);
  const int64_t last = ns / 1'000'000'000 * rate + ns % 1'000'000'000 * rate / 1'000'000'000;
  const auto n = static_cast<int64_t>(window.size());
  for (int64_t i = 0; i < n; ++i) {
    const double cycles = hz_ * static_cast<double>(last - (n - 1 - i)) / sampleRate_;
    const double phase = cycles - std::floor(cycles);
    window[static_cast<size_t>(i)] =
        static_cast<float>(amplitude_ * std::sin(2.0 * std::numbers::pi * phase));
  }
}

}  // namespace orlo::audio
