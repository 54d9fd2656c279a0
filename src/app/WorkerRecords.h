#pragma once
// The main window's twenty worker records: each a worker thread with its manual-reset stop
// event. Record 0 runs the device scan and record 8 the lighting synchronisation; the others
// stay free. Shutdown sets every event, then waits for the threads against one deadline, the
// time-out after the events were set, so it ends within that bound whatever the threads do. A
// thread that has not ended by then is reported and let go, never killed (see CWorkerThread for
// what such a thread may still touch).
#include <array>
#include <chrono>
#include <functional>
#include <memory>

#include "base/StopEvent.h"
#include "device/model/WorkerThread.h"

namespace orlo {

class CWorkerRecords {
 public:
  static constexpr int kCount = 20;
  static constexpr int kScanRecord = 0;
  static constexpr int kLightSyncRecord = 8;

  enum class Outcome { NoThread, Ended, TimedOut };

  CWorkerRecords() = default;
  ~CWorkerRecords();
  CWorkerRecords(const CWorkerRecords&) = delete;
  CWorkerRecords& operator=(const CWorkerRecords&) = delete;

  // Starts body on record `index` with that record's stop signal; false for a bad index or a
  // record whose thread has not been stopped yet. `owned` as in CWorkerThread::Start.
  bool Start(int index, std::function<void(const CStopEvent&)> body, std::shared_ptr<const void> owned = nullptr);
  bool Running(int index) const;
  const CStopEvent* Signal(int index) const;

  // Sets every stop signal, then waits until `timeout` after that for the threads, writing one
  // diagnostic line per thread in index order. Returns the outcome per record.
  std::array<Outcome, kCount> StopAll(std::chrono::milliseconds timeout = std::chrono::milliseconds(1000));

 private:
  std::array<CWorkerThread, kCount> records_;
};

}  // namespace orlo
