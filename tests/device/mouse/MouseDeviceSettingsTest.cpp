// The 78-byte settings block against the simulated mouse: first contact, the fields written
// from the profile, the bytes kept as read, and the guards around reads and writes.
#include <fstream>

#include "MouseDeviceTestSupport.h"
#include "profile/JsonFile.h"

namespace orlo {
namespace {

using testing_support::MouseRig;

class MouseDeviceSettingsTest : public MouseRig {};

TEST_F(MouseDeviceSettingsTest, FirstContactThenStageChangeWritesTheExpectedBlock) {
  // Bytes the driver does not own, so they must come back exactly as read.
  Poke(10, {0x5A});
  Poke(13, {0x6B});
  Poke(66, {0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A});
  Connect(false);
  mouse_->OnFirstContact();
  mouse_->StopLightThread();
  ASSERT_TRUE(std::filesystem::exists(DeviceFolder() + "2024_01_02_03_04_05_006.Json"));
  EXPECT_EQ(mouse_->KeyMap()[10], 10);
  EXPECT_EQ(mouse_->KeyMap()[0], 0);

  auto stages = mouse_->Profile().GetDPIStages();
  ASSERT_EQ(stages.size(), 5u);
  stages[2] = DPIStage{1, 1, 1234, 2345, 1, 2, 3};
  mouse_->Profile().SetDPIStages(stages);
  mouse_->NotifyProfileChanged();
  ASSERT_EQ(mouse_->ApplySettings(0, 0, 1, 1920, 1080), 1);

  const std::vector<uint8_t> expected = {
      0x00, 0x01, 0x04, 0x02, 0x01, 0x01, 0xFF, 0x00, 0x00, 0x00,  // mode code 1, light from the block,
      0x5A, 0x03, 0x01, 0x6B,                                      // direction from the profile
      0x01, 0x00, 0x90, 0x01, 0x90, 0x01, 0xFF, 0x00, 0x00,        // stage 0: 400
      0x01, 0x00, 0x20, 0x03, 0x20, 0x03, 0x00, 0xFF, 0x00,        // stage 1: 800
      0x01, 0x01, 0xD2, 0x04, 0x29, 0x09, 0x01, 0x02, 0x03,        // stage 2: changed
      0x01, 0x00, 0x80, 0x0C, 0x80, 0x0C, 0xFF, 0xFF, 0x00,        // stage 3: 3200
      0x01, 0x00, 0x00, 0x19, 0x00, 0x19, 0xFF, 0x00, 0xFF,        // stage 4: 6400
      0x01, 0x80, 0x07, 0x38, 0x04,                                // byte 59, screen size
      0x01, 0x02,                                                  // first selected correction
      0x70, 0x71, 0x72, 0x73, 0x74, 0x75, 0x76, 0x77, 0x78, 0x79, 0x7A,
      0x03};                                                       // receiver rate as read
  EXPECT_EQ(Block(0), expected);
  // The profile keeps what the mouse showed: the block's light effect and active stage.
  CJsonFile file;
  const Json::Value doc = file.ReadDocument(mouse_->GetProfileName());
  EXPECT_EQ(doc["Device"][0]["LightInfo"]["SelectItem"].asInt(), 1);
  EXPECT_EQ(doc["Device"][0]["DPIStages"]["StageDPIs"][2]["StageDPIX"].asInt(), 1234);
}

TEST_F(MouseDeviceSettingsTest, BlockFieldsFollowTheProfileAndTheLimits) {
  Connect(false);
  // Profile 2 is the active one: read from offset 256 and written back there.
  Poke(0, {2});
  Poke(256 + 6, {9, 8, 7});
  mouse_->LoadCatalogues();
  mouse_->LoadProfile();
  ASSERT_EQ(mouse_->ReadActiveSettings(), 1);
  EXPECT_EQ(mouse_->ActiveProfileNumber(), 2);
  EXPECT_EQ(mouse_->GetLightState().red, 9);
  const auto profile0 = Block(0);
  sim_->ClearLog();
  ASSERT_EQ(mouse_->ApplySettings(2, 0, 1, 0, 0), 1);
  bool wroteAt256 = false;
  for (const auto& r : sim_->Log())
    if (r.code == 6) {
      wroteAt256 |= r.offset == 256;
      EXPECT_GE(r.offset, 256);
    }
  EXPECT_TRUE(wroteAt256);
  EXPECT_EQ(Block(0), profile0);
  EXPECT_EQ(Block(2)[6], 9);

  // Only five stages fit the block: a longer list must not run into bytes 59 and on.
  auto stages = mouse_->Profile().GetDPIStages();
  stages.resize(7, DPIStage{1, 0, 0xEEEE, 0xEEEE, 0xEE, 0xEE, 0xEE});
  mouse_->Profile().SetDPIStages(stages);
  const auto read = Block(0);
  ASSERT_EQ(mouse_->ApplySettings(0, 0, 1, 0, 0), 1);
  const auto written = Block(0);
  EXPECT_EQ(std::vector<uint8_t>(written.begin() + 66, written.end()),
            std::vector<uint8_t>(read.begin() + 66, read.end()));

  // Speed is stored inverted; a speed beyond the table is taken as the fastest.
  LightInfo e = mouse_->GetLightEffect();
  for (auto [speed, stored] : {std::pair{0, 4}, {4, 0}, {9, 0}}) {
    e.speed = static_cast<uint8_t>(speed);
    mouse_->SetLightEffect(e);
    ASSERT_EQ(mouse_->ApplySettings(0, 0, 1, 0, 0), 1);
    EXPECT_EQ(Block(0)[3], stored) << "speed " << speed;
  }
  // Modes of 10 and more, and modes beyond the list, are written as mode 0's code.
  ASSERT_FALSE(mouse_->LightModes().empty());
  for (auto [mode, code] : {std::pair{9, mouse_->LightModes()[9].value}, {12, mouse_->LightModes()[0].value},
                            {200, mouse_->LightModes()[0].value}}) {
    e.mode = static_cast<uint8_t>(mode);
    mouse_->SetLightEffect(e);
    ASSERT_EQ(mouse_->ApplySettings(0, 0, 1, 0, 0), 1);
    EXPECT_EQ(Block(0)[1], code) << "mode " << mode;
  }
}

TEST_F(MouseDeviceSettingsTest, AShortStageListLeavesTheOtherStagesAsRead) {
  // A profile whose document holds three stages only.
  Json::Value doc = CJsonFile().ReadDocument(CTessaroMouseDevice(backend_).DefaultDocumentPath());
  ASSERT_TRUE(doc.isObject());
  Json::Value& list = doc["Device"][0]["DPIStages"]["StageDPIs"];
  Json::Value removed;
  list.removeIndex(4, &removed);
  list.removeIndex(3, &removed);
  std::filesystem::create_directories(DeviceFolder());
  ASSERT_EQ(CJsonFile().WriteDocument(DeviceFolder() + "2024_01_02_03_04_05_006.Json", doc), 0);
  Poke(14 + 27, {0, 1, 0x58, 0x1B, 0x58, 0x1B, 4, 5, 6});  // stage 3 on the mouse: 7000, off
  Connect(false);
  mouse_->LoadProfile();
  ASSERT_EQ(mouse_->Profile().GetDPIStages().size(), 3u);
  ASSERT_EQ(mouse_->ReadActiveSettings(), 1);
  const auto before = Block(0);
  ASSERT_EQ(mouse_->ApplySettings(0, 0, 1, 0, 0), 1);
  const auto after = Block(0);
  EXPECT_EQ(std::vector<uint8_t>(after.begin() + 41, after.begin() + 59),
            std::vector<uint8_t>(before.begin() + 41, before.begin() + 59));
  EXPECT_EQ(after[14 + 18 + 2], 0x40);  // stage 2 from the profile: 1600 = 0x0640
  EXPECT_EQ(after[14 + 18 + 3], 0x06);
}

TEST_F(MouseDeviceSettingsTest, NothingIsWrittenBeforeAGoodRead) {
  Connect(false);
  mouse_->LoadProfile();
  sim_->InjectFault(sim::Fault::StatusFailed, sim::FaultMode::Always);
  EXPECT_EQ(mouse_->ReadActiveSettings(), 0);
  EXPECT_FALSE(mouse_->HasSettingsBlock());
  sim_->ClearFaults();
  sim_->ClearLog();
  const auto before = Block(0);
  EXPECT_EQ(mouse_->ApplySettings(0, 0, 1, 0, 0), 0);
  EXPECT_EQ(CountOf(6), 0u);
  EXPECT_EQ(Block(0), before);
  // A failed re-read keeps the good block; a later write still carries the mouse's own bytes.
  Poke(70, {0x42});
  ASSERT_EQ(mouse_->ReadActiveSettings(), 1);
  sim_->InjectFault(sim::Fault::StatusRefused, sim::FaultMode::Always);
  EXPECT_EQ(mouse_->ReadActiveSettings(), 0);
  sim_->ClearFaults();
  ASSERT_EQ(mouse_->ApplySettings(0, 0, 1, 0, 0), 1);
  EXPECT_EQ(Block(0)[70], 0x42);
}

TEST_F(MouseDeviceSettingsTest, DefaultsReplaceTheProfileAndReachTheMouse) {
  Connect(false);
  mouse_->OnFirstContact();
  mouse_->StopLightThread();
  auto stages = mouse_->Profile().GetDPIStages();
  stages[0].dpiX = stages[0].dpiY = 5000;
  mouse_->Profile().SetDPIStages(stages);
  mouse_->NotifyProfileChanged();
  ASSERT_EQ(mouse_->ApplySettings(0, 0, 1, 0, 0), 1);
  ASSERT_EQ(Block(0)[16] | Block(0)[17] << 8, 5000);
  mouse_->ReloadProfile();
  EXPECT_EQ(Block(0)[16] | Block(0)[17] << 8, 400);  // the default document's stage 0
  const Json::Value doc = CJsonFile().ReadDocument(mouse_->GetProfileName());
  EXPECT_EQ(doc["Device"][0]["DPIStages"]["StageDPIs"][0]["StageDPIX"].asInt(), 400);
  // The default document itself is left alone.
  const Json::Value defaults = CJsonFile().ReadDocument(mouse_->DefaultDocumentPath());
  EXPECT_EQ(defaults["Device"][0]["DPIStages"]["StageDPIs"][0]["StageDPIX"].asInt(), 400);
}

TEST_F(MouseDeviceSettingsTest, PowerStateGoesToTheTab) {
  Connect(true);
  sim_->SetPowerState(57, 1, 0x21, 0);
  mouse_->PollBattery();
  const auto power = observer_.Power();
  ASSERT_EQ(power.size(), 6u);
  EXPECT_EQ(power[3], 1);  // through the receiver
  EXPECT_EQ(observer_.Count("OnPowerChanged"), 1);
  mouse_->SetPollingSuspended(true);
  sim_->ClearLog();
  mouse_->PollBattery();
  EXPECT_TRUE(Codes().empty());
}

TEST_F(MouseDeviceSettingsTest, AsleepReceiverGetsNothingButTheQuery) {
  Connect(true);
  mouse_->LoadProfile();
  ASSERT_EQ(mouse_->ReadActiveSettings(), 1);
  sim_->SetAsleep(true);
  sim_->ClearLog();
  EXPECT_EQ(mouse_->ApplySettings(0, 0, 1, 0, 0), 0);
  EXPECT_EQ(mouse_->WriteKeyAssignments(0, mouse_->KeyList()), 0);
  EXPECT_EQ(mouse_->WriteMacros({}), -1);
  EXPECT_EQ(mouse_->WriteShootData(), 0);
  EXPECT_EQ(mouse_->IsReachable(), 0);
  const auto codes = Codes();
  EXPECT_EQ(codes.size(), 5u);
  for (uint8_t c : codes) EXPECT_EQ(c, 0xAA);
  sim_->SetAsleep(false);
  sim_->ClearLog();
  EXPECT_EQ(mouse_->IsReachable(), 1);
  EXPECT_EQ(mouse_->ApplySettings(0, 0, 1, 0, 0), 1);
  EXPECT_EQ(CountOf(6), 4u);  // 78 bytes in 24-byte receiver chunks
}

}  // namespace
}  // namespace orlo
