// The keyboard's 26-byte settings block: each field at its offset, the effect value translated
// both ways, the host-drawn effects as 0xFE, and the speed stored inverted.
#include <gtest/gtest.h>

#include <vector>

#include "device/keyboard/KeyboardSettingsBlock.h"

namespace orlo::keyboard {
namespace {

// A built-in list whose values differ from the indices: index i has value 40 + i, except that
// index 5 is the music effect (29) and index 6 the host's colour effect (30).
std::vector<BuiltInLightEntry> BuiltIns() {
  std::vector<BuiltInLightEntry> list;
  for (int i = 0; i < 10; ++i) list.push_back({"effect", true, 40 + i});
  list[5].value = 29;
  list[6].value = 30;
  return list;
}

LightInfo Effect() {
  LightInfo e;
  e.mode = 3, e.brightness = 2, e.speed = 1, e.direction = 1, e.multiColor = 1;
  e.red = 0xA1, e.green = 0xB2, e.blue = 0xC3;
  e.secondMode = 2, e.customGroup = 6, e.oldMode = 9;
  return e;
}

KeyboardSystemStages Stages() {
  KeyboardSystemStages s;
  s.repeat = 11, s.repeatDelay = 2, s.key6Flag = 1, s.pollingRate = 3, s.wFlag = 0x0105, s.winFlag = 1;
  return s;
}

TEST(KeyboardSettingsBlockTest, EveryFieldGoesToItsOffset) {
  const auto list = BuiltIns();
  const SettingsBlock b = EncodeSettingsBlock(0, Effect(), Stages(), list);
  const SettingsBlock expected = {0x00, 43,   0x02, 0x03, 0x01, 0x01, 0xA1, 0xB2, 0xC3, 0, 0, 0, 0,
                                  0,    0,    0,    0,    0,    0x02, 0x05, 0x01, 0x01, 0x03, 0, 0, 0x06};
  EXPECT_EQ(b, expected);
  // Byte 0 is the caller's; the repeat values never reach the keyboard.
  EXPECT_EQ(EncodeSettingsBlock(4, Effect(), Stages(), list)[0], 4);
  EXPECT_EQ(SettingsOffset(0), 0);
  EXPECT_EQ(SettingsOffset(3), 75);
}

TEST(KeyboardSettingsBlockTest, SpeedIsStoredInvertedAndKeptInRange) {
  LightInfo e = Effect();
  e.speed = 0;
  EXPECT_EQ(EncodeSettingsBlock(0, e, {}, {})[3], 4);
  e.speed = 4;
  EXPECT_EQ(EncodeSettingsBlock(0, e, {}, {})[3], 0);
  e.speed = 9;  // from a damaged profile: sent as the fastest, not as 4 - 9
  EXPECT_EQ(EncodeSettingsBlock(0, e, {}, {})[3], 0);

  SettingsBlock b{};
  b[3] = 4;
  EXPECT_EQ(DecodeSettingsBlock(b, {}, {}, {}).effect.speed, 0);
  b[3] = 1;
  EXPECT_EQ(DecodeSettingsBlock(b, {}, {}, {}).effect.speed, 3);
  b[3] = 7;  // beyond the range a keyboard stores: the slowest, not 4 - 7
  EXPECT_EQ(DecodeSettingsBlock(b, {}, {}, {}).effect.speed, 0);
}

TEST(KeyboardSettingsBlockTest, HostDrawnEffectsGoOutAsFEAndReadBackKeepsThePageEffect) {
  const auto list = BuiltIns();
  LightInfo e = Effect();
  e.mode = 5;  // value 29
  EXPECT_EQ(EncodeSettingsBlock(0, e, {}, list)[1], 0xFE);
  e.mode = 6;  // value 30
  EXPECT_EQ(EncodeSettingsBlock(0, e, {}, list)[1], 0xFE);
  e.mode = 29;  // index 29 is not in the list: the index is sent, and it is the music value
  EXPECT_EQ(EncodeSettingsBlock(0, e, {}, list)[1], 0xFE);
  e.mode = 12;
  EXPECT_EQ(EncodeSettingsBlock(0, e, {}, list)[1], 12);

  SettingsBlock b{};
  b[1] = 0xFE;
  b[2] = 4;
  LightInfo shown = Effect();
  shown.mode = 5;
  const DecodedSettings d = DecodeSettingsBlock(b, shown, {}, list);
  EXPECT_TRUE(d.hostDriven);
  EXPECT_EQ(d.effect.mode, 5);
  EXPECT_EQ(d.effect.brightness, 4);
}

TEST(KeyboardSettingsBlockTest, ReadingTakesTheBlockAndKeepsWhatTheBlockDoesNotHold) {
  const auto list = BuiltIns();
  const SettingsBlock b = {0x02, 47, 0x03, 0x00, 0x00, 0x00, 0x11, 0x22, 0x33, 0, 0, 0, 0,
                           0,    0,  0,    0,    0,    0x03, 0x01, 0x00, 0x01, 0x02, 0, 0, 0x05};
  LightInfo shown = Effect();
  const DecodedSettings d = DecodeSettingsBlock(b, shown, Stages(), list);
  EXPECT_FALSE(d.hostDriven);
  EXPECT_EQ(d.profile, 2);
  EXPECT_EQ(d.effect.mode, 7) << "value 47 is built-in index 7";
  EXPECT_EQ(d.effect.brightness, 3);
  EXPECT_EQ(d.effect.speed, 4);
  EXPECT_EQ(d.effect.direction, 0);
  EXPECT_EQ(d.effect.multiColor, 0);
  EXPECT_EQ(d.effect.red, 0x11);
  EXPECT_EQ(d.effect.green, 0x22);
  EXPECT_EQ(d.effect.blue, 0x33);
  EXPECT_EQ(d.effect.secondMode, 3);
  EXPECT_EQ(d.effect.customGroup, 5);
  EXPECT_EQ(d.effect.oldMode, 9) << "not in the block: kept";
  EXPECT_EQ(d.stages.wFlag, 1);
  EXPECT_EQ(d.stages.key6Flag, 0);
  EXPECT_EQ(d.stages.winFlag, 1);
  EXPECT_EQ(d.stages.pollingRate, 3) << "the page's report rate stays";
  EXPECT_EQ(d.stages.repeat, 11);
  EXPECT_EQ(d.stages.repeatDelay, 2);

  // A value no built-in entry has is kept raw as the index.
  SettingsBlock unknown = b;
  unknown[1] = 0x99;
  EXPECT_EQ(DecodeSettingsBlock(unknown, shown, {}, list).effect.mode, 0x99);
  // Without a list the index is the value.
  EXPECT_EQ(DecodeSettingsBlock(b, shown, {}, {}).effect.mode, 47);
}

}  // namespace
}  // namespace orlo::keyboard
