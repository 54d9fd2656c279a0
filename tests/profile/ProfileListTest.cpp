#include <gtest/gtest.h>

#include <filesystem>

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

}  // namespace
}  // namespace orlo
