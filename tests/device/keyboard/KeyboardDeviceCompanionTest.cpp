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

}  // namespace
}  // namespace orlo
