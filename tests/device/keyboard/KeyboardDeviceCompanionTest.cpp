// The keyboard's companion interface: a profile switched with the keyboard's own keys is read
// again, and a reload request reaches the view; closing the interface ends its listener.
#include <chrono>

#include "KeyboardDeviceTestSupport.h"

namespace orlo {
namespace {

using namespace std::chrono_literals;
using testing_support::KeyboardRig;

class KeyboardDeviceCompanionTest : public KeyboardRig {
 protected:
  void OpenCompanion() {
    InterfaceEntry e;
    e.kind = CTessaroKeyboardDevice::kCompanionWired;
    e.devicePath = PathWith("&col03");
    ASSERT_FALSE(e.devicePath.empty());
    keyboard_->OpenEvents(e);
    ASSERT_TRUE(keyboard_->CompanionOpen(CTessaroKeyboardDevice::kCompanionWired));
  }
};

TEST_F(KeyboardDeviceCompanionTest, AProfileSwitchedOnTheKeyboardIsReadAgain) {
  Connect(false);
  keyboard_->LoadCatalogues();
  ASSERT_EQ(keyboard_->ReadAll(), 1);
  keyboard_->LoadProfile();
  ASSERT_EQ(keyboard_->ReadActiveSettings(), 1);
  OpenCompanion();
  // Profile 2's block (offset 50): effect 8, colour 0A 0B 0C.
  const uint8_t effect = 8, colour[3] = {0x0A, 0x0B, 0x0C};
  memory_->Write(sim::Area::Settings, 51, &effect, 1);
  memory_->Write(sim::Area::Settings, 56, colour, 3);
  const int before = observer_.Count("OnProfileStateChanged");
  ASSERT_TRUE(sim_->SwitchProfile(2));
  ASSERT_TRUE(observer_.WaitFor("OnProfileStateChanged", before + 1, 3s));
  ASSERT_TRUE(keyboard_->Session().Drain(3s));
  EXPECT_EQ(keyboard_->SettingsBlock()[0], 2);
  EXPECT_EQ(keyboard_->GetLightEffect().mode, 8);
  EXPECT_EQ(keyboard_->GetLightEffect().red, 0x0A);
  EXPECT_EQ(keyboard_->GetLightEffect().blue, 0x0C);

  keyboard_->CloseEvents(CTessaroKeyboardDevice::kCompanionWired);
  EXPECT_FALSE(keyboard_->CompanionOpen(CTessaroKeyboardDevice::kCompanionWired));
}

TEST_F(KeyboardDeviceCompanionTest, ASyncRequestAsksTheViewForAReload) {
  Connect(false);
  OpenCompanion();
  ASSERT_TRUE(sim_->SendCompanionEvent(0x401));
  EXPECT_TRUE(observer_.WaitFor("OnReloadRequested 50", 1, 3s));
}

TEST_F(KeyboardDeviceCompanionTest, BackFromASuspendItsOwnProfileIsReadAndProfile0IsWrittenOnce) {
  Connect(false);
  keyboard_->OnFirstContact();
  ASSERT_TRUE(keyboard_->Session().Drain(3s));
  // Switched to profile 2 with its own keys while the machine slept: effect 8, colour 0A 0B 0C.
  const uint8_t effect = 8, colour[3] = {0x0A, 0x0B, 0x0C};
  memory_->Write(sim::Area::Settings, 51, &effect, 1);
  memory_->Write(sim::Area::Settings, 56, colour, 3);
  sim_->SwitchProfile(2);
  sim_->ClearLog();
  EXPECT_EQ(keyboard_->RestoreSettings(), RestoreResult::kRead);
  EXPECT_EQ(CountOf(6), 0u);
  EXPECT_EQ(memory_->Byte(sim::Area::Settings, 0), 2);
  EXPECT_EQ(keyboard_->GetLightEffect().mode, 8);

  // Back on profile 0, having forgotten it: the profile (now with that effect) goes to it once.
  sim_->SwitchProfile(0);
  const uint8_t blank[3] = {0, 0, 0};
  memory_->Write(sim::Area::Settings, 6, blank, 3);
  sim_->ClearLog();
  EXPECT_EQ(keyboard_->RestoreSettings(), RestoreResult::kWritten);
  const auto writes = Chunks(6);
  ASSERT_FALSE(writes.empty());
  for (const auto& chunk : writes) EXPECT_LT(chunk.second, 25);  // profile 0 only
  EXPECT_EQ(writes.front().second, 0);
  EXPECT_EQ(memory_->Byte(sim::Area::Settings, 0), 0);
  EXPECT_EQ(memory_->Byte(sim::Area::Settings, 1), 8);
  EXPECT_EQ(memory_->Byte(sim::Area::Settings, 6), 0x0A);
  EXPECT_EQ(memory_->Byte(sim::Area::Settings, 8), 0x0C);

  // Unplugged: nothing reached, nothing written.
  sim_->Unplug();
  EXPECT_EQ(keyboard_->RestoreSettings(), RestoreResult::kNotReached);
}

}  // namespace
}  // namespace orlo
