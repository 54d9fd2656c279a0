// The headset's profile section: system set stages, equaliser rows, custom equalisers, the
// range checks on what a document holds, and the reset that keeps the user's custom equalisers.
#include <gtest/gtest.h>

#include "ProfileTestDir.h"
#include "profile/HeadsetEqPresets.h"
#include "profile/Ro6533Profiledata.h"

namespace orlo {
namespace {

using Bands = std::vector<int32_t>;

// The built-in presets of types 1-12.
const std::vector<Bands> kPresetTable = {
    {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},     {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
    {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},   {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},         {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
    {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},    {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
    {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},    {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
    {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},    {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
};

class HeadsetProfileTest : public test::ProfileTestDir {
 protected:
  void Load(const std::string& sectionJson) {
    WriteText(Path("p.Json"), "{\"Device\": [" + sectionJson + "]}");
    p_.SetProfilePath(Path("p.Json"));
    p_.SetDefaultPath(test::SourceFile("DefaultData/HD.Json"));
    p_.LoadSection(Path("p.Json"));
  }
  // A fresh object on the saved file, as after a restart.
  CRo6533Profiledata& Reloaded() {
    q_.SetProfilePath(Path("p.Json"));
    q_.LoadSection(Path("p.Json"));
    return q_;
  }
  CRo6533Profiledata p_;
  CRo6533Profiledata q_;
};

TEST_F(HeadsetProfileTest, SystemSetStagesRoundTripUnderTheirStoredNames) {
  Load("{}");
  EXPECT_EQ(p_.GetSystemSetStages(), HeadsetSystemSetStages{});  // all zero when missing
  p_.SetCustomEQNames({"a", "b", "c"});
  p_.SetSystemSetStages({1, 3, 13, 2, 1, 35, 0, 50});
  const Json::Value& st = p_.GetSection()["SystemSetStages"];
  EXPECT_EQ(st["MagicEnable"].asInt(), 1);
  EXPECT_EQ(st["MagicType"].asInt(), 3);
  EXPECT_EQ(st["EqType"].asInt(), 13);
  EXPECT_EQ(st["CustomEqSeletIndex"].asInt(), 2);
  EXPECT_EQ(st["MicInSelect"].asInt(), 1);
  EXPECT_EQ(st["MicInValue"].asInt(), 35);
  EXPECT_EQ(st["MicMoniterSelect"].asInt(), 0);
  EXPECT_EQ(st["MicMoniterValue"].asInt(), 50);
  ASSERT_EQ(p_.Save(), 1);
  CRo6533Profiledata& q = Reloaded();
  EXPECT_EQ(q.GetSystemSetStages(), (HeadsetSystemSetStages{1, 3, 13, 2, 1, 35, 0, 50}));
}

TEST_F(HeadsetProfileTest, HandEditedStagesAreBroughtIntoRange) {
  Load(R"({"CustomEQNameInfo": [{"Name": "a"}, {"Name": "b"}],
           "SystemSetStages": {"MagicEnable": 5, "MagicType": 9, "EqType": -2, "CustomEqSeletIndex": 2,
                               "MicInSelect": "on", "MicInValue": 1e12, "MicMoniterSelect": true,
                               "MicMoniterValue": -4}})");
  EXPECT_EQ(p_.GetSystemSetStages(), (HeadsetSystemSetStages{1, 0, 0, -1, 0, 100, 1, 0}));
  Load(R"({"CustomEQNameInfo": [{"Name": "a"}],
           "SystemSetStages": {"MagicType": 4, "EqType": 14, "CustomEqSeletIndex": 0, "MicInValue": 4294967346}})");
  // 4294967346 would wrap to 50 in 32 bits; it is limited instead.
  EXPECT_EQ(p_.GetSystemSetStages(), (HeadsetSystemSetStages{0, 4, 0, 0, 0, 100, 0, 0}));
  // The driver stores a new selection before its name: the setter keeps it.
  p_.SetSystemSetStages({0, 7, 20, 5, 2, 101, 0, -1});
  EXPECT_EQ(p_.SystemSetStages(), (HeadsetSystemSetStages{0, 0, 0, 5, 1, 100, 0, 0}));
  p_.SetSystemSetStages({0, 1, 1, 20, 0, 0, 0, 0});
  EXPECT_EQ(p_.SystemSetStages().customEqSelectIndex, -1);
}

TEST_F(HeadsetProfileTest, EqualiserRowsByType) {
  Load(R"({"EQHzValueInfo": [[], [{"value": 1}, {"value": 2}, {"value": 3}, {"value": 4}, {"value": 5},
                                  {"value": 6}, {"value": 7}, {"value": 8}, {"value": 9}, {"value": 10}],
                             [{"value": 99}, {"value": "x"}, {"value": -25}, {}], {"value": 3}]})");
  const Bands row1 = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  EXPECT_EQ(p_.GetEQValues(0), row1);
  EXPECT_EQ(p_.GetEQValues(20), row1);
  EXPECT_EQ(p_.GetEQValues(-3), row1);
  // Out-of-range, non-numeric and missing bands; a short row is completed in the section.
  EXPECT_EQ(p_.GetEQValues(2), (Bands{20, 0, -20, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(p_.GetSection()["EQHzValueInfo"][2].size(), 10u);
  // A row of another type reads as zeros and stays as it was.
  EXPECT_EQ(p_.GetEQValues(3), Bands(10, 0));
  EXPECT_EQ(p_.GetSection()["EQHzValueInfo"][3]["value"].asInt(), 3);
  // The custom type has no row: nothing read, nothing touched.
  const Json::Value before = p_.GetSection();
  EXPECT_TRUE(p_.GetEQValues(13).empty());
  p_.SetEQValues(13, Bands(10, 4));
  EXPECT_EQ(p_.GetSection(), before);

  // A missing member: ten zeros, rows before the type's row null, the row ten zero bands.
  Load("{}");
  EXPECT_EQ(p_.GetEQValues(5), Bands(10, 0));
  const Json::Value& rows = p_.GetSection()["EQHzValueInfo"];
  ASSERT_EQ(rows.size(), 6u);
  for (Json::ArrayIndex r = 0; r < 5; ++r) EXPECT_TRUE(rows[r].isNull()) << r;
  ASSERT_EQ(rows[5].size(), 10u);
  for (Json::ArrayIndex i = 0; i < 10; ++i) EXPECT_EQ(CJsonFile::DocumentText(rows[5][i]), "{\r\n   \"value\" : 0\r\n}\r\n\r\n") << i;
}

TEST_F(HeadsetProfileTest, PresetAndCustomBandsRoundTrip) {
  Load("{}");
  p_.SetEQValues(4, {2, 1, -2, -3, -5, -7, 0, 4, 9, 8});
  p_.SetEQValues(0, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 99});  // type 0 writes row 1; an eleventh value is ignored
  p_.SetCustomEQValues(19, {-20, 20, 0, 0, 0, 0, 0, 0, 0, 30});
  p_.SetCustomEQValues(20, Bands(10, 5));  // no such slot
  p_.SetCustomEQValues(-1, Bands(10, 5));
  ASSERT_EQ(p_.Save(), 1);
  CRo6533Profiledata& q = Reloaded();
  EXPECT_EQ(q.GetEQValues(4), (Bands{2, 1, -2, -3, -5, -7, 0, 4, 9, 8}));
  EXPECT_EQ(q.GetEQValues(1), Bands(10, 1));
  EXPECT_EQ(q.GetCustomEQValues(19), (Bands{-20, 20, 0, 0, 0, 0, 0, 0, 0, 20}));
  EXPECT_EQ(q.GetSection()["CustomEQHzValueInfo"].size(), 20u);
  const Json::Value before = q.GetSection();
  EXPECT_EQ(q.GetCustomEQValues(-1), Bands(10, 0));
  EXPECT_EQ(q.GetCustomEQValues(20), Bands(10, 0));
  EXPECT_EQ(q.GetSection(), before);
}

TEST_F(HeadsetProfileTest, CustomEqualiserNames) {
  Load(R"({"CustomEQNameInfo": [{"Name": "a"}, {"Name": "b"}, {"Name": "c"}, {"Name": "d"}, {"Name": "e"}]})");
  EXPECT_EQ(p_.GetCustomEQNames().size(), 5u);
  p_.SetCustomEQNames({"B\xC3\xA4sse \xE4\xBD\x8E\xE9\x9F\xB3", "Vocal"});
  ASSERT_EQ(p_.Save(), 1);
  CRo6533Profiledata& q = Reloaded();
  EXPECT_EQ(q.GetCustomEQNames(), (std::vector<std::string>{"B\xC3\xA4sse \xE4\xBD\x8E\xE9\x9F\xB3", "Vocal"}));

  // More than twenty, a name that is no string, and bytes that are no UTF-8.
  std::string many = "{\"CustomEQNameInfo\": [{\"Name\": \"bad\xff\"}, {\"Name\": 4}";
  for (int i = 2; i < 25; ++i) many += ", {\"Name\": \"n" + std::to_string(i) + "\"}";
  Load(many + "]}");
  const auto names = p_.GetCustomEQNames();
  ASSERT_EQ(names.size(), 20u);
  EXPECT_EQ(names[0], "bad\xEF\xBF\xBD");
  EXPECT_EQ(names[1], "");
  EXPECT_EQ(names[19], "n19");
}

TEST_F(HeadsetProfileTest, ResetRestoresTheDefaultsButKeepsTheCustomEqualisers) {
  Load(R"({"SystemSetStages": {"MagicEnable": 1, "MagicType": 2, "EqType": 13, "CustomEqSeletIndex": 1,
                               "MicInSelect": 1, "MicInValue": 12, "MicMoniterSelect": 1, "MicMoniterValue": 7},
           "EQHzValueInfo": [null, null, [{"value": -9}]],
           "CustomEQNameInfo": [{"Name": "Bass"}, {"Name": "Voice"}],
           "CustomEQHzValueInfo": [[{"value": 4}], [{"value": -6}, {"value": 2}]]})");
  p_.LoadDefaultSectionKeepingCustomEq();
  EXPECT_EQ(p_.GetSystemSetStages(), (HeadsetSystemSetStages{0, 1, 1, -1, 0, 80, 0, 50}));
  EXPECT_EQ(p_.GetEQValues(2), (Bands{7, 11, 6, -3, -11, -1, 6, 13, 6, 13}));
  EXPECT_EQ(p_.GetCustomEQNames(), (std::vector<std::string>{"Bass", "Voice"}));
  EXPECT_EQ(p_.GetCustomEQValues(1), (Bands{-6, 2, 0, 0, 0, 0, 0, 0, 0, 0}));
  ASSERT_EQ(p_.Save(), 1);
  CRo6533Profiledata& q = Reloaded();
  EXPECT_EQ(q.GetCustomEQNames(), (std::vector<std::string>{"Bass", "Voice"}));
  EXPECT_EQ(q.GetCustomEQValues(0), (Bands{4, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(q.GetSystemSetStages().micInValue, 80);

  // Without custom equalisers the default document's empty lists stay.
  Load(R"({"SystemSetStages": {"MicInValue": 3}})");
  p_.LoadDefaultSectionKeepingCustomEq();
  EXPECT_TRUE(p_.GetCustomEQNames().empty());
  EXPECT_EQ(p_.GetSection()["CustomEQNameInfo"], Json::Value(Json::arrayValue));
}

TEST(HeadsetPresets, TheDefaultDocumentHoldsTheBuiltInPresets) {
  for (int type = 1; type <= 12; ++type) {
    const auto preset = EqPresetBands(type);
    ASSERT_TRUE(preset) << type;
    EXPECT_EQ(Bands(preset->begin(), preset->end()), kPresetTable[static_cast<size_t>(type - 1)]) << type;
  }
  EXPECT_EQ(EqPresetBands(0), std::nullopt);
  EXPECT_EQ(EqPresetBands(13), std::nullopt);

  CRo6533Profiledata p;
  p.LoadSection(test::SourceFile("DefaultData/HD.Json"));
  for (int type = 1; type <= 12; ++type) EXPECT_EQ(p.GetEQValues(type), kPresetTable[static_cast<size_t>(type - 1)]) << type;
  EXPECT_EQ(p.GetSystemSetStages(), (HeadsetSystemSetStages{0, 1, 1, -1, 0, 80, 0, 50}));
}

}  // namespace
}  // namespace orlo
