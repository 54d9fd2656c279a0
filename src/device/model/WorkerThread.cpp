#include "device/model/WorkerThread.h"

#include "platform/DebugLog.h"

namespace orlo {

CWorkerThread::~CWorkerThread() { Stop(); }

void CWorkerThread::Start(std::function<void(const CStopEvent&)> body) {
  Stop();
  stop_.Reset();
  {
    std::lock_guard lock(doneMutex_);
    done_ = false;
  }
  thread_ = std::thread([this, body = std::move(body)] {
    body(stop_);
    {
      std::lock_guard lock(doneMutex_);
      done_ = true;
    }
    doneCv_.notify_all();
  });
}

CWorkerThread::StopResult CWorkerThread::Stop(const std::function<void()>& cancel,
                                              std::chrono::milliseconds timeout) {
  if (!thread_.joinable()) return StopResult::NotRunning;
  stop_.Set();
  if (cancel) cancel();
  bool ended;
  {
    std::unique_lock lock(doneMutex_);
    ended = doneCv_.wait_for(lock, timeout, [&] { return done_; });
  }
  if (ended) {
    DebugLine("线程退出：：对象处于激发状态\n");
  } else {
    // Not killed: keep cancelling until the thread notices and ends.
    DebugLine("线程退出：：对象处于非激发状态，超时\n");
    for (;;) {
      std::unique_lock lock(doneMutex_);
      if (doneCv_.wait_for(lock, timeout, [&] { return done_; })) break;
      lock.unlock();
      if (cancel) cancel();
    }
  }
  thread_.join();
  return ended ? StopResult::Ended : StopResult::TimedOut;
}

bool CWorkerThread::Running() const {
  std::lock_guard lock(doneMutex_);
  return !done_;
}

}  // namespace orlo
