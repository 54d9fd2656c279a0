#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "FaultFiles.h"
#include "macro/TempDataHome.h"
#include "profile/JsonFile.h"
#include "profile/ProfileList.h"

namespace orlo {
namespace {

namespace fs = std::filesystem;

class ProfileListTest : public test::TempDataHome {
 protected:
  void SetUp() override {
    TempDataHome::SetUp();
    defaultPath_ = root_ + "/mouse.Json";
    Json::Value def;
    def["Device"][0]["DPIStages"]["Stage"] = 3;
    def["Device"][0]["LightInfo"]["Mode"] = 1;
    ASSERT_EQ(json_.WriteDocument(defaultPath_, def), 0);
    Open(2);
  }
  void Open(int kind) {
    list_ = CProfileList();
    list_.SetDeviceKind(kind);
    list_.SetPaths(folder_, defaultPath_);
    list_.Init();
  }
  Json::Value ListDoc() { return json_.ReadDocument(folder_ + "ProfileList.ini"); }
  Json::Value Doc(int i) { return json_.ReadDocument(list_.GetProfilePathAt(i)); }
  std::vector<std::string> Names() {
    std::vector<std::string> n;
    for (auto& e : list_.ReadEntries()) n.push_back(e.name);
    return n;
  }
  // Adds profiles until the list holds the given names (renaming as it goes).
  void MakeNames(const std::vector<std::string>& names) {
    for (size_t i = 0; i < names.size(); ++i) {
      if (i > 0) {
        ASSERT_EQ(list_.AddProfile(), static_cast<int>(i));
      }
      ASSERT_EQ(list_.RenameProfileAt(static_cast<int>(i), names[i]), CProfileList::kRenameDone);
    }
  }

  CJsonFile json_;
  std::string defaultPath_;
  CProfileList list_;
};

TEST_F(ProfileListTest, FirstStartCreatesOneSelectedProfileFromTheDefaultDocument) {
  Json::Value doc = ListDoc();
  ASSERT_EQ(doc["profilelist"].size(), 1u);
  const Json::Value& e = doc["profilelist"][0];
  EXPECT_EQ(e["profilename"].asString(), "profile1");
  EXPECT_EQ(e["profileislink"].asInt(), 0);
  EXPECT_TRUE(e["profilelinkmame"].isString());
  EXPECT_EQ(doc["profileselect"].asInt(), 0);
  EXPECT_EQ(list_.GetSelectedIndex(), 0);
  EXPECT_EQ(list_.GetSelectedUUID(), e["profileUUID"].asString());
  Json::Value profile = Doc(0);
  EXPECT_EQ(profile["profilename"].asString(), "profile1");
  EXPECT_EQ(profile["profileUUID"].asString(), list_.GetSelectedUUID());
  EXPECT_EQ(profile["Device"][0]["DPIStages"]["Stage"].asInt(), 3);
  // Opening again changes nothing.
  Open(2);
  EXPECT_EQ(list_.GetProfileCount(), 1);
}

TEST_F(ProfileListTest, AddFillsTheFirstGapKeepsTheSelectionAndStopsAtFifty) {
  MakeNames({"profile1", "x", "profile3"});
  list_.SelectProfile(1);
  EXPECT_EQ(list_.AddProfile(), 3);
  EXPECT_EQ(Names().back(), "profile2");
  // The stored selection stays with the profile in use, so a restart opens that one.
  EXPECT_EQ(list_.GetSelectedIndex(), 1);
  EXPECT_EQ(ListDoc()["profileselect"].asInt(), 1);
  EXPECT_EQ(Doc(3)["profilename"].asString(), "profile2");
  EXPECT_EQ(Doc(3)["Device"][0]["LightInfo"]["Mode"].asInt(), 1);

  while (list_.GetProfileCount() < 50) ASSERT_GE(list_.AddProfile(), 0);
  EXPECT_EQ(list_.AddProfile(), -1);
  EXPECT_EQ(list_.GetProfileCount(), 50);
}

TEST_F(ProfileListTest, CopyAppendsCopyUntilTheNameIsFreeAndTakesTheSourceSettings) {
  MakeNames({"Game", "Game copy"});
  Json::Value src = Doc(0);
  src["Device"][0]["DPIStages"]["Stage"] = 5;
  json_.WriteDocument(list_.GetProfilePathAt(0), src);
  list_.SelectProfile(0);
  EXPECT_EQ(list_.CopyProfile(), 2);
  EXPECT_EQ(Names()[2], "Game copy copy");
  Json::Value copy = Doc(2);
  EXPECT_EQ(copy["Device"][0]["DPIStages"]["Stage"].asInt(), 5);
  EXPECT_EQ(copy["profilename"].asString(), "Game copy copy");
  EXPECT_NE(copy["profileUUID"].asString(), src["profileUUID"].asString());
  EXPECT_EQ(list_.GetSelectedIndex(), 0);
  // A source without a document still copies as the default settings.
  fs::remove(list_.GetProfilePathAt(1));
  EXPECT_EQ(list_.CopyProfileAt(1), 3);
  EXPECT_EQ(Doc(3)["Device"][0]["DPIStages"]["Stage"].asInt(), 3);
}

TEST_F(ProfileListTest, DeleteMovesTheSelectionAndRefusesTheLastProfile) {
  MakeNames({"a", "b", "c"});
  std::string firstDoc = list_.GetProfilePathAt(0);
  list_.SelectProfile(0);
  ASSERT_TRUE(list_.DeleteProfile());
  EXPECT_FALSE(fs::exists(firstDoc));
  EXPECT_EQ(ListDoc()["profileselect"].asInt(), 0);
  EXPECT_EQ(list_.GetSelectedUUID(), list_.ReadEntries()[0].uuid);

  ASSERT_EQ(list_.AddProfile(), 2);
  list_.RenameProfileAt(2, "d");
  list_.SelectProfile(2);
  ASSERT_TRUE(list_.DeleteProfile());
  EXPECT_EQ(ListDoc()["profileselect"].asInt(), 1);
  EXPECT_EQ(Names(), (std::vector<std::string>{"b", "c"}));

  // Removing an entry before the selected one keeps the same profile selected.
  list_.SelectProfile(1);
  ASSERT_TRUE(list_.DeleteProfileAt(0));
  EXPECT_EQ(list_.GetSelectedIndex(), 0);
  EXPECT_EQ(list_.ReadEntries()[0].name, "c");
  EXPECT_FALSE(list_.DeleteProfile());
  EXPECT_EQ(list_.GetProfileCount(), 1);
}

TEST_F(ProfileListTest, RenameResultsAndTrimming) {
  MakeNames({"Game", "Work"});
  list_.SelectProfile(0);
  EXPECT_EQ(list_.RenameProfile("  "), CProfileList::kRenameEmpty);
  EXPECT_EQ(list_.RenameProfile("WORK"), CProfileList::kRenameNameUsed);
  EXPECT_EQ(list_.RenameProfile("game"), CProfileList::kRenameDone);  // its own name
  EXPECT_EQ(list_.RenameProfile("  Racing "), CProfileList::kRenameDone);
  EXPECT_EQ(Names()[0], "Racing");
  EXPECT_EQ(Doc(0)["profilename"].asString(), "Racing");
  EXPECT_EQ(list_.RenameProfileAt(5, "x"), CProfileList::kRenameNoProfile);
}

TEST_F(ProfileListTest, ImportTakesTheFileTitleAndSettingsAndRefusesOtherFiles) {
  MakeNames({"Game"});
  Json::Value doc;
  doc["profilename"] = "whatever";
  doc["profileUUID"] = "../../escape";
  doc["Device"][0]["DPIStages"]["Stage"] = 9;
  doc["Extra"] = true;
  std::string path = root_ + "/Game.json";
  json_.WriteDocument(path, doc);
  EXPECT_EQ(list_.ImportProfile(path), CProfileList::kImportDone);
  EXPECT_EQ(list_.ImportProfile(path), CProfileList::kImportDone);
  EXPECT_EQ(Names(), (std::vector<std::string>{"Game", "Game(1)", "Game(1)(2)"}));
  Json::Value imported = Doc(1);
  EXPECT_EQ(imported["Device"][0]["DPIStages"]["Stage"].asInt(), 9);
  EXPECT_TRUE(imported["Extra"].asBool());
  EXPECT_EQ(imported["profilename"].asString(), "Game(1)");
  EXPECT_EQ(imported["profileUUID"].asString(), list_.ReadEntries()[1].uuid);

  std::string before = Slurp(folder_ + "ProfileList.ini");
  EXPECT_EQ(list_.ImportProfile(root_ + "/nothing.json"), CProfileList::kImportUnreadable);
  Spit(path, "{ broken");
  EXPECT_EQ(list_.ImportProfile(path), CProfileList::kImportUnreadable);
  Json::Value noNames;
  noNames["Device"][0]["DPIStages"] = 1;
  json_.WriteDocument(path, noNames);
  EXPECT_EQ(list_.ImportProfile(path), CProfileList::kImportNotProfile);
  Json::Value headset = doc;
  headset["Device"][0] = Json::Value(Json::objectValue);
  headset["Device"][0]["EQHzValueInfo"] = Json::Value(Json::arrayValue);
  json_.WriteDocument(path, headset);
  EXPECT_EQ(list_.ImportProfile(path), CProfileList::kImportOtherKind);
  EXPECT_EQ(Slurp(folder_ + "ProfileList.ini"), before);
}

TEST_F(ProfileListTest, DeviceKindsAreToldApartByTheirOwnMembers) {
  Json::Value mouse, keyboard, pad;
  mouse["DPIStages"] = 1;
  mouse["KeyList"] = 1;
  keyboard["CustomLightMode"] = 1;
  keyboard["KeyList"] = 1;
  pad["LightInfo"] = 1;
  EXPECT_TRUE(CProfileList::SectionFitsKind(mouse, 2));
  EXPECT_TRUE(CProfileList::SectionFitsKind(mouse, 6));  // through the receiver
  EXPECT_FALSE(CProfileList::SectionFitsKind(mouse, 1));
  EXPECT_TRUE(CProfileList::SectionFitsKind(keyboard, 9));
  EXPECT_FALSE(CProfileList::SectionFitsKind(keyboard, 3));
  EXPECT_FALSE(CProfileList::SectionFitsKind(keyboard, 7));
  EXPECT_TRUE(CProfileList::SectionFitsKind(pad, 3));
}

TEST_F(ProfileListTest, ResetKeepsAHeadsetsCustomEqualiserPresetsOnly) {
  Json::Value def;
  def["Device"][0]["SystemSetStages"]["Volume"] = 50;
  def["Device"][0]["CustomEQNameInfo"] = Json::Value(Json::arrayValue);
  json_.WriteDocument(defaultPath_, def);
  Open(7);
  Json::Value doc = Doc(0);
  doc["Device"][0]["SystemSetStages"]["Volume"] = 10;
  doc["Device"][0]["CustomEQNameInfo"][0] = "Bass";
  doc["Device"][0]["CustomEQHzValueInfo"][0] = 4;
  json_.WriteDocument(list_.GetProfilePathAt(0), doc);
  ASSERT_TRUE(list_.ResetProfile());
  Json::Value after = Doc(0);
  EXPECT_EQ(after["Device"][0]["SystemSetStages"]["Volume"].asInt(), 50);
  EXPECT_EQ(after["Device"][0]["CustomEQNameInfo"][0].asString(), "Bass");
  EXPECT_EQ(after["Device"][0]["CustomEQHzValueInfo"][0].asInt(), 4);
  EXPECT_EQ(after["profilename"].asString(), "profile1");

  Open(2);  // another kind resets everything
  doc["Device"][0]["DPIStages"] = 1;
  json_.WriteDocument(list_.GetProfilePathAt(0), doc);
  ASSERT_TRUE(list_.ResetProfile());
  EXPECT_EQ(Doc(0)["Device"][0]["CustomEQNameInfo"].size(), 0u);
}

TEST_F(ProfileListTest, HandEditedListIsRepairedOnOpen) {
  std::string outside = root_ + "/victim.Json";
  Spit(outside, "keep");
  Spit(folder_ + "ProfileList.ini",
       "{\"profilelist\": [{\"profilename\": \"a\", \"profileUUID\": \"../../victim\"},"
       " {\"profilename\": \"b\", \"profileUUID\": \"same\"},"
       " {\"profilename\": \"c\", \"profileUUID\": \"same\"}, 17],"
       " \"profileselect\": 9}");
  Open(2);
  EXPECT_EQ(list_.GetSelectedIndex(), 0);
  EXPECT_EQ(ListDoc()["profileselect"].asInt(), 0);
  auto entries = list_.ReadEntries();
  ASSERT_EQ(entries.size(), 4u);
  EXPECT_NE(entries[0].uuid, "../../victim");
  EXPECT_EQ(entries[1].uuid, "same");
  EXPECT_NE(entries[2].uuid, "same");
  EXPECT_FALSE(entries[3].uuid.empty());
  for (auto& e : entries) EXPECT_EQ(e.uuid.find('/'), std::string::npos);
  ASSERT_TRUE(list_.DeleteProfileAt(0));
  EXPECT_EQ(Slurp(outside), "keep");
}

TEST_F(ProfileListTest, ExportWritesTheDocumentWithItsSection) {
  std::string out = root_ + "/exported.json";
  fs::remove(list_.GetProfilePathAt(0));  // missing: exported as the driver would load it
  ASSERT_TRUE(list_.ExportProfile(out));
  Json::Value doc = json_.ReadDocument(out);
  EXPECT_EQ(doc["profilename"].asString(), "profile1");
  EXPECT_EQ(doc["Device"][0]["DPIStages"]["Stage"].asInt(), 3);
  EXPECT_FALSE(list_.ExportProfile(root_ + "/no/such/folder/x.json"));
  EXPECT_FALSE(list_.ExportProfileAt(4, out));
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file of the device folder with its content ("<dir>" for a folder, "-> target" for a
// link).
std::map<std::string, std::string> FolderFiles(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& e : fs::directory_iterator(folder)) {
    const std::string p = e.path().string();
    files[e.path().filename().string()] =
        e.is_symlink() ? "-> " + test::LinkTarget(p) : e.is_directory() ? "<dir>" : ReadWhole(p);
  }
  return files;
}

TEST_F(ProfileListTest, UnreadableListIsNeverReplaced) {
  test::NoticeCatcher notices;
  const std::string listPath = folder_ + "ProfileList.ini";
  const std::string exported = root_ + "/Game.json";
  ASSERT_TRUE(list_.ExportProfile(exported));
  for (int variant = 0; variant < 2; ++variant) {
    fs::remove_all(listPath);
    if (variant == 0) {
      test::MakeIoErrorFile(listPath);
    } else {
      fs::create_directory(listPath);
    }
    const auto before = FolderFiles(folder_);
    CProfileList list;
    list.SetDeviceKind(2);
    list.SetPaths(folder_, defaultPath_);
    EXPECT_FALSE(list.Init()) << variant;
    EXPECT_EQ(list.GetSelectedIndex(), -1);
    EXPECT_EQ(list.GetSelectedUUID(), "");
    EXPECT_EQ(list.GetProfileCount(), 0);
    EXPECT_EQ(list.AddProfile(), -1);
    EXPECT_FALSE(list.SelectProfile(0));
    EXPECT_EQ(list.CopyProfileAt(0), -1);
    EXPECT_EQ(list.RenameProfileAt(0, "x"), CProfileList::kRenameNoProfile);
    EXPECT_FALSE(list.DeleteProfileAt(0));
    EXPECT_EQ(list.ImportProfile(exported), CProfileList::kImportUnreadable);
    EXPECT_EQ(FolderFiles(folder_), before) << variant;
  }
  ASSERT_EQ(notices.texts.size(), 1u) << "once per file";
  EXPECT_EQ(notices.texts[0], "cannot read '" + listPath +
                                  "' (Input/output error); it is left as it is and its settings are not used");
}

TEST_F(ProfileListTest, InvalidListIsMovedAsideAndTheProfilesStay) {
  test::NoticeCatcher notices;
  ASSERT_EQ(list_.AddProfile(), 1);
  const std::string oldDoc = list_.GetProfilePathAt(1);
  const std::string broken = "{\"profilelist\": [{\"profilename\": \"Game\"";
  Spit(folder_ + "ProfileList.ini", broken);
  Open(2);
  EXPECT_EQ(Names(), std::vector<std::string>{"profile1"});
  EXPECT_EQ(list_.GetSelectedIndex(), 0);
  int kept = 0;
  for (const auto& [name, text] : FolderFiles(folder_)) {
    if (name.rfind("ProfileList.ini.invalid-", 0) != 0) continue;
    ++kept;
    EXPECT_EQ(text, broken);
  }
  EXPECT_EQ(kept, 1);
  EXPECT_TRUE(fs::exists(oldDoc)) << "the documents of the old list are not deleted";
  ASSERT_EQ(notices.texts.size(), 1u);
  EXPECT_NE(notices.texts[0].find("ProfileList.ini.invalid-"), std::string::npos) << notices.texts[0];
}

TEST_F(ProfileListTest, SharedIdGivesTheLaterEntryACopyOfTheDocument) {
  Spit(folder_ + "same.Json",
       "{\"profilename\": \"b\", \"profileUUID\": \"same\", \"Device\": [{\"DPIStages\": {\"Stage\": 7}}]}");
  Spit(folder_ + "ProfileList.ini",
       "{\"profilelist\": [{\"profilename\": \"b\", \"profileUUID\": \"same\"},"
       " {\"profilename\": \"c\", \"profileUUID\": \"same\"}], \"profileselect\": 1}");
  Open(2);
  auto entries = list_.ReadEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].uuid, "same");
  ASSERT_NE(entries[1].uuid, "same");
  Json::Value copy = Doc(1);
  EXPECT_EQ(copy["Device"][0]["DPIStages"]["Stage"].asInt(), 7);
  EXPECT_EQ(copy["profilename"].asString(), "c");
  EXPECT_EQ(copy["profileUUID"].asString(), entries[1].uuid);
  EXPECT_EQ(Doc(0)["profilename"].asString(), "b");
  EXPECT_EQ(list_.GetSelectedUUID(), entries[1].uuid);
  // The two are separate profiles now: deleting the first keeps the second's settings.
  ASSERT_TRUE(list_.DeleteProfileAt(0));
  EXPECT_FALSE(fs::exists(folder_ + "same.Json"));
  EXPECT_EQ(Doc(0)["Device"][0]["DPIStages"]["Stage"].asInt(), 7);
}

TEST_F(ProfileListTest, UnreadableProfileDocumentIsNeitherReplacedNorCopied) {
  test::NoticeCatcher notices;
  const std::string doc = list_.GetProfilePathAt(0);
  fs::remove(doc);
  test::MakeIoErrorFile(doc);
  const std::string out = root_ + "/out.json";
  EXPECT_FALSE(list_.ResetProfileAt(0));
  EXPECT_EQ(list_.CopyProfileAt(0), -1);
  EXPECT_FALSE(list_.ExportProfileAt(0, out));
  EXPECT_FALSE(fs::exists(out));
  // The name lives in the list; the document keeps its old one rather than being replaced.
  EXPECT_EQ(list_.RenameProfileAt(0, "Work"), CProfileList::kRenameDone);
  EXPECT_EQ(Names(), std::vector<std::string>{"Work"});
  EXPECT_EQ(test::LinkTarget(doc), "/proc/self/mem");
  EXPECT_EQ(notices.texts.size(), 1u);

  // Invalid instead: a reset keeps it aside and writes the defaults.
  fs::remove(doc);
  Spit(doc, "{oops");
  ASSERT_TRUE(list_.ResetProfileAt(0));
  EXPECT_EQ(Doc(0)["Device"][0]["DPIStages"]["Stage"].asInt(), 3);
  EXPECT_EQ(Doc(0)["profilename"].asString(), "Work");
  int kept = 0;
  for (const auto& [name, text] : FolderFiles(folder_))
    if (name.find(".Json.invalid-") != std::string::npos) kept += text == "{oops";
  EXPECT_EQ(kept, 1);
}

}  // namespace
}  // namespace orlo
