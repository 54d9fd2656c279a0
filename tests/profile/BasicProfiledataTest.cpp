#include <gtest/gtest.h>

#include <set>

#include "FaultFiles.h"
#include "ProfileTestDir.h"
#include "profile/BasicProfiledata.h"
#include "profile/KeyboardProfiledata.h"
#include "profile/MouseProfiledata.h"

namespace orlo {
namespace {

class ProfileStoreTest : public test::ProfileTestDir {
 protected:
  void SetUp() override {
    ProfileTestDir::SetUp();
    Json::Value def;
    def["Device"][0]["LightInfo"]["Red"] = 9;
    def["Device"][0]["LightList"] = Json::Value(Json::arrayValue);
    ASSERT_EQ(file_.WriteDocument(Path("default.Json"), def), 0);
    defaultText_ = ReadText(Path("default.Json"));
    data_.SetDefaultPath(Path("default.Json"));
  }

  Json::Value Doc(const std::string& name) { return file_.ReadDocument(Path(name)); }

  CJsonFile file_;
  CBasicProfiledata data_;
  std::string defaultText_;
};

TEST_F(ProfileStoreTest, MissingDocumentIsCreatedFromTheDefault) {
  Json::Value section = data_.LoadSection(Path("p.Json"));
  EXPECT_EQ(section["LightInfo"]["Red"].asInt(), 9);
  Json::Value doc = Doc("p.Json");
  EXPECT_EQ(doc.getMemberNames(), std::vector<std::string>{"Device"});
  EXPECT_EQ(doc["Device"][0], section);
}

TEST_F(ProfileStoreTest, BrokenOrEmptySectionIsRepairedKeepingTheNames) {
  // Empty "Device", a section of the wrong type, "Device" of the wrong type: each is repaired
  // from the default and the names beside it stay.
  for (const char* device : {"[]", "[5]", "[[1]]", "{\"0\": {}}", "\"x\""}) {
    WriteText(Path("p.Json"), std::string("{\"profilename\": \"Mine\", \"profileUUID\": \"u1\", \"Device\": ") +
                                  device + "}");
    Json::Value section = data_.LoadSection(Path("p.Json"));
    Json::Value doc = Doc("p.Json");
    EXPECT_EQ(section["LightInfo"]["Red"].asInt(), 9) << device;
    EXPECT_EQ(doc["profilename"].asString(), "Mine") << device;
    EXPECT_EQ(doc["profileUUID"].asString(), "u1") << device;
    EXPECT_EQ(doc["Device"][0], section) << device;
  }
  // Not JSON at all, or a root that is no object: the names cannot be recovered, and each such
  // file is kept aside under a name of its own.
  test::NoticeCatcher notices;
  std::set<std::string> expectKept;
  for (const char* text : {"{\"profilename\": \"Mine\", ", "[1, 2]", "17"}) {
    WriteText(Path("q.Json"), text);
    data_.LoadSection(Path("q.Json"));
    EXPECT_EQ(Doc("q.Json").getMemberNames(), std::vector<std::string>{"Device"}) << text;
    EXPECT_EQ(Doc("q.Json")["Device"][0]["LightInfo"]["Red"].asInt(), 9);
    expectKept.insert(text);
  }
  std::set<std::string> kept;
  for (const auto& e : std::filesystem::directory_iterator(dir_))
    if (e.path().filename().string().rfind("q.Json.invalid-", 0) == 0) kept.insert(ReadText(e.path().string()));
  EXPECT_EQ(kept, expectKept);
  EXPECT_EQ(notices.texts.size(), 3u);
}

TEST_F(ProfileStoreTest, DefaultDocumentIsNeverWritten) {
  // A default document without a section, loaded by its own path (a reload of the defaults),
  // under another spelling of that path too.
  WriteText(Path("default.Json"), "{\"Device\": []}");
  data_.LoadSection(Path("default.Json"));
  data_.LoadSection(dir_.string() + "/./default.Json");
  EXPECT_EQ(ReadText(Path("default.Json")), "{\"Device\": []}");
  EXPECT_TRUE(data_.GetSection().isNull());
}

TEST_F(ProfileStoreTest, NoDefaultEitherLeavesANullSectionAndZeroValues) {
  CMouseProfiledata mouse;
  mouse.SetDefaultPath(Path("absent.Json"));
  mouse.LoadSection(Path("p.Json"));
  Json::Value doc = Doc("p.Json");
  ASSERT_TRUE(doc["Device"].isArray());
  EXPECT_EQ(doc["Device"].size(), 1u);
  EXPECT_TRUE(doc["Device"][0].isNull());
  EXPECT_TRUE(mouse.GetDPIStages().empty());
  EXPECT_EQ(mouse.GetSystemStages(), (std::array<uint32_t, 4>{}));
  EXPECT_EQ(mouse.GetLightInfo(), LightInfo{});
  EXPECT_TRUE(mouse.GetKeyList().empty());
}

TEST_F(ProfileStoreTest, SaveKeepsRootMembersAndOnlyReplacesTheSection) {
  WriteText(Path("p.Json"), "{\"profilename\": \"Mine\", \"extra\": [1], \"Device\": [{\"LightInfo\": {\"Red\": 1}}]}");
  data_.SetProfilePath(Path("p.Json"));
  data_.LoadSection(Path("p.Json"));
  LightInfo light;
  light.red = 200;
  data_.SetLightInfo(light);
  // Nothing reaches the file before Save.
  EXPECT_EQ(Doc("p.Json")["Device"][0]["LightInfo"]["Red"].asInt(), 1);
  EXPECT_EQ(data_.Save(), 1);
  Json::Value doc = Doc("p.Json");
  EXPECT_EQ(doc["Device"][0]["LightInfo"]["Red"].asInt(), 200);
  EXPECT_EQ(doc["profilename"].asString(), "Mine");
  EXPECT_EQ(doc["extra"][0].asInt(), 1);

  // Saving to a missing file writes a document whose only member is "Device".
  EXPECT_EQ(data_.SaveSection(data_.GetSection(), Path("new.Json")), 1);
  EXPECT_EQ(Doc("new.Json").getMemberNames(), std::vector<std::string>{"Device"});
  // A failed write is reported as such.
  EXPECT_EQ(data_.SaveSection(data_.GetSection(), Path("no-folder/x.Json")), 0);
}

TEST_F(ProfileStoreTest, UnreadableDocumentIsNeverWrittenAndToldOnce) {
  test::NoticeCatcher notices;
  test::MakeIoErrorFile(Path("eio.Json"));
  std::filesystem::create_directory(Path("dir.Json"));
  test::MakeSocketFile(Path("sock.Json"));
  Json::Value whole;
  whole["Device"][0]["LightInfo"]["Red"] = 1;
  for (const char* name : {"eio.Json", "dir.Json", "sock.Json"}) {
    // The defaults serve from memory; every write is refused.
    for (int pass = 0; pass < 2; ++pass) {
      Json::Value section = data_.LoadSection(Path(name));
      EXPECT_EQ(section["LightInfo"]["Red"].asInt(), 9) << name;
      data_.SetProfilePath(Path(name));
      EXPECT_EQ(data_.Save(), 0) << name;
      EXPECT_EQ(data_.SaveSection(section, Path(name)), 0) << name;
      EXPECT_EQ(data_.WriteWholeDocument(whole, Path(name)), 0) << name;
    }
  }
  EXPECT_EQ(test::LinkTarget(Path("eio.Json")), "/proc/self/mem");
  EXPECT_TRUE(std::filesystem::is_directory(Path("dir.Json")));
  EXPECT_TRUE(std::filesystem::is_socket(Path("sock.Json")));
  ASSERT_EQ(notices.texts.size(), 3u) << "once per file";
  EXPECT_NE(notices.texts[0].find("(Input/output error)"), std::string::npos) << notices.texts[0];
  EXPECT_NE(notices.texts[1].find("(Is a directory)"), std::string::npos) << notices.texts[1];
  EXPECT_NE(notices.texts[2].find("(No such device or address)"), std::string::npos) << notices.texts[2];
}

TEST_F(ProfileStoreTest, InvalidDocumentIsMovedAsideBeforeTheDefaultTakesItsPlace) {
  test::NoticeCatcher notices;
  const std::string broken = "{\"profilename\": \"Mine\", \"Device\": [{\"LightInfo\": ";
  WriteText(Path("p.Json"), broken);
  EXPECT_EQ(data_.LoadSection(Path("p.Json"))["LightInfo"]["Red"].asInt(), 9);
  EXPECT_EQ(Doc("p.Json")["Device"][0]["LightInfo"]["Red"].asInt(), 9);
  std::vector<std::string> kept;
  for (const auto& e : std::filesystem::directory_iterator(dir_))
    if (e.path().filename().string().rfind("p.Json.invalid-", 0) == 0) kept.push_back(e.path().string());
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(ReadText(kept[0]), broken);
  ASSERT_EQ(notices.texts.size(), 1u);
  EXPECT_NE(notices.texts[0].find("'" + kept[0] + "'"), std::string::npos) << notices.texts[0];

  // A save over an invalid document keeps it the same way.
  WriteText(Path("q.Json"), "not json");
  LightInfo light;
  light.red = 77;
  data_.SetLightInfo(light);
  EXPECT_EQ(data_.SaveSection(data_.GetSection(), Path("q.Json")), 1);
  EXPECT_EQ(Doc("q.Json")["Device"][0]["LightInfo"]["Red"].asInt(), 77);
  EXPECT_EQ(notices.texts.size(), 2u);
}

TEST_F(ProfileStoreTest, PathsAndIndex) {
  data_.SetProfilePath("/a/p.Json");
  data_.SetProfilePath("");
  EXPECT_EQ(data_.GetProfilePath(), "/a/p.Json");
  data_.SetDefaultPath("");
  EXPECT_EQ(data_.GetDefaultPath(), Path("default.Json"));
  data_.SetDeviceIndex(-1);
  data_.SetDeviceIndex(1 << 30);  // would otherwise grow "Device" without bound
  EXPECT_EQ(data_.GetDeviceIndex(), 0);
  // Without a profile path there is nothing to save to, and nothing is written on loading.
  CBasicProfiledata fresh;
  EXPECT_EQ(fresh.Save(), 0);
  fresh.SetDefaultPath(Path("default.Json"));
  EXPECT_EQ(fresh.LoadSection("")["LightInfo"]["Red"].asInt(), 9);
}

TEST_F(ProfileStoreTest, ScratchSectionIsIndependentOfTheActiveOne) {
  WriteText(Path("a.Json"), "{\"Device\": [{\"KeyList\": [{\"Assignment\": 1048832, \"DefaultAssignment\": 1048832}]}]}");
  WriteText(Path("b.Json"), "{\"Device\": [{\"KeyList\": [{\"Assignment\": 7340032, \"DefaultAssignment\": 1048832}]}]}");
  data_.SetProfilePath(Path("a.Json"));
  data_.LoadSection(Path("a.Json"));
  data_.LoadScratchSection(Path("b.Json"));
  auto scratch = data_.GetScratchKeyList();
  ASSERT_EQ(scratch.size(), 1u);
  EXPECT_EQ(scratch[0].type, kKeyMacro);
  scratch[0].SetCurrent(scratch[0].Default());
  data_.SetScratchKeyList(scratch);
  EXPECT_EQ(data_.SaveScratchSection(Path("b.Json")), 1);
  EXPECT_EQ(Doc("b.Json")["Device"][0]["KeyList"][0]["Assignment"].asInt(), 0x100100);
  EXPECT_EQ(data_.GetKeyList()[0].type, kKeyMouseButton);
  EXPECT_EQ(ReadText(Path("a.Json")).find("7340032"), std::string::npos);
}

TEST_F(ProfileStoreTest, FoldersFollowTheDataHome) {
  ::setenv("XDG_DATA_HOME", dir_.c_str(), 1);
  std::string folder = CBasicProfiledata::DeviceDataFolder("mouse");
  ::unsetenv("XDG_DATA_HOME");
  EXPECT_EQ(folder, dir_.string() + "/Tavrin ORLO/mouse/");
  EXPECT_TRUE(std::filesystem::is_directory(folder));
  EXPECT_EQ(std::filesystem::path(CBasicProfiledata::DefaultDocumentPath("HD")).filename(), "HD.Json");
}

// Every default document: read and written back by the system it is byte-identical (it is in
// the system's own text form), and a profile made from it, read through every getter and
// written back through every setter with the values read, saves to the same text.
class DefaultDocumentRoundTrip : public test::ProfileTestDir, public ::testing::WithParamInterface<const char*> {};

TEST_P(DefaultDocumentRoundTrip, IsByteIdentical) {
  const std::string source = test::SourceFile(std::string("DefaultData/") + GetParam());
  const std::string original = ReadText(source);
  ASSERT_FALSE(original.empty());
  ASSERT_EQ(original.substr(original.size() - 4), "\r\n\r\n");
  ASSERT_EQ(original.find("\n", 0), original.find("\r\n") + 1);

  CJsonFile file;
  ASSERT_EQ(file.WriteDocument(Path("copy"), file.ReadDocument(source)), 0);
  EXPECT_EQ(ReadText(Path("copy")), original);
  if (std::string(GetParam()) == "default_light.json") return;

  CKeyboardProfiledata data;  // the base accessors serve every kind
  CMouseProfiledata mouse;
  for (CBasicProfiledata* p : {static_cast<CBasicProfiledata*>(&data), static_cast<CBasicProfiledata*>(&mouse)}) {
    p->SetDefaultPath(source);
    p->SetProfilePath(Path("p.Json"));
    std::filesystem::remove(Path("p.Json"));
    p->LoadSection(Path("p.Json"));
    p->SetLightInfo(p->GetLightInfo());
    p->SetKeyList(p->GetKeyList());
    p->GetLightList();
  }
  const Json::Value& section = data.GetSection();
  if (section.isMember("AudioLightInfo")) data.SetAudioLightRecord(data.GetAudioLightRecord());
  if (section.isMember("CustomLightMode")) {
    data.SetCustomLightModeGroupIndex(data.GetCustomLightModeGroupIndex());
    auto s = data.GetSystemStages();
    data.SetSystemStages(s[0], s[1], s[2]);
  }
  ASSERT_EQ(data.Save(), 1);
  EXPECT_EQ(ReadText(Path("p.Json")), original);

  if (mouse.GetSection().isMember("DPIStages")) {
    mouse.SetDPIStages(mouse.GetDPIStages());
    mouse.SetActiveDPIStage(mouse.GetActiveDPIStage());
    auto s = mouse.GetSystemStages();
    mouse.SetSystemStages(s[0], s[1], s[2], s[3]);
    EXPECT_EQ(mouse.GetCorrectInfo().size(), 3u);
  }
  ASSERT_EQ(mouse.Save(), 1);
  EXPECT_EQ(ReadText(Path("p.Json")), original);
}

INSTANTIATE_TEST_SUITE_P(AllKinds, DefaultDocumentRoundTrip,
                         ::testing::Values("mouse.Json", "keyboard.Json", "MousePad.Json", "HD.Json",
                                           "default_light.json"));

}  // namespace
}  // namespace orlo
