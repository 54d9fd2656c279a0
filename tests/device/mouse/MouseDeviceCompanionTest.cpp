// Events the mouse sends on its companion interface, and stopping the listener threads.
#include "MouseDeviceTestSupport.h"

namespace orlo {
namespace {

using namespace std::chrono;
using testing_support::MouseRig;

class MouseDeviceCompanionTest : public MouseRig {
 protected:
  void StartListening() {
    Connect(false);
    mouse_->LoadProfile();
    ASSERT_EQ(mouse_->ReadActiveSettings(), 1);
    ASSERT_EQ(mouse_->OpenCompanion(CompanionPath(), CTessaroMouseDevice::kCompanionWired), 1);
    observer_.onTimer = [this](int id) {
      if (id == CTessaroMouseDevice::kReloadTimer) mouse_->ReloadFromDevice();
    };
  }
};

TEST_F(MouseDeviceCompanionTest, ProfileAndStageEventsReachTheDriver) {
  StartListening();
  ASSERT_TRUE(sim_->SwitchStage(2, 3));  // event 0x1132
  ASSERT_TRUE(WaitFor([&] { return observer_.Count("PostToUiThread") == 1; }));
  EXPECT_EQ(mouse_->ActiveProfileNumber(), 2);
  EXPECT_EQ(mouse_->GetLightState().activeProfile, 2);
  // The stage belongs to the profile data, changed on the UI thread.
  EXPECT_EQ(observer_.RunPosted(), 1);
  EXPECT_EQ(mouse_->Profile().GetActiveDPIStage(), 3);
  EXPECT_GE(observer_.Count("ApplyProfileToPage"), 1);

  ASSERT_TRUE(sim_->SwitchProfile(1));  // 0x1001: profile only
  ASSERT_TRUE(WaitFor([&] { return mouse_->ActiveProfileNumber() == 1; }));
  ASSERT_TRUE(WaitFor([&] { return observer_.RunPosted() == 1; }));
  EXPECT_EQ(mouse_->Profile().GetActiveDPIStage(), 3);

  // A stage the mouse does not have is ignored; the profile part still counts.
  ASSERT_TRUE(sim_->SendCompanionEvent(0x1174));
  ASSERT_TRUE(WaitFor([&] { return mouse_->ActiveProfileNumber() == 4; }));
  ASSERT_TRUE(WaitFor([&] { return observer_.RunPosted() == 1; }));
  EXPECT_EQ(mouse_->Profile().GetActiveDPIStage(), 3);
}

TEST_F(MouseDeviceCompanionTest, ResyncEventRereadsTheActiveSettings) {
  StartListening();
  Poke(6, {0x11, 0x22, 0x33});  // the mouse changed its colour on its own
  sim_->ClearLog();
  ASSERT_TRUE(sim_->SendCompanionEvent(0x401));
  ASSERT_TRUE(WaitFor([&] { return observer_.Count("ArmTimer 1002 50") == 1; }));
  EXPECT_EQ(CountOf(5), 0u);  // nothing read on the listener thread itself
  EXPECT_EQ(observer_.RunTimers(), 1);
  EXPECT_GE(CountOf(5), 2u);
  const auto state = mouse_->GetLightState();
  EXPECT_EQ(state.red, 0x11);
  EXPECT_EQ(state.blue, 0x33);
  // Unknown codes, and an empty report, change nothing.
  ASSERT_TRUE(sim_->SendCompanionEvent(0x0000));
  ASSERT_TRUE(sim_->SendCompanionEvent(0x2203));
  std::this_thread::sleep_for(milliseconds(50));
  EXPECT_EQ(observer_.Count("PostToUiThread"), 0);
  EXPECT_EQ(mouse_->ActiveProfileNumber(), 0);
}

TEST_F(MouseDeviceCompanionTest, StoppingABlockedListenerEndsWithinTheTimeOut) {
  StartListening();
  mouse_->StartLightThread();
  std::this_thread::sleep_for(milliseconds(30));  // the listener is now waiting in its read
  ASSERT_TRUE(mouse_->CompanionOpen(CTessaroMouseDevice::kCompanionWired));
  const auto t0 = steady_clock::now();
  mouse_->CloseCompanion(CTessaroMouseDevice::kCompanionWired);
  EXPECT_LT(steady_clock::now() - t0, milliseconds(1000));
  EXPECT_FALSE(mouse_->CompanionOpen(CTessaroMouseDevice::kCompanionWired));
  // Opened twice, reopened: it listens again; destroying the driver stops everything it started.
  ASSERT_EQ(mouse_->OpenCompanion(CompanionPath(), CTessaroMouseDevice::kCompanionWired), 1);
  std::this_thread::sleep_for(milliseconds(20));
  const auto t2 = steady_clock::now();
  ASSERT_EQ(mouse_->OpenCompanion(CompanionPath(), CTessaroMouseDevice::kCompanionWired), 1);
  EXPECT_LT(steady_clock::now() - t2, milliseconds(1000));
  ASSERT_EQ(mouse_->ReopenCompanion(CompanionPath(), CTessaroMouseDevice::kCompanionWired), 1);
  ASSERT_TRUE(sim_->SwitchProfile(3));
  ASSERT_TRUE(WaitFor([&] { return mouse_->ActiveProfileNumber() == 3; }));
  const auto t1 = steady_clock::now();
  mouse_.reset();
  EXPECT_LT(steady_clock::now() - t1, milliseconds(1000));
}

}  // namespace
}  // namespace orlo
