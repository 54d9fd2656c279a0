#include "platform/Paths.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>

using namespace orlo::paths;
namespace fs = std::filesystem;

namespace {

class ProgramFolderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/orlo-paths-XXXXXX";
    root = mkdtemp(tmpl);
    hints.dataFromBin = "../share/tavrin-orlo";
    hints.buildDir = (root / "src/build").string();
    hints.sourceDir = (root / "src").string();
    hints.installDataDir = (root / "usr/local/share/tavrin-orlo").string();
    fs::create_directories(root / "src/DefaultData");
    fs::create_directories(root / "src/build");
  }
  void TearDown() override { fs::remove_all(root); }
  std::string Data(const fs::path& folder) {
    fs::create_directories(root / folder / "DefaultData");
    return (root / folder).string() + "/";
  }
  std::string Find(const fs::path& exe) { return FindProgramFolder((root / exe).string(), hints); }

  fs::path root;
  ProgramFolderHints hints;
};


TEST_F(ProgramFolderTest, AnInstalledTreeIsFoundFromTheExecutableUnderAnyPrefix) {
  const std::string configured = Data("usr/local/share/tavrin-orlo");
  const std::string staged = Data("stage/opt/orlo/share/tavrin-orlo");
  EXPECT_EQ(Find("stage/opt/orlo/bin/orlo"), staged);
  // Moved elsewhere after installing: still its own data, not the configured prefix's.
  fs::rename(root / "stage", root / "moved");
  EXPECT_EQ(Find("moved/opt/orlo/bin/orlo"), (root / "moved/opt/orlo/share/tavrin-orlo").string() + "/");
  // A bin folder without its data beside it falls back to the configured prefix.
  EXPECT_EQ(Find("elsewhere/bin/orlo"), configured);
}

TEST_F(ProgramFolderTest, OwnFolderFirstAndTheBuildTreeUsesTheSources) {
  Data("usr/local/share/tavrin-orlo");
  const std::string portable = Data("portable");
  EXPECT_EQ(Find("portable/orlo"), portable);
  // A build tree's executable takes the source tree, not an older installed copy.
  EXPECT_EQ(Find("src/build/ci/orlo"), (root / "src").string() + "/");
  EXPECT_EQ(Find("src/build/ci/tests/test_app"), (root / "src").string() + "/");
  // "src/build-other" is not inside "src/build".
  EXPECT_EQ(Find("src/build-other/orlo"), (root / "usr/local/share/tavrin-orlo").string() + "/");
}

TEST_F(ProgramFolderTest, NothingFoundGivesTheSourceTreeElseTheExecutablesFolder) {
  EXPECT_EQ(Find("nowhere/bin/orlo"), (root / "src").string() + "/");
  hints.sourceDir.clear();
  EXPECT_EQ(Find("nowhere/bin/orlo"), (root / "nowhere/bin").string() + "/");
}

}  // namespace
