// The music styles file: the default copy in place of a missing or invalid user copy (the invalid
// one kept aside), an unreadable one never written over, odd values, saves that keep the rest
// of the file, the reset, and the colour block's bytes.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/MusicSettings.h"
#include "profile/FaultFiles.h"

namespace orlo {
namespace {

namespace fs = std::filesystem;

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteText(const std::string& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }

Json::Value Parse(const std::string& text) {
  Json::Value v;
  EXPECT_TRUE(CJsonFile::ParseDocument(text, v)) << text;
  return v;
}

// The styles of the shipped default copy.
MusicStyleSettings ShippedDefaults() {
  MusicStyleSettings s;
  s.style = 0;
  s.names = {"第一组", "第二组", "第三组", "第四组"};
  s.colours = {{{9, 3, 0}, {0, 9, 5}, {3, 4, 9}, {9, 0, 7}}};
  return s;
}

class MusicSettingsTest : public ::testing::Test {
 protected:
  std::string User(const char* name = "AudioFile.json") const { return dir_.filePath(name).toStdString(); }
  std::string Default() const { return ORLO_SOURCE_DIR "/DefaultData/AudioFile.json"; }
  std::vector<std::string> Aside(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const auto& e : fs::directory_iterator(dir_.path().toStdString()))
      if (e.path().filename().string().rfind(prefix, 0) == 0) found.push_back(e.path().string());
    return found;
  }

  QTemporaryDir dir_;
};

TEST_F(MusicSettingsTest, AMissingUserCopyBecomesTheDefaultOneAndAMissingDefaultWritesNothing) {
  const std::string user = dir_.filePath("new/folder/AudioFile.json").toStdString();
  CMusicSettings music(Default(), user);
  music.Load();
  EXPECT_EQ(music.Style(), ShippedDefaults());
  EXPECT_EQ(CJsonFile().ReadDocument(user), CJsonFile().ReadDocument(Default()));

  CMusicSettings none(dir_.filePath("nowhere.json").toStdString(), User("other.json"));
  none.Load();
  EXPECT_EQ(none.Style(), MusicStyleSettings{});
  EXPECT_TRUE(none.Document().isNull());
  EXPECT_FALSE(fs::exists(User("other.json")));
  none.Reset();
  EXPECT_FALSE(fs::exists(User("other.json")));
}

TEST_F(MusicSettingsTest, AnInvalidUserCopyIsKeptAsideAndAnUnreadableOneIsNeverWritten) {
  WriteText(User(), "{\"Device\": {\"AudioLightInfo\": ");
  CMusicSettings music(Default(), User());
  {
    test::NoticeCatcher notices;
    music.Load();
    EXPECT_EQ(notices.texts.size(), 1u);
  }
  EXPECT_EQ(music.Style(), ShippedDefaults());
  const auto kept = Aside("AudioFile.json.invalid-");
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(ReadText(kept[0]), "{\"Device\": {\"AudioLightInfo\": ");
  EXPECT_EQ(CJsonFile().ReadDocument(User()), CJsonFile().ReadDocument(Default()));

  test::MakeIoErrorFile(User("eio.json"));
  CMusicSettings unreadable(Default(), User("eio.json"));
  test::NoticeCatcher notices;
  unreadable.Load();
  ASSERT_EQ(notices.texts.size(), 1u);
  EXPECT_NE(notices.texts[0].find("cannot read"), std::string::npos) << notices.texts[0];
  EXPECT_EQ(unreadable.Style(), ShippedDefaults());  // from memory
  MusicStyleSettings changed = ShippedDefaults();
  changed.style = 3;
  unreadable.WriteStyle(changed);
  EXPECT_FALSE(unreadable.Save());
  unreadable.Reset();
  EXPECT_EQ(test::LinkTarget(User("eio.json")), "/proc/self/mem");
  EXPECT_TRUE(Aside("eio.json.").empty());
}

TEST_F(MusicSettingsTest, OddValuesReadAsZeroAndASaveReplacesOnlyTheDeviceMember) {
  WriteText(User(), R"({"Other": {"x": 1},
    "Device": {"Keep": true, "AudioLightInfo": {"nAudioStyle": 258, "nStyleR1": "7", "nStyleG1": 6,
                                                "nStyleB1": -1, "nStyleName2": 5, "nStyleName3": "Live"}}})");
  CMusicSettings music(Default(), User());
  music.Load();
  MusicStyleSettings s = music.Style();
  EXPECT_EQ(s.style, 2);  // 258 cut to 8 bits
  EXPECT_EQ(s.colours[1], (MusicStyleColour{0, 6, 255}));
  EXPECT_EQ(s.names, (std::array<std::string, 4>{"", "", "Live", ""}));

  s.colours[1].red = 4;
  s.names[0] = "Rock";
  music.WriteStyle(s);
  ASSERT_TRUE(music.Save());
  EXPECT_EQ(CJsonFile().ReadDocument(User()), Parse(R"({"Other": {"x": 1}, "Device": {"Keep": true,
    "AudioLightInfo": {"nAudioStyle": 2, "nStyleName1": "Rock", "nStyleName2": "", "nStyleName3": "Live",
      "nStyleName4": "", "nStyleR0": 0, "nStyleG0": 0, "nStyleB0": 0, "nStyleR1": 4, "nStyleG1": 6,
      "nStyleB1": 255, "nStyleR2": 0, "nStyleG2": 0, "nStyleB2": 0, "nStyleR3": 0, "nStyleG3": 0,
      "nStyleB3": 0}}})"));

  // A valid file without a usable "Device" gets the default one and keeps the rest.
  WriteText(User("bare.json"), R"({"Other": 7, "Device": "none"})");
  CMusicSettings bare(Default(), User("bare.json"));
  bare.Load();
  EXPECT_EQ(bare.Style(), ShippedDefaults());
  Json::Value expected = CJsonFile().ReadDocument(Default());
  expected["Other"] = 7;
  EXPECT_EQ(CJsonFile().ReadDocument(User("bare.json")), expected);

  // The reset puts the whole default copy in place.
  music.Reset();
  EXPECT_EQ(music.Style(), ShippedDefaults());
  EXPECT_EQ(CJsonFile().ReadDocument(User()), CJsonFile().ReadDocument(Default()));
}

TEST_F(MusicSettingsTest, TheColourBlockCarriesTheSelectedStylesColourWithGreenNeverZero) {
  MusicStyleSettings s = ShippedDefaults();
  s.style = 3;  // 9, 0, 7
  std::vector<uint8_t> expected(40, 0);
  expected[0] = 9, expected[4] = 1, expected[8] = 7;
  EXPECT_EQ(CMusicSettings::ColourBlock(s), expected);
  s.style = 7;  // no such style: style 0's colour, 9, 3, 0
  expected[0] = 9, expected[4] = 3, expected[8] = 0;
  EXPECT_EQ(CMusicSettings::ColourBlock(s), expected);
  s.style = 1;
  s.colours[1] = {200, 0x34, 0};
  expected[0] = 200, expected[4] = 0x34, expected[8] = 0;
  EXPECT_EQ(CMusicSettings::ColourBlock(s), expected);
}

}  // namespace
}  // namespace orlo
