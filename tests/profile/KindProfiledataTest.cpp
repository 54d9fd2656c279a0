#include <gtest/gtest.h>

#include "ProfileTestDir.h"
#include "profile/KeyboardProfiledata.h"
#include "profile/MouseProfiledata.h"

namespace orlo {
namespace {

class KindTest : public test::ProfileTestDir {
 protected:
  // Loads the section text into p (through a document file, as the drivers do).
  void Load(CBasicProfiledata& p, const std::string& sectionJson) {
    WriteText(Path("p.Json"), "{\"Device\": [" + sectionJson + "]}");
    p.SetProfilePath(Path("p.Json"));
    p.LoadSection(Path("p.Json"));
  }
};

std::string StagesJson(int count, int dpiBase) {
  std::string s = "{\"DPIStages\": {\"StageActive\": 1, \"StageDPIs\": [";
  for (int i = 0; i < count; ++i) {
    s += (i ? "," : "") + std::string("{\"StageActive\": 1, \"StageDPIX\": ") + std::to_string(dpiBase + i) +
         ", \"StageDPIY\": " + std::to_string(dpiBase + i) + ", \"StageColorR\": " + std::to_string(i) + "}";
  }
  return s + "]}}";
}

TEST_F(KindTest, MouseStagesMergeIntoTheFormerProfilesList) {
  CMouseProfiledata mouse;
  Load(mouse, StagesJson(5, 1000));
  ASSERT_EQ(mouse.GetDPIStages().size(), 5u);
  EXPECT_EQ(mouse.GetActiveDPIStage(), 1);

  // Three stages after five: the first three are new, the last two stay from before.
  Load(mouse, StagesJson(3, 2000));
  auto stages = mouse.GetDPIStages();
  ASSERT_EQ(stages.size(), 5u);
  EXPECT_EQ(stages[2].dpiX, 2002);
  EXPECT_EQ(stages[3].dpiX, 1003);
  EXPECT_EQ(stages[4].red, 4);

  // A profile without "DPIStages" keeps the stages and the active index in memory.
  mouse.SetActiveDPIStage(2);
  Load(mouse, "{\"LightInfo\": {}}");
  EXPECT_EQ(mouse.GetDPIStages(), stages);
  EXPECT_EQ(mouse.GetActiveDPIStage(), 2);
}

TEST_F(KindTest, MouseStageValuesAreCutAndTheActiveStageChecked) {
  CMouseProfiledata mouse;
  Load(mouse, R"({"DPIStages": {"StageActive": 9, "StageDPIs": [{"StageDPIX": 70000, "StageColorG": 300,
                  "StageDPIY": "800"}, {"StageXY": {"a": 1}}, 12]}})");
  auto stages = mouse.GetDPIStages();
  ASSERT_EQ(stages.size(), 3u);
  EXPECT_EQ(stages[0].dpiX, 4464);
  EXPECT_EQ(stages[0].green, 300 - 256);
  EXPECT_EQ(stages[0].dpiY, 0);  // a string where a number belongs reads as missing
  EXPECT_EQ(stages[1].xy, 0);
  EXPECT_EQ(stages[2], DPIStage{});
  // Stage 9 of three does not exist: the first stage is taken.
  EXPECT_EQ(mouse.GetActiveDPIStage(), 0);

  // Writing grows the array; elements beyond the new list stay in the document.
  Load(mouse, StagesJson(4, 100));
  mouse.SetDPIStages({{1, 1, 400, 500, 1, 2, 3}});
  const Json::Value& dpis = mouse.GetSection()["DPIStages"]["StageDPIs"];
  ASSERT_EQ(dpis.size(), 4u);
  EXPECT_EQ(dpis[0]["StageDPIY"].asInt(), 500);
  EXPECT_EQ(dpis[0]["StageColorB"].asInt(), 3);
  EXPECT_EQ(dpis[3]["StageDPIX"].asInt(), 103);
}

TEST_F(KindTest, MouseSystemStagesPackAndReportRates) {
  CMouseProfiledata mouse;
  // "SystemStages" without "ReportStages": the wired rate reads 0.
  Load(mouse, R"({"SystemStages": {"DoubleClickTime": 500, "MouseSpeed": 10, "PointerPrecision": 1,
                  "ScorllPage": 2, "WheelScorlllinse": 3}, "ReportStages24g": {"StageActive24g": 2}})");
  EXPECT_EQ(mouse.GetSystemStages(), (std::array<uint32_t, 4>{500 | 10u << 16, 1 | 2u << 16, 3, 2}));
  // Without "SystemStages" every value is 0, even with "ReportStages".
  Load(mouse, R"({"ReportStages": {"StageActive": 3}})");
  EXPECT_EQ(mouse.GetSystemStages(), (std::array<uint32_t, 4>{}));

  mouse.SetSystemStages(7 | 8u << 16, 9 | 10u << 16, 11 | 12u << 16, 13 | 0xFFFFu << 16);
  const Json::Value& s = mouse.GetSection();
  EXPECT_EQ(s["SystemStages"]["MouseSpeed"].asInt(), 8);
  EXPECT_EQ(s["SystemStages"]["ScorllPage"].asInt(), 10);
  EXPECT_EQ(s["SystemStages"]["WheelScorlllinse"].asInt(), 11);
  EXPECT_EQ(s["ReportStages"]["StageActive"].asInt(), 12);
  EXPECT_EQ(s["ReportStages24g"]["StageActive24g"].asInt(), 13);
  EXPECT_EQ(mouse.GetSystemStages(), (std::array<uint32_t, 4>{7 | 8u << 16, 9 | 10u << 16, 11 | 12u << 16, 13}));
}

TEST_F(KindTest, MouseCorrectionEntries) {
  CMouseProfiledata mouse;
  Load(mouse, R"({"CorrectInfo": [{"CorrectPixThresh": 258, "CorrectMinSq": 1, "CorrectSelect": 1,
                  "CorrectName": "Glas – hoch 高"}, {"CorrectName": 5}]})");
  auto c = mouse.GetCorrectInfo();
  ASSERT_EQ(c.size(), 2u);
  EXPECT_EQ(c[0].pixThresh, 2);
  EXPECT_EQ(c[0].name, "Glas – hoch 高");
  EXPECT_EQ(c[1].name, "");
  Load(mouse, R"({"CorrectInfo": {"CorrectName": "x"}})");
  EXPECT_TRUE(mouse.GetCorrectInfo().empty());
}

TEST_F(KindTest, KeyboardCustomColoursCompleteTheSection) {
  CKeyboardProfiledata kb;
  Load(kb, "{}");
  auto colours = kb.GetCustomLightColors(2, 170);
  EXPECT_EQ(colours, std::vector<LightColor>(170));
  const Json::Value& info = kb.GetSection()["CustomLightMode"]["LightColorInfo"];
  ASSERT_EQ(info.size(), 3u);
  EXPECT_TRUE(info[0].isNull());
  EXPECT_TRUE(info[1].isNull());
  ASSERT_EQ(info[2].size(), 170u);
  EXPECT_EQ(info[2][169]["Alpha"].asInt(), 0);

  // 100 stored colours asked for 170: the stored ones are kept, 70 zero ones are added, and
  // elements beyond the count are not touched.
  std::string group = "[";
  for (int i = 0; i < 100; ++i) group += (i ? "," : "") + std::string("{\"Red\": ") + std::to_string(i) + ", \"Alpha\": 255}";
  group += "]";
  Load(kb, "{\"CustomLightMode\": {\"LightColorInfo\": [" + group + "]}}");
  colours = kb.GetCustomLightColors(0, 170);
  EXPECT_EQ(colours[99].red, 99);
  EXPECT_EQ(colours[99].alpha, 255);
  EXPECT_EQ(colours[100], LightColor{});
  EXPECT_EQ(kb.GetSection()["CustomLightMode"]["LightColorInfo"][0].size(), 170u);
  EXPECT_EQ(kb.GetCustomLightColors(0, 10).size(), 10u);
  EXPECT_EQ(kb.GetSection()["CustomLightMode"]["LightColorInfo"][0].size(), 170u);

  kb.SetCustomLightColors({{1, 2, 3, 4}}, 0);
  EXPECT_EQ(kb.GetCustomLightColors(0, 2)[0], (LightColor{1, 2, 3, 4}));
  EXPECT_EQ(kb.GetCustomLightColors(0, 2)[1].red, 1);
}

TEST_F(KindTest, KeyboardGroupIndexIsRangeChecked) {
  CKeyboardProfiledata kb;
  Load(kb, "{}");
  EXPECT_EQ(kb.GetCustomLightModeGroupIndex(), 0);
  ASSERT_TRUE(kb.GetSection()["CustomLightMode"].isObject());
  EXPECT_TRUE(kb.GetSection()["CustomLightMode"].isMember("CustomLightModeGroupIndex"));
  EXPECT_TRUE(kb.GetSection()["CustomLightMode"]["CustomLightModeGroupIndex"].isNull());

  // A hand-edited index far outside the groups must not make the colours grow an array that
  // large: it reads as group 0.
  Load(kb, R"({"CustomLightMode": {"CustomLightModeGroupIndex": 2000000000}})");
  int g = kb.GetCustomLightModeGroupIndex();
  EXPECT_EQ(g, 0);
  Load(kb, R"({"CustomLightMode": {"CustomLightModeGroupIndex": 3}})");
  EXPECT_EQ(kb.GetCustomLightModeGroupIndex(), 3);
  // Groups out of range are neither read nor written.
  EXPECT_EQ(kb.GetCustomLightColors(-1, 5), std::vector<LightColor>(5));
  EXPECT_EQ(kb.GetCustomLightColors(1 << 30, 5), std::vector<LightColor>(5));
  kb.SetCustomLightColors({{1, 1, 1, 1}}, 99);
  kb.SetCustomLightModeGroupIndex(-4);
  EXPECT_FALSE(kb.GetSection()["CustomLightMode"].isMember("LightColorInfo"));
  EXPECT_EQ(kb.GetCustomLightModeGroupIndex(), 3);
  // Wrong types in the path read as zero colours and are left as they are.
  Load(kb, R"({"CustomLightMode": {"LightColorInfo": {"0": []}}})");
  EXPECT_EQ(kb.GetCustomLightColors(0, 3), std::vector<LightColor>(3));
  EXPECT_TRUE(kb.GetSection()["CustomLightMode"]["LightColorInfo"].isObject());
}

TEST_F(KindTest, KeyboardSystemStages) {
  CKeyboardProfiledata kb;
  Load(kb, R"({"SystemStages": {"Repeat": 31, "RepeatDelay": 65537, "Key6Flag": 1, "PollingRate": 3,
               "WFlag": 0, "WinFlag": true}})");
  EXPECT_EQ(kb.GetSystemStages(), (std::array<uint32_t, 3>{31 | 1u << 16, 1 | 3u << 16, 0 | 1u << 16}));
  Load(kb, "{}");
  EXPECT_EQ(kb.GetSystemStages(), (std::array<uint32_t, 3>{}));
  kb.SetSystemStages(1 | 2u << 16, 3 | 4u << 16, 5 | 6u << 16);
  EXPECT_EQ(kb.GetSection()["SystemStages"]["RepeatDelay"].asInt(), 2);
  EXPECT_EQ(kb.GetSection()["SystemStages"]["WinFlag"].asInt(), 6);
  EXPECT_EQ(kb.SystemStages(), KeyboardSystemStages::Unpack(1 | 2u << 16, 3 | 4u << 16, 5 | 6u << 16));
}

}  // namespace
}  // namespace orlo
