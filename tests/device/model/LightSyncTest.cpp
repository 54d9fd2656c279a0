// Lighting synchronisation: the translation between the devices' modes, the common effect's
// steps, and the thread that paints every synchronised preview together.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "base/DeviceKinds.h"
#include "base/StopEvent.h"
#include "device/keyboard/TessaroKeyboardDevice.h"
#include "device/model/LightSync.h"
#include "device/model/RecordingObserver.h"
#include "device/mouse/TessaroMouseDevice.h"

namespace orlo {
namespace {

using namespace std::chrono;
using Clock = CLightSyncEngine::Clock;

TEST(LightSyncEngineTest, ModesTranslateThroughTheCommonTypeAndUnknownModesChangeNothing) {
  // A keyboard flashing (23) is a mouse's 4 and a pad's or headset's 4.
  ASSERT_EQ(SyncTypeOf(kKindKeyboard, 23), 2);
  EXPECT_EQ(SyncModeOf(kKindMouse, 2), 4);
  EXPECT_EQ(SyncModeOf(kKindMousePad, 2), 4);
  EXPECT_EQ(SyncModeOf(kKindHeadset, 2), 4);
  // Receivers use their device's numbering.
  EXPECT_EQ(SyncTypeOf(kKindKeyboardReceiver, 28), 4);
  EXPECT_EQ(SyncTypeOf(kKindMouseReceiver, 1), 3);
  EXPECT_EQ(SyncModeOf(kKindKeyboard, 0), 5);
  EXPECT_EQ(SyncModeOf(kKindMousePad, 4), 8);
  // Mouse modes outside 0..4, the hub, and types outside 0..4 have no counterpart.
  EXPECT_FALSE(SyncTypeOf(kKindMouse, 5));
  EXPECT_FALSE(SyncTypeOf(kKindMouse, 7));
  EXPECT_FALSE(SyncTypeOf(kKindHub, 0));
  EXPECT_FALSE(SyncModeOf(kKindMouse, 5));
  LightInfo e;
  e.mode = 7;
  EXPECT_FALSE(SyncEffectOf(kKindMouse, e));
  e = {};
  e.mode = 6, e.brightness = 3, e.speed = 1, e.direction = 1, e.multiColor = 1, e.red = 10, e.green = 20, e.blue = 30;
  const auto s = SyncEffectOf(kKindKeyboard, e);
  ASSERT_TRUE(s);
  EXPECT_EQ(s->type, SyncEffect::kStatic);
  EXPECT_EQ(s->level, 3);
  EXPECT_EQ(s->speed, 1);
  EXPECT_EQ(s->direction, 1);
  EXPECT_EQ(s->multicolour, 1);
  EXPECT_EQ(s->colour, (preview::Rgb{10, 20, 30}));
}

TEST(LightSyncEngineTest, StepPeriodsFollowTheSpeedAtTwoMillisecondsPerCount) {
  EXPECT_EQ(CLightSyncEngine::StepPeriod(0), milliseconds(56));
  EXPECT_EQ(CLightSyncEngine::StepPeriod(2), milliseconds(36));
  EXPECT_EQ(CLightSyncEngine::StepPeriod(4), milliseconds(14));
  EXPECT_EQ(CLightSyncEngine::StepPeriod(9), milliseconds(14));  // a speed from a file, clamped
}

TEST(LightSyncEngineTest, EachTypePaintsItsWord) {
  const Clock::time_point t0{seconds(1000)};
  SyncEffect e;
  e.level = 4, e.colour = {10, 20, 30};

  // Static: the colour at full brightness (255).
  CLightSyncEngine still;
  e.type = SyncEffect::kStatic;
  EXPECT_EQ(still.Step(e, t0), 0xFF1E140Au);
  e.level = 1;  // brightness 80
  EXPECT_EQ(still.Step(e, t0), 0x501E140Au);
  e.level = 4;

  // Breathing upwards reaches the top of the curve (255 at phase 63) on its 63rd step:
  // 255 * 255 / 256 = 254.
  CLightSyncEngine breath;
  e.type = SyncEffect::kBreathing, e.direction = 1;
  std::optional<uint32_t> w;
  for (int i = 0; i < 63; ++i) w = breath.Step(e, t0);
  EXPECT_EQ(breath.Phase(), 63);
  EXPECT_EQ(w, 0xFE1E140Au);
  // Downwards from 0 it wraps to 127, where the curve is dark.
  CLightSyncEngine down;
  e.direction = 0;
  EXPECT_EQ(down.Step(e, t0), 0x001E140Au);
  EXPECT_EQ(down.Phase(), 127);

  // Multicolour breathing takes the next hue (16 further) each time the phase passes 0..1.
  CLightSyncEngine hues;
  e.direction = 1, e.multicolour = 1;
  hues.Step(e, t0);  // phase 1
  EXPECT_EQ(hues.Hue(), 16);
  hues.Step(e, t0);  // phase 2
  EXPECT_EQ(hues.Hue(), 16);
  for (int i = 0; i < 127; ++i) hues.Step(e, t0);  // phase 1 again, through 0
  EXPECT_EQ(hues.Phase(), 1);
  EXPECT_EQ(hues.Hue(), 48);  // phase 0 and phase 1 each moved it on
  e.multicolour = 0;

  // Spectrum: one hue per step, 191 is followed by 0.
  CLightSyncEngine spectrum;
  e.type = SyncEffect::kSpectrum;
  for (int i = 0; i < 191; ++i) spectrum.Step(e, t0);
  EXPECT_EQ(spectrum.Hue(), 191);
  spectrum.Step(e, t0);
  EXPECT_EQ(spectrum.Hue(), 0);

  // Off and no type.
  CLightSyncEngine off;
  e.type = SyncEffect::kOff;
  EXPECT_EQ(off.Step(e, t0), 0u);
  e.type = -1;
  EXPECT_FALSE(off.Step(e, t0));
  e.type = 5;
  EXPECT_FALSE(off.Step(e, t0));
}

TEST(LightSyncEngineTest, FlashingTogglesAfterTheSpeedsHoldTime) {
  // Speed 4 holds each state 7 * 200 = 1400 ms.
  const Clock::time_point t0{seconds(1000)};
  SyncEffect e;
  e.type = SyncEffect::kFlashing, e.level = 4, e.speed = 4, e.colour = {1, 2, 3};
  CLightSyncEngine flash;
  EXPECT_EQ(flash.Step(e, t0), 0xFF030201u);  // the first step turns it on
  EXPECT_EQ(flash.Step(e, t0 + milliseconds(1399)), 0xFF030201u);
  EXPECT_EQ(flash.Step(e, t0 + milliseconds(1400)), 0u);
  EXPECT_EQ(flash.Step(e, t0 + milliseconds(2799)), 0u);
  EXPECT_EQ(flash.Step(e, t0 + milliseconds(2800)), 0xFF030201u);
}

class LightSyncThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (CTessaroUSBDevice* d : {static_cast<CTessaroUSBDevice*>(&mouse), static_cast<CTessaroUSBDevice*>(&keyboard)}) {
      d->link().SetOpen(true);  // no command is sent: only the previews are painted
      d->link().SetLightSyncActive(true);
    }
    mouse.SetObserver(&mouseSeen);
    keyboard.SetObserver(&keyboardSeen);
    mouseSeen.keepLog = keyboardSeen.keepLog = false;
  }
  void TearDown() override {
    stop.Set();
    if (thread.joinable()) thread.join();
  }
  template <class Pred>
  static bool Eventually(Pred pred) {
    const auto end = steady_clock::now() + seconds(5);
    while (!pred()) {
      if (steady_clock::now() > end) return false;
      std::this_thread::yield();
    }
    return true;
  }

  CTessaroMouseDevice mouse;
  CTessaroKeyboardDevice keyboard;
  CRecordingObserver mouseSeen, keyboardSeen;
  CLightSync sync;
  CStopEvent stop;
  std::thread thread;
};

TEST_F(LightSyncThreadTest, BothPreviewsShowOneWordAndADeviceThatLeftIsLeftAlone) {
  int mouseLeft = 0;  // written on the thread, read after it has stopped or been seen to leave
  std::atomic<int> keyboardLeft{0};
  SyncEffect e;
  e.type = SyncEffect::kStatic, e.level = 4, e.colour = {10, 20, 30};
  thread = std::thread([this] { sync.Run(stop); });
  sync.Begin(e, {{&keyboard, [&] { ++keyboardLeft; }}, {&mouse, [&] { ++mouseLeft; }}});
  ASSERT_TRUE(Eventually([&] { return mouseSeen.ledsChanged.load() >= 2 && keyboardSeen.ledsChanged.load() >= 2; }));
  EXPECT_EQ(mouse.ledState().GetWord(0), 0xFF1E140Au);
  EXPECT_EQ(mouse.ledState().GetWord(mouse.LedCount() - 1), 0xFF1E140Au);
  EXPECT_EQ(keyboard.ledState().GetWord(0), 0xFF1E140Au);

  // The mouse is pulled out mid-synchronisation: it leaves, its preview is no longer painted, the
  // keyboard goes on.
  mouse.link().SetOpen(false);
  ASSERT_TRUE(Eventually([&] { return !sync.Active(&mouse); }));
  mouse.ledState().SetWord(0, 0);
  const long keyboardPaints = keyboardSeen.ledsChanged.load();
  ASSERT_TRUE(Eventually([&] { return keyboardSeen.ledsChanged.load() >= keyboardPaints + 3; }));
  EXPECT_EQ(mouse.ledState().GetWord(0), 0u);
  EXPECT_EQ(keyboardLeft.load(), 0);

  // The keyboard's lighting changed alone: it leaves too, and the thread goes idle; the stop
  // still ends it at once.
  keyboard.link().SetLightSyncActive(false);
  ASSERT_TRUE(Eventually([&] { return keyboardLeft.load() == 1; }));
  stop.Set();
  thread.join();
  EXPECT_EQ(mouseLeft, 1);
  EXPECT_FALSE(sync.Active(&keyboard));
}

}  // namespace
}  // namespace orlo
