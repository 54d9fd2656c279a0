#pragma once
// Hands work from a worker thread to the UI thread. Post queues it; Send queues it and waits
// until the UI thread has run it, but gives up as soon as the worker's stop signal is set, so a
// UI thread that is itself waiting for the worker to end never deadlocks with it. Work whose
// sender gave up is skipped when the UI thread gets to it.
#include <functional>

class QObject;

namespace orlo {

class CStopSignal;

class CUiHandoff {
 public:
  // `context` lives on the UI thread; work queued for it is dropped if it is destroyed.
  explicit CUiHandoff(QObject* context) : context_(context) {}

  void Post(std::function<void()> work) const;
  // True when the work ran; false when the stop signal came first (the work then never runs).
  // Called on the UI thread itself, the work runs at once.
  bool Send(std::function<void()> work, const CStopSignal& stop) const;

 private:
  QObject* context_;
};

}  // namespace orlo
