// Runs the built orloctl on a temporary data folder: the profile commands end to end, and bad
// input that must leave every file as it was.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "FaultFiles.h"
#include "macro/TempDataHome.h"
#include "profile/JsonFile.h"

namespace orlo {
namespace {

namespace fs = std::filesystem;

class ProfileListCommandTest : public test::TempDataHome {
 protected:
  void SetUp() override {
    TempDataHome::SetUp();
    binary_ = ORLO_TEST_BINARY_DIR "/../orloctl";
    if (!fs::exists(binary_)) GTEST_SKIP() << "orloctl is not built";
  }

  struct Result {
    int code;
    std::string out, err;
  };
  // args are single-quoted for the shell; none of them contains a quote.
  Result Run(const std::string& args) {
    std::string out = root_ + "/stdout", err = root_ + "/stderr";
    std::string cmd = "XDG_DATA_HOME='" + root_ + "' ORLO_PROGRAM_DIR='" ORLO_SOURCE_DIR "' '" + binary_ +
                      "' profile " + args + " >'" + out + "' 2>'" + err + "'";
    int status = std::system(cmd.c_str());
    Result r{WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), Slurp(err)};
    fs::remove(out);
    fs::remove(err);
    return r;
  }
  // Every file below the application data folder with its content.
  std::map<std::string, std::string> Snapshot() {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root_ + "/Tavrin ORLO", ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
      files[it->path().string()] = it->is_regular_file() ? Slurp(it->path().string()) : "<dir>";
    return files;
  }

  std::string binary_;
};

TEST_F(ProfileListCommandTest, ProfilesAreManagedWithoutADevice) {
  Result r = Run("list mouse");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out.rfind("* profile1\t", 0), 0u) << r.out;

  EXPECT_EQ(Run("add mouse Game").out, "Game\n");
  EXPECT_EQ(Run("copy mouse game").out, "Game copy\n");
  ASSERT_EQ(Run("select mouse 'GAME COPY'").code, 0);
  ASSERT_EQ(Run("rename mouse profile1 Work").code, 0);
  r = Run("list mouse");
  EXPECT_NE(r.out.find("  Work\t"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find("* Game copy\t"), std::string::npos) << r.out;

  ASSERT_EQ(Run("delete mouse work").code, 0);
  r = Run("list mouse");
  EXPECT_EQ(r.out.find("Work"), std::string::npos);
  EXPECT_NE(r.out.find("* Game copy\t"), std::string::npos) << r.out;

  // show prints the device section, created from the default document.
  r = Run("show mouse Game");
  ASSERT_EQ(r.code, 0) << r.err;
  Json::Value shown;
  ASSERT_TRUE(Json::Reader().parse(r.out, shown));
  Json::Value def = CJsonFile().ReadDocument(std::string(ORLO_SOURCE_DIR) + "/DefaultData/mouse.Json");
  ASSERT_TRUE(def.isObject());
  EXPECT_EQ(shown, def["Device"][0]);

  std::string exported = root_ + "/Game.json";
  ASSERT_EQ(Run("export mouse '" + exported + "' Game").code, 0);
  EXPECT_EQ(Run("import mouse '" + exported + "'").out, "Game(1)\n");
}

TEST_F(ProfileListCommandTest, BadInputIsOneLineOnStderrAndChangesNothing) {
  auto fresh = Snapshot();
  Result r = Run("delete mouse nosuch");
  EXPECT_NE(r.code, 0);
  EXPECT_EQ(Snapshot(), fresh);  // not even the list is created

  ASSERT_EQ(Run("add mouse Game").code, 0);
  std::string exported = root_ + "/mine.json";
  ASSERT_EQ(Run("export mouse '" + exported + "'").code, 0);
  std::string junk = root_ + "/junk.json";
  Spit(junk, "{ not json");
  auto before = Snapshot();
  for (const std::string& args :
       {std::string("delete mouse nosuch"), std::string("select mouse nosuch"), std::string("show mouse nosuch"),
        std::string("copy mouse nosuch"), std::string("rename mouse Game ' '"),
        std::string("rename mouse Game PROFILE1"), std::string("add mouse game"),
        std::string("import mouse '" + root_ + "/missing.json'"), std::string("import mouse '" + junk + "'"),
        std::string("import keyboard '" + exported + "'"), std::string("export mouse /no/such/dir/x.json"),
        std::string("list toaster"), std::string("frobnicate mouse")}) {
    r = Run(args);
    EXPECT_NE(r.code, 0) << args;
    EXPECT_EQ(r.err.rfind("orloctl: ", 0), 0u) << args << ": " << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args << ": " << r.err;
    EXPECT_EQ(Snapshot(), before) << args;
  }
  ASSERT_EQ(Run("delete mouse game").code, 0);
  r = Run("delete mouse profile1");  // the last one stays
  EXPECT_NE(r.code, 0);
}

TEST_F(ProfileListCommandTest, InvalidFilesAreKeptAndUnreadableOnesStopEveryCommand) {
  ASSERT_EQ(Run("list mouse").code, 0);
  const std::string folder = root_ + "/Tavrin ORLO/mouse/";
  const std::string listPath = folder + "ProfileList.ini";
  Json::Value list = CJsonFile().ReadDocument(listPath);
  const std::string doc = folder + list["profilelist"][0]["profileUUID"].asString() + ".Json";

  // An invalid document: show moves it aside, says so in one line and shows the defaults.
  Spit(doc, "{ broken");
  Result r = Run("show mouse");
  ASSERT_EQ(r.code, 0) << r.err;
  std::string aside;
  for (const auto& e : fs::directory_iterator(folder))
    if (e.path().string().rfind(doc + ".invalid-", 0) == 0) aside = e.path().string();
  ASSERT_FALSE(aside.empty());
  EXPECT_EQ(Slurp(aside), "{ broken");
  EXPECT_EQ(r.err, "orloctl: '" + doc + "' held no valid settings; it was kept as '" + aside +
                       "' and new settings take its place\n");

  // A list that cannot be read: every command fails with one line and nothing changes.
  fs::remove(listPath);
  test::MakeIoErrorFile(listPath);
  const auto before = Snapshot();
  for (const std::string& args : {std::string("list mouse"), std::string("add mouse Game"),
                                  std::string("delete mouse profile1"), std::string("show mouse"),
                                  std::string("select mouse profile1")}) {
    r = Run(args);
    EXPECT_EQ(r.code, 1) << args;
    EXPECT_EQ(r.err, "orloctl: cannot read '" + listPath + "' (Input/output error); it is left as it is\n") << args;
    EXPECT_EQ(Snapshot(), before) << args;
  }
  EXPECT_EQ(test::LinkTarget(listPath), "/proc/self/mem");
}

}  // namespace
}  // namespace orlo
