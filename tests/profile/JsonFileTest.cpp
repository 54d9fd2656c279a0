#include <gtest/gtest.h>

#include <chrono>
#include <regex>
#include <set>

#include "ProfileTestDir.h"
#include "profile/FileId.h"
#include "profile/JsonAccess.h"
#include "profile/JsonFile.h"
#include "profile/TextConvert.h"

namespace orlo {
namespace {

using JsonFileTest = test::ProfileTestDir;

TEST_F(JsonFileTest, WritesStyledTextWithCrLfAndTwoTrailingBreaks) {
  Json::Value doc;
  doc["profilename"] = "Game";
  doc["Device"][0]["LightInfo"]["Red"] = 255;
  doc["Device"][0]["LightList"] = Json::Value(Json::arrayValue);
  doc["profileUUID"] = "2024_03_05_14_07_09_042";
  CJsonFile file;
  ASSERT_EQ(file.WriteDocument(Path("p.Json"), doc), 0);
  const std::string expected =
      "{\r\n"
      "   \"Device\" : [\r\n"
      "      {\r\n"
      "         \"LightInfo\" : {\r\n"
      "            \"Red\" : 255\r\n"
      "         },\r\n"
      "         \"LightList\" : []\r\n"
      "      }\r\n"
      "   ],\r\n"
      "   \"profileUUID\" : \"2024_03_05_14_07_09_042\",\r\n"
      "   \"profilename\" : \"Game\"\r\n"
      "}\r\n"
      "\r\n";
  EXPECT_EQ(ReadText(Path("p.Json")), expected);
  EXPECT_EQ(file.ReadDocument(Path("p.Json")), doc);
}

TEST_F(JsonFileTest, ReadsLfTextAndStopsAtZeroByte) {
  CJsonFile file;
  WriteText(Path("lf.Json"), "{\n   \"a\" : 1\n}\n");
  EXPECT_EQ(file.ReadDocument(Path("lf.Json"))["a"].asInt(), 1);

  // Text after a 0 byte is not read: what is left is still a whole document here ...
  WriteText(Path("zero-ok.Json"), std::string("{\"a\":2}\0garbage", 15));
  EXPECT_EQ(file.ReadDocument(Path("zero-ok.Json"))["a"].asInt(), 2);
  // ... and a cut document here, which counts as missing.
  WriteText(Path("zero-cut.Json"), std::string("{\"a\":\0 3}", 9));
  EXPECT_EQ(file.readjsonFile(Path("zero-cut.Json")), "{\"a\":");
  EXPECT_TRUE(file.ReadDocument(Path("zero-cut.Json")).isNull());
}

TEST_F(JsonFileTest, UnreadableTextGivesNullWithoutThrowing) {
  CJsonFile file;
  EXPECT_TRUE(file.ReadDocument(Path("missing.Json")).isNull());
  WriteText(Path("bad.Json"), "{\"Device\": [");
  EXPECT_TRUE(file.ReadDocument(Path("bad.Json")).isNull());
  WriteText(Path("deep.Json"), std::string(100000, '['));
  Json::Value v;
  EXPECT_NO_THROW(v = file.ReadDocument(Path("deep.Json")));
  EXPECT_TRUE(v.isNull());
}

TEST_F(JsonFileTest, FailedWriteReportsFailureAndKeepsTheOldFile) {
  CJsonFile file;
  Json::Value doc;
  doc["a"] = 1;
  EXPECT_EQ(file.WriteDocument(Path("no-such-folder/p.Json"), doc), -1);
  ASSERT_EQ(file.WriteDocument(Path("p.Json"), doc), 0);
  // The target is a folder now: the rename fails, nothing else in the folder is left behind.
  std::filesystem::create_directories(Path("dir.Json/x"));
  EXPECT_EQ(file.WriteDocument(Path("dir.Json"), doc), -1);
  int files = 0;
  for (const auto& e : std::filesystem::directory_iterator(dir_)) files += e.is_regular_file();
  EXPECT_EQ(files, 1);
}

TEST(TimeStamp, FormatAndUniqueness) {
  using namespace std::chrono;
  const std::regex form(R"(\d{4}_\d{2}_\d{2}_\d{2}_\d{2}_\d{2}_\d{3})");
  EXPECT_TRUE(std::regex_match(CJsonFile::MakeTimeStamp(), form));

  // The millisecond part comes from the time point itself.
  auto t = time_point_cast<milliseconds>(system_clock::now());
  t -= milliseconds(t.time_since_epoch().count() % 1000) - milliseconds(42);
  std::string s = CJsonFile::MakeTimeStamp(t);
  EXPECT_EQ(s.substr(s.size() - 4), "_042");

  // Ids taken already: each new one moves forward until it is free.
  std::set<std::string> taken;
  for (int i = 0; i < 50; ++i) {
    std::string id = CJsonFile::MakeUniqueTimeStamp([&](const std::string& x) { return taken.count(x) > 0; });
    EXPECT_TRUE(std::regex_match(id, form)) << id;
    EXPECT_TRUE(taken.insert(id).second) << "duplicate " << id;
  }
  EXPECT_EQ(CJsonFile::GetFileTitle("/a/b/2024_03_05_14_07_09_042.Json"), "2024_03_05_14_07_09_042");
}

TEST(FileId, RefusesPathsAndAcceptsIds) {
  EXPECT_TRUE(IsSafeFileId("2024_03_05_14_07_09_042"));
  EXPECT_TRUE(IsSafeFileId("{6F9619FF-8B86-D011-B42D-00C04FC964FF}"));
  EXPECT_TRUE(IsSafeFileId("Effekt ä 1"));
  for (const char* bad : {"", "..", "../x", "a/b", "a\\b", "x..y", "/etc/passwd"}) EXPECT_FALSE(IsSafeFileId(bad)) << bad;
  EXPECT_FALSE(IsSafeFileId(std::string("a\0b", 3)));
  EXPECT_FALSE(IsSafeFileId("line\nbreak"));
}

TEST(TextConvert, RoundTripsAndSurvivesMalformedInput) {
  const std::string text = "Prüfung 音量 \xF0\x9F\x8E\xAE";
  std::wstring w = Utf8ToWide(text);
  EXPECT_EQ(w.size(), 12u);
  EXPECT_EQ(w[2], L'ü');
  EXPECT_EQ(WideToUtf8(w), text);
  // A truncated sequence and a stray continuation byte each become one replacement character;
  // the valid text around them is kept.
  EXPECT_EQ(Utf8ToWide("a\xE4z"), (std::wstring{L'a', wchar_t(0xFFFD), L'z'}));
  EXPECT_EQ(Utf8ToWide("\x80q"), (std::wstring{wchar_t(0xFFFD), L'q'}));
  // Overlong forms and encoded surrogates are not characters.
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), (std::wstring{wchar_t(0xFFFD), wchar_t(0xFFFD)}));
  EXPECT_EQ(WideToUtf8(std::wstring{wchar_t(0xD800)}), "\xEF\xBF\xBD");
}

TEST(JsonAccess, WrongTypesReadAsMissingAndNeverThrow) {
  Json::Value v;
  v["num"] = 5;
  v["str"] = "7";
  v["obj"]["x"] = 1;
  v["arr"][0] = 3;
  v["big"] = Json::UInt64(0xFFFFFFFFFFFFFFFFull);
  v["real"] = 1e300;
  EXPECT_EQ(json::Int(json::Find(&v, "num")), 5);
  EXPECT_EQ(json::Int(json::Find(&v, "str")), 0);
  EXPECT_EQ(json::Int(json::Find(&v, "obj")), 0);
  EXPECT_EQ(json::Int(json::Find(&v, "real")), 0);
  EXPECT_EQ(static_cast<uint16_t>(json::Int(json::Find(&v, "big"))), 0xFFFF);
  EXPECT_EQ(json::Find(json::Find(&v, "num"), "x"), nullptr);
  EXPECT_EQ(json::At(json::Find(&v, "obj"), 0), nullptr);
  EXPECT_EQ(json::At(json::Find(&v, "arr"), json::kMaxCreatingIndex + 1), nullptr);
  EXPECT_EQ(json::String(json::Find(&v, "num")), "");
  // The creating lookup leaves a null member behind; writing replaces a wrong type.
  json::Find(&v, "absent");
  EXPECT_TRUE(v.isMember("absent") && v["absent"].isNull());
  json::Slot(json::Slot(v, "num"), "y") = 2;
  EXPECT_EQ(v["num"]["y"].asInt(), 2);
}

}  // namespace
}  // namespace orlo
