#include "analysis/BandLayout.h"

#include <algorithm>
#include <cmath>

namespace orlo::audio {

namespace {
constexpr int kCentreBand = 13;  // the band centred on 1000 Hz
}

double CBandLayout::CentreHz(size_t band) {
  return 1000.0 * std::exp2((static_cast<double>(band) - kCentreBand) / 3.0);
}
double CBandLayout::LowerEdgeHz(size_t band) { return CentreHz(band) * std::exp2(-1.0 / 6.0); }
double CBandLayout::UpperEdgeHz(size_t band) { return CentreHz(band) * std::exp2(1.0 / 6.0); }

CBandLayout::CBandLayout(double sampleRate, size_t fftSize) : binCount_(fftSize / 2 + 1) {
  const double binHz = sampleRate / static_cast<double>(fftSize);
  for (size_t band = 0; band < kBandCount; ++band) {
    const double lo = LowerEdgeHz(band) / binHz;  // in bins
    const double hi = UpperEdgeHz(band) / binHz;
    // Bin k covers [k − 0.5, k + 0.5).
    const auto first = static_cast<size_t>(std::max(0.0, std::floor(lo + 0.5)));
    const auto last = std::min(binCount_ - 1, static_cast<size_t>(std::floor(hi + 0.5)));
    for (size_t k = first; k <= last; ++k) {
      const double kd = static_cast<double>(k);
      const double overlap = std::min(hi, kd + 0.5) - std::max(lo, kd - 0.5);
      if (overlap > 0) shares_[band].push_back({static_cast<uint32_t>(k), static_cast<float>(overlap)});
    }
  }
}

std::array<double, kBandCount> CBandLayout::BandPowers(std::span<const float> binPower) const {
  std::array<double, kBandCount> out{};
  for (size_t band = 0; band < kBandCount; ++band) {
    double sum = 0;
    for (const Share& s : shares_[band]) {
      if (s.bin < binPower.size()) sum += static_cast<double>(binPower[s.bin]) * s.weight;
    }
    out[band] = sum;
  }
  return out;
}

}  // namespace orlo::audio
