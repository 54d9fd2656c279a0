#pragma once
// The levels of one analysis window: a Hann window, a real FFT (KissFFT), the power per bin,
// the 25 third-octave bands and their levels. The window holds mono samples in -1 … 1.
#include <kiss_fftr.h>

#include <cstddef>
#include <span>
#include <vector>

#include "analysis/BandLayout.h"
#include "analysis/LevelScale.h"
#include "analysis/Levels.h"

namespace orlo::audio {

class CBandLevelAnalyser {
 public:
  // windowSize: an even number of samples.
  CBandLevelAnalyser(double sampleRate, size_t windowSize);
  ~CBandLevelAnalyser();
  CBandLevelAnalyser(const CBandLevelAnalyser&) = delete;
  CBandLevelAnalyser& operator=(const CBandLevelAnalyser&) = delete;

  size_t WindowSize() const { return hann_.size(); }
  // False, and the levels untouched, when the window is not WindowSize() samples long.
  bool Analyse(std::span<const float> window, Levels& levels);

 private:
  std::vector<float> hann_;
  std::vector<float> windowed_;
  std::vector<float> power_;
  std::vector<kiss_fft_cpx> spectrum_;
  kiss_fftr_cfg fft_ = nullptr;
  CBandLayout layout_;
  CLevelScale scale_;
};

}  // namespace orlo::audio
