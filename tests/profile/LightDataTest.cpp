#include <gtest/gtest.h>

#include "ProfileTestDir.h"
#include "profile/BasicProfiledata.h"

namespace orlo {
namespace {

class LightDataTest : public test::ProfileTestDir {
 protected:
  void Load(const std::string& sectionJson) {
    WriteText(Path("p.Json"), "{\"Device\": [" + sectionJson + "]}");
    data_.LoadSection(Path("p.Json"));
  }
  // A catalogue naming, for the given kind, custom effects "first" and "second" with the step
  // files first.light and second.light in the test folder.
  void WriteCatalogue(int kind, const std::string& secondGuid = "second") {
    Json::Value config;
    for (int k = 0; k <= kind; ++k) config["LightInfo"][k] = Json::Value(Json::arrayValue);
    config["LightInfo"][kind][0]["LightName"] = "First";
    config["LightInfo"][kind][0]["Guid"] = "first";
    config["LightInfo"][kind][1]["LightName"] = "Second";
    config["LightInfo"][kind][1]["Guid"] = secondGuid;
    file_.WriteDocument(Path("velko_light.config"), config);
    data_.SetLightConfigPath(Path("velko_light.config"));
    WriteText(Path("first.light"),
              R"({"LEDEffectList": [{"LEDREGMode": 2, "LEDBrightness": 4, "LEDSpeed": 1, "LEDDirection": 1,
                  "LEDMultiColor": 0, "red": 300, "green": 2, "blue": 3, "Time": 1500, "Cyle": 2}, null]})");
    WriteText(Path("second.light"), R"({"Other": []})");
  }
  LightInfo Mode(int mode) {
    LightInfo l;
    l.mode = static_cast<uint8_t>(mode);
    return l;
  }

  CBasicProfiledata data_;
  CJsonFile file_;
};

TEST_F(LightDataTest, LightInfoReadWriteAndFlags) {
  Load("{}");
  EXPECT_EQ(data_.GetLightInfo(), LightInfo{});
  Load(R"({"LightInfo": {"SelectItem": 5, "Light": 3, "Speed": 2, "Fx": 1, "MultiColor": 5, "Red": 10,
           "Green": 20, "Blue": 256, "ZZCCLedMode": 2, "CustomGroup": 1, "OldLedmode": 7}})");
  LightInfo l = data_.GetLightInfo();
  EXPECT_EQ(l.mode, 5);
  EXPECT_EQ(l.multiColor, 1);  // any non-zero number is the flag
  EXPECT_EQ(l.blue, 0);        // cut to 8 bits
  EXPECT_EQ(l.secondMode, 2);
  EXPECT_EQ(l.oldMode, 7);
  data_.SetLightInfo(l);
  const Json::Value& o = data_.GetSection()["LightInfo"];
  EXPECT_EQ(o["MultiColor"].asInt(), 1);
  EXPECT_EQ(o["OldLedmode"].asInt(), 7);
  EXPECT_EQ(o.size(), 11u);
  // A "LightInfo" of the wrong type reads as missing.
  Load(R"({"LightInfo": [1, 2, 3]})");
  EXPECT_EQ(data_.GetLightInfo(), LightInfo{});
}

TEST_F(LightDataTest, EveryRecordFieldHasItsOwnKeyBothWays) {
  Load("{}");
  LightInfo l;
  l.mode = 11, l.brightness = 12, l.speed = 13, l.direction = 14, l.multiColor = 1, l.red = 16, l.green = 17,
  l.blue = 18, l.secondMode = 19, l.customGroup = 20, l.oldMode = 21;
  data_.SetLightInfo(l);
  const Json::Value& o = data_.GetSection()["LightInfo"];
  const std::pair<const char*, int> lightKeys[] = {
      {"SelectItem", 11}, {"Light", 12}, {"Speed", 13}, {"Fx", 14}, {"MultiColor", 1}, {"Red", 16},
      {"Green", 17},      {"Blue", 18},  {"ZZCCLedMode", 19}, {"CustomGroup", 20}, {"OldLedmode", 21}};
  for (const auto& [key, value] : lightKeys) {
    ASSERT_TRUE(o[key].isIntegral()) << key;  // flags too are stored as integers
    EXPECT_EQ(o[key].asInt(), value) << key;
  }
  EXPECT_EQ(data_.GetLightInfo(), l);

  AudioLightInfo a{31, 32, 33, 34, 35, 36, 37, 1, 1};
  data_.SetAudioLightRecord(a);
  const Json::Value& ao = data_.GetSection()["AudioLightInfo"];
  EXPECT_EQ(ao.size(), 9u);
  const std::pair<const char*, int> audioKeys[] = {{"AudioMode", 31}, {"BkColorR", 32}, {"BkColorG", 33},
                                                   {"BkColorB", 34},  {"FgColorR", 35}, {"FgColorG", 36},
                                                   {"FgColorB", 37},  {"7ColorFlags", 1}, {"ColorTypeFlags", 1}};
  for (const auto& [key, value] : audioKeys) {
    ASSERT_TRUE(ao[key].isIntegral()) << key;
    EXPECT_EQ(ao[key].asInt(), value) << key;
  }
  EXPECT_EQ(data_.GetAudioLightRecord(), a);
}

TEST_F(LightDataTest, ListEntriesReadDirectionAsAFlagEffectStepsAsAByte) {
  Load(R"({"LightList": [{"LEDREGMode": 1, "LEDBrightness": 2, "LEDSpeed": 3, "LEDDirection": 7,
           "LEDMultiColor": 9, "red": 4, "green": 5, "blue": 6}]})");
  auto list = data_.GetLightList();
  ASSERT_EQ(list.size(), 1u);
  LightInfo expected;
  expected.mode = 1, expected.brightness = 2, expected.speed = 3, expected.direction = 1, expected.multiColor = 1;
  expected.red = 4, expected.green = 5, expected.blue = 6;
  expected.further[kLightListEntryFlag] = 1;
  EXPECT_EQ(list[0], expected);

  data_.SetProfileKindIndex(kMouseKindIndex);
  WriteCatalogue(kMouseKindIndex);
  WriteText(Path("first.light"),
            R"({"LEDEffectList": [{"LEDREGMode": 1, "LEDBrightness": 2, "LEDSpeed": 3, "LEDDirection": 7,
                "LEDMultiColor": 9, "red": 4, "green": 5, "blue": 6, "Time": -5, "Cyle": 70000}]})");
  data_.LoadLightConfig(data_.GetLightConfigPath());
  data_.SetLightInfo(Mode(10));
  auto steps = data_.GetCustomLightEffect();
  ASSERT_EQ(steps.size(), 1u);
  EXPECT_EQ(steps[0], (LEDEffectStep{1, 2, 3, 7, 9, 4, 5, 6, -5, 70000}));
}

TEST_F(LightDataTest, AudioLightRecord) {
  Load(R"({"AudioLightInfo": {"AudioMode": 3, "BkColorR": 1, "FgColorB": 9, "7ColorFlags": 2,
           "ColorTypeFlags": "yes"}})");
  AudioLightInfo a = data_.GetAudioLightRecord();
  EXPECT_EQ(a.audioMode, 3);
  EXPECT_EQ(a.bkRed, 1);
  EXPECT_EQ(a.fgBlue, 9);
  EXPECT_EQ(a.sevenColorFlag, 1);
  EXPECT_EQ(a.colorTypeFlag, 0);
  a.fgGreen = 77;
  data_.SetAudioLightRecord(a);
  EXPECT_EQ(data_.GetSection()["AudioLightInfo"]["FgColorG"].asInt(), 77);
  EXPECT_EQ(data_.GetSection()["AudioLightInfo"]["7ColorFlags"].asInt(), 1);
  Load("{}");
  EXPECT_EQ(data_.GetAudioLightRecord(), AudioLightInfo{});
}

TEST_F(LightDataTest, LightListMarksPresentEntries) {
  Load(R"({"LightList": [{"LEDREGMode": 1, "LEDDirection": 4, "red": 9}, null, {"LEDMultiColor": 2}, "x"]})");
  auto list = data_.GetLightList();
  ASSERT_EQ(list.size(), 4u);
  EXPECT_EQ(list[0].mode, 1);
  EXPECT_EQ(list[0].direction, 1);
  EXPECT_EQ(list[0].red, 9);
  EXPECT_EQ(list[0].further[kLightListEntryFlag], 1);
  EXPECT_EQ(list[1], LightInfo{});
  EXPECT_EQ(list[2].multiColor, 1);
  EXPECT_EQ(list[2].further[kLightListEntryFlag], 1);
  EXPECT_EQ(list[3].further[kLightListEntryFlag], 0);
  Load(R"({"LightList": {"a": 1}})");
  EXPECT_TRUE(data_.GetLightList().empty());
}

TEST_F(LightDataTest, CustomEffectStepsFollowTheModeNumbering) {
  data_.SetProfileKindIndex(kMouseKindIndex);
  WriteCatalogue(kMouseKindIndex);
  data_.LoadLightConfig(data_.GetLightConfigPath());
  // Mouse modes below 10 are built-in: no steps.
  data_.SetLightInfo(Mode(9));
  EXPECT_TRUE(data_.GetCustomLightEffect().empty());
  // Mode 10 is the first custom effect of the mouse's element.
  data_.SetLightInfo(Mode(10));
  auto steps = data_.GetCustomLightEffect();
  ASSERT_EQ(steps.size(), 2u);
  EXPECT_EQ(steps[0], (LEDEffectStep{2, 4, 1, 1, 0, 44, 2, 3, 1500, 2}));
  EXPECT_EQ(steps[1], LEDEffectStep{});
  // A step file without "LEDEffectList", and an entry beyond the catalogue, give no steps.
  data_.SetLightInfo(Mode(11));
  EXPECT_TRUE(data_.GetCustomLightEffect().empty());
  data_.SetLightInfo(Mode(12));
  EXPECT_TRUE(data_.GetCustomLightEffect().empty());

  // The keyboard counts its custom effects from mode 0.
  CBasicProfiledata kb;
  kb.SetProfileKindIndex(kKeyboardKindIndex);
  kb.SetLightConfigPath(Path("velko_light.config"));
  WriteCatalogue(kKeyboardKindIndex);
  kb.LoadLightConfig(Path("velko_light.config"));
  kb.SetLightInfo(Mode(0));
  EXPECT_EQ(kb.GetCustomLightEffect().size(), 2u);
}

TEST_F(LightDataTest, NoCatalogueOrUnsafeGuidGivesNoSteps) {
  data_.SetProfileKindIndex(kMousePadKindIndex);
  data_.SetLightConfigPath(Path("velko_light.config"));
  EXPECT_TRUE(data_.LoadLightConfig(Path("velko_light.config")).isNull());
  data_.SetLightInfo(Mode(9));
  EXPECT_TRUE(data_.GetCustomLightEffect().empty());

  // An imported catalogue whose Guid points outside the folder is not followed.
  std::filesystem::create_directories(Path("sub"));
  WriteCatalogue(kMousePadKindIndex, "../first");
  data_.SetLightConfigPath(Path("sub/velko_light.config"));
  std::filesystem::rename(Path("velko_light.config"), Path("sub/velko_light.config"));
  data_.LoadLightConfig(Path("sub/velko_light.config"));
  data_.SetLightInfo(Mode(10));
  EXPECT_EQ(data_.CustomLightEffectPath(), "");
  EXPECT_TRUE(data_.GetCustomLightEffect().empty());
}

TEST(LightCatalogue, ReadersKeepTheListWhenTheKindIsMissing) {
  CJsonFile file;
  Json::Value catalogue = file.ReadDocument(test::SourceFile("DefaultData/default_light.json"));
  for (int kind : {kKeyboardKindIndex, kMouseKindIndex, kMousePadKindIndex, kHeadsetKindIndex}) {
    std::vector<BuiltInLightEntry> names;
    ASSERT_TRUE(ReadBuiltInLightNames(catalogue, kind, names)) << kind;
    // Every built-in effect comes before the first custom mode, and has its own device code.
    EXPECT_EQ(static_cast<int>(names.size()), kind == kKeyboardKindIndex ? 31 : FirstCustomLightMode(kind)) << kind;
    std::vector<std::string> areas;
    EXPECT_TRUE(ReadAreaLightNames(catalogue, kind, areas));
    EXPECT_FALSE(areas.empty());
  }
  std::vector<BuiltInLightEntry> kept{{"x", true, 1}};
  EXPECT_FALSE(ReadBuiltInLightNames(catalogue, 4, kept));
  EXPECT_FALSE(ReadBuiltInLightNames(catalogue, -1, kept));
  EXPECT_EQ(kept.size(), 1u);

  Json::Value config;
  config["LightInfo"][0] = 5;  // wrong type: the kind's element does not exist
  std::vector<CustomLightEntry> custom{{"a", "b"}};
  EXPECT_FALSE(ReadCustomLightEntries(config, 0, custom));
  config["LightInfo"][1][0]["LightName"] = "Mine";
  config["LightInfo"][1][0]["Guid"] = "g1";
  config["LightInfo"][1][1] = "junk";
  ASSERT_TRUE(ReadCustomLightEntries(config, 1, custom));
  EXPECT_EQ(custom, (std::vector<CustomLightEntry>{{"Mine", "g1"}, {"", ""}}));
}

}  // namespace
}  // namespace orlo
