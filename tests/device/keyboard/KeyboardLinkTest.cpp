// The keyboard's blocks through the command link against the simulated keyboard: the key tables
// read in their chunks and turned into position maps, an assignment written to the slot its
// position owns, a colour group and a streamed frame laid out through the keyboard's LED table.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "device/keyboard/KeyLightFrame.h"
#include "device/keyboard/KeyLightGroup.h"
#include "device/keyboard/KeyPositionMap.h"
#include "device/link/DeviceLink.h"
#include "sim/SimBackend.h"
#include "sim/SimKeyboard.h"

namespace orlo::keyboard {
namespace {

class KeyboardLinkTest : public ::testing::Test {
 protected:
  // The wired keyboard, its command interface opened by the link.
  void Connect() {
    sim::SimOptions options;
    options.persist = false;
    backend_ = sim::MakeSimBackend("keyboard", options);
    keyboard_ = std::dynamic_pointer_cast<sim::SimKeyboard>(backend_->Device("keyboard"));
    ASSERT_TRUE(keyboard_);
    link_ = std::make_unique<CDeviceLink>(backend_);
    std::string path;
    for (const auto& p : backend_->PathsOf("keyboard"))
      if (p.find("&col04") != std::string::npos) path = p;
    ASSERT_EQ(link_->OpenChannel(false, path), 1);
    link_->SetMode(1);
    link_->SetOpen(true);
  }

  // The first contact's reads: information block, key table and key LED table.
  void ReadTables() {
    DeviceInfo info;
    ASSERT_EQ(link_->ReadDeviceInfo(info), 1);
    keys_ = info.bytes[5];
    ASSERT_EQ(link_->SetConfigSize(static_cast<uint16_t>(keys_ * 3)), 1);
    keyboard_->ClearLog();
    ASSERT_EQ(link_->ReadKeyTable(table_.data(), table_.size()), 1);
    ASSERT_EQ(link_->ReadKeyByteTable(leds_.data(), leds_.size()), 1);
    std::string error;
    ASSERT_TRUE(map_.Build(keys_, table_, std::span<const uint8_t>(leds_.data(), static_cast<size_t>(keys_)), &error))
        << error;
  }

  // (offset, length) of each command of a code the keyboard received since the last clear.
  std::vector<std::pair<int, int>> Chunks(uint8_t code) const {
    std::vector<std::pair<int, int>> chunks;
    for (const auto& r : keyboard_->Log())
      if (r.code == code) chunks.push_back({r.offset, r.length});
    return chunks;
  }

  std::shared_ptr<sim::SimBackend> backend_;
  std::shared_ptr<sim::SimKeyboard> keyboard_;
  std::unique_ptr<CDeviceLink> link_;
  int keys_ = 0;
  std::array<uint8_t, 512> table_{};
  std::array<uint8_t, 512> leds_{};
  CKeyPositionMap map_;
};

TEST_F(KeyboardLinkTest, TablesComeInChunksAndGiveEachPositionItsKeyAndLed) {
  Connect();
  ReadTables();
  EXPECT_EQ(keys_, 104);
  EXPECT_EQ(Chunks(kCmdReadKeyTable),
            (std::vector<std::pair<int, int>>{{0, 56}, {56, 56}, {112, 56}, {168, 56}, {224, 56}, {280, 32}}));
  EXPECT_EQ(Chunks(kCmdReadKeyByteTable), (std::vector<std::pair<int, int>>{{0, 56}, {56, 48}}));
  // Esc, F1, the back-quote key and the Fn key: their slots on this keyboard, and LEDs that are
  // not the slots (the keyboard's LED chain scatters them).
  EXPECT_EQ(map_.SlotOf(0), 0);
  EXPECT_EQ(map_.LedOf(0), 11);
  EXPECT_EQ(map_.SlotOf(1), 1);
  EXPECT_EQ(map_.LedOf(1), 48);
  EXPECT_EQ(map_.SlotOf(21), 16);
  EXPECT_EQ(map_.LedOf(21), 83);
  EXPECT_EQ(map_.SlotOf(110), 95);
  EXPECT_EQ(map_.LedOf(110), 94);
  // The game-mode key and the macro keys are not on this keyboard.
  EXPECT_EQ(map_.SlotOf(16), CKeyPositionMap::kNone);
  EXPECT_EQ(map_.SlotOf(120), CKeyPositionMap::kNone);
}

TEST_F(KeyboardLinkTest, AnAssignmentReachesTheSlotOfItsPosition) {
  Connect();
  ReadTables();
  std::vector<KeyAssign> list;
  for (int p = 0; p < 170; ++p) {
    KeyAssign a;
    a.key = a.defaultKey = static_cast<uint16_t>(p);
    a.SetCurrent(KeyPositionCodes()[p]);
    list.push_back(a);
  }
  list[21].SetCurrent({0x30, 0xCD, 0x00});  // the back-quote key plays and pauses
  const auto block = EncodeKeyTable(map_, table_, list, 0);
  ASSERT_EQ(block.size(), 312u);
  keyboard_->ClearLog();
  ASSERT_EQ(link_->BeginConfig(), 1);
  ASSERT_EQ(link_->WriteKeyTable(block.data(), block.size(), 0), 1);
  ASSERT_EQ(link_->EndConfig(), 1);
  EXPECT_EQ(Chunks(kCmdWriteKeyTable).size(), 6u);
  const auto stored = keyboard_->Memory().Snapshot(sim::Area::KeyTable);
  EXPECT_EQ(std::vector<uint8_t>(stored.begin() + 45, stored.begin() + 54),
            (std::vector<uint8_t>{0x20, 0x00, 0x48, 0x30, 0xCD, 0x00, 0x20, 0x00, 0x1E}))
      << "slot 15 (Pause) and slot 17 (1) untouched, slot 16 changed";
}

TEST_F(KeyboardLinkTest, FramesAndGroupsAreLaidOutThroughTheLedTable) {
  Connect();
  ReadTables();
  CLedState leds(170);
  leds.Set(0, {10, 20, 30}, 255);     // Esc: LED 11
  leds.Set(21, {200, 100, 50}, 128);  // back-quote: LED 83
  leds.Set(120, {9, 9, 9}, 255);      // a macro key this keyboard lacks
  leds.Set(169, {7, 7, 7}, 255);      // a position no key has

  const auto frame = BuildKeyFrame(map_, leds, FrameColours::Scaled);
  ASSERT_EQ(frame.size(), 312u);
  std::array<uint8_t, 311> tooShort{};
  EXPECT_FALSE(BuildKeyFrame(map_, leds, FrameColours::Scaled, tooShort));
  std::vector<uint8_t> expected(312, 0);
  expected[33] = 9, expected[34] = 19, expected[35] = 29;
  expected[249] = 100, expected[250] = 50, expected[251] = 25;
  EXPECT_EQ(frame, expected);

  keyboard_->ClearStreamedFrames();
  ASSERT_EQ(link_->StreamLightFrame(frame.data(), frame.size()), 1);
  const auto streamed = keyboard_->StreamedFrames();
  ASSERT_EQ(streamed.size(), 1u);
  EXPECT_TRUE(streamed[0].Complete());
  EXPECT_EQ(streamed[0].bytes, expected);

  // The per-key colour effect's group 3, colours as stored.
  std::vector<LightColor> colours(170);
  colours[0] = {10, 20, 30, 255};
  colours[21] = {200, 100, 50, 128};
  const auto group = BuildLightGroup(map_, colours, FrameColours::AsStored);
  ASSERT_EQ(LightGroupOffset(3), 1536);
  EXPECT_EQ(LightGroupOffset(8), -1) << "the keyboard keeps eight groups";
  EXPECT_EQ(LightGroupOffset(-1), -1);
  ASSERT_EQ(link_->WriteLightData(group.data(), group.size(), 3, kLightGroupBytes), 1);
  const auto light = keyboard_->Memory().Snapshot(sim::Area::LightData);
  EXPECT_EQ(std::vector<uint8_t>(light.begin() + 1536 + 33, light.begin() + 1536 + 36),
            (std::vector<uint8_t>{10, 20, 30}));
  EXPECT_EQ(std::vector<uint8_t>(light.begin() + 1536 + 249, light.begin() + 1536 + 252),
            (std::vector<uint8_t>{200, 100, 50}));
  EXPECT_EQ(light[1536 + 0], 0);
  EXPECT_EQ(light[2 * 512 + 33], 0) << "group 2 untouched";
}

}  // namespace
}  // namespace orlo::keyboard
