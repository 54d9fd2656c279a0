#pragma once
// Paces frames at a fixed period on a clock the caller reads. The first tick is due at once. A
// tick that comes late still gives one frame, and the next one is due at the next multiple of the
// period after it: frames that were missed are not sent in a burst to catch up.
#include <chrono>

#include "analysis/Levels.h"

namespace orlo::audio {

class CFramePacer {
 public:
  explicit CFramePacer(std::chrono::nanoseconds period) : period_(period) {}

  // True when a frame is due at `now`; the frame then counts as sent.
  bool Tick(TimePoint now);
  // When the next frame is due (the time of the first tick before any).
  TimePoint NextDue() const { return next_; }
  std::chrono::nanoseconds Period() const { return period_; }

 private:
  std::chrono::nanoseconds period_;
  bool started_ = false;
  TimePoint next_{};
};

}  // namespace orlo::audio
