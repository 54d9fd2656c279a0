#pragma once
// The main window's twenty worker records: each a manual-reset stop event and a thread slot.
// Record 0 runs the device scan and record 8 the lighting synchronisation; the others stay
// free. Shutdown sets every event, then waits up to the time-out for each thread; a thread that
// does not end in time is reported and joined anyway: no thread is ever killed.
#include <array>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "base/StopEvent.h"

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
  // record whose thread has not been stopped yet.
  bool Start(int index, std::function<void(const CStopEvent&)> body);
  bool Running(int index) const;
  const CStopEvent* Signal(int index) const;

  // Sets every stop signal, then waits for each thread in index order for up to `timeout`,
  // writing one diagnostic line per thread. Returns the outcome per record.
  std::array<Outcome, kCount> StopAll(std::chrono::milliseconds timeout = std::chrono::milliseconds(1000));

 private:
  struct Record {
    CStopEvent stop;
    std::thread thread;
    std::mutex mutex;
    std::condition_variable doneCv;
    bool done = true;
  };
  std::array<Record, kCount> records_;
};

}  // namespace orlo
