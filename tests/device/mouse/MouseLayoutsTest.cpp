// The mouse's byte layouts as pure functions, and the first contact that reads them: expected
// bytes are written out here, never computed by the code under test.
#include <filesystem>
#include <fstream>

#include "MouseDeviceTestSupport.h"
#include "device/mouse/MouseKeyTable.h"
#include "device/mouse/MouseSettingsBlock.h"
#include "profile/JsonFile.h"

namespace orlo {
namespace {

MouseSettingsBytes Filled(uint8_t value) {
  MouseSettingsBytes b;
  b.fill(value);
  return b;
}

TEST(MouseLayoutsTest, SettingsBlockPutsEveryFieldAtItsOffsetAndKeepsTheRest) {
  MouseSettings s;
  s.profileByte = 0;
  s.modeCode = 0x21;
  s.brightness = 3;
  s.speedIndex = 1;
  s.direction = 1;
  s.multicolour = 1;
  s.red = 0x10, s.green = 0x20, s.blue = 0x30;
  s.reportRate = 2;
  s.receiverReportRate = 4;
  s.activeStage = 3;
  s.stages = {DPIStage{1, 0, 400, 400, 1, 2, 3}, DPIStage{1, 1, 0x0320, 0x0640, 4, 5, 6}};
  s.byte59 = 1;
  s.screenWidth = 1920, s.screenHeight = 1080;
  s.liftMinSq = 7, s.liftPixThresh = 8;

  const MouseSettingsBytes wired = EncodeMouseSettings(Filled(0xEE), s, false);
  const std::vector<uint8_t> head(wired.begin(), wired.begin() + 33);
  EXPECT_EQ(head, (std::vector<uint8_t>{0x00, 0x21, 0x03, 0x03, 0x01, 0x01, 0x10, 0x20, 0x30, 0x00,  // 0-9
                                        0xEE, 0x02, 0x03, 0xEE,                                      // 10-13
                                        0x01, 0x00, 0x90, 0x01, 0x90, 0x01, 0x01, 0x02, 0x03,        // stage 0
                                        0x01, 0x01, 0x20, 0x03, 0x40, 0x06, 0x04, 0x05, 0x06,        // stage 1
                                        0xEE}));  // stage 2 untouched: the list has two
  EXPECT_EQ(wired[59], 0x01);
  EXPECT_EQ((std::vector<uint8_t>{wired[60], wired[61], wired[62], wired[63], wired[64], wired[65]}),
            (std::vector<uint8_t>{0x80, 0x07, 0x38, 0x04, 0x07, 0x08}));
  EXPECT_EQ(wired[66], 0xEE);
  EXPECT_EQ(wired[77], 0xEE);  // the receiver's rate only through the receiver

  const MouseSettingsBytes receiver = EncodeMouseSettings(Filled(0xEE), s, true);
  EXPECT_EQ(receiver[11], 0xEE);
  EXPECT_EQ(receiver[77], 0x04);

  // Read back: the speed byte 4 − index, and a byte beyond 4 reads as the slowest.
  const MouseSettings back = DecodeMouseSettings(wired);
  EXPECT_EQ(back.speedIndex, 1);
  ASSERT_EQ(back.stages.size(), 5u);
  EXPECT_EQ(back.stages[1], (DPIStage{1, 1, 0x0320, 0x0640, 4, 5, 6}));
  MouseSettingsBytes odd = wired;
  odd[3] = 9;
  EXPECT_EQ(DecodeMouseSettings(odd).speedIndex, 0);
}

TEST(MouseLayoutsTest, KeyMapFindsFactoryCodesAndTheTableTakesTheAssignments) {
  KeyTableBytes table{};
  // Entry 0: middle button (0x10 0x04 0x00), entry 1: left (0x10 0x01), entry 2: left again.
  const uint8_t entries[] = {0x10, 0x04, 0x00, 0x10, 0x01, 0x00, 0x10, 0x01, 0x00};
  std::copy(std::begin(entries), std::end(entries), table.begin());
  const MouseKeyMap map = BuildMouseKeyMap(table, 3);
  EXPECT_EQ(map[0], 1);  // the first match wins
  EXPECT_EQ(map[2], 0);
  EXPECT_EQ(map[1], kMouseNoEntry);
  EXPECT_EQ(BuildMouseKeyMap(table, 1)[0], kMouseNoEntry);  // only the entries the device reported

  std::vector<KeyAssign> list(kMouseButtons);
  list[0].SetCurrent(AssignCode{0x20, 0x04, 0x00});
  list[2].SetCurrent(AssignCode{0x70, 5, 0});  // a macro of the catalogue: slot 0
  std::vector<int> used;
  const KeyTableBytes written = EncodeMouseKeyTable(table, 9, map, list, 6, &used);
  EXPECT_EQ(std::vector<uint8_t>(written.begin(), written.begin() + 9),
            (std::vector<uint8_t>{0x70, 0x00, 0x00, 0x20, 0x04, 0x00, 0x10, 0x01, 0x00}));
  EXPECT_EQ(used, std::vector<int>{5});
}

class MouseFirstContactTest : public testing_support::MouseRig {
 protected:
  void TearDown() override {
    if (program_.empty()) {
      MouseRig::TearDown();
      return;
    }
    ::setenv("ORLO_PROGRAM_DIR", formerProgram_.c_str(), 1);
    MouseRig::TearDown();
  }
  // A program folder whose light catalogue gives the mouse's modes codes 20 above their index.
  void UseShiftedCatalogue() {
    formerProgram_ = std::getenv("ORLO_PROGRAM_DIR") ? std::getenv("ORLO_PROGRAM_DIR") : ORLO_SOURCE_DIR;
    program_ = root_ / "program";
    std::filesystem::create_directories(program_);
    std::filesystem::copy(std::filesystem::path(formerProgram_) / "DefaultData", program_ / "DefaultData",
                          std::filesystem::copy_options::recursive);
    const std::string path = (program_ / "DefaultData" / "default_light.json").string();
    Json::Value doc = CJsonFile().ReadDocument(path);
    for (Json::Value& mode : doc["DefaultLightName"][1]) mode["value"] = mode["value"].asInt() + 20;
    ASSERT_EQ(CJsonFile().WriteDocument(path, doc), 0);
    ::setenv("ORLO_PROGRAM_DIR", program_.c_str(), 1);
  }
  std::filesystem::path program_;
  std::string formerProgram_;
};

TEST_F(MouseFirstContactTest, TheModeReadAtFirstContactIsStoredAsItsIndex) {
  UseShiftedCatalogue();
  Connect(false);
  Poke(1, {22});  // the mouse runs code 22: mode 2 of this catalogue
  mouse_->OpenProfileList();
  mouse_->OnFirstContact();
  ASSERT_TRUE(mouse_->Session().Drain(std::chrono::seconds(5)));
  EXPECT_EQ(mouse_->GetLightEffect().mode, 2);
  const Json::Value doc = CJsonFile().ReadDocument(mouse_->GetProfileName());
  EXPECT_EQ(doc["Device"][0]["LightInfo"]["SelectItem"].asInt(), 2);
  EXPECT_EQ(Block(0)[1], 22);  // and it goes back out as its code
}

}  // namespace
}  // namespace orlo
