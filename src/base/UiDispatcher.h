#pragma once
// How worker threads hand work to the UI thread. Post queues it; Send queues it and waits until
// the UI thread has run it, but gives up as soon as the caller's stop event is set, so a UI
// thread that is itself waiting for the worker to end never deadlocks with it. Work whose sender
// gave up never runs. The shell provides the Qt implementation; tests and tools without an event
// loop use CImmediateDispatcher.
#include <functional>
#include <utility>

#include "base/StopEvent.h"

namespace orlo {

class IUiDispatcher {
 public:
  virtual ~IUiDispatcher() = default;
  virtual void Post(std::function<void()> work) = 0;
  // True when the work ran; false when the stop event came first. On the UI thread itself the
  // work runs at once.
  virtual bool Send(std::function<void()> work, const CStopEvent& stop) = 0;
};

// Runs all work at once on the calling thread: the "UI thread" is whichever thread asks.
class CImmediateDispatcher : public IUiDispatcher {
 public:
  void Post(std::function<void()> work) override { work(); }
  bool Send(std::function<void()> work, const CStopEvent& stop) override {
    if (stop.IsSet()) return false;
    work();
    return true;
  }
};

}  // namespace orlo
