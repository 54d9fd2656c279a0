#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "TempDataHome.h"
#include "macro/MacroCatalogue.h"
#include "profile/JsonFile.h"

namespace orlo {
namespace {

namespace fs = std::filesystem;

class MacroCatalogueTest : public test::TempDataHome {
 protected:
  void SetUp() override {
    TempDataHome::SetUp();
    cat_.SetFolder(folder_);
  }
  void WriteCatalogue(const std::vector<MacroEntry>& entries) {
    Json::Value doc;
    doc["MacroInfo"] = Json::Value(Json::arrayValue);
    for (auto& e : entries) {
      Json::Value v;
      v["MacroName"] = e.name;
      v["Guid"] = e.guid;
      doc["MacroInfo"].append(v);
    }
    ASSERT_EQ(CJsonFile().WriteDocument(cat_.CataloguePath(), doc), 0);
  }
  std::string PathOf(int i) { return cat_.MacroPath(cat_.LoadCatalogue().at(static_cast<size_t>(i))); }

  CMacroCatalogue cat_;
};

TEST_F(MacroCatalogueTest, NewMacroTakesTheSmallestFreeNumberIgnoringCase) {
  WriteCatalogue({{"macro_1", "a"}, {"macro_3", "b"}});
  EXPECT_EQ(cat_.NewMacro(), "macro_2");
  WriteCatalogue({{"MACRO_1", "a"}});
  EXPECT_EQ(cat_.NewMacro(), "macro_2");
  EXPECT_EQ(cat_.NewMacro(), "macro_3");
  auto list = cat_.LoadCatalogue();
  ASSERT_EQ(list.size(), 3u);
  EXPECT_EQ(list[2].name, "macro_3");
}

TEST_F(MacroCatalogueTest, IdentitiesAreUniqueTimeStampsEvenWithinOneMillisecond) {
  for (int i = 0; i < 20; ++i) ASSERT_FALSE(cat_.NewMacro().empty());
  std::set<std::string> ids;
  for (auto& e : cat_.LoadCatalogue()) {
    EXPECT_EQ(e.guid.size(), std::string("2024_03_07_09_05_01_042").size()) << e.guid;
    ids.insert(e.guid);
  }
  EXPECT_EQ(ids.size(), 20u);
}

TEST_F(MacroCatalogueTest, FiftyMacrosAtMost) {
  for (int i = 0; i < 50; ++i) ASSERT_FALSE(cat_.NewMacro().empty());
  EXPECT_EQ(cat_.NewMacro(), "");
  EXPECT_EQ(cat_.Count(), 50);
}

TEST_F(MacroCatalogueTest, SaveWritesTheCatalogueIdentityAndShowReadsItBack) {
  cat_.NewMacro();
  std::vector<MacroEvent> events = {{kMacroKey, 4, true, 10}, {kMacroKey, 4, false, 0}};
  ASSERT_TRUE(cat_.SaveMacro(0, events));
  Json::Value doc = CJsonFile().ReadDocument(PathOf(0));
  EXPECT_EQ(doc["MacroName"].asString(), "macro_1");
  EXPECT_EQ(doc["Guid"].asString(), cat_.LoadCatalogue()[0].guid);
  EXPECT_EQ(doc["Version"].asInt(), 64);
  EXPECT_EQ(doc["Events"][0]["Delay"].asString(), "10");
  EXPECT_EQ(cat_.ShowMacro(0).events, events);

  EXPECT_FALSE(cat_.SaveMacro(1, events));
  EXPECT_FALSE(cat_.SaveMacro(0, std::vector<MacroEvent>(4001, events[0])));
  EXPECT_TRUE(cat_.ShowMacro(5).events.empty());
}

TEST_F(MacroCatalogueTest, MissingOrBrokenCatalogueReadsEmptyAndIsReplacedOnFirstNew) {
  EXPECT_TRUE(cat_.LoadCatalogue().empty());
  Spit(cat_.CataloguePath(), "{\"MacroInfo\": 5}");
  EXPECT_TRUE(cat_.LoadCatalogue().empty());
  EXPECT_EQ(cat_.NewMacro(), "macro_1");
  EXPECT_EQ(cat_.Count(), 1);
}

TEST_F(MacroCatalogueTest, RenameRulesAndTrimming) {
  cat_.NewMacro();
  cat_.NewMacro();
  EXPECT_EQ(cat_.RenameMacro(0, "   "), CMacroCatalogue::kRenameEmpty);
  EXPECT_EQ(cat_.RenameMacro(0, "MACRO_2"), CMacroCatalogue::kRenameNameUsed);
  EXPECT_EQ(cat_.RenameMacro(0, "Macro_1"), CMacroCatalogue::kRenameNameUsed);  // its own name too
  EXPECT_EQ(cat_.RenameMacro(0, " Reload "), CMacroCatalogue::kRenameDone);
  EXPECT_EQ(cat_.RenameMacro(1, "reload"), CMacroCatalogue::kRenameNameUsed);
  EXPECT_EQ(cat_.RenameMacro(7, "x"), CMacroCatalogue::kRenameNoMacro);
  EXPECT_EQ(cat_.Names(), (std::vector<std::string>{"Reload", "macro_2"}));
  // The file takes the new name with the next save.
  cat_.SaveMacro(0, {});
  EXPECT_EQ(CJsonFile().ReadDocument(PathOf(0))["MacroName"].asString(), "Reload");
}

TEST_F(MacroCatalogueTest, DeleteRemovesEntryAndFileButNotAFileAnotherEntryUses) {
  cat_.NewMacro();
  cat_.NewMacro();
  cat_.SaveMacro(0, {{kMacroKey, 5, true, 0}});
  cat_.SaveMacro(1, {{kMacroKey, 6, true, 0}});
  std::string first = PathOf(0), second = PathOf(1);
  ASSERT_TRUE(cat_.DeleteMacro(0));
  EXPECT_FALSE(fs::exists(first));
  EXPECT_TRUE(fs::exists(second));
  EXPECT_EQ(cat_.Names(), std::vector<std::string>{"macro_2"});
  EXPECT_FALSE(cat_.DeleteMacro(1));

  auto g = cat_.LoadCatalogue()[0].guid;
  WriteCatalogue({{"a", g}, {"b", g}});
  ASSERT_TRUE(cat_.DeleteMacro(0));
  EXPECT_TRUE(fs::exists(second));
}

TEST_F(MacroCatalogueTest, IdentitiesThatLeaveTheFolderAreNeverUsedAsPaths) {
  std::string outside = root_ + "/victim.mac";
  Spit(outside, "keep");
  WriteCatalogue({{"evil", "../../victim"}, {"slash", "a/b"}, {"ok", "good"}});
  EXPECT_EQ(cat_.MacroPath(cat_.LoadCatalogue()[0]), "");
  EXPECT_FALSE(cat_.SaveMacro(0, {{kMacroKey, 4, true, 0}}));
  EXPECT_FALSE(cat_.SaveMacro(1, {}));
  EXPECT_TRUE(cat_.ShowMacro(0).events.empty());
  EXPECT_TRUE(cat_.DeleteMacro(0));  // the entry goes, the outside file stays
  EXPECT_EQ(Slurp(outside), "keep");
  EXPECT_EQ(cat_.Names(), (std::vector<std::string>{"slash", "ok"}));
}

TEST_F(MacroCatalogueTest, ImportCopiesTheFileUnchangedAndExportCopiesItOut) {
  std::string src = root_ + "/Burst.mac";
  std::string text =
      "{\"MacroName\": \"their name\", \"Guid\": \"../x\", \"Events\": "
      "[{\"Type\": 1, \"Button\": 1, \"Action\": \"down\", \"Delay\": 15}]}";
  Spit(src, text);
  EXPECT_EQ(cat_.ImportMacro(src), "macro_1");
  EXPECT_EQ(Slurp(PathOf(0)), text);
  auto shown = cat_.ShowMacro(0);
  ASSERT_EQ(shown.events.size(), 1u);
  EXPECT_EQ(shown.events[0].delay, 15);  // a numeric delay from another writer is accepted

  std::string out = root_ + "/out.mac";
  ASSERT_TRUE(cat_.ExportMacro(0, out));
  EXPECT_EQ(Slurp(out), text);
  EXPECT_FALSE(cat_.ExportMacro(3, out));
}

TEST_F(MacroCatalogueTest, ImportOfSomethingElseCreatesNothing) {
  EXPECT_EQ(cat_.ImportMacro(""), "");
  EXPECT_EQ(cat_.ImportMacro(root_ + "/missing.mac"), "");
  std::string junk = root_ + "/junk.mac";
  Spit(junk, "not json at all");
  EXPECT_EQ(cat_.ImportMacro(junk), "");
  Spit(junk, "{\"Device\": []}");
  EXPECT_EQ(cat_.ImportMacro(junk), "");
  EXPECT_FALSE(fs::exists(cat_.CataloguePath()));

  for (int i = 0; i < 50; ++i) cat_.NewMacro();
  Spit(junk, "{\"Events\": []}");
  EXPECT_EQ(cat_.ImportMacro(junk), "");
  EXPECT_EQ(cat_.Count(), 50);
}

TEST_F(MacroCatalogueTest, DeleteKeepsMacroAssignmentsOfOtherProfilesInStep) {
  for (int i = 0; i < 3; ++i) cat_.NewMacro();
  // Keys 0..3: macro 0, macro 1 (default: key A), macro 2 repeated, a plain key.
  Json::Value doc;
  auto key = [&](int i, int assignment, int def) {
    doc["Device"][0]["KeyList"][i]["Assignment"] = assignment;
    doc["Device"][0]["KeyList"][i]["DefaultAssignment"] = def;
  };
  key(0, 0x700002, 0x100100);
  key(1, 0x700101, 0x200004);
  key(2, 0x710205, 0x100200);
  key(3, 0x200005, 0x200005);
  std::string profile = folder_ + "2024_01_01_00_00_00_000.Json";
  ASSERT_EQ(CJsonFile().WriteDocument(profile, doc), 0);

  ASSERT_TRUE(cat_.DeleteMacro(1, {{profile}, ""}));
  Json::Value after = CJsonFile().ReadDocument(profile);
  const Json::Value& keys = after["Device"][0]["KeyList"];
  EXPECT_EQ(keys[0]["Assignment"].asInt(), 0x700002);
  EXPECT_EQ(keys[1]["Assignment"].asInt(), 0x200004);
  EXPECT_EQ(keys[2]["Assignment"].asInt(), 0x710105);
  EXPECT_EQ(keys[3]["Assignment"].asInt(), 0x200005);
  EXPECT_EQ(cat_.Count(), 2);
}

TEST_F(MacroCatalogueTest, ADeletionWhoseCatalogueWriteFailsRenumbersNoProfile) {
  for (int i = 0; i < 3; ++i) cat_.NewMacro();
  Json::Value doc;
  doc["Device"][0]["KeyList"][0]["Assignment"] = 0x700200;  // macro 2
  doc["Device"][0]["KeyList"][0]["DefaultAssignment"] = 0x100100;
  std::string profile = folder_ + "2024_01_01_00_00_00_000.Json";
  ASSERT_EQ(CJsonFile().WriteDocument(profile, doc), 0);
  const std::string catalogueBefore = Slurp(cat_.CataloguePath());
  const std::string profileBefore = Slurp(profile);

  cat_.SetCatalogueWriter([](const std::string&, const Json::Value&) { return false; });
  EXPECT_FALSE(cat_.DeleteMacro(0, {{profile}, ""}));
  EXPECT_EQ(Slurp(profile), profileBefore);  // still names macro 2, which is still number 2
  EXPECT_EQ(Slurp(cat_.CataloguePath()), catalogueBefore);

  cat_.SetCatalogueWriter({});
  ASSERT_TRUE(cat_.DeleteMacro(0, {{profile}, ""}));
  EXPECT_EQ(CJsonFile().ReadDocument(profile)["Device"][0]["KeyList"][0]["Assignment"].asInt(), 0x700100);
}

TEST_F(MacroCatalogueTest, EventsThisVersionCannotPlayAreCarriedThroughASave) {
  cat_.NewMacro();
  const std::string text =
      "{\"Events\": [{\"Type\": 10, \"Button\": 4, \"Action\": \"down\", \"Delay\": \"5\"},"
      " {\"Type\": 12, \"Button\": 7, \"Action\": \"down\", \"Delay\": 9, \"Speed\": 3},"
      " {\"Type\": 1, \"Button\": 300, \"Action\": \"up\", \"Delay\": \"70000\"}, 42]}";
  const std::string path = cat_.MacroPath(cat_.LoadCatalogue()[0]);
  Spit(path, text);
  CMacroFile read = cat_.ShowMacro(0);
  ASSERT_EQ(read.events.size(), 1u);
  ASSERT_EQ(read.elements.size(), 4u);
  ASSERT_TRUE(cat_.SaveMacroElements(0, read.elements));
  Json::Value saved = CJsonFile().ReadDocument(path);
  const Json::Value& events = saved["Events"];
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(events[0]["Delay"].asString(), "5");
  EXPECT_EQ(events[1]["Type"].asInt(), 12);
  EXPECT_EQ(events[1]["Speed"].asInt(), 3);
  EXPECT_EQ(events[1]["Delay"].asString(), "9");  // delays are always written as strings
  EXPECT_EQ(events[2]["Button"].asInt(), 300);
  EXPECT_EQ(events[2]["Delay"].asString(), "65535");
  EXPECT_EQ(events[3].asInt(), 42);
  EXPECT_EQ(saved["MacroName"].asString(), "macro_1");
  EXPECT_EQ(saved["Version"].asInt(), 64);
  EXPECT_FALSE(cat_.SaveMacroElements(0, std::vector<Json::Value>(4001, events[0])));
}

TEST_F(MacroCatalogueTest, AFileOfMoreThan4000EventsIsNotImported) {
  Json::Value doc;
  for (int i = 0; i < 4001; ++i) doc["Events"][i]["Type"] = 1;
  const std::string big = root_ + "/big.mac";
  ASSERT_EQ(CJsonFile().WriteDocument(big, doc), 0);
  EXPECT_EQ(cat_.ImportMacro(big), "");
  EXPECT_EQ(cat_.Count(), 0);
}

}  // namespace
}  // namespace orlo
