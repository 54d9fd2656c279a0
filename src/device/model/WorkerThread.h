#pragma once
// A driver's worker thread with its manual-reset stop event. Threads stop cooperatively: Stop()
// sets the event, runs the cancel action (which ends a pending read), waits up to the time-out
// for the thread to end and writes the matching diagnostic line. A thread is never killed; one
// that does not end in time is reported and then joined.
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "base/StopEvent.h"

namespace orlo {

class CWorkerThread {
 public:
  enum class StopResult { NotRunning, Ended, TimedOut };

  CWorkerThread() = default;
  ~CWorkerThread();
  CWorkerThread(const CWorkerThread&) = delete;
  CWorkerThread& operator=(const CWorkerThread&) = delete;

  // Starts body(stopEvent) on a new thread; a running thread is stopped first.
  void Start(std::function<void(const CStopEvent&)> body);
  // Stop procedure above. cancel (optional) is run right after the event is set.
  StopResult Stop(const std::function<void()>& cancel = {},
                  std::chrono::milliseconds timeout = std::chrono::milliseconds(1000));
  bool Running() const;
  const CStopEvent& StopEvent() const { return stop_; }
  // Wakes the thread's wait without stopping it.
  void Nudge() const { stop_.Nudge(); }

 private:
  CStopEvent stop_;
  std::thread thread_;
  mutable std::mutex doneMutex_;
  std::condition_variable doneCv_;
  bool done_ = true;
};

}  // namespace orlo
