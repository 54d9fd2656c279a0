#include "app/WorkerRecords.h"

#include "platform/DebugLog.h"

namespace orlo {

CWorkerRecords::~CWorkerRecords() { StopAll(); }

bool CWorkerRecords::Start(int index, std::function<void(const CStopEvent&)> body) {
  if (index < 0 || index >= kCount || !body) return false;
  Record& r = records_[static_cast<size_t>(index)];
  if (r.thread.joinable()) return false;
  r.stop.Reset();
  {
    std::lock_guard lock(r.mutex);
    r.done = false;
  }
  r.thread = std::thread([&r, body = std::move(body)] {
    body(r.stop);
    {
      std::lock_guard lock(r.mutex);
      r.done = true;
    }
    r.doneCv.notify_all();
  });
  return true;
}

bool CWorkerRecords::Running(int index) const {
  if (index < 0 || index >= kCount) return false;
  return records_[static_cast<size_t>(index)].thread.joinable();
}

const CStopEvent* CWorkerRecords::Signal(int index) const {
  if (index < 0 || index >= kCount) return nullptr;
  return &records_[static_cast<size_t>(index)].stop;
}

std::array<CWorkerRecords::Outcome, CWorkerRecords::kCount> CWorkerRecords::StopAll(
    std::chrono::milliseconds timeout) {
  std::array<Outcome, kCount> outcome{};
  for (auto& r : records_) r.stop.Set();
  for (int i = 0; i < kCount; ++i) {
    Record& r = records_[static_cast<size_t>(i)];
    if (!r.thread.joinable()) {
      outcome[static_cast<size_t>(i)] = Outcome::NoThread;
      continue;
    }
    bool ended;
    {
      std::unique_lock lock(r.mutex);
      ended = r.doneCv.wait_for(lock, timeout, [&r] { return r.done; });
    }
    if (ended) {
      DebugLine("所有对象处于激发状态\n");
      outcome[static_cast<size_t>(i)] = Outcome::Ended;
    } else {
      // Never killed: say so and keep waiting; the thread checks its signal and will end.
      DebugLine("所有对象处于非激发状态，超时\n");
      DebugPrintf("worker %d did not end within %lld ms; waiting for it", i,
                  static_cast<long long>(timeout.count()));
      outcome[static_cast<size_t>(i)] = Outcome::TimedOut;
    }
    r.thread.join();
  }
  return outcome;
}

}  // namespace orlo
