// The stage sliders' resolution scale and the names of the key information list.
#include <gtest/gtest.h>

#include <array>

#include "device/mouse/DpiScale.h"
#include "pages/mouse/KeyInfoText.h"

namespace orlo {
namespace {

TEST(MousePageScaleTest, TwoSlopeAndLinearScalesShowAndTakeBackTheirValues) {
  const CDpiScale twoSlope(100, 100, CDpiScale::kTwoSlopeSensor);
  EXPECT_EQ(twoSlope.ResolutionAt(48), 4900);
  EXPECT_EQ(twoSlope.ResolutionAt(49), 5100);
  EXPECT_EQ(twoSlope.ResolutionAt(149), 4900 + 101 * 200);
  const CDpiScale linear(100, 100, 0x3360);
  EXPECT_EQ(linear.ResolutionAt(49), 5000);

  // Every position's own resolution maps back to that position on both scales.
  for (int p = 0; p <= CDpiScale::kMaxPosition; ++p) {
    EXPECT_EQ(twoSlope.PositionOf(twoSlope.ResolutionAt(p)), p) << p;
    EXPECT_EQ(linear.PositionOf(linear.ResolutionAt(p)), p) << p;
  }
  // A value between two positions selects the lower one; below the minimum counts as minimum.
  EXPECT_EQ(twoSlope.PositionOf(5000), 48);
  EXPECT_EQ(twoSlope.PositionOf(5299), 49);
  EXPECT_EQ(twoSlope.PositionOf(0), 0);
  EXPECT_EQ(linear.PositionOf(-400), 0);
}

TEST(MousePageScaleTest, PositionsAreClampedAndAZeroStepIsOne) {
  const CDpiScale scale(200, 50, 0);
  EXPECT_EQ(scale.ResolutionAt(-5), 200);
  EXPECT_EQ(scale.ResolutionAt(500), 200 + 149 * 50);
  EXPECT_EQ(scale.PositionOf(1'000'000), CDpiScale::kMaxPosition);

  const CDpiScale noStep(400, 0, 0);
  EXPECT_EQ(noStep.Step(), 1);
  EXPECT_EQ(noStep.ResolutionAt(10), 410);
  EXPECT_EQ(noStep.PositionOf(420), 20);

  std::array<uint8_t, 34> info{};
  info[9] = 0x25, info[10] = 0x33, info[11] = 0, info[14] = 0x64;
  const CDpiScale fromInfo = CDpiScale::FromInfo(info.data(), static_cast<int>(info.size()));
  EXPECT_TRUE(fromInfo.TwoSlope());
  EXPECT_EQ(fromInfo.Minimum(), 100);
  EXPECT_EQ(fromInfo.Step(), 1);
  // A short block is not read past its end.
  EXPECT_EQ(CDpiScale::FromInfo(info.data(), 12).Minimum(), 0);
}

TEST(MousePageScaleTest, KeyInformationNamesByAssignmentType) {
  const std::vector<std::string> macros = {"Burst", "Reload"};
  auto name = [&](uint8_t t, uint8_t c1, uint8_t c2) { return KeyInfoNameOf({t, c1, c2}, macros); };

  ASSERT_TRUE(name(0x10, 0x01, 0));
  EXPECT_EQ(name(0x10, 0x01, 0)->text, MouseButtonTable()[0].nameId);
  EXPECT_EQ(name(0x11, 0, 0x85)->text, "mouse_key_right_Swing");
  EXPECT_EQ(name(0x12, 0, 0x05)->text, "mouse_key_up_Swing");
  EXPECT_EQ(name(0x22, 0, 8)->text, "custem_open");
  EXPECT_FALSE(name(0x22, 0, 9));
  EXPECT_EQ(name(0x20, 0, 0)->text, "close_text");
  EXPECT_EQ(name(0xA0, 0x02, 0)->text, "mouse_key_smart_key");

  // Macros by catalogue position, untranslated; a macro beyond the catalogue has no name.
  ASSERT_TRUE(name(0x70, 1, 0));
  EXPECT_EQ(name(0x70, 1, 0)->text, "Reload");
  EXPECT_FALSE(name(0x70, 1, 0)->isTextId);
  EXPECT_FALSE(name(0x71, 2, 0));
  EXPECT_EQ(name(0x72, 3, 0)->text, "gun_4_txt");
  EXPECT_FALSE(name(0x72, 4, 0));

  // Types the list leaves alone, and unknown types with their fixed untranslated text.
  EXPECT_FALSE(name(0x50, 1, 1));
  ASSERT_TRUE(name(0x99, 0, 0));
  EXPECT_FALSE(name(0x99, 0, 0)->isTextId);
}

TEST(MousePageScaleTest, KeyboardKeyWithoutExactEntryJoinsMatchingNames) {
  const auto& table = KeyCodeTable();
  ASSERT_GT(table.size(), 2u);
  // An exact entry wins whatever the type byte says.
  const KeyCodeEntry& a = table[0];
  auto exact = KeyInfoNameOf({0x00, a.code1, a.code2}, {});
  ASSERT_TRUE(exact);
  EXPECT_EQ(exact->text, a.nameId);
  // Left Ctrl + A has no entry of its own: the entries sharing either byte, in table order.
  auto combined = KeyInfoNameOf({0x20, 0x01, 0x04}, {});
  ASSERT_TRUE(combined);
  EXPECT_EQ(combined->text, "keyboard_key_LCtrl+keyboard_key_A");
  EXPECT_EQ(NameParts(combined->text), (std::vector<std::string>{"keyboard_key_LCtrl", "keyboard_key_A"}));
  // Nothing shares either byte: no row.
  EXPECT_FALSE(KeyInfoNameOf({0x20, 0x03, 0xFE}, {}));
}

}  // namespace
}  // namespace orlo
