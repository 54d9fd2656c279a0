#pragma once
// The latest samples a live source has heard, never more than one analysis window: the thread
// that receives the sound appends, the thread that analyses copies. What has not been refreshed
// for longer than a given age is dropped and reads as silence (the sound server stops delivering
// while the output is idle).
#include <chrono>
#include <cstddef>
#include <mutex>
#include <span>
#include <vector>

#include "analysis/Levels.h"

namespace orlo::audio {

class CSampleWindow {
 public:
  explicit CSampleWindow(size_t size) : ring_(size, 0.0f) {}

  size_t Size() const { return ring_.size(); }
  // Keeps the last Size() samples of what was appended so far.
  void Append(std::span<const float> samples, TimePoint now);
  // Copies the held samples into `out` (out.size() must equal Size(), else nothing is copied),
  // the oldest first; zeros when nothing was appended within `maxAge` before `now`.
  void CopyLatest(std::span<float> out, TimePoint now, std::chrono::nanoseconds maxAge);

 private:
  std::mutex mutex_;
  std::vector<float> ring_;
  size_t next_ = 0;  // where the next sample goes; the oldest held sample is there too
  bool heard_ = false;
  TimePoint last_{};
};

}  // namespace orlo::audio
