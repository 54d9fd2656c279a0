#pragma once
// The manual-reset stop event of a worker thread. Set() wakes every waiter; Nudge() wakes them
// without stopping, so that a sleeping thread re-plans its next wake-up.
#include <chrono>
#include <condition_variable>
#include <mutex>

namespace orlo {

class CStopEvent {
 public:
  void Set();
  void Reset();
  bool IsSet() const;
  // Sleeps until the event is set, a nudge comes or the deadline passes; true when set.
  bool WaitUntil(std::chrono::steady_clock::time_point deadline) const;
  bool WaitFor(std::chrono::milliseconds duration) const {
    return WaitUntil(std::chrono::steady_clock::now() + duration);
  }
  void Nudge() const;

 private:
  mutable std::mutex mutex_;
  mutable std::condition_variable cv_;
  bool set_ = false;
  mutable unsigned nudges_ = 0;
};

}  // namespace orlo
