// The light thread's cadence and the effects it paints.
#include <gtest/gtest.h>

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

  // Steps counted over a window of the given length.
  static long StepsDuring(CRecordingObserver& obs, milliseconds window) {
    const long before = obs.ledsChanged.load();
    std::this_thread::sleep_for(window);
    return obs.ledsChanged.load() - before;
  }

  std::filesystem::path folder_;
};

LightInfo Mode(uint8_t mode, uint8_t speed) {
  LightInfo e;
  e.mode = mode, e.speed = speed, e.brightness = 4, e.direction = 1, e.red = 255;
  return e;
}

TEST_F(LightThreadTest, StepsFollowTheIntervalOfModeAndSpeed) {
  CTessaroMouseDevice mouse;
  CRecordingObserver obs;
  obs.keepLog = false;
  mouse.SetObserver(&obs);
  mouse.link().SetOpen(true);  // the preview runs while the link is open; no command is sent
  mouse.SetLightEffect(Mode(0, 0));  // breathing, 20 ms
  mouse.StartLightThread();
  std::this_thread::sleep_for(milliseconds(50));
  const long slow = StepsDuring(obs, milliseconds(400));
  EXPECT_GE(slow, 12);
  EXPECT_LE(slow, 22);
  mouse.SetLightEffect(Mode(20, 2));  // rainbow, 5 ms: the sleeping thread re-plans at once
  std::this_thread::sleep_for(milliseconds(20));
  const long fast = StepsDuring(obs, milliseconds(400));
  EXPECT_GE(fast, 50);
  EXPECT_LE(fast, 82);
  // Lighting synchronisation owns the LEDs: no preview step.
  mouse.link().SetLightSyncActive(true);
  std::this_thread::sleep_for(milliseconds(20));
  EXPECT_EQ(StepsDuring(obs, milliseconds(100)), 0);
  mouse.link().SetLightSyncActive(false);
  // A closed link parks the thread.
  mouse.link().SetOpen(false);
  std::this_thread::sleep_for(milliseconds(20));
  EXPECT_EQ(StepsDuring(obs, milliseconds(100)), 0);
  const auto t0 = steady_clock::now();
  mouse.StopLightThread();
  EXPECT_LT(steady_clock::now() - t0, milliseconds(200));  // woken by the stop event
  EXPECT_FALSE(mouse.LightThreadRunning());
}

TEST_F(LightThreadTest, RippleAndRainbowPaintTheColumnGroups) {
  CTessaroMouseDevice mouse;
  mouse.SetLightEffect(Mode(20, 0));
  mouse.StepRainbow();
  // Groups {0, 13} and {6, 14, 7} each share one value; neighbouring groups differ.
  EXPECT_EQ(mouse.ledState().Get(0), mouse.ledState().Get(13));
  EXPECT_EQ(mouse.ledState().Get(6), mouse.ledState().Get(14));
  EXPECT_EQ(mouse.ledState().Get(6), mouse.ledState().Get(7));
  EXPECT_NE(mouse.ledState().Get(0).brightness, mouse.ledState().Get(1).brightness);
  // A mode change seeds a ripple that walks from group to group, fading behind itself.
  mouse.SetLightEffect(Mode(5, 0));
  mouse.StepRipple();
  EXPECT_GT(mouse.ledState().Get(0).brightness, 0);
  EXPECT_EQ(mouse.ledState().Get(1).brightness, 0);
  mouse.StepRipple();
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
    std::lock_guard lock(mouse.customSteps().lock);
    ASSERT_EQ(mouse.customSteps().steps.size(), 1u);
  }
  mouse.link().SetOpen(true);
  mouse.StartLightThread();
  std::this_thread::sleep_for(milliseconds(60));
  mouse.StopLightThread();
  EXPECT_EQ(mouse.ledState().Get(14), (LedValue{7, 0, 9, 255}));
}

}  // namespace
}  // namespace orlo
