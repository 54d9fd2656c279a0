// `orloctl apply mouse` writes the selected profile as its document holds it: the first-contact
// read must not put the mouse's own lighting into the document before it is written.
#include "profile/JsonFile.h"
#include "support/CtlRunner.h"

namespace orlo {
namespace {

class MouseCommandTest : public testing_support::CtlRunner {
 protected:
  void SetUp() override { Prepare("mouse"); }
};

TEST_F(MouseCommandTest, ApplyWritesTheDocumentsLightingAsStored) {
  // First contact makes the profile document; another machine's lighting is then written into it.
  const Json::Value first = Read("mouse");
  const std::string path = first["profile"].asString();
  ASSERT_FALSE(path.empty());
  CJsonFile file;
  Json::Value doc = file.ReadDocument(path);
  Json::Value& light = doc["Device"][0]["LightInfo"];
  light["SelectItem"] = 3, light["Speed"] = 1, light["Red"] = 10, light["Green"] = 20, light["Blue"] = 30;
  ASSERT_EQ(file.WriteDocument(path, doc), 0);

  const Result r = Run("apply mouse");
  ASSERT_EQ(r.code, 0) << r.err;
  const Json::Value v = Read("mouse");
  EXPECT_EQ(v["settings"]["modeCode"].asInt(), 3);
  EXPECT_EQ(v["settings"]["speed"].asInt(), 1);
  EXPECT_EQ(v["settings"]["colour"].asString(), "0a 14 1e");
}

TEST_F(MouseCommandTest, ApplyWritesTheMacrosTheKeysUseOrNothingWhenTheyDoNotFit) {
  Read("mouse");  // the profile document
  ASSERT_EQ(Run("macro add mouse").code, 0);
  const std::string folder = root_ + "/data/Tavrin ORLO/mouse/";
  const std::string listed = Run("macro list mouse").out;
  const std::string macroFile = folder + listed.substr(listed.rfind('\t') + 1, 23) + ".mac";
  CJsonFile file;
  const auto profile = Run("profile list mouse").out;
  const std::string path = folder + profile.substr(profile.find('\t') + 1, 23) + ".Json";
  Json::Value doc = file.ReadDocument(path);
  doc["Device"][0]["KeyList"][3]["Assignment"] = 0x700001;  // button 3 plays macro 0
  ASSERT_EQ(file.WriteDocument(path, doc), 0);
  const std::string tableBefore = Run("raw mouse read 7 12 0").out;

  Json::Value events;
  for (int i = 0; i < 4000; ++i) events["Events"][i] = Json::Value(Json::objectValue), events["Events"][i]["Type"] = 10;
  ASSERT_EQ(file.WriteDocument(macroFile, events), 0);
  Result r = Run("apply mouse");
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("3494 more events"), std::string::npos) << r.err;
  EXPECT_EQ(Run("raw mouse read 7 12 0").out, tableBefore);  // the key table was left alone

  events["Events"].resize(2);
  ASSERT_EQ(file.WriteDocument(macroFile, events), 0);
  r = Run("apply mouse");
  ASSERT_EQ(r.code, 0) << r.err;
  const std::string table = Run("raw mouse read 7 12 0").out;
  EXPECT_NE(table.find("70 00 01"), std::string::npos) << table;  // button 3: macro slot 0
}

}  // namespace
}  // namespace orlo
