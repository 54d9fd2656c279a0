#include "app/WorkerRecords.h"

#include "platform/DebugLog.h"

namespace orlo {

namespace {
const CWorkerThread::StopLines kRecordLines = {"所有对象处于激发状态\n", "所有对象处于非激发状态，超时\n"};
}  // namespace

CWorkerRecords::~CWorkerRecords() { StopAll(); }

bool CWorkerRecords::Start(int index, std::function<void(const CStopEvent&)> body, std::shared_ptr<const void> owned) {
  if (index < 0 || index >= kCount || !body) return false;
  CWorkerThread& r = records_[static_cast<size_t>(index)];
  if (r.Attached()) return false;
  r.Start(std::move(body), std::move(owned));
  return true;
}

bool CWorkerRecords::Running(int index) const {
  if (index < 0 || index >= kCount) return false;
  return records_[static_cast<size_t>(index)].Attached();
}

const CStopEvent* CWorkerRecords::Signal(int index) const {
  if (index < 0 || index >= kCount) return nullptr;
  return &records_[static_cast<size_t>(index)].StopEvent();
}

std::array<CWorkerRecords::Outcome, CWorkerRecords::kCount> CWorkerRecords::StopAll(
    std::chrono::milliseconds timeout) {
  std::array<Outcome, kCount> outcome{};
  for (auto& r : records_) r.RequestStop();
  const auto deadline = CWorkerThread::Clock::now() + timeout;
  for (int i = 0; i < kCount; ++i) {
    switch (records_[static_cast<size_t>(i)].Finish(deadline, kRecordLines)) {
      case CWorkerThread::StopResult::NotRunning:
        outcome[static_cast<size_t>(i)] = Outcome::NoThread;
        break;
      case CWorkerThread::StopResult::Ended:
        outcome[static_cast<size_t>(i)] = Outcome::Ended;
        break;
      case CWorkerThread::StopResult::TimedOut:
        DebugPrintf("worker %d did not end within %lld ms of the stop; left to finish on its own", i,
                    static_cast<long long>(timeout.count()));
        outcome[static_cast<size_t>(i)] = Outcome::TimedOut;
        break;
    }
  }
  return outcome;
}

}  // namespace orlo
