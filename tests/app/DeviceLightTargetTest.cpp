// Game lighting on a real driver: an event's mode reaches the simulated mouse and its profile,
// and the restore puts back the mode the mouse had before.
#include <gtest/gtest.h>

#include "app/DeviceLightTarget.h"
#include "app/GameLighting.h"
#include "device/mouse/MouseDeviceTestSupport.h"

namespace orlo {
namespace {

class DeviceLightTargetTest : public testing_support::MouseRig {};

TEST_F(DeviceLightTargetTest, GameEventReachesTheMouseAndIsUndoneByTheRestore) {
  Connect(false);
  mouse_->OnFirstContact();
  CDeviceLightTarget target(*mouse_);
  const int before = target.LightMode();
  ASSERT_GE(mouse_->LightModes().size(), 3u);
  const int eventMode = before == 2 ? 1 : 2;

  EXPECT_TRUE(target.HasLightMode(0));
  EXPECT_FALSE(target.HasLightMode(-1));
  if (mouse_->LightModes().size() < 10) {
    EXPECT_FALSE(target.HasLightMode(static_cast<int>(mouse_->LightModes().size())));
  }
  EXPECT_EQ(target.HasLightMode(10), !mouse_->CustomLightModes().empty());

  int armedMs = 0;
  CGameLighting game([&](int ms) { armedMs = ms; });
  game.SetScreenSize(1920, 1080);
  mouse_->link().SetLightSyncActive(true);
  ASSERT_TRUE(game.OnGameMessage(&target, 0, eventMode));
  // Without a window's timer the commit goes to the driver's worker at once.
  ASSERT_TRUE(mouse_->Session().Drain(std::chrono::seconds(10)));
  EXPECT_EQ(armedMs, CGameLighting::kRestoreMs);
  EXPECT_FALSE(mouse_->link().LightSyncActive());
  EXPECT_EQ(mouse_->GetLightEffect().mode, eventMode);
  EXPECT_EQ(Block(0)[1], mouse_->ModeCode(eventMode));

  game.OnRestoreTimer();
  ASSERT_TRUE(mouse_->Session().Drain(std::chrono::seconds(10)));
  EXPECT_EQ(mouse_->GetLightEffect().mode, before);
  EXPECT_EQ(Block(0)[1], mouse_->ModeCode(before));
}

}  // namespace
}  // namespace orlo
