// The keyboard driver's blocks against the simulated keyboard: the key tables read at first
// contact in the connection's chunks, a keyboard whose tables do not fit refused before anything
// is written, the 26-byte settings block field by field both ways, and an assignment written at
// the physical key its position owns.
#include <string>
#include <vector>

#include "KeyboardDeviceTestSupport.h"

namespace orlo {
namespace {

using testing_support::KeyboardRig;

class KeyboardDeviceBlocksTest : public KeyboardRig {};

using ChunkList = std::vector<std::pair<int, int>>;

TEST_F(KeyboardDeviceBlocksTest, FirstContactReadsTheTablesInTheConnectionsChunks) {
  Connect(false);
  ASSERT_EQ(keyboard_->ReadAll(), 1);
  // 104 keys: a 312-byte key table in five 56-byte reports and one of 32, and 104 LED bytes.
  EXPECT_EQ(Chunks(kCmdReadKeyTable), (ChunkList{{56, 0}, {56, 56}, {56, 112}, {56, 168}, {56, 224}, {32, 280}}));
  EXPECT_EQ(Chunks(kCmdReadKeyByteTable), (ChunkList{{56, 0}, {48, 56}}));
  const auto& map = keyboard_->PositionMap();
  EXPECT_EQ(map.KeyCount(), 104);
  // Esc is the first physical key, its LED the keyboard's LED 11; "A" is key 59 at LED 10.
  EXPECT_EQ(map.SlotOf(0), 0);
  EXPECT_EQ(map.LedOf(0), 11);
  EXPECT_EQ(map.SlotOf(64), 59);
  EXPECT_EQ(map.LedOf(64), 10);
  // A position this keyboard has no key for stays unconnected.
  EXPECT_EQ(map.SlotOf(16), 255);
  EXPECT_EQ(map.LedOf(16), 255);
}

TEST_F(KeyboardDeviceBlocksTest, ThroughTheReceiverTheTablesComeIn24ByteReports) {
  Connect(true);
  ASSERT_EQ(keyboard_->ReadAll(), 1);
  ChunkList expected;
  for (int at = 0; at < 312; at += 24) expected.emplace_back(24, at);
  EXPECT_EQ(Chunks(kCmdReadKeyTable), expected);
  EXPECT_EQ(keyboard_->PositionMap().LedOf(64), 10);
}

TEST_F(KeyboardDeviceBlocksTest, AKeyCountBeyondTheTablesIsRefusedAndNothingIsWritten) {
  const uint8_t keys = 200;  // 600 bytes of key table
  memory_->Write(sim::Area::Info, 5, &keys, 1);
  Connect(false);
  keyboard_->OnFirstContact();
  keyboard_->StopLightThread();
  EXPECT_FALSE(keyboard_->HasKeyTables());
  EXPECT_NE(keyboard_->LastError().find("200 keys"), std::string::npos) << keyboard_->LastError();
  EXPECT_EQ(CountOf(kCmdReadKeyTable), 0u);
  EXPECT_EQ(keyboard_->ApplySettings(0, 0, 0, 0, 0), 0);
  EXPECT_EQ(keyboard_->RewriteKeyAssignments(0), 0);
  EXPECT_EQ(keyboard_->StreamLightFrame(), 0);
  EXPECT_EQ(CountOf(kCmdWriteSettings), 0u);
  EXPECT_EQ(CountOf(kCmdWriteKeyTable), 0u);
  EXPECT_EQ(CountOf(kCmdStreamLightFrame), 0u);
}

TEST_F(KeyboardDeviceBlocksTest, SettingsBlockIsWrittenFieldByFieldFromTheProfile) {
  Connect(false);
  keyboard_->LoadCatalogues();
  ASSERT_EQ(keyboard_->ReadAll(), 1);
  keyboard_->LoadProfile();
  LightInfo e = keyboard_->GetLightEffect();
  e.mode = 6, e.brightness = 3, e.speed = 1, e.direction = 1, e.multiColor = 0;
  e.red = 0x12, e.green = 0x34, e.blue = 0x56, e.secondMode = 2, e.customGroup = 5;
  keyboard_->SetLightEffect(e);
  KeyboardSystemStages s;
  s.repeat = 20, s.repeatDelay = 2, s.key6Flag = 1, s.pollingRate = 2, s.wFlag = 1, s.winFlag = 0;
  keyboard_->SetSystemSettings(s);
  ASSERT_EQ(keyboard_->ApplySettings(0, 0, 0, 0, 0), 1);
  const std::vector<uint8_t> expected = {
      0x00,              // active profile (the caller's value)
      0x06,              // effect code of index 6
      0x03,              // brightness
      0x03,              // 4 - speed index 1
      0x01, 0x00,        // direction, multicolour
      0x12, 0x34, 0x56,  // colour
      0, 0, 0, 0, 0, 0, 0, 0, 0,
      0x02,              // second mode
      0x01, 0x01, 0x00,  // WFlag, Key6Flag, WinFlag
      0x02,              // report rate index
      0x00, 0x00,
      0x05};             // custom colour group
  EXPECT_EQ(sim_->SettingsBlock(0), expected);
  EXPECT_EQ(Chunks(kCmdWriteSettings), (ChunkList{{26, 0}}));
}

TEST_F(KeyboardDeviceBlocksTest, HostDrivenEffectGoesOutAs0xFEAndReadingItBackKeepsThePagesEffect) {
  Connect(false);
  keyboard_->LoadCatalogues();
  ASSERT_EQ(keyboard_->ReadAll(), 1);
  keyboard_->LoadProfile();
  LightInfo e = keyboard_->GetLightEffect();
  e.mode = 29, e.speed = 0, e.brightness = 4;
  keyboard_->SetLightEffect(e);
  ASSERT_EQ(keyboard_->ApplySettings(0, 0, 0, 0, 0), 1);
  EXPECT_EQ(sim_->SettingsBlock(0)[1], 0xFE);
  EXPECT_EQ(sim_->SettingsBlock(0)[3], 0x04);  // speed index 0 stored as 4
  // The keyboard reports 0xFE with another colour: the page stays on its effect, takes the rest.
  const uint8_t colour[3] = {0x0A, 0x0B, 0x0C};
  memory_->Write(sim::Area::Settings, 6, colour, 3);
  ASSERT_EQ(keyboard_->ReadActiveSettings(), 1);
  const LightInfo read = keyboard_->GetLightEffect();
  EXPECT_EQ(read.mode, 29);
  EXPECT_EQ(read.speed, 0);
  EXPECT_EQ(read.red, 0x0A);
  EXPECT_EQ(read.blue, 0x0C);
  // A code of its own is taken as the effect index; the switches come along, into the profile.
  const uint8_t fields[3] = {8, 2, 1};  // effect 8, brightness 2, speed byte 1 (speed index 3)
  memory_->Write(sim::Area::Settings, 1, fields, 3);
  const uint8_t flags[3] = {1, 0, 1};  // WFlag, Key6Flag, WinFlag
  memory_->Write(sim::Area::Settings, 19, flags, 3);
  ASSERT_EQ(keyboard_->ReadActiveSettings(), 1);
  EXPECT_EQ(keyboard_->GetLightEffect().mode, 8);
  EXPECT_EQ(keyboard_->GetLightEffect().brightness, 2);
  EXPECT_EQ(keyboard_->GetLightEffect().speed, 3);
  const KeyboardSystemStages s = keyboard_->SystemSettings();
  EXPECT_EQ(s.wFlag, 1);
  EXPECT_EQ(s.key6Flag, 0);
  EXPECT_EQ(s.winFlag, 1);
}

TEST_F(KeyboardDeviceBlocksTest, AnAssignmentIsWrittenAtThePhysicalKeyOfItsPosition) {
  Connect(false);
  keyboard_->LoadCatalogues();
  ASSERT_EQ(keyboard_->ReadAll(), 1);
  keyboard_->LoadProfile();
  keyboard_->SetKeyAssignment(64, {0x20, 0x00, 0x05});  // "A" sends "B"
  sim_->ClearLog();
  ASSERT_EQ(keyboard_->RewriteKeyAssignments(0), 1);
  EXPECT_EQ(Chunks(kCmdWriteKeyTable), (ChunkList{{56, 0}, {56, 56}, {56, 112}, {56, 168}, {56, 224}, {32, 280}}));
  const std::vector<uint8_t> table = KeyTable();
  // Physical key 59 holds position 64; its neighbours and Esc keep their factory codes.
  EXPECT_EQ(std::vector<uint8_t>(table.begin() + 174, table.begin() + 183),
            (std::vector<uint8_t>{0x20, 0x00, 0x39, 0x20, 0x00, 0x05, 0x20, 0x00, 0x16}));
  EXPECT_EQ(std::vector<uint8_t>(table.begin(), table.begin() + 3), (std::vector<uint8_t>{0x20, 0x00, 0x29}));
}

}  // namespace
}  // namespace orlo
