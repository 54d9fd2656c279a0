#include "analysis/BandLevelAnalyser.h"

#include <cmath>
#include <numbers>

namespace orlo::audio {

namespace {

std::vector<float> Hann(size_t n) {
  std::vector<float> w(n);
  for (size_t i = 0; i < n; ++i) {
    w[i] = static_cast<float>(0.5 - 0.5 * std::cos(2.0 * std::numbers::pi * static_cast<double>(i) /
                                                   static_cast<double>(n)));
  }
  return w;
}

// A sine of amplitude 1 puts half its energy into the positive frequencies:
// sum over those bins of |X|² = N × Σ w² / 4 (Parseval, N samples, window w).
double FullScalePower(const std::vector<float>& window) {
  double energy = 0;
  for (float w : window) energy += static_cast<double>(w) * w;
  return static_cast<double>(window.size()) * energy / 4.0;
}

}  // namespace

CBandLevelAnalyser::CBandLevelAnalyser(double sampleRate, size_t windowSize)
    : hann_(Hann(windowSize)),
      windowed_(windowSize),
      power_(windowSize / 2 + 1),
      spectrum_(windowSize / 2 + 1),
      fft_(kiss_fftr_alloc(static_cast<int>(windowSize), 0, nullptr, nullptr)),
      layout_(sampleRate, windowSize),
      scale_(FullScalePower(hann_)) {}

CBandLevelAnalyser::~CBandLevelAnalyser() { kiss_fftr_free(fft_); }

bool CBandLevelAnalyser::Analyse(std::span<const float> window, Levels& levels) {
  if (window.size() != hann_.size() || fft_ == nullptr) return false;
  for (size_t i = 0; i < window.size(); ++i) {
    const float s = window[i];
    // A sample that is not a number would spoil every bin: it counts as 0.
    windowed_[i] = std::isfinite(s) ? s * hann_[i] : 0.0f;
  }
  kiss_fftr(fft_, windowed_.data(), spectrum_.data());
  for (size_t k = 0; k < spectrum_.size(); ++k) {
    power_[k] = spectrum_[k].r * spectrum_[k].r + spectrum_[k].i * spectrum_[k].i;
  }
  const auto bands = layout_.BandPowers(power_);
  for (size_t j = 0; j < kBandCount; ++j) levels[j] = scale_.Level(bands[j]);
  return true;
}

}  // namespace orlo::audio
