// The keyboard's lights from the driver: a streamed frame laid out through the keyboard's LED
// table, the host-driven effects streamed by the light thread on their own (no page, no window
// timer), nothing streamed through the receiver, the claim of the keyboard's lighting, and
// unplugging or stopping while frames go out.
#include <chrono>
#include <vector>

#include "KeyboardDeviceTestSupport.h"
#include "profile/JsonFile.h"

namespace orlo {
namespace {

using namespace std::chrono_literals;
using testing_support::KeyboardRig;
using ChunkList = std::vector<std::pair<int, int>>;

class KeyboardDeviceLightTest : public KeyboardRig {
 protected:
  void ShowStyleColour() {
    LightInfo e = keyboard_->GetLightEffect();
    e.mode = 30, e.brightness = 4, e.speed = 2;
    keyboard_->SetLightEffect(e);
    const int32_t style[3] = {0x40, 0x80, 0xC0};
    keyboard_->SetAudioStyle(style, 3);
  }
};

TEST_F(KeyboardDeviceLightTest, AStreamedFramePutsEachKeysColourAtItsLed) {
  Connect(false);
  ASSERT_EQ(keyboard_->ReadAll(), 1);
  keyboard_->ledState().Set(64, {0x80, 0x40, 0x20}, 128);  // "A": key 59, LED 10
  keyboard_->ledState().Set(0, {0xFF, 0x00, 0x10}, 255);   // Esc: key 0, LED 11
  keyboard_->ledState().Set(16, {0xFF, 0xFF, 0xFF}, 255);  // no key on this keyboard
  sim_->ClearLog();
  ASSERT_EQ(keyboard_->StreamLightFrame(), 1);
  EXPECT_EQ(Chunks(kCmdStreamLightFrame), (ChunkList{{56, 0}, {56, 56}, {56, 112}, {56, 168}, {56, 224}, {32, 280}}));
  const auto frames = sim_->StreamedFrames();
  ASSERT_EQ(frames.size(), 1u);
  std::vector<uint8_t> expected(312, 0);
  const uint8_t a[] = {0x40, 0x20, 0x10}, esc[] = {0xFE, 0x00, 0x0F};  // scaled by brightness
  std::copy(a, a + 3, expected.begin() + 30);
  std::copy(esc, esc + 3, expected.begin() + 33);
  EXPECT_EQ(frames[0].bytes, expected);
}

TEST_F(KeyboardDeviceLightTest, APaintedKeyGoesIntoItsGroupAtItsLedAndIntoTheProfile) {
  for (const bool receiver : {false, true}) {
    SCOPED_TRACE(receiver ? "receiver" : "wired");
    Connect(receiver);
    keyboard_->LoadCatalogues();
    ASSERT_EQ(keyboard_->ReadAll(), 1);
    keyboard_->LoadProfile();
    keyboard_->Profile().SetCustomLightModeGroupIndex(2);
    LightInfo e = keyboard_->GetLightEffect();
    e.mode = 6;
    keyboard_->SetLightEffect(e);
    EXPECT_EQ(keyboard_->PaintKey(64), 0);  // another effect: nothing painted
    e.mode = 20, e.brightness = 4, e.red = 0x80, e.green = 0x40, e.blue = 0x20;
    keyboard_->SetLightEffect(e);
    sim_->ClearLog();
    EXPECT_EQ(keyboard_->PaintKey(64), receiver ? 0 : 1);
    const auto area = memory_->Snapshot(sim::Area::LightData);
    if (receiver) {
      // Stored only: nothing reaches the keyboard through the receiver.
      EXPECT_EQ(CountOf(kCmdWriteLightData), 0u);
    } else {
      // Group 2 starts at 1024; "A" lights LED 10 (bytes 30-32), scaled by full brightness.
      EXPECT_EQ(std::vector<uint8_t>(area.begin() + 1024 + 27, area.begin() + 1024 + 36),
                (std::vector<uint8_t>{0x00, 0x00, 0x00, 0x7F, 0x3F, 0x1F, 0x00, 0x00, 0x00}));
      EXPECT_EQ(Chunks(kCmdWriteLightData), (ChunkList{{56, 1024}, {56, 1080}, {56, 1136}, {56, 1192}, {56, 1248},
                                                      {32, 1304}}));
    }
    CJsonFile file;
    const Json::Value doc = file.ReadDocument(keyboard_->GetProfileName());
    const Json::Value& a = doc["Device"][0]["CustomLightMode"]["LightColorInfo"][2][64];
    EXPECT_EQ(a["Red"].asInt(), 0x80);
    EXPECT_EQ(a["Blue"].asInt(), 0x20);
    EXPECT_EQ(a["Alpha"].asInt(), 255);
    keyboard_.reset();
    memory_ = sim::SimKeyboard::MakeMemory();
  }
}

TEST_F(KeyboardDeviceLightTest, TheLightThreadStreamsAHostDrivenEffectOnItsOwn) {
  Connect(false);
  keyboard_->OnFirstContact();
  ASSERT_TRUE(keyboard_->LightThreadRunning());
  ShowStyleColour();
  // No page and no window timer: the light thread alone keeps the frames coming.
  ASSERT_TRUE(keyboard_->WaitForFrames(keyboard_->FramesStreamed() + 5, 3s));
  const auto frames = sim_->StreamedFrames();
  ASSERT_FALSE(frames.empty());
  const std::vector<uint8_t>& last = frames.back().bytes;
  // Every LED shows the style colour at full brightness (value × 255, high byte).
  EXPECT_EQ(std::vector<uint8_t>(last.begin() + 30, last.begin() + 36),
            (std::vector<uint8_t>{0x3F, 0x7F, 0xBF, 0x3F, 0x7F, 0xBF}));
  EXPECT_EQ(std::vector<uint8_t>(last.end() - 3, last.end()), (std::vector<uint8_t>{0x3F, 0x7F, 0xBF}));
}

TEST_F(KeyboardDeviceLightTest, TheReceiverGetsNoFramesAndNoClaim) {
  Connect(true);
  ASSERT_EQ(keyboard_->ReadAll(), 1);
  keyboard_->SetLightControl(1);
  EXPECT_EQ(keyboard_->StreamLightFrame(), 0);
  EXPECT_EQ(CountOf(kCmdStreamLightFrame), 0u);
  EXPECT_EQ(CountOf(kCmdClaimLightControl), 0u);
}

TEST_F(KeyboardDeviceLightTest, LightControlOnClaimsAWiredKeyboardOffDoesNot) {
  Connect(false);
  keyboard_->SetLightControl(0);
  EXPECT_EQ(CountOf(kCmdClaimLightControl), 0u);
  EXPECT_EQ(keyboard_->LightControl(), 0);
  keyboard_->SetLightControl(1);
  EXPECT_EQ(CountOf(kCmdClaimLightControl), 1u);
  EXPECT_EQ(keyboard_->LightControl(), 1);
}

TEST_F(KeyboardDeviceLightTest, UnpluggingWhileFramesGoOutHangsNothing) {
  Connect(false);
  keyboard_->OnFirstContact();
  ShowStyleColour();
  ASSERT_TRUE(keyboard_->WaitForFrames(keyboard_->FramesStreamed() + 2, 3s));
  ASSERT_TRUE(backend_->Remove(node_));
  // Writes fail instead of waiting, and the driver goes with its light thread streaming: this
  // test would time out if either waited for the vanished keyboard.
  EXPECT_NE(keyboard_->ApplySettings(0, 0, 0, 0, 0), 1);
  keyboard_.reset();
}

TEST_F(KeyboardDeviceLightTest, AHiddenPictureRestsTheThreadUnlessItsFramesGoToTheKeyboard) {
  const auto eventually = [](auto pred) {
    for (const auto end = std::chrono::steady_clock::now() + 5s; !pred();)
      if (std::chrono::steady_clock::now() > end) return false;
    return true;
  };
  Connect(false);
  keyboard_->OnFirstContact();
  LightInfo e = keyboard_->GetLightEffect();
  e.mode = 3, e.speed = 2;
  keyboard_->SetLightEffect(e);
  keyboard_->SetPreviewShown(false);
  ASSERT_TRUE(eventually([&] { return keyboard_->LightThreadResting(); }));
  // A host-driven effect exists only as streamed frames: it wakes the thread, page or not.
  const uint64_t before = keyboard_->FramesStreamed();
  ShowStyleColour();
  ASSERT_TRUE(keyboard_->WaitForFrames(before + 3, 3s));
  EXPECT_FALSE(keyboard_->LightThreadResting());
  // Back to an effect the keyboard runs itself: rest again; shown, the steps go on.
  keyboard_->SetLightEffect(e);
  ASSERT_TRUE(eventually([&] { return keyboard_->LightThreadResting(); }));
  keyboard_->SetPreviewShown(true);
  ASSERT_TRUE(eventually([&] { return !keyboard_->LightThreadResting(); }));
  // Stopping a resting thread ends it at once.
  keyboard_->SetPreviewShown(false);
  ASSERT_TRUE(eventually([&] { return keyboard_->LightThreadResting(); }));
  keyboard_->StopLightThread();
  EXPECT_FALSE(keyboard_->LightThreadRunning());
}

TEST_F(KeyboardDeviceLightTest, StoppingEndsTheLightThreadAndFirstContactRestartsIt) {
  Connect(false);
  keyboard_->OnFirstContact();
  ASSERT_TRUE(keyboard_->LightThreadRunning());
  keyboard_->StopLightThread();
  EXPECT_FALSE(keyboard_->LightThreadRunning());
  keyboard_->OnFirstContact();
  EXPECT_TRUE(keyboard_->LightThreadRunning());
  ShowStyleColour();
  EXPECT_TRUE(keyboard_->WaitForFrames(keyboard_->FramesStreamed() + 1, 3s));
}

}  // namespace
}  // namespace orlo
