// The mousepad's lighting block: its byte layout both ways, and the driver reading it at
// profile × 25 and writing it at profile × 64 on the simulated pad.
#include <gtest/gtest.h>

#include <vector>

#include "base/DeviceKinds.h"
#include "device/model/LightSettingsImage.h"
#include "device/mousepad/TessaroMousePadDevice.h"
#include "sim/SimMousepad.h"
#include "device/mousepad/StripDeviceRig.h"

namespace orlo {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes Vec(const LightImageBytes& b) { return Bytes(b.begin(), b.end()); }

// A mode list whose codes differ from their indexes, so a missed translation shows.
std::vector<BuiltInLightEntry> Modes() {
  std::vector<BuiltInLightEntry> modes;
  for (int i = 0; i < 9; ++i) modes.push_back({"m", true, 0x20 + i});
  return modes;
}

TEST(LightImageLayout, DecodeAndEncodeTranslateModeAndSpeedAndKeepTheDevicesBytes) {
  const Bytes read = {9,    0x27, 3,    3,    1,    1,    0x10, 0x20, 0x30, 0xA1, 0xA2, 0xA3, 0xA4,
                      0xA5, 0xA6, 0xA7, 0xA8, 0xA9, 0xAA, 0xAB, 0xAC, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
  const LightImageBytes image = DecodeLightImage(read.data(), 2, ModeIndexOf(Modes(), read[1]));
  // Byte 0 the active profile, mode code 0x27 is index 7, speed byte 3 is index 1; bytes 21-25
  // of the read are not kept.
  EXPECT_EQ(Vec(image), (Bytes{2, 7, 3, 1, 1, 1, 0x10, 0x20, 0x30, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7,
                               0xA8, 0xA9, 0xAA, 0xAB, 0xAC}));
  // Back on the wire: code and inverted speed; two encodings send the same block.
  const LightImageBytes wire = EncodeLightImage(image, static_cast<uint8_t>(ModeCodeOf(Modes(), image[1], 9)));
  EXPECT_EQ(Vec(wire), (Bytes{2, 0x27, 3, 3, 1, 1, 0x10, 0x20, 0x30, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7,
                              0xA8, 0xA9, 0xAA, 0xAB, 0xAC}));
  EXPECT_EQ(Vec(EncodeLightImage(image, 0x27)), Vec(wire));
}

TEST(LightImageLayout, OutOfRangeValuesAreBroughtIntoRange) {
  // Mode 9 and beyond, and a mode beyond the list, go out as the code of mode 0.
  EXPECT_EQ(ModeCodeOf(Modes(), 9, 9), 0x20);
  EXPECT_EQ(ModeCodeOf(Modes(), 200, 9), 0x20);
  EXPECT_EQ(ModeCodeOf(Modes(), 8, 9), 0x28);
  EXPECT_EQ(ModeCodeOf({}, 5, 9), 5);
  // An unknown code stays as it was read.
  const Bytes read(26, 0x33);
  EXPECT_EQ(DecodeLightImage(read.data(), 0, ModeIndexOf(Modes(), 0x33))[1], 0x33);
  // A speed byte beyond 4 reads as the slowest index, never as a wrapped-round 250-odd.
  EXPECT_EQ(SpeedIndexOfWire(9), 0);
  EXPECT_EQ(SpeedIndexOfWire(0), 4);
  EXPECT_EQ(WireOfSpeedIndex(1), 3);
  EXPECT_EQ(WireOfSpeedIndex(7), 0);
}

using PadRig = testing_support::StripDeviceRig<CTessaroMousePadDevice, sim::SimMousepad>;

TEST_F(PadRig, ReadsAtProfileTimes25AndWritesAtProfileTimes64) {
  Connect("mousepad", kKindMousePad);
  // Active profile 1; its block read from offset 25.
  Poke(0, {1});
  Poke(25, {7, 6, 2, 1, 1, 0, 0x11, 0x22, 0x33, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8, 0xB9, 0xBA, 0xBB,
            0xBC, 0xCC, 0xCC, 0xCC, 0xCC, 0xCC});
  sim_->ClearLog();
  ASSERT_EQ(driver_->ReadActiveSettings(), 1);
  // 26 bytes in the wired link's 24-byte chunks.
  EXPECT_EQ(Commands(), (std::vector<std::vector<int>>{{kCmdReadSettings, 0, 1}, {kCmdReadSettings, 25, 24},
                                                       {kCmdReadSettings, 49, 2}}));
  EXPECT_EQ(driver_->ActiveProfileNumber(), 1);

  // The page's effect: mode 3 (static), level 4, speed 1, single colour.
  LightInfo e;
  e.mode = 3;
  e.brightness = 4;
  e.speed = 1;
  e.red = 0x40;
  e.green = 0x50;
  e.blue = 0x60;
  driver_->SetLightEffect(e);
  sim_->ClearLog();
  ASSERT_EQ(driver_->ApplySettings(0, 0, 0, 0, 0), 1);
  const Bytes expected = {1, 3, 4, 3, 1, 0, 0x40, 0x50, 0x60, 0xB1, 0xB2, 0xB3, 0xB4, 0xB5, 0xB6, 0xB7, 0xB8,
                          0xB9, 0xBA, 0xBB, 0xBC};
  EXPECT_EQ(Peek(0, 21), expected);
  EXPECT_EQ(Commands(), (std::vector<std::vector<int>>{{kCmdBeginConfig, 0, 0}, {kCmdWriteSettings, 0, 21}, {kCmdEndConfig, 0, 0}}));
  // Profile 2 goes to 128, and the image kept its index and speed: the same block again.
  ASSERT_EQ(driver_->ApplySettings(2, 0, 0, 0, 0), 1);
  EXPECT_EQ(Peek(128, 21), expected);
}

TEST_F(PadRig, NothingIsWrittenBeforeAGoodReadAndAFailedReadKeepsTheImage) {
  Connect("mousepad", kKindMousePad);
  sim_->ClearLog();
  EXPECT_EQ(driver_->ApplySettings(0, 0, 0, 0, 0), 0);
  EXPECT_TRUE(Commands().empty());

  ASSERT_EQ(driver_->ReadActiveSettings(), 1);
  const LightImageBytes before = driver_->SettingsImage().Bytes();
  Poke(0, {0, 5, 5, 5, 5, 5, 5, 5, 5, 5, 5});
  // The block read fails (the profile number read before it is answered).
  sim_->ClearLog();
  sim_->InjectFault(sim::Fault::StatusFailed, sim::FaultMode::Always);
  EXPECT_EQ(driver_->ReadActiveSettings(), 0);
  sim_->ClearFaults();
  EXPECT_EQ(Vec(driver_->SettingsImage().Bytes()), Vec(before));
}

TEST_F(PadRig, FirstContactReadsTheBlockAndWritesTheProfilesEffectOverIt) {
  Connect("mousepad", kKindMousePad);
  Poke(9, {0xD1, 0xD2});
  driver_->OnFirstContact();
  EXPECT_TRUE(driver_->LightThreadRunning());
  LightInfo e = driver_->GetLightEffect();
  e.mode = 9;  // no such built-in mode: sent as mode 0
  e.speed = 0;
  driver_->SetLightEffect(e);
  ASSERT_EQ(driver_->Commit(), 1);
  const Bytes written = Peek(0, 11);
  EXPECT_EQ(written[1], 0);
  EXPECT_EQ(written[3], 4);
  EXPECT_EQ(written[9], 0xD1);
  EXPECT_EQ(written[10], 0xD2);
  driver_->StopLightThread();
}

}  // namespace
}  // namespace orlo

namespace orlo {
namespace {

TEST_F(PadRig, OnlyTheResyncEventAsksForAReloadAndClosingEndsTheListener) {
  Connect("mousepad", kKindMousePad);
  InterfaceEntry companion;
  for (const auto& p : backend_->PathsOf("mousepad"))
    if (p.find("&col03") != std::string::npos) companion.devicePath = p;
  ASSERT_FALSE(companion.devicePath.empty());
  driver_->OpenEvents(companion);
  ASSERT_TRUE(driver_->CompanionOpen());
  // 0x402 is taken and ignored (the listener waits for the next report); then 0x401 asks for a
  // reload after 500 ms.
  ASSERT_TRUE(sim_->WaitForBlockedReads(1));
  ASSERT_TRUE(sim_->SendCompanionEvent(0x402));
  ASSERT_TRUE(sim_->WaitForBlockedReads(2));
  EXPECT_EQ(observer_.Count("OnReloadRequested 500"), 0);
  ASSERT_TRUE(sim_->SendCompanionEvent(0x401));
  ASSERT_TRUE(observer_.WaitFor("OnReloadRequested 500", 1, std::chrono::seconds(5)));
  driver_->CloseEvents(kKindMousePad);
  EXPECT_FALSE(driver_->CompanionOpen());
}

}  // namespace
}  // namespace orlo

namespace orlo {
namespace {

TEST_F(PadRig, ANewModeStartsTheChaseAfreshAndAColourChangeKeepsItGoing) {
  Connect("mousepad", kKindMousePad);
  LightInfo e = driver_->GetLightEffect();
  e.mode = 7, e.brightness = 4, e.direction = 0, e.multiColor = 0;
  driver_->SetLightEffect(e);
  CLightPreview& preview = driver_->Preview();
  auto step = [&] {
    const auto plan = preview.PlanFor(7, e.speed);
    (preview.*plan.step)();
  };
  for (int i = 0; i < 3; ++i) step();
  EXPECT_EQ(preview.Leds().Get(1).brightness, 214);
  EXPECT_EQ(preview.Ring(1), 1);
  e.red = 1;  // same mode: the chase goes on where it was
  driver_->SetLightEffect(e);
  EXPECT_EQ(preview.Ring(1), 1);
  EXPECT_EQ(preview.Intensity(1), 215);
  e.mode = 6;  // another mode: cleared, first ring place lit
  driver_->SetLightEffect(e);
  EXPECT_EQ(preview.Ring(0), 1);
  EXPECT_EQ(preview.Ring(1), 0);
  EXPECT_EQ(preview.Intensity(1), 0);
}


TEST_F(PadRig, TheProfilesLightListDrawsItsLedsOverTheModesFrame) {
  Connect("mousepad", kKindMousePad);
  Json::Value doc;
  Json::Reader().parse(R"({"Device": [{
      "LightInfo": {"SelectItem": 3, "Light": 4, "Red": 10, "Green": 20, "Blue": 30},
      "LightList": [{"LEDREGMode": 4}, {"LEDREGMode": 1, "LEDBrightness": 2, "red": 9, "green": 8, "blue": 7}]}]})",
                       doc);
  {
    auto lock = driver_->ModelLock();
    driver_->Profile().UseDocument(doc);
    driver_->LoadProfileIntoState();
  }
  CLightPreview& preview = driver_->Preview();
  const auto plan = preview.PlanFor(3, 0);
  (preview.*plan.step)();
  EXPECT_EQ(preview.Leds().Get(0), (LedValue{0, 0, 0, 0}));      // listed: off
  EXPECT_EQ(preview.Leds().Get(1), (LedValue{9, 8, 7, 135}));    // listed: static, level 2
  EXPECT_EQ(preview.Leds().Get(2), (LedValue{10, 20, 30, 255})); // not listed: the static mode
}

}  // namespace
}  // namespace orlo
