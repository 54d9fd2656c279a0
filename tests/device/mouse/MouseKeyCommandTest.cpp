// `orloctl set mouse key` and `orloctl apply mouse` on the simulated mouse: the key table and the
// macro block it refers to reach the mouse (read back from the simulated mouse's memory file),
// macros that do not fit write nothing at all, and bad input is refused before anything is written.
#include <filesystem>

#include "macro/MacroCatalogue.h"
#include "profile/JsonFile.h"
#include "sim/SimMouse.h"
#include "support/CtlRunner.h"

namespace orlo {
namespace {

namespace fs = std::filesystem;

class MouseKeyCommandTest : public testing_support::CtlRunner {
 protected:
  void SetUp() override { Prepare("mouse"); }
  std::string Folder() const { return root_ + "/data/Tavrin ORLO/mouse/"; }
  // A macro named `name` with `count` events: A pressed (100 ms), A released, ...
  void AddMacro(const std::string& name, int count) {
    fs::create_directories(Folder());
    CMacroCatalogue catalogue(Folder());
    const int index = catalogue.Count();
    ASSERT_FALSE(catalogue.NewMacro().empty());
    ASSERT_EQ(catalogue.RenameMacro(index, name), CMacroCatalogue::kRenameDone);
    std::vector<MacroEvent> events;
    for (int e = 0; e < count; ++e) events.push_back({10, 0x04, e % 2 == 0, e % 2 == 0 ? 100 : 0});
    ASSERT_TRUE(catalogue.SaveMacro(index, events));
  }
  // An area of the simulated mouse as its memory file holds it.
  std::vector<uint8_t> Area(sim::Area area, size_t bytes) {
    auto memory = sim::SimMouse::MakeMemory();
    memory->SetPersistFolder(root_ + "/sim");
    EXPECT_TRUE(memory->Load());
    auto a = memory->Snapshot(area);
    a.resize(bytes);
    return a;
  }
  std::string MemoryFile() { return fs::exists(root_ + "/sim/mouse.mem") ? Slurp(root_ + "/sim/mouse.mem") : ""; }
  int AssignmentOnDisk(const std::string& profile, int key) {
    return CJsonFile().ReadDocument(profile)["Device"][0]["KeyList"][key]["Assignment"].asInt();
  }
};

TEST_F(MouseKeyCommandTest, SetKeyWritesTheKeyTableAndTheMacrosItUses) {
  AddMacro("jump", 2);
  Result r = Run("set mouse key 3 macro:JUMP");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "mouse key 3: 70 00 00\n");
  r = Run("set mouse key 4 Ctrl+C");
  ASSERT_EQ(r.code, 0) << r.err;
  r = Run("set mouse key 1 media_vol_add");
  ASSERT_EQ(r.code, 0) << r.err;

  EXPECT_EQ(Area(sim::Area::KeyTable, 15), (std::vector<uint8_t>{0x10, 0x01, 0x00, 0x30, 0xE9, 0x00, 0x10, 0x04, 0x00,
                                                                 0x70, 0x00, 0x00, 0x20, 0x01, 0x06}));
  EXPECT_EQ(Area(sim::Area::Macro, 30),
            (std::vector<uint8_t>{0xAA, 0x55, 0x1E, 0x00, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x12, 0x00,
                                  0x02, 0x00, 0x00, 0x00, 0x64, 0x00, 0x8A, 0x04, 0x00, 0x00, 0x0A, 0x04}));
  const std::string profile = Read("mouse")["profile"].asString();
  EXPECT_EQ(AssignmentOnDisk(profile, 3), 0x700000);
  EXPECT_EQ(AssignmentOnDisk(profile, 4), 0x200106);

  // Back to the factory function: the macro is no longer used, the block holds no entry.
  r = Run("set mouse key 3 default");
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(r.out, "mouse key 3: 10 10 00\n");
  EXPECT_EQ(AssignmentOnDisk(profile, 3), 0x101000);
}

TEST_F(MouseKeyCommandTest, MacrosThatDoNotFitWriteNothing) {
  AddMacro("long", 600);  // 16 + 6 + 4 × 600 = 2422 bytes for the mouse's 2048
  const std::string profile = Read("mouse")["profile"].asString();
  CJsonFile file;
  Json::Value doc = file.ReadDocument(profile);
  doc["Device"][0]["KeyList"][2]["Assignment"] = 0x700000;
  ASSERT_EQ(file.WriteDocument(profile, doc), 0);
  const std::string before = MemoryFile();

  Result r = Run("apply mouse");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(r.err, "orloctl: mouse: the macros need 94 more events than the mouse can hold; nothing was written\n");
  EXPECT_EQ(MemoryFile(), before);  // neither the macros nor the key table nor the settings

  r = Run("set mouse key 4 macro:long");
  EXPECT_EQ(r.code, 1);
  EXPECT_EQ(MemoryFile(), before);
  EXPECT_EQ(AssignmentOnDisk(profile, 4), 0x100800);  // the profile is not saved either
}

TEST_F(MouseKeyCommandTest, BadAssignmentsAreRefusedBeforeAnythingIsWritten) {
  for (const char* args : {"set mouse key 3 Foo", "set mouse key 11 A", "set mouse key 3 macro:nothing",
                           "set mouse key 3 keyboard_key_FN", "set mouse key 0 A", "set mouse key 3"}) {
    const Result r = Run(args);
    EXPECT_EQ(r.code, 2) << args << ": " << r.err;
    EXPECT_NE(r.err.find("orloctl: "), std::string::npos) << args;
  }
  EXPECT_EQ(MemoryFile(), "");
}

}  // namespace
}  // namespace orlo
