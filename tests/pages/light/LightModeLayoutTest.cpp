// The table of groups each light mode uses, per kind of device.
#include <gtest/gtest.h>

#include <string>

#include "pages/light/LightModeLayout.h"

namespace orlo {
namespace {

// "EMCPBS" + D ('-' when left alone) + 's' for the synchronisation button.
std::string Groups(uint16_t kind, int mode) {
  const LightModeLayout l = LightModeLayoutOf(kind, mode);
  std::string s;
  for (bool on : {l.effect, l.multicolour, l.colour, l.palette, l.brightness, l.speed}) s += on ? '1' : '0';
  s += l.direction ? (*l.direction ? '1' : '0') : '-';
  if (l.sync) s += 's';
  return s;
}

TEST(LightModeLayoutTest, KeyboardRowsAndTheirFurtherSwitches) {
  EXPECT_EQ(Groups(1, 1), "1111111");
  EXPECT_EQ(Groups(1, 4), "1000110s");
  EXPECT_EQ(Groups(1, 6), "1111100s");
  EXPECT_EQ(Groups(1, 12), "1000111");
  EXPECT_EQ(Groups(1, 20), "1011100");
  EXPECT_EQ(Groups(1, 28), "1000000s");
  EXPECT_EQ(Groups(1, 0), "1000000");   // the custom player: any other mode
  EXPECT_EQ(Groups(9, 23), "1111110s");  // the receiver kind is the keyboard

  const LightModeLayout plain = LightModeLayoutOf(1, 7);
  EXPECT_EQ(plain.speedShown, true);
  EXPECT_EQ(plain.colourPage, 0);
  EXPECT_EQ(plain.colourAreaEnabled, true);
  EXPECT_EQ(plain.leftLabel, "light_set_right_to_left_text");

  const LightModeLayout fixed = LightModeLayoutOf(1, 17);
  EXPECT_EQ(fixed.speedShown, false);
  EXPECT_EQ(fixed.secondModeShown, true);
  EXPECT_EQ(fixed.colourAreaEnabled, false);
  const LightModeLayout music = LightModeLayoutOf(1, 29);
  EXPECT_EQ(music.audioModeShown, true);
  EXPECT_EQ(music.colourPage, 1);
  EXPECT_EQ(music.customShown, false);
  const LightModeLayout rings = LightModeLayoutOf(1, 18);
  EXPECT_EQ(rings.leftLabel, "light_set_outside_to_inside_text");
  EXPECT_EQ(rings.rightLabel, "light_set_inside_to_outside_text");
  EXPECT_EQ(LightModeLayoutOf(1, 20).customShown, true);
}

TEST(LightModeLayoutTest, MouseStripAndHubRows) {
  EXPECT_EQ(Groups(2, 0), "1111110s");
  EXPECT_EQ(Groups(6, 2), "1011100s");
  EXPECT_EQ(Groups(2, 5), "1111111");
  EXPECT_EQ(Groups(2, 9), "1000000");
  EXPECT_EQ(LightModeLayoutOf(2, 1).rgbEnabled, false);
  EXPECT_EQ(LightModeLayoutOf(2, 7).rgbEnabled, true);
  EXPECT_EQ(LightModeLayoutOf(2, 7).secondModeShown, std::nullopt);  // keyboard groups untouched

  for (uint16_t kind : {3, 4, 7}) {
    EXPECT_EQ(Groups(kind, 0), "1111111") << kind;
    EXPECT_EQ(Groups(kind, 3), "1011100s") << kind;
    EXPECT_EQ(Groups(kind, 8), "1000000s") << kind;
    EXPECT_EQ(Groups(kind, 6), "1000000") << kind;
  }
  EXPECT_EQ(Groups(5, 1), "101110-");
  EXPECT_EQ(Groups(5, 4), "100011-");
  EXPECT_FALSE(LightModeLayoutOf(8, 0).known);
}

}  // namespace
}  // namespace orlo
