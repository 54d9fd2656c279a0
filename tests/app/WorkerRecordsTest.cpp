// The main window's worker records at shutdown: cooperative threads are joined, and threads deaf
// to their stop signal are reported and let go, so that the shutdown ends within its bound.
#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <memory>

#include "app/WorkerRecords.h"
#include "support/Gate.h"

namespace orlo {
namespace {

using namespace std::chrono_literals;
using test::Gate;

// Longest a test waits for something it has set going (a guard against a hang, not a timing).
constexpr auto kLimit = 10s;

// A body that ignores its stop signal until `gate` opens; `finished` is fulfilled as its last act.
std::function<void(const CStopEvent&)> DeafBody(std::shared_ptr<Gate> gate,
                                                std::shared_ptr<std::promise<void>> finished) {
  return [gate, finished](const CStopEvent&) {
    gate->Wait();
    finished->set_value();
  };
}

TEST(WorkerRecordsTest, ShutdownJoinsCooperativeThreadsAndLetsDeafOnesGoWithinTheBound) {
  CWorkerRecords records;
  auto gate = std::make_shared<Gate>();
  auto deaf3 = std::make_shared<std::promise<void>>();
  auto deaf8 = std::make_shared<std::promise<void>>();
  auto deaf3Done = deaf3->get_future();
  auto deaf8Done = deaf8->get_future();
  const int abandonedBefore = CWorkerThread::AbandonedRunning();

  ASSERT_TRUE(records.Start(0, [](const CStopEvent& stop) {
    while (!stop.WaitFor(1h)) {
    }
  }));
  ASSERT_TRUE(records.Start(3, DeafBody(gate, deaf3)));
  ASSERT_TRUE(records.Start(8, DeafBody(gate, deaf8)));
  EXPECT_FALSE(records.Start(0, [](const CStopEvent&) {}));  // still running
  EXPECT_FALSE(records.Start(20, [](const CStopEvent&) {}));
  EXPECT_FALSE(records.Start(-1, [](const CStopEvent&) {}));
  EXPECT_FALSE(records.Start(1, nullptr));

  // Two deaf threads: with a wait per thread and a join after it, this would never return.
  // The bound leaves a cooperative thread time to end even on a loaded machine.
  auto stopped = std::async(std::launch::async, [&] { return records.StopAll(1s); });
  if (stopped.wait_for(kLimit) != std::future_status::ready) {
    gate->Open();
    FAIL() << "shutdown waited for threads deaf to their stop signal";
  }
  const auto outcome = stopped.get();
  EXPECT_EQ(outcome[0], CWorkerRecords::Outcome::Ended);
  EXPECT_EQ(outcome[1], CWorkerRecords::Outcome::NoThread);
  EXPECT_EQ(outcome[3], CWorkerRecords::Outcome::TimedOut);
  EXPECT_EQ(outcome[8], CWorkerRecords::Outcome::TimedOut);
  EXPECT_EQ(CWorkerThread::AbandonedRunning(), abandonedBefore + 2);
  EXPECT_FALSE(records.Running(8));
  // Never killed: both still run, and the record takes a new thread meanwhile.
  EXPECT_EQ(deaf8Done.wait_for(0s), std::future_status::timeout);
  EXPECT_TRUE(records.Start(8, [](const CStopEvent&) {}));

  gate->Open();
  ASSERT_EQ(deaf3Done.wait_for(kLimit), std::future_status::ready);
  ASSERT_EQ(deaf8Done.wait_for(kLimit), std::future_status::ready);
  EXPECT_EQ(records.StopAll(kLimit)[8], CWorkerRecords::Outcome::Ended);
}

}  // namespace
}  // namespace orlo
