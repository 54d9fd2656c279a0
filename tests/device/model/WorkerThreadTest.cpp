// Stopping worker threads: a cooperative thread is joined, a thread that ignores its stop signal
// is reported and let go within the time-out, and what it still uses stays alive until it
// returns. Threads are held and released through gates, never timed with sleeps.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <mutex>
#include <string>
#include <vector>

#include <unistd.h>

#include "device/model/WorkerThread.h"
#include "platform/DebugLog.h"
#include "support/Gate.h"

namespace orlo {
namespace {

using namespace std::chrono_literals;

// Longest a test waits for a thread it has released (a guard against a hang, not a timing).
constexpr auto kLimit = 10s;

using test::Gate;

// What an abandoned body still writes to; its release is the sign that the body has returned.
struct Context {
  int stopSeenAtEnd = -1;
};

class WorkerThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    log_ = std::filesystem::temp_directory_path() /
           ("orlo_worker_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".log");
    std::filesystem::remove(log_);
    SetDebugLogTarget(log_.string());
  }
  void TearDown() override {
    SetDebugLogTarget("");
    std::filesystem::remove(log_);
  }
  std::vector<std::string> LogLines() {
    std::ifstream in(log_);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);)
      if (!l.empty()) lines.push_back(l);
    return lines;
  }
  // A context whose release fulfils `released` with what the body last wrote into it.
  static std::shared_ptr<Context> TrackedContext(std::shared_ptr<std::promise<int>> released) {
    return std::shared_ptr<Context>(new Context, [released](Context* c) {
      released->set_value(c->stopSeenAtEnd);
      delete c;
    });
  }

  std::filesystem::path log_;
};

TEST_F(WorkerThreadTest, StopEndsAThreadBlockedUntilCancelled) {
  CWorkerThread worker;
  std::mutex m;
  std::condition_variable cv;
  bool cancelled = false;
  worker.Start([&](const CStopEvent&) {
    // Blocked like a read with no time-out: only the cancel action ends it.
    std::unique_lock lock(m);
    cv.wait(lock, [&] { return cancelled; });
  });
  const auto result = worker.Stop([&] {
    std::lock_guard lock(m);
    cancelled = true;
    cv.notify_all();
  }, kLimit);
  EXPECT_EQ(result, CWorkerThread::StopResult::Ended);
  EXPECT_FALSE(worker.Running());
  EXPECT_FALSE(worker.Attached());
  EXPECT_EQ(worker.Stop(), CWorkerThread::StopResult::NotRunning);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"线程退出：：对象处于激发状态"}));
}

// Everything a let-go thread touches is its own (gates and promises shared into it), since the
// test's frame may be gone when it runs on.
TEST_F(WorkerThreadTest, AThreadIgnoringItsStopIsReportedAndLetGoWithItsState) {
  auto deaf = std::make_shared<Gate>();
  auto released = std::make_shared<std::promise<int>>();
  auto done = released->get_future();
  const int abandonedBefore = CWorkerThread::AbandonedRunning();
  {
    auto context = TrackedContext(released);
    CWorkerThread worker;
    worker.Start(
        [deaf, raw = context.get()](const CStopEvent& stop) {
          deaf->Wait();  // deaf to the stop signal until the test opens the gate
          // Runs after the worker object is gone: the stop event and the context are the
          // thread's own.
          raw->stopSeenAtEnd = stop.IsSet() ? 1 : 0;
        },
        context);
    context.reset();
    EXPECT_EQ(worker.Stop({}, 1ms), CWorkerThread::StopResult::TimedOut);
    EXPECT_FALSE(worker.Attached());
    EXPECT_FALSE(worker.Running());
    EXPECT_EQ(CWorkerThread::AbandonedRunning(), abandonedBefore + 1);
    EXPECT_EQ(worker.Stop(), CWorkerThread::StopResult::NotRunning);
  }
  EXPECT_EQ(done.wait_for(0s), std::future_status::timeout) << "the context outlives the worker object";
  deaf->Open();
  ASSERT_EQ(done.wait_for(kLimit), std::future_status::ready);
  EXPECT_EQ(done.get(), 1);
  EXPECT_EQ(CWorkerThread::AbandonedRunning(), abandonedBefore);
  EXPECT_EQ(LogLines(), (std::vector<std::string>{"线程退出：：对象处于非激发状态，超时",
                                                  "worker thread did not end in time; it is left to finish on its own"}));
}

TEST_F(WorkerThreadTest, AfterLettingOneGoTheWorkerStartsAFreshThread) {
  auto deaf = std::make_shared<Gate>();
  auto released = std::make_shared<std::promise<int>>();
  auto done = released->get_future();
  CWorkerThread worker;
  worker.Start([deaf](const CStopEvent&) { deaf->Wait(); }, TrackedContext(released));
  ASSERT_EQ(worker.Stop({}, 0ms), CWorkerThread::StopResult::TimedOut);

  // The new thread has a stop event of its own, not the old one's (which is set).
  auto setAtStart = std::make_shared<std::promise<bool>>();
  auto seen = setAtStart->get_future();
  worker.Start([setAtStart](const CStopEvent& stop) {
    setAtStart->set_value(stop.IsSet());
    while (!stop.WaitFor(1h)) {
    }
  });
  ASSERT_EQ(seen.wait_for(kLimit), std::future_status::ready);
  EXPECT_FALSE(seen.get());
  EXPECT_TRUE(worker.Running());
  EXPECT_EQ(worker.Stop({}, kLimit), CWorkerThread::StopResult::Ended);

  // The two halves of Stop: a thread whose body has returned is joined, not let go.
  auto ended = std::make_shared<std::promise<void>>();
  auto endedFuture = ended->get_future();
  worker.Start([ended](const CStopEvent&) { ended->set_value(); });
  ASSERT_EQ(endedFuture.wait_for(kLimit), std::future_status::ready);
  worker.RequestStop();
  EXPECT_EQ(worker.Finish(CWorkerThread::Clock::now() + kLimit), CWorkerThread::StopResult::Ended);

  deaf->Open();
  ASSERT_EQ(done.wait_for(kLimit), std::future_status::ready);
}

}  // namespace
}  // namespace orlo
