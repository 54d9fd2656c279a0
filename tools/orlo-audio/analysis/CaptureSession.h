#pragma once
// One level frame per period: when a frame is due, the source's latest window is analysed and
// encoded into the block for the main window.
#include <chrono>
#include <cstdint>
#include <vector>

#include "analysis/AudioSource.h"
#include "analysis/FramePacer.h"
#include "analysis/LevelFrameEncoder.h"
#include "analysis/BandLevelAnalyser.h"

namespace orlo::audio {

// 100 frames a second; the window spans the last 2048 samples (about 43 ms at 48 kHz).
inline constexpr std::chrono::milliseconds kFramePeriod{10};
inline constexpr size_t kWindowSize = 2048;
inline constexpr double kSampleRate = 48000.0;

class CCaptureSession {
 public:
  CCaptureSession(IAudioSource& source, std::chrono::nanoseconds period = kFramePeriod,
                  size_t windowSize = kWindowSize);

  // The block to send when a frame is due at `now`, else an empty one.
  std::vector<uint8_t> Tick(TimePoint now);
  TimePoint NextDue() const { return pacer_.NextDue(); }
  const Levels& LastLevels() const { return levels_; }

 private:
  IAudioSource& source_;
  CFramePacer pacer_;
  CBandLevelAnalyser analyser_;
  CLevelFrameEncoder encoder_;
  std::vector<float> window_;
  Levels levels_{};
};

}  // namespace orlo::audio
