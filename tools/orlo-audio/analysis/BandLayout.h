#pragma once
// The 25 level bands are third-octave bands centred on 1000 Hz × 2^((j − 13) / 3) for
// j = 0 … 24 (about 50 Hz up to 12.7 kHz, the nominal 50, 63, 80 … 10000, 12500 Hz of the usual
// third-octave series); a band reaches from its centre × 2^(−1/6) to its centre × 2^(1/6).
// The layout maps the bins of a real FFT onto them: a bin stands for the frequencies within half
// a bin of its centre and counts towards a band by the share of that width inside the band, so
// the low bands, narrower than a bin, still see their sound.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/Levels.h"

namespace orlo::audio {

class CBandLayout {
 public:
  // fftSize: number of samples per transform (the bins are 0 … fftSize / 2).
  CBandLayout(double sampleRate, size_t fftSize);

  static double CentreHz(size_t band);
  static double LowerEdgeHz(size_t band);
  static double UpperEdgeHz(size_t band);

  size_t BinCount() const { return binCount_; }
  // Power per band from the power per bin; binPower holds BinCount() values.
  std::array<double, kBandCount> BandPowers(std::span<const float> binPower) const;

 private:
  struct Share {
    uint32_t bin;
    float weight;
  };
  size_t binCount_;
  std::array<std::vector<Share>, kBandCount> shares_;
};

}  // namespace orlo::audio
