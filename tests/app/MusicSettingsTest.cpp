// The music styles file: the default copy in place of a missing or invalid user copy (the invalid
// one kept aside), an unreadable one never written, saves that keep the rest of the file, and
// the colour block's bytes.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

#include "app/MusicSettings.h"
#include "profile/FaultFiles.h"

namespace orlo {
namespace {

namespace fs = std::filesystem;
constexpr const char* kDefault = ORLO_SOURCE_DIR "/DefaultData/AudioFile.json";

MusicStyleSettings ShippedDefaults() {
  MusicStyleSettings s;
  s.names = {"第一组", "第二组", "第三组", "第四组"};
  s.colours = {{{9, 3, 0}, {0, 9, 5}, {3, 4, 9}, {9, 0, 7}}};
  return s;
}

Json::Value Read(const std::string& path) { return CJsonFile().ReadDocument(path); }

class MusicSettingsTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }
  QTemporaryDir dir_;
};

TEST_F(MusicSettingsTest, AMissingOrInvalidUserCopyBecomesTheDefaultOneAndTheInvalidOneIsKept) {
  CMusicSettings fresh(kDefault, Path("new/AudioFile.json"));
  fresh.Load();
  EXPECT_EQ(fresh.Style(), ShippedDefaults());
  EXPECT_EQ(Read(Path("new/AudioFile.json")), Read(kDefault));

  std::ofstream(Path("AudioFile.json")) << "{\"Device\": ";
  CMusicSettings invalid(kDefault, Path("AudioFile.json"));
  invalid.Load();
  EXPECT_EQ(invalid.Style(), ShippedDefaults());
  EXPECT_EQ(Read(Path("AudioFile.json")), Read(kDefault));
  std::vector<std::string> kept;
  for (const auto& e : fs::directory_iterator(dir_.path().toStdString()))
    if (e.path().filename().string().rfind("AudioFile.json.invalid-", 0) == 0) kept.push_back(e.path().string());
  ASSERT_EQ(kept.size(), 1u);
  std::ifstream in(kept[0]);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "{\"Device\": ");

  // Without a default copy nothing is written and the styles are empty.
  CMusicSettings none(Path("nowhere.json"), Path("other.json"));
  none.Load();
  EXPECT_EQ(none.Style(), MusicStyleSettings{});
  EXPECT_FALSE(fs::exists(Path("other.json")));
}

TEST_F(MusicSettingsTest, AnUnreadableUserCopyIsNeverWritten) {
  test::MakeIoErrorFile(Path("eio.json"));
  CMusicSettings music(kDefault, Path("eio.json"));
  test::NoticeCatcher notices;
  music.Load();
  ASSERT_EQ(notices.texts.size(), 1u);
  EXPECT_NE(notices.texts[0].find("cannot read"), std::string::npos) << notices.texts[0];
  EXPECT_EQ(music.Style(), ShippedDefaults());  // from memory
  music.WriteStyle(MusicStyleSettings{});
  EXPECT_FALSE(music.Save());
  music.Reset();
  EXPECT_EQ(test::LinkTarget(Path("eio.json")), "/proc/self/mem");
}

TEST_F(MusicSettingsTest, OddValuesReadAsZeroAndASaveReplacesOnlyTheDeviceMember) {
  std::ofstream(Path("a.json")) << R"({"Other": 1, "Device": {"AudioLightInfo":
      {"nAudioStyle": 258, "nStyleR1": "7", "nStyleG1": 6, "nStyleB1": -1, "nStyleName2": 5}}})";
  CMusicSettings music(kDefault, Path("a.json"));
  music.Load();
  MusicStyleSettings s = music.Style();
  EXPECT_EQ(s.style, 2);  // 258 cut to 8 bits
  EXPECT_EQ(s.colours[1], (MusicStyleColour{0, 6, 255}));
  EXPECT_EQ(s.names[1], "");
  s.names[0] = "Rock";
  music.WriteStyle(s);
  ASSERT_TRUE(music.Save());
  const Json::Value saved = Read(Path("a.json"));
  EXPECT_EQ(saved["Other"], 1);
  EXPECT_EQ(saved["Device"]["AudioLightInfo"].size(), 17u);
  EXPECT_EQ(saved["Device"]["AudioLightInfo"]["nStyleName1"], "Rock");
  EXPECT_EQ(saved["Device"]["AudioLightInfo"]["nStyleB1"], 255);
  music.Reset();
  EXPECT_EQ(Read(Path("a.json")), Read(kDefault));
}

TEST_F(MusicSettingsTest, TheColourBlockCarriesTheSelectedStylesColourWithGreenNeverZero) {
  MusicStyleSettings s = ShippedDefaults();
  s.style = 3;  // 9, 0, 7
  std::vector<uint8_t> expected(40, 0);
  expected[0] = 9, expected[4] = 1, expected[8] = 7;
  EXPECT_EQ(CMusicSettings::ColourBlock(s), expected);
  s.style = 7;  // no such style: style 0's colour, 9, 3, 0
  expected[4] = 3, expected[8] = 0;
  EXPECT_EQ(CMusicSettings::ColourBlock(s), expected);
}

}  // namespace
}  // namespace orlo
