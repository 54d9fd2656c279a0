// Timers that are killed and armed again, as the device tab's fire-once timers do on every expiry.
#include <gtest/gtest.h>

#include <QTest>
#include <QWidget>
#include <memory>

#include "ui/NotifyUI.h"
#include "ui/TimerService.h"

namespace orlo::ui {
namespace {

// Counts its expiries and keeps firing: run beside a timer that must have stopped, with the
// same period, it proves that enough time passed for that one to have fired.
struct Sentinel : QWidget, ITimerHandlerUI {
  bool OnControlTimer(int) override {
    ++fired;
    return true;
  }
  int fired = 0;
};

// Waits until a sentinel with the given period has fired twice.
bool TwoPeriodsPassed(int periodMs) {
  Sentinel sentinel;
  CTimerService::Instance().SetTimer(&sentinel, 1, periodMs);
  const bool passed = QTest::qWaitFor([&] { return sentinel.fired >= 2; }, 5000);
  CTimerService::Instance().KillTimers(&sentinel);
  return passed;
}

// Kills its timer on expiry and arms it again while `rearm` is set.
struct FireOnce : QWidget, ITimerHandlerUI {
  bool OnControlTimer(int id) override {
    ++fired;
    CTimerService::Instance().KillTimer(this, id);
    if (rearm) CTimerService::Instance().SetTimer(this, id, 5);
    return true;
  }
  int fired = 0;
  bool rearm = true;
};

TEST(TimerRearmTest, KilledAndArmedAgainInsideItsOwnExpiryKeepsFiring) {
  auto control = std::make_unique<FireOnce>();
  CTimerService& timers = CTimerService::Instance();
  timers.SetTimer(control.get(), 1000, 5);
  EXPECT_TRUE(QTest::qWaitFor([&] { return control->fired >= 3; }, 2000));

  // Not re-armed: it stops after the expiry that killed it.
  control->rearm = false;
  EXPECT_TRUE(QTest::qWaitFor([&] { return !timers.IsArmed(control.get(), 1000); }, 2000));
  const int stoppedAt = control->fired;
  ASSERT_TRUE(TwoPeriodsPassed(5));
  EXPECT_EQ(control->fired, stoppedAt);

  // A killed id can be armed again from outside.
  timers.SetTimer(control.get(), 1000, 5);
  EXPECT_TRUE(timers.IsArmed(control.get(), 1000));
  EXPECT_TRUE(QTest::qWaitFor([&] { return control->fired > stoppedAt; }, 2000));

  // KillTimers stops every id of the control, and the control takes its timers with it.
  timers.SetTimer(control.get(), 1001, 5);
  timers.KillTimers(control.get());
  EXPECT_FALSE(timers.IsArmed(control.get(), 1000));
  EXPECT_FALSE(timers.IsArmed(control.get(), 1001));
  const int killedAt = control->fired;
  ASSERT_TRUE(TwoPeriodsPassed(5));
  EXPECT_EQ(control->fired, killedAt);
  timers.SetTimer(control.get(), 1001, 5);
  QWidget* gone = control.get();
  control.reset();
  EXPECT_FALSE(timers.IsArmed(gone, 1001));
}

}  // namespace
}  // namespace orlo::ui
