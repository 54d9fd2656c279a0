#include "base/StopEvent.h"

namespace orlo {

void CStopEvent::Set() {
  {
    std::lock_guard lock(mutex_);
    set_ = true;
  }
  cv_.notify_all();
}

void CStopEvent::Reset() {
  std::lock_guard lock(mutex_);
  set_ = false;
}

bool CStopEvent::IsSet() const {
  std::lock_guard lock(mutex_);
  return set_;
}

bool CStopEvent::WaitUntil(std::chrono::steady_clock::time_point deadline) const {
  std::unique_lock lock(mutex_);
  const unsigned nudges = nudges_;
  cv_.wait_until(lock, deadline, [&] { return set_ || nudges_ != nudges; });
  return set_;
}

void CStopEvent::Nudge() const {
  {
    std::lock_guard lock(mutex_);
    ++nudges_;
  }
  cv_.notify_all();
}

}  // namespace orlo
