#include "device/model/WorkerThread.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

#include "platform/DebugLog.h"

namespace orlo {

namespace {
std::atomic<int> g_abandonedRunning{0};
}  // namespace

// What the thread needs to finish, shared between the worker object and the thread itself.
struct CWorkerThread::State {
  CStopEvent stop;
  std::mutex mutex;
  std::condition_variable doneCv;
  bool done = false;
  bool abandoned = false;  // let go by Stop; the thread counts itself out when it returns
  std::shared_ptr<const void> owned;
};

const CWorkerThread::StopLines CWorkerThread::kThreadLines = {
    "线程退出：：对象处于激发状态\n", "线程退出：：对象处于非激发状态，超时\n"};

CWorkerThread::CWorkerThread() : state_(std::make_shared<State>()) { state_->done = true; }

CWorkerThread::~CWorkerThread() { Stop(); }

void CWorkerThread::Start(std::function<void(const CStopEvent&)> body, std::shared_ptr<const void> owned) {
  Stop();
  // A fresh state: a thread let go earlier keeps its own.
  state_ = std::make_shared<State>();
  state_->owned = std::move(owned);
  thread_ = std::thread([state = state_, body = std::move(body)] {
    body(state->stop);
    std::lock_guard lock(state->mutex);
    state->done = true;
    if (state->abandoned) g_abandonedRunning.fetch_sub(1);
    state->owned.reset();
    state->doneCv.notify_all();
  });
}

void CWorkerThread::RequestStop(const std::function<void()>& cancel) {
  if (!thread_.joinable()) return;
  state_->stop.Set();
  if (cancel) cancel();
}

CWorkerThread::StopResult CWorkerThread::Finish(Clock::time_point deadline, const StopLines& lines) {
  if (!thread_.joinable()) return StopResult::NotRunning;
  {
    std::unique_lock lock(state_->mutex);
    if (!state_->doneCv.wait_until(lock, deadline, [&] { return state_->done; })) {
      // Never killed, and never waited for without end: reported and let go. The thread holds
      // its state (and what it owns) until it returns.
      state_->abandoned = true;
      g_abandonedRunning.fetch_add(1);
      lock.unlock();
      DebugLine(lines.timedOut);
      DebugLine("worker thread did not end in time; it is left to finish on its own");
      thread_.detach();
      state_ = std::make_shared<State>();
      state_->done = true;
      return StopResult::TimedOut;
    }
  }
  DebugLine(lines.ended);
  thread_.join();
  return StopResult::Ended;
}

CWorkerThread::StopResult CWorkerThread::Stop(const std::function<void()>& cancel,
                                              std::chrono::milliseconds timeout) {
  if (!thread_.joinable()) return StopResult::NotRunning;
  RequestStop(cancel);
  return Finish(Clock::now() + timeout);
}

bool CWorkerThread::Running() const {
  std::lock_guard lock(state_->mutex);
  return !state_->done;
}

const CStopEvent& CWorkerThread::StopEvent() const { return state_->stop; }

void CWorkerThread::Nudge() const { state_->stop.Nudge(); }

int CWorkerThread::AbandonedRunning() { return g_abandonedRunning.load(); }

}  // namespace orlo
