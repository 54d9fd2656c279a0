#pragma once
// A generated sine: the samples are a function of the time since the source started, so the
// window asked for at any moment is the one a live source would have heard.
#include "analysis/AudioSource.h"

namespace orlo::audio {

class CSineSource : public IAudioSource {
 public:
  CSineSource(double hz, double amplitude, double sampleRate, TimePoint start)
      : hz_(hz), amplitude_(amplitude), sampleRate_(sampleRate), start_(start) {}

  bool Start(std::string&) override { return true; }
  double SampleRate() const override { return sampleRate_; }
  void Latest(std::span<float> window, TimePoint now) override;

 private:
  double hz_;
  double amplitude_;
  double sampleRate_;
  TimePoint start_;
};

}  // namespace orlo::audio
