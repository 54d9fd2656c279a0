// The keyboard's 26-byte settings block: each field at its offset, the effect value translated
// both ways, the host-drawn effects as 0xFE, and the speed stored inverted.
#include <gtest/gtest.h>

#include <utility>
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
  for (const auto& [speed, stored] : {std::pair{0, 4}, {4, 0}, {9, 0}}) {  // 9: the fastest, not 4 - 9
    e.speed = static_cast<uint8_t>(speed);
    EXPECT_EQ(EncodeSettingsBlock(0, e, {}, {})[3], stored) << speed;
  }

  SettingsBlock b{};
  for (const auto& [stored, speed] : {std::pair{4, 0}, {1, 3}, {7, 0}}) {  // 7: the slowest, not 4 - 7
    b[3] = static_cast<uint8_t>(stored);
    EXPECT_EQ(DecodeSettingsBlock(b, {}, {}, {}).effect.speed, speed) << stored;
  }
}

TEST(KeyboardSettingsBlockTest, HostDrawnEffectsGoOutAsFEAndReadBackKeepsThePageEffect) {
  const auto list = BuiltIns();
  // Index 5 has value 29 and 6 value 30; index 29 is not in the list and is sent as itself.
  for (const auto& [mode, code] : {std::pair{5, 0xFE}, {6, 0xFE}, {29, 0xFE}, {12, 12}, {4, 44}})
    EXPECT_EQ(EffectCodeOf(mode, list), code) << mode;

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
  const DecodedSettings d = DecodeSettingsBlock(b, Effect(), Stages(), list);
  EXPECT_FALSE(d.hostDriven);
  EXPECT_EQ(d.profile, 2);
  LightInfo effect;  // value 47 is built-in index 7; the previous mode is not in the block: kept
  effect.mode = 7, effect.brightness = 3, effect.speed = 4, effect.red = 0x11, effect.green = 0x22, effect.blue = 0x33;
  effect.secondMode = 3, effect.customGroup = 5, effect.oldMode = 9;
  EXPECT_EQ(d.effect, effect);
  KeyboardSystemStages stages = Stages();  // the page's report rate and repeat values stay
  stages.wFlag = 1, stages.key6Flag = 0, stages.winFlag = 1;
  EXPECT_EQ(d.stages, stages);

  // A value no built-in entry has is kept raw as the index; without a list the index is the value.
  SettingsBlock unknown = b;
  unknown[1] = 0x99;
  EXPECT_EQ(DecodeSettingsBlock(unknown, Effect(), {}, list).effect.mode, 0x99);
  EXPECT_EQ(DecodeSettingsBlock(b, Effect(), {}, {}).effect.mode, 47);
}

}  // namespace
}  // namespace orlo::keyboard
