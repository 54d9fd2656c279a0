// Runs the built orloctl on the simulated keyboard with temporary data and device folders: a
// switch set and read back, `apply` writing the document as it is stored (not what the keyboard
// showed at first contact), and bad arguments refused before anything is touched.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "macro/MacroCatalogue.h"
#include "profile/JsonFile.h"
#include "support/CtlRunner.h"

namespace orlo {
namespace {

namespace fs = std::filesystem;

class KeyboardCommandTest : public testing_support::CtlRunner {
 protected:
  void SetUp() override { Prepare("keyboard"); }
  Json::Value Read() { return CtlRunner::Read("keyboard"); }
};

TEST_F(KeyboardCommandTest, ASwitchIsStoredWrittenAndReadBack) {
  Result r = Run("set keyboard switch key6 on");
  ASSERT_EQ(r.code, 0) << r.err;
  r = Run("set keyboard rate 1");
  ASSERT_EQ(r.code, 0) << r.err;
  const Json::Value v = Read();
  EXPECT_EQ(v["settings"]["key6Flag"].asInt(), 1);
  EXPECT_EQ(v["settings"]["winFlag"].asInt(), 0);
  EXPECT_EQ(v["settings"]["reportRate"].asInt(), 1);
  EXPECT_EQ(v["info"]["keys"].asInt(), 104);
  EXPECT_EQ(v["positions"]["64"][0].asInt(), 59);
  EXPECT_EQ(v["positions"]["64"][1].asInt(), 10);
}

TEST_F(KeyboardCommandTest, ApplyWritesTheDocumentAsStored) {
  // First contact makes the profile document; then the document is edited by hand.
  const Json::Value first = Read();
  const std::string path = first["profile"].asString();
  CJsonFile file;
  Json::Value doc = file.ReadDocument(path);
  Json::Value& light = doc["Device"][0]["LightInfo"];
  light["SelectItem"] = 6, light["Light"] = 2, light["Speed"] = 3, light["Red"] = 0x12, light["Green"] = 0x34,
  light["Blue"] = 0x56, light["MultiColor"] = 0, light["Fx"] = 1;
  doc["Device"][0]["SystemStages"]["WinFlag"] = 1;
  doc["Device"][0]["SystemStages"]["PollingRate"] = 2;
  ASSERT_EQ(file.WriteDocument(path, doc), 0);

  const Result r = Run("apply keyboard");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("applied"), std::string::npos);
  const Json::Value v = Read();
  EXPECT_EQ(v["settings"]["hex"].asString(),
            "00 06 02 01 01 00 12 34 56 00 00 00 00 00 00 00 00 00 00 00 00 01 02 00 00 00");
}

TEST_F(KeyboardCommandTest, BadArgumentsAreRefusedWithOneLine) {
  for (const char* args : {"set keyboard rate 4", "set keyboard switch caps on", "set keyboard switch win maybe",
                           "set keyboard light 300", "set keyboard colour 1"}) {
    const Result r = Run(args);
    EXPECT_EQ(r.code, 2) << args;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << args << ": " << r.err;
  }
  // Nothing was read or written: the simulated keyboard's memory was never saved.
  EXPECT_FALSE(fs::exists(root_ + "/sim/keyboard.mem"));
}

TEST_F(KeyboardCommandTest, SetKeyWritesTheKeyTableUnlessTheMacrosDoNotFit) {
  // Position 64 (A) is physical key 59, position 65 (S) key 60.
  Result r = Run("set keyboard key 64 F5");
  ASSERT_EQ(r.code, 0) << r.err;
  Json::Value v = Read();
  EXPECT_EQ(v["keyTable"][59].asString(), "20 00 3e");
  EXPECT_EQ(v["keyTable"][60].asString(), "20 00 16");

  // A macro of 1100 events: 16 + 6 + 4400 bytes for the keyboard's 4096.
  const std::string folder = root_ + "/data/Tavrin ORLO/keyboard/";
  CMacroCatalogue catalogue(folder);
  ASSERT_FALSE(catalogue.NewMacro().empty());
  ASSERT_TRUE(catalogue.SaveMacro(0, std::vector<MacroEvent>(1100, MacroEvent{10, 0x04, true, 5})));
  r = Run("set keyboard key 65 macro:macro_1");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "orloctl: keyboard: the macros need 82 more events than the keyboard can hold; nothing was written\n");
  v = Read();
  EXPECT_EQ(v["keyTable"][59].asString(), "20 00 3e");
  EXPECT_EQ(v["keyTable"][60].asString(), "20 00 16");
  // The Fn key keeps its function; a position this keyboard has no key at is refused.
  EXPECT_EQ(Run("set keyboard key 110 A").code, 2);
  EXPECT_EQ(Run("set keyboard key 16 A").code, 2);
}

}  // namespace
}  // namespace orlo
