#include "analysis/FramePacer.h"

namespace orlo::audio {

bool CFramePacer::Tick(TimePoint now) {
  if (!started_) {
    started_ = true;
    next_ = now + period_;
    return true;
  }
  if (now < next_) return false;
  const auto missed = (now - next_) / period_;  // whole periods past the due time
  next_ += (missed + 1) * period_;
  return true;
}

}  // namespace orlo::audio
