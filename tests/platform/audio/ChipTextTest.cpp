// Reading chip answers and filling chip buffers: only well-formed values in range are taken, and
// nothing is read or written outside a buffer.
#include <gtest/gtest.h>

#include "platform/audio/ChipBuffer.h"
#include "platform/audio/ChipText.h"

namespace orlo::audio {
namespace {

using Ints = std::vector<std::optional<int32_t>>;

TEST(ChipText, IntegersAreTakenOnlyWhenWholeAndInRange) {
  EXPECT_EQ(ParseChipInt("42"), 42);
  EXPECT_EQ(ParseChipInt(" -7\r\n"), -7);
  EXPECT_EQ(ParseChipInt("+3"), 3);
  EXPECT_EQ(ParseChipInt("2147483647"), 2147483647);
  EXPECT_EQ(ParseChipInt("-2147483648"), INT32_MIN);
  for (const char* bad : {"2147483648", "-2147483649", "99999999999999999999999", "", "  ", "12abc", "1.5",
                          "--1", "+-1", "0x10", "- 1", "1 2"})
    EXPECT_EQ(ParseChipInt(bad), std::nullopt) << '"' << bad << '"';
  EXPECT_EQ(ParseChipIntIn("3", 0, 3), 3);
  EXPECT_EQ(ParseChipIntIn("4", 0, 3), std::nullopt);
  EXPECT_EQ(ParseChipFlag("1"), true);
  EXPECT_EQ(ParseChipFlag("0"), false);
  EXPECT_EQ(ParseChipFlag("2"), std::nullopt);
}

TEST(ChipText, RealsAreFiniteDecimalNumbers) {
  EXPECT_EQ(ParseChipReal("0.5"), 0.5);
  EXPECT_EQ(ParseChipReal(".25 "), 0.25);
  EXPECT_EQ(ParseChipReal("-1.5e-2"), -0.015);
  EXPECT_EQ(ParseChipReal("+1"), 1.0);
  for (const char* bad : {"inf", "-nan", "1e999", "0x1p3", "0.5x", "+-0.5", "", "."})
    EXPECT_EQ(ParseChipReal(bad), std::nullopt) << '"' << bad << '"';
}

TEST(ChipText, LevelsRoundTheScalarAndRefuseOutOfRange) {
  EXPECT_EQ(LevelFromChipScalar("0.5"), 50);
  EXPECT_EQ(LevelFromChipScalar("0.35"), 35);
  // 0.29 × 100 is 28.999… in binary; the level set as 29 must read back as 29.
  EXPECT_EQ(LevelFromChipScalar("0.29"), 29);
  EXPECT_EQ(LevelFromChipScalar("0.3465"), 35);
  EXPECT_EQ(LevelFromChipScalar("1"), 100);
  EXPECT_EQ(LevelFromChipScalar("0"), 0);
  for (const char* bad : {"1.01", "-0.01", "abc", "", "50"}) EXPECT_EQ(LevelFromChipScalar(bad), std::nullopt) << bad;
  EXPECT_EQ(ChipScalarFromLevel(35), 0.35f);
  EXPECT_EQ(ChipScalarFromLevel(150), 1.0f);
  EXPECT_EQ(ChipScalarFromLevel(-5), 0.0f);
}

TEST(ChipText, FieldsAndFeatureAnswers) {
  EXPECT_EQ(SplitChipFields("1,,3"), (std::vector<std::string_view>{"1", "", "3"}));
  EXPECT_EQ(SplitChipFields(" a , b "), (std::vector<std::string_view>{"a", "b"}));
  EXPECT_TRUE(SplitChipFields("  ").empty());
  EXPECT_EQ(ParseChipIntList("5, x,-2"), (Ints{5, std::nullopt, -2}));

  EXPECT_EQ(ParseSupportFeature("131072,1,2,3,4,5,6"), (std::array<int32_t, 3>{131072, 4, 6}));
  EXPECT_EQ(ParseSupportFeature("1,0,0,0,0,0,0,9,9"), (std::array<int32_t, 3>{1, 0, 0}));
  // A bit set written unsigned keeps its bits.
  EXPECT_EQ(ParseSupportFeature("4294967295,0,0,0,0,0,0"), (std::array<int32_t, 3>{-1, 0, 0}));
  EXPECT_EQ(ParseSupportFeature("1,2,3,4,5,6"), std::nullopt);        // six fields
  EXPECT_EQ(ParseSupportFeature("1,0,0,0,x,0,0"), std::nullopt);      // a used field that is no number
  EXPECT_EQ(ParseSupportFeature("1,0,0,0,0,0,"), std::nullopt);       // the last used field is empty
  EXPECT_EQ(ParseSupportFeature("4294967296,0,0,0,0,0,0"), std::nullopt);
}

TEST(ChipBuffer, ValuesAreLittleEndianAndStayInsideTheBuffer) {
  ChipBuffer b{};
  PutInt32(b, 1, -2);
  EXPECT_EQ((std::array<uint8_t, 8>{b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7]}),
            (std::array<uint8_t, 8>{0, 0, 0, 0, 0xFE, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Int32At(b, 1), -2);
  PutFloat(b, 0, 1.0f);
  EXPECT_EQ((std::array<uint8_t, 4>{b[0], b[1], b[2], b[3]}), (std::array<uint8_t, 4>{0x00, 0x00, 0x80, 0x3F}));
  const ChipBuffer before = b;
  PutInt32(b, 256, 7);  // one past the last slot
  EXPECT_EQ(b, before);
  EXPECT_EQ(Int32At(b, 256), 0);
  EXPECT_EQ(Int32At(BufferOfInts({4, -1, 0}), 1), -1);

  ChipBuffer full;
  full.fill('7');  // an answer without a terminating 0 is read up to the buffer's end, no further
  EXPECT_EQ(TextOf(full).size(), 1024u);
  ChipBuffer cut{};
  PutText(cut, std::string(2000, '1'));
  EXPECT_EQ(TextOf(cut).size(), 1023u);
  EXPECT_EQ(cut[1023], 0);

  EXPECT_EQ(ToChipName("EQ_Slider10"), u"EQ_Slider10");
  EXPECT_EQ(ToChipName("M\xC3\xBCte"), u"");  // outside ASCII: no name any chip knows
}

}  // namespace
}  // namespace orlo::audio
