// Key positions to physical keys and LEDs, and the key table written from a profile's key list.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/keyboard/KeyLightFrame.h"
#include "device/keyboard/KeyPositionMap.h"

namespace orlo::keyboard {
namespace {

// Four keys: Esc (position 0), an unassigned key, F1 (position 1), another unassigned key.
const std::vector<uint8_t> kTable = {0x20, 0x00, 0x29, 0x20, 0x00, 0x00, 0x20, 0x00, 0x3A, 0x20, 0x00, 0x00};
const std::vector<uint8_t> kLeds = {2, 0, 3, 1};

KeyAssign Record(int position, AssignCode current, AssignCode fallback) {
  KeyAssign a;
  a.key = a.defaultKey = static_cast<uint16_t>(position);
  a.SetCurrent(current);
  a.defaultType = fallback.type, a.defaultCode1 = fallback.code1, a.defaultCode2 = fallback.code2;
  return a;
}

// A key list of all 170 positions at their factory codes.
std::vector<KeyAssign> FactoryList() {
  std::vector<KeyAssign> list;
  for (int p = 0; p < 170; ++p) list.push_back(Record(p, KeyPositionCodes()[p], KeyPositionCodes()[p]));
  return list;
}

TEST(KeyPositionMapTest, PositionsFindTheirKeyByFactoryCodeFirstMatchFirst) {
  CKeyPositionMap map;
  ASSERT_TRUE(map.Build(4, kTable, kLeds));
  EXPECT_EQ(map.TableBytes(), 12);
  EXPECT_EQ(map.SlotOf(0), 0);
  EXPECT_EQ(map.LedOf(0), 2);
  EXPECT_EQ(map.SlotOf(1), 2);
  EXPECT_EQ(map.LedOf(1), 3);
  // Every position coded 20.00.00 reaches the first unassigned key; position 18 is the first.
  for (int p : {18, 19, 20, 104, 126, 169}) {
    EXPECT_EQ(map.SlotOf(p), 1) << p;
    EXPECT_EQ(map.LedOf(p), 0) << p;
  }
  EXPECT_EQ(map.OwnerOf(1), 18);
  EXPECT_TRUE(map.Owns(18));
  EXPECT_FALSE(map.Owns(19));
  EXPECT_EQ(map.OwnerOf(3), -1) << "the second unassigned key has no position";
  // F2 (position 2) is not on this keyboard.
  EXPECT_EQ(map.SlotOf(2), CKeyPositionMap::kNone);
  EXPECT_EQ(map.LedOf(2), CKeyPositionMap::kNone);
  EXPECT_FALSE(map.Owns(2));
  EXPECT_EQ(map.SlotOf(-1), CKeyPositionMap::kNone);
  EXPECT_EQ(map.SlotOf(170), CKeyPositionMap::kNone);
}

TEST(KeyPositionMapTest, DeviceBytesOutOfRangeAreRefusedOrDropped) {
  CKeyPositionMap map;
  ASSERT_TRUE(map.Build(4, kTable, kLeds));
  std::string error;
  const std::vector<uint8_t> big(171 * 3, 0x20);
  EXPECT_FALSE(map.Build(171, big, big, &error));
  EXPECT_NE(error.find("171 keys"), std::string::npos) << error;
  EXPECT_NE(error.find("513 bytes"), std::string::npos) << error;
  EXPECT_NE(error.find("512"), std::string::npos) << error;
  EXPECT_EQ(map.KeyCount(), 4) << "a refused build keeps the maps";
  EXPECT_EQ(map.LedOf(1), 3);
  EXPECT_FALSE(map.Build(-1, kTable, kLeds, &error));
  EXPECT_FALSE(map.Build(5, kTable, std::vector<uint8_t>(5), &error)) << "5 keys need 15 table bytes";
  EXPECT_NE(error.find("15"), std::string::npos) << error;
  EXPECT_FALSE(map.Build(4, kTable, std::vector<uint8_t>{2, 0, 3}, &error));
  ASSERT_TRUE(map.Build(170, std::vector<uint8_t>(510), std::vector<uint8_t>(170)));

  // An LED index the frame does not have (a frame holds K LEDs) leaves the key dark.
  ASSERT_TRUE(map.Build(4, kTable, std::vector<uint8_t>{2, 0, 4, 255}));
  EXPECT_EQ(map.LedOf(0), 2);
  EXPECT_EQ(map.LedOf(1), CKeyPositionMap::kNone);
  EXPECT_EQ(map.SlotOf(1), 2) << "the key itself is still there";
}

TEST(KeyPositionMapTest, AnAssignmentGoesToThePhysicalKeyItsPositionOwns) {
  CKeyPositionMap map;
  ASSERT_TRUE(map.Build(4, kTable, kLeds));
  auto list = FactoryList();
  list[1].SetCurrent({0x30, 0xE9, 0x00});   // F1 becomes volume up
  list[18].SetCurrent({0x20, 0x02, 0x04});  // the unassigned key becomes Shift+A
  // Position 19 shares that key and still holds its factory code: it must not overwrite it.
  const auto table = EncodeKeyTable(map, kTable, list, 0);
  EXPECT_EQ(table, (std::vector<uint8_t>{0x20, 0x00, 0x29, 0x20, 0x02, 0x04, 0x30, 0xE9, 0x00, 0x20, 0x00, 0x00}));
  // A short list leaves the positions it does not reach as they are.
  list.resize(2);
  EXPECT_EQ(EncodeKeyTable(map, kTable, list, 0),
            (std::vector<uint8_t>{0x20, 0x00, 0x29, 0x20, 0x00, 0x00, 0x30, 0xE9, 0x00, 0x20, 0x00, 0x00}));
  EXPECT_TRUE(EncodeKeyTable(map, std::vector<uint8_t>(11), list, 0).empty()) << "current table too short";
}

TEST(KeyPositionMapTest, AFrameShowsTheOwnersColourOnASharedKey) {
  CKeyPositionMap map;
  ASSERT_TRUE(map.Build(4, kTable, kLeds));
  CLedState leds(170);
  leds.Set(0, {1, 2, 3}, 255);
  leds.Set(18, {200, 0, 0}, 255);  // owns the unassigned key, LED 0
  leds.Set(19, {0, 0, 200}, 255);  // shares it
  leds.Set(169, {0, 0, 100}, 255);
  EXPECT_EQ(BuildKeyFrame(map, leds, FrameColours::AsStored),
            (std::vector<uint8_t>{200, 0, 0, 0, 0, 0, 1, 2, 3, 0, 0, 0}));
}

TEST(KeyPositionMapTest, MacrosAreNumberedBySlotInPositionOrderAndDeletedOnesFallBack) {
  // Five keys: Esc, F1, F2, F3, F4 (positions 0-4), with the key table in reverse position order
  // so that slot order and position order differ.
  const std::vector<uint8_t> table = {0x20, 0x00, 0x3D, 0x20, 0x00, 0x3C, 0x20, 0x00, 0x3B,
                                      0x20, 0x00, 0x3A, 0x20, 0x00, 0x29};
  CKeyPositionMap map;
  ASSERT_TRUE(map.Build(5, table, std::vector<uint8_t>{0, 1, 2, 3, 4}));
  auto list = FactoryList();
  list[0].SetCurrent({0x70, 7, 2});
  list[1].SetCurrent({0x71, 3, 5});
  list[2].SetCurrent({0x70, 7, 0});
  list[3] = Record(3, {0x70, 9, 1}, {0x20, 0x00, 0x04});  // macro 9 of 9 is deleted: back to A
  EXPECT_EQ(UsedMacros(map, list, 9), (std::vector<int>{7, 3}));
  EXPECT_EQ(EncodeKeyTable(map, table, list, 9),
            (std::vector<uint8_t>{0x20, 0x00, 0x3D,    // slot 0: F4, position 4, untouched
                                  0x20, 0x00, 0x04,    // slot 1: F3 back to its default
                                  0x70, 0x00, 0x00,    // slot 2: F2, macro 7 → slot 0
                                  0x71, 0x01, 0x05,    // slot 3: F1, macro 3 → slot 1
                                  0x70, 0x00, 0x02})); // slot 4: Esc, macro 7 → slot 0
  // Without a readable catalogue every macro counts as deleted: all four keys take their defaults.
  EXPECT_TRUE(UsedMacros(map, list, 0).empty());
  EXPECT_EQ(EncodeKeyTable(map, table, list, 0),
            (std::vector<uint8_t>{0x20, 0x00, 0x3D, 0x20, 0x00, 0x04, 0x20, 0x00, 0x3B, 0x20, 0x00, 0x3A, 0x20, 0x00, 0x29}));
  // The kept list itself is not changed.
  EXPECT_EQ(list[0].Current(), (AssignCode{0x70, 7, 2}));
}

}  // namespace
}  // namespace orlo::keyboard
