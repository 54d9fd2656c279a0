#pragma once
// Where the sound comes from: the default output's monitor, or a generated sine for tests and
// demonstrations. The analysis asks for the latest window whenever a frame is due.
#include <span>
#include <string>

#include "analysis/Levels.h"

namespace orlo::audio {

class IAudioSource {
 public:
  virtual ~IAudioSource() = default;
  // Opens the source; false with a one-line reason when it cannot.
  virtual bool Start(std::string& error) = 0;
  virtual double SampleRate() const = 0;
  // Fills `window` with the latest mono samples up to `now`, the oldest first. A source that has
  // heard nothing for the length of the window gives silence.
  virtual void Latest(std::span<float> window, TimePoint now) = 0;
  // Empty while the source works; the reason once it has stopped for good.
  virtual std::string Failure() const { return {}; }
};

}  // namespace orlo::audio
