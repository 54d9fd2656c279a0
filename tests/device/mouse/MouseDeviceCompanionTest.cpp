// Events the mouse sends on its companion interface, and stopping the listener threads. The
// listener handles events in order, so an event whose handling the test sees is the handshake
// that every event sent before it was handled.
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
    observer_.Clear();
  }
  // Sends the re-read request and waits until the listener handled it (and all before it).
  void Handshake() {
    const int seen = observer_.Count("OnReloadRequested 50");
    ASSERT_TRUE(sim_->SendCompanionEvent(0x401));
    ASSERT_TRUE(observer_.WaitFor("OnReloadRequested 50", seen + 1, seconds(5)));
  }
};

TEST_F(MouseDeviceCompanionTest, ProfileAndStageEventsAreReadNeverWrittenOver) {
  StartListening();
  Poke(2 * 128 + 6, {0x21, 0x22, 0x23});  // profile 2's colour
  sim_->ClearLog();
  ASSERT_TRUE(sim_->SwitchStage(2, 3));  // event 0x1132
  ASSERT_TRUE(observer_.WaitFor("OnProfileStateChanged", 1, seconds(5)));
  ASSERT_TRUE(mouse_->Session().Drain(seconds(5)));
  EXPECT_EQ(mouse_->ActiveProfileNumber(), 2);
  EXPECT_EQ(mouse_->GetLightState().activeProfile, 2);
  // What the mouse runs now is the page's: its stage and colour, read on the driver's worker.
  EXPECT_EQ(mouse_->ActiveStage(), 3);
  EXPECT_EQ(mouse_->GetLightEffect().red, 0x21);
  EXPECT_EQ(mouse_->GetLightEffect().blue, 0x23);
  // Nothing written: the mouse stays on the profile it was switched to.
  EXPECT_EQ(CountOf(6), 0u);
  EXPECT_EQ(sim_->ActiveProfile(), 2);

  Poke(1 * 128 + 12, {1});
  ASSERT_TRUE(sim_->SwitchProfile(1));  // 0x1001: profile only
  Handshake();
  ASSERT_TRUE(mouse_->Session().Drain(seconds(5)));
  EXPECT_EQ(mouse_->ActiveProfileNumber(), 1);
  EXPECT_EQ(mouse_->ActiveStage(), 1);
  EXPECT_EQ(CountOf(6), 0u);
  EXPECT_EQ(sim_->ActiveProfile(), 1);

  // The read fails: the event's profile still counts, a stage the mouse does not have does not.
  sim_->InjectFault(sim::Fault::StatusFailed, sim::FaultMode::Always);
  ASSERT_TRUE(sim_->SendCompanionEvent(0x1174));
  ASSERT_TRUE(observer_.WaitFor("OnKeyAssignmentsChanged", 3, seconds(5)));
  ASSERT_TRUE(mouse_->Session().Drain(seconds(5)));
  sim_->ClearFaults();
  EXPECT_EQ(mouse_->ActiveProfileNumber(), 4);
  EXPECT_EQ(mouse_->ActiveStage(), 1);
  EXPECT_EQ(CountOf(6), 0u);
}

TEST_F(MouseDeviceCompanionTest, ResyncEventRereadsTheActiveSettings) {
  StartListening();
  Poke(6, {0x11, 0x22, 0x33});  // the mouse changed its colour on its own
  sim_->ClearLog();
  Handshake();
  EXPECT_EQ(CountOf(5), 0u);  // nothing read on the listener thread itself
  mouse_->ReloadFromDevice();  // what the tab's timer runs on the driver's worker
  EXPECT_GE(CountOf(5), 2u);
  const auto state = mouse_->GetLightState();
  EXPECT_EQ(state.red, 0x11);
  EXPECT_EQ(state.blue, 0x33);
  // Unknown codes, and an empty report, change nothing.
  observer_.Clear();
  ASSERT_TRUE(sim_->SendCompanionEvent(0x0000));
  ASSERT_TRUE(sim_->SendCompanionEvent(0x2203));
  Handshake();
  ASSERT_TRUE(mouse_->Session().Drain(seconds(5)));
  EXPECT_EQ(observer_.Count("OnProfileStateChanged"), 0);
  EXPECT_EQ(mouse_->ActiveProfileNumber(), 0);
}

TEST_F(MouseDeviceCompanionTest, StoppingABlockedListenerEnds) {
  StartListening();
  mouse_->StartLightThread();
  Handshake();  // the listener is back in its blocking read
  ASSERT_TRUE(mouse_->CompanionOpen(CTessaroMouseDevice::kCompanionWired));
  // Closing cancels the read; a listener that kept waiting would hang the test.
  mouse_->CloseCompanion(CTessaroMouseDevice::kCompanionWired);
  EXPECT_FALSE(mouse_->CompanionOpen(CTessaroMouseDevice::kCompanionWired));
  // Opened twice, reopened: it listens again; destroying the driver stops everything it started.
  ASSERT_EQ(mouse_->OpenCompanion(CompanionPath(), CTessaroMouseDevice::kCompanionWired), 1);
  Handshake();
  ASSERT_EQ(mouse_->OpenCompanion(CompanionPath(), CTessaroMouseDevice::kCompanionWired), 1);
  ASSERT_EQ(mouse_->ReopenCompanion(CompanionPath(), CTessaroMouseDevice::kCompanionWired), 1);
  ASSERT_TRUE(sim_->SwitchProfile(3));
  Handshake();
  EXPECT_EQ(mouse_->ActiveProfileNumber(), 3);
  mouse_.reset();
  EXPECT_FALSE(mouse_);
}

}  // namespace
}  // namespace orlo
