#include "analysis/CaptureSession.h"

namespace orlo::audio {

CCaptureSession::CCaptureSession(IAudioSource& source, std::chrono::nanoseconds period, size_t windowSize)
    : source_(source), pacer_(period), analyser_(source.SampleRate(), windowSize), window_(windowSize) {}

std::vector<uint8_t> CCaptureSession::Tick(TimePoint now) {
  if (!pacer_.Tick(now)) return {};
  source_.Latest(window_, now);
  analyser_.Analyse(window_, levels_);
  return encoder_.Encode(levels_);
}

}  // namespace orlo::audio
