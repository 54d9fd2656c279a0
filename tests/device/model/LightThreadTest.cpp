// The light thread's cadence and the effects it paints.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "device/model/RecordingObserver.h"
#include "device/mouse/TessaroMouseDevice.h"
#include "profile/JsonFile.h"

namespace orlo {
namespace {

using namespace std::chrono;

class LightThreadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("orlo_light_" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder_);
    ::setenv("XDG_DATA_HOME", folder_.c_str(), 1);
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  // Waits for a condition the light thread brings about; false after a generous limit.
  template <class Pred>
  static bool Eventually(Pred pred) {
    const auto end = steady_clock::now() + milliseconds(5000);
    while (!pred()) {
      if (steady_clock::now() > end) return false;
      std::this_thread::yield();
    }
    return true;
  }

  std::filesystem::path folder_;
};

LightInfo Mode(uint8_t mode, uint8_t speed) {
  LightInfo e;
  e.mode = mode, e.speed = speed, e.brightness = 4, e.direction = 1, e.red = 255;
  return e;
}

TEST_F(LightThreadTest, StepsComeEveryTwoMillisecondsPerCount) {
  CTessaroMouseDevice mouse;
  const CLightPreview& preview = mouse.Preview();
  // A count is a tick that moved by more than 1 ms: breathing at speed 0 counts 20 (40 ms),
  // the rainbow at speed 2 counts 5 (10 ms), ripple at speed 4 counts 7 (14 ms).
  EXPECT_EQ(preview.StepPeriod(0, 0), milliseconds(40));
  EXPECT_EQ(preview.StepPeriod(20, 2), milliseconds(10));
  EXPECT_EQ(preview.StepPeriod(5, 4), milliseconds(14));
  EXPECT_EQ(preview.StepPeriod(12, 0), milliseconds(0));  // custom effects: the player's own pace
}

TEST_F(LightThreadTest, SynchronisationAndAClosedLinkPauseTheSteps) {
  CTessaroMouseDevice mouse;
  CRecordingObserver obs;
  obs.keepLog = false;
  mouse.SetObserver(&obs);
  mouse.link().SetOpen(true);  // the preview runs while the link is open; no command is sent
  mouse.SetLightEffect(Mode(20, 4));
  mouse.StartLightThread();
  ASSERT_TRUE(Eventually([&] { return obs.ledsChanged.load() >= 3; }));
  // Lighting synchronisation owns the LEDs: the thread goes on, without a step.
  mouse.link().SetLightSyncActive(true);
  const uint64_t passes = mouse.Preview().Passes() + 1;  // a pass under way may still step
  ASSERT_TRUE(Eventually([&] { return mouse.Preview().Passes() >= passes; }));
  const long synchronised = obs.ledsChanged.load();
  ASSERT_TRUE(Eventually([&] { return mouse.Preview().Passes() >= passes + 3; }));
  EXPECT_EQ(obs.ledsChanged.load(), synchronised);
  mouse.link().SetLightSyncActive(false);
  ASSERT_TRUE(Eventually([&] { return obs.ledsChanged.load() > synchronised; }));
  // A closed link parks the thread the same way.
  mouse.link().SetOpen(false);
  const uint64_t parked = mouse.Preview().Passes() + 1;
  ASSERT_TRUE(Eventually([&] { return mouse.Preview().Passes() >= parked; }));
  const long closed = obs.ledsChanged.load();
  ASSERT_TRUE(Eventually([&] { return mouse.Preview().Passes() >= parked + 2; }));
  EXPECT_EQ(obs.ledsChanged.load(), closed);
  // The stop event wakes the parked thread; a thread that kept sleeping would hang here.
  mouse.StopLightThread();
  EXPECT_FALSE(mouse.LightThreadRunning());
}

TEST_F(LightThreadTest, APreviewNothingShowsRestsUntilShownAgain) {
  CTessaroMouseDevice mouse;
  CRecordingObserver obs;
  obs.keepLog = false;
  mouse.SetObserver(&obs);
  mouse.link().SetOpen(true);
  mouse.SetLightEffect(Mode(20, 4));
  mouse.StartLightThread();
  ASSERT_TRUE(Eventually([&] { return obs.ledsChanged.load() >= 2; }));
  EXPECT_FALSE(mouse.Preview().Paused());

  // Off screen: the thread goes to rest and reports nothing more.
  mouse.Preview().SetShown(false);
  ASSERT_TRUE(Eventually([&] { return mouse.Preview().Paused(); }));
  const long rested = obs.ledsChanged.load();
  const uint64_t passes = mouse.Preview().Passes();
  // A mode change wakes a thread waiting for its step, not one at rest.
  mouse.SetLightEffect(Mode(1, 4));
  mouse.ledState().Fill({}, 0);
  EXPECT_TRUE(mouse.Preview().Paused());

  // Shown again, the steps go on at once; a missed wake-up would hang here.
  mouse.Preview().SetShown(true);
  ASSERT_TRUE(Eventually([&] { return obs.ledsChanged.load() > rested; }));
  EXPECT_GT(mouse.Preview().Passes(), passes);
  EXPECT_NE(mouse.ledState().Get(0).brightness, 0);  // spectrum at brightness 4 lights every LED

  // Stopped while at rest: the stop wakes it, so it ends instead of being let go after the time-out.
  mouse.Preview().SetShown(false);
  ASSERT_TRUE(Eventually([&] { return mouse.Preview().Paused(); }));
  mouse.StopLightThread();
  EXPECT_FALSE(mouse.LightThreadRunning());
}

// A preview whose frames go to the device's lights.
class StreamedPreview : public CLightPreview {
 public:
  StreamedPreview() : CLightPreview(4) {}
  bool FeedsDevice() const override { return true; }
};

TEST_F(LightThreadTest, APreviewThatFeedsTheDeviceNeverRests) {
  StreamedPreview preview;
  std::atomic<long> changes{0};
  preview.SetHooks({nullptr, nullptr, [&] { changes.fetch_add(1); }});
  preview.SetEffect(Mode(1, 4));
  preview.SetShown(false);
  preview.Start(nullptr, nullptr);
  const long before = changes.load();
  ASSERT_TRUE(Eventually([&] { return changes.load() >= before + 3; }));
  EXPECT_FALSE(preview.Paused());
  preview.Stop();
  EXPECT_FALSE(preview.Running());
}

TEST_F(LightThreadTest, RippleAndRainbowPaintTheColumnGroups) {
  CTessaroMouseDevice mouse;
  mouse.SetLightEffect(Mode(20, 0));
  mouse.Preview().StepRainbow();
  // Groups {0, 13} and {6, 14, 7} each share one value; neighbouring groups differ.
  EXPECT_EQ(mouse.ledState().Get(0), mouse.ledState().Get(13));
  EXPECT_EQ(mouse.ledState().Get(6), mouse.ledState().Get(14));
  EXPECT_EQ(mouse.ledState().Get(6), mouse.ledState().Get(7));
  EXPECT_NE(mouse.ledState().Get(0).brightness, mouse.ledState().Get(1).brightness);
  // A mode change seeds a ripple that walks from group to group, fading behind itself.
  mouse.SetLightEffect(Mode(5, 0));
  mouse.Preview().StepRipple();
  EXPECT_GT(mouse.ledState().Get(0).brightness, 0);
  EXPECT_EQ(mouse.ledState().Get(1).brightness, 0);
  mouse.Preview().StepRipple();
  const auto& leds = mouse.ledState();
  EXPECT_GT(leds.Get(1).brightness, leds.Get(0).brightness);
  EXPECT_GT(leds.Get(0).brightness, 0);
  EXPECT_EQ(leds.Get(2).brightness, 0);
  EXPECT_EQ(leds.Get(1), leds.Get(12));
}

TEST_F(LightThreadTest, CustomEffectFromTheProfilePlaysOnTheLeds) {
  CTessaroMouseDevice mouse;
  const std::string folder = mouse.DeviceFolder();
  CJsonFile file;
  Json::Value config;
  config["LightInfo"][1][0]["LightName"] = "Mine";
  config["LightInfo"][1][0]["Guid"] = "custom_one";
  ASSERT_EQ(file.WriteDocument(folder + "velko_light.config", config), 0);
  Json::Value step;
  for (const char* k : {"LEDREGMode", "LEDDirection", "LEDSpeed", "LEDMultiColor", "green", "Cyle"}) step[k] = 0;
  step["LEDREGMode"] = 1, step["LEDBrightness"] = 4, step["red"] = 7, step["blue"] = 9, step["Time"] = 1000;
  Json::Value effect;
  effect["LEDEffectList"].append(step);
  ASSERT_EQ(file.WriteDocument(folder + "custom_one.light", effect), 0);
  Json::Value doc = file.ReadDocument(mouse.DefaultDocumentPath());
  doc["Device"][0]["LightInfo"]["SelectItem"] = 10;  // the first custom effect
  ASSERT_EQ(file.WriteDocument(folder + "p.Json", doc), 0);

  mouse.SetActiveProfileId("p");
  mouse.LoadProfile();
  {
    std::lock_guard lock(mouse.Preview().CustomSteps().lock);
    ASSERT_EQ(mouse.Preview().CustomSteps().steps.size(), 1u);
  }
  mouse.link().SetOpen(true);
  mouse.StartLightThread();
  // The player has shown its one step once the last LED carries it.
  EXPECT_TRUE(Eventually([&] { return mouse.ledState().Get(14) == LedValue{7, 0, 9, 255}; }));
  mouse.StopLightThread();
}

}  // namespace
}  // namespace orlo
