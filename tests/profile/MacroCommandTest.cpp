// orloctl macro … end to end on a temporary data folder: the same catalogue and files the window
// uses, profiles kept in step when a macro goes, and files refused whole rather than cut.
#include <fstream>

#include "profile/JsonFile.h"
#include "support/CtlRunner.h"

namespace orlo {
namespace {

class MacroCommandTest : public testing_support::CtlRunner {
 protected:
  void SetUp() override {
    Prepare("mouse");
    folder_ = root_ + "/data/Tavrin ORLO/mouse/";
  }
  std::pair<int, std::string> Ctl(const std::string& args) {
    const Result r = Run(args);
    return {r.code, r.out};
  }
  static void Spit(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

  std::string folder_;
};

TEST_F(MacroCommandTest, MacrosAreManagedOnTheWindowsFilesAndProfilesFollowADeletion) {
  EXPECT_EQ(Ctl("macro add mouse"), (std::pair<int, std::string>{0, "macro_1\n"}));
  EXPECT_EQ(Ctl("macro add mouse Fire"), (std::pair<int, std::string>{0, "Fire\n"}));
  EXPECT_EQ(Ctl("macro add mouse FIRE").first, 2);  // the name is taken, ignoring case
  EXPECT_EQ(Ctl("macro add mousepad").first, 2);    // only the mouse and the keyboard have macros
  EXPECT_EQ(Ctl("macro rename mouse macro_1 Burst").first, 0);

  // The selected profile: key 0 plays Fire (macro 1), key 1 plays Burst (macro 0).
  const auto listed = Ctl("profile list mouse");
  ASSERT_EQ(listed.first, 0);
  const std::string id = listed.second.substr(listed.second.find('\t') + 1, 23);
  const std::string document = folder_ + id + ".Json";
  Json::Value doc = CJsonFile().ReadDocument(document);
  Json::Value& keys = doc["Device"][0]["KeyList"];
  ASSERT_GT(keys.size(), 1u);
  const int defaultOfKey1 = keys[1]["DefaultAssignment"].asInt();
  keys[0]["Assignment"] = 0x700103;
  keys[1]["Assignment"] = 0x710004;
  ASSERT_EQ(CJsonFile().WriteDocument(document, doc), 0);

  EXPECT_EQ(Ctl("macro delete mouse burst").first, 0);
  const Json::Value after = CJsonFile().ReadDocument(document)["Device"][0]["KeyList"];
  EXPECT_EQ(after[0]["Assignment"].asInt(), 0x700003);  // Fire is macro 0 now
  EXPECT_EQ(after[1]["Assignment"].asInt(), defaultOfKey1);
  const auto list = Ctl("macro list mouse");
  EXPECT_EQ(list.first, 0);
  EXPECT_EQ(list.second.rfind("0\tFire\t", 0), 0u) << list.second;

  // Import keeps what this version cannot play; export copies the file unchanged.
  const std::string in = root_ + "/in.mac";
  Spit(in, "{\"Events\": [{\"Type\": 10, \"Button\": 4, \"Action\": \"down\", \"Delay\": \"7\"},"
           " {\"Type\": 66, \"Button\": 1, \"Action\": \"up\", \"Delay\": \"3\"}]}");
  EXPECT_EQ(Ctl("macro import mouse " + in), (std::pair<int, std::string>{0, "macro_1\n"}));
  const auto shown = Ctl("macro show mouse macro_1");
  ASSERT_EQ(shown.first, 0);
  Json::Value showed;
  ASSERT_TRUE(CJsonFile::ParseDocument(shown.second, showed));
  ASSERT_EQ(showed["Events"].size(), 2u);
  EXPECT_EQ(showed["Events"][1]["Type"].asInt(), 66);
  const std::string out = root_ + "/out.mac";
  EXPECT_EQ(Ctl("macro export mouse macro_1 " + out).first, 0);
  EXPECT_EQ(Slurp(out), Slurp(in));

  // A file of more than 4000 events is refused whole; nothing is added.
  Json::Value big;
  for (int i = 0; i < 4001; ++i) big["Events"][i]["Type"] = 1;
  ASSERT_EQ(CJsonFile().WriteDocument(root_ + "/big.mac", big), 0);
  const std::string catalogue = Slurp(folder_ + "macro.config");
  EXPECT_EQ(Ctl("macro import mouse " + root_ + "/big.mac").first, 2);
  EXPECT_EQ(Slurp(folder_ + "macro.config"), catalogue);
  EXPECT_EQ(Ctl("macro delete mouse nosuch").first, 2);
}

}  // namespace
}  // namespace orlo
