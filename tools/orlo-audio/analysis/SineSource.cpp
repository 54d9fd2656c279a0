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
  const double first = hz_ * static_cast<double>(last - (n - 1)) / sampleRate_;
  // From the first sample's phase on, each next sample is one turn of a phasor by the sine's
  // step: a rotation per sample instead of a sine (over a window the error stays below 1e-12).
  const double start = 2.0 * std::numbers::pi * (first - std::floor(first));
  const double turn = 2.0 * std::numbers::pi * hz_ / sampleRate_;
  const double c = std::cos(turn), s = std::sin(turn);
  double re = amplitude_ * std::cos(start), im = amplitude_ * std::sin(start);
  for (int64_t i = 0; i < n; ++i) {
    window[static_cast<size_t>(i)] = static_cast<float>(im);
    const double next = re * c - im * s;
    im = re * s + im * c;
    re = next;
  }
}

}  // namespace orlo::audio
