#pragma once
// A worker thread with its manual-reset stop event. Threads stop cooperatively: Stop() sets the
// event, runs the cancel action (which ends a pending read) and waits up to the time-out for
// the thread to end, writing the matching diagnostic line. A thread is never killed.
//
// A thread that does not end within the time-out is reported and let go (detached), so that a
// body that ignores its stop signal cannot hang whoever stops it, the program's teardown
// included. What the thread itself uses to finish — its stop event and its end flag — lives in
// a state block that the thread shares, so it stays valid after the worker object is gone. A
// body that may outlive its Stop must reach only what it owns: Start(body, owned) keeps `owned`
// alive until the body returns. A body that borrows its owner's members is safe only while it
// honours its stop signal within the time-out.
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "base/StopEvent.h"

namespace orlo {

class CWorkerThread {
 public:
  enum class StopResult { NotRunning, Ended, TimedOut };
  using Clock = std::chrono::steady_clock;

  // The diagnostic lines written when a stopped thread ended in time or did not.
  struct StopLines {
    const char* ended;
    const char* timedOut;
  };
  static const StopLines kThreadLines;

  CWorkerThread();
  ~CWorkerThread();
  CWorkerThread(const CWorkerThread&) = delete;
  CWorkerThread& operator=(const CWorkerThread&) = delete;

  // Starts body(stopEvent) on a new thread with a fresh stop event; a running thread is stopped
  // first. `owned` (optional) is kept alive until the body has returned.
  void Start(std::function<void(const CStopEvent&)> body, std::shared_ptr<const void> owned = nullptr);
  // Stop procedure above. cancel (optional) is run right after the event is set.
  StopResult Stop(const std::function<void()>& cancel = {},
                  std::chrono::milliseconds timeout = std::chrono::milliseconds(1000));
  // The two halves of Stop, for stopping several threads against one deadline: set the event
  // and cancel; then wait until `deadline` and either join the thread or let it go.
  void RequestStop(const std::function<void()>& cancel = {});
  StopResult Finish(Clock::time_point deadline, const StopLines& lines = kThreadLines);

  // The body has not returned yet.
  bool Running() const;
  // A thread is attached: started and not yet stopped.
  bool Attached() const { return thread_.joinable(); }
  const CStopEvent& StopEvent() const;
  // Wakes the thread's wait without stopping it.
  void Nudge() const;

  // Threads that were let go after a time-out and have not returned yet, in the whole program.
  static int AbandonedRunning();

 private:
  struct State;
  std::shared_ptr<State> state_;
  std::thread thread_;
};

}  // namespace orlo
