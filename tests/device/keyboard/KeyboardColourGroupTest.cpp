// Colour groups of the per-key colour effect on the simulated keyboard (the bytes at their LEDs
// in the group's place, in the connection's chunks, and the profile document), and the profile
// save that drops the assignments of deleted macros.
#include <fstream>

#include "KeyboardDeviceTestSupport.h"
#include "macro/MacroCatalogue.h"
#include "profile/JsonFile.h"

namespace orlo {
namespace {

using ChunkList = std::vector<std::pair<int, int>>;
using Bytes = std::vector<uint8_t>;

class KeyboardColourGroupTest : public testing_support::KeyboardRig {
 protected:
  void Start(bool receiver, uint8_t mode = 20) {
    Connect(receiver);
    keyboard_->LoadCatalogues();
    ASSERT_EQ(keyboard_->ReadAll(), 1);
    keyboard_->LoadProfile();
    LightInfo e = keyboard_->GetLightEffect();
    e.mode = mode, e.brightness = 4, e.red = 0x10, e.green = 0x20, e.blue = 0x30;
    keyboard_->SetLightEffect(e);
  }
  Bytes LightData(int from, int count) const {
    const auto area = memory_->Snapshot(sim::Area::LightData);
    return Bytes(area.begin() + from, area.begin() + from + count);
  }
  Json::Value Saved() const { return CJsonFile().ReadDocument(keyboard_->GetProfileName())["Device"][0]; }
};

TEST_F(KeyboardColourGroupTest, TheChosenGroupGoesToItsPlaceScaledAtEachKeysLed) {
  for (const bool receiver : {false, true}) {
    SCOPED_TRACE(receiver ? "receiver" : "wired");
    Start(receiver);
    std::vector<LightColor> group(170);
    group[64] = {0x80, 0x40, 0x20, 128};  // "A": LED 10
    group[0] = {0xFF, 0x00, 0x10, 255};   // Esc: LED 11
    group[16] = {0xFF, 0xFF, 0xFF, 255};  // no key on this keyboard
    keyboard_->Profile().SetCustomLightColors(group, 3);
    EXPECT_EQ(keyboard_->SelectCustomGroup(8), 0);  // past the eight groups
    ASSERT_EQ(keyboard_->SelectCustomGroup(3), 1);
    EXPECT_EQ(Saved()["CustomLightMode"]["CustomLightModeGroupIndex"].asInt(), 3);
    EXPECT_EQ(Saved()["LightInfo"]["CustomGroup"].asInt(), 3);
    sim_->ClearLog();
    ASSERT_EQ(keyboard_->LoadCustomGroup(), 1);
    ChunkList chunks{{56, 1536}, {56, 1592}, {56, 1648}, {56, 1704}, {56, 1760}, {32, 1816}};
    if (receiver) {  // thirteen reports of 24 bytes
      chunks.clear();
      for (int at = 1536; at < 1848; at += 24) chunks.emplace_back(24, at);
    }
    EXPECT_EQ(Chunks(kCmdWriteLightData), chunks);
    Bytes expected(312, 0);  // group 3 from 1536; colour × brightness / 256
    const uint8_t lit[] = {0x40, 0x20, 0x10, 0xFE, 0x00, 0x0F};
    std::copy(lit, lit + 6, expected.begin() + 30);
    EXPECT_EQ(LightData(1536, 312), expected);
    keyboard_.reset();
  }
}

TEST_F(KeyboardColourGroupTest, FillingSendsAndStoresEveryKeyAndAnUnplugKeepsTheChunksBefore) {
  Connect(false);  // not read yet: no table says where a key's LED is
  EXPECT_EQ(keyboard_->FillCustomGroup(true), 0);
  EXPECT_EQ(CountOf(kCmdWriteLightData), 0u);
  keyboard_.reset();
  Start(false);
  ASSERT_EQ(keyboard_->SelectCustomGroup(1), 1);
  ASSERT_EQ(keyboard_->FillCustomGroup(true), 1);
  EXPECT_EQ(LightData(512 + 30, 6), (Bytes{0x0F, 0x1F, 0x2F, 0x0F, 0x1F, 0x2F}));
  EXPECT_NE(LightData(512 + 168, 144), Bytes(144, 0));
  const Json::Value a = Saved()["CustomLightMode"]["LightColorInfo"][1][64];
  EXPECT_EQ((Bytes{uint8_t(a["Red"].asInt()), uint8_t(a["Blue"].asInt()), uint8_t(a["Alpha"].asInt())}),
            (Bytes{0x10, 0x30, 255}));
  ASSERT_EQ(keyboard_->FillCustomGroup(false), 1);
  EXPECT_EQ(LightData(512 + 30, 6), Bytes(6, 0));
  EXPECT_EQ(Saved()["CustomLightMode"]["LightColorInfo"][1][64]["Red"].asInt(), 0);
  // Unplugged after the third chunk: the failure is reported, the chunks before it stay.
  sim_->UnplugAfter(3);
  EXPECT_NE(keyboard_->FillCustomGroup(true), 1);
  EXPECT_EQ(LightData(512 + 30, 6), (Bytes{0x0F, 0x1F, 0x2F, 0x0F, 0x1F, 0x2F}));
  EXPECT_EQ(LightData(512 + 168, 144), Bytes(144, 0));
}

TEST_F(KeyboardColourGroupTest, SavingDropsAssignmentsOfDeletedMacrosIntoTheDocumentAndTheKeyboard) {
  Start(false, 0);
  CMacroCatalogue catalogue(keyboard_->DeviceFolder());
  keyboard_->SetKeyAssignment(0, {0x70, 2, 0});   // Esc: macro 2
  keyboard_->SetKeyAssignment(64, {0x70, 7, 0});  // "A": macro 7
  std::filesystem::create_directories(keyboard_->DeviceFolder());
  std::ofstream(catalogue.CataloguePath()) << "{ not json";
  keyboard_->SaveProfile();  // unreadable: says nothing about which macros are gone
  EXPECT_EQ(keyboard_->KeyList()[64].Current(), (AssignCode{0x70, 7, 0}));
  EXPECT_EQ(CountOf(kCmdWriteKeyTable), 0u);
  std::filesystem::remove(catalogue.CataloguePath());
  for (int i = 0; i < 4; ++i) ASSERT_FALSE(catalogue.NewMacro().empty());
  keyboard_->SaveProfile();  // four macros: 7 is gone, 2 stays
  const Json::Value& keys = keyboard_->Profile().GetSection()["KeyList"];
  EXPECT_EQ(keys[64]["Assignment"].asInt(), 0x200004);
  EXPECT_EQ(keys[0]["Assignment"].asInt(), 0x700200);
  const Bytes table = KeyTable();  // Esc (key 0): macro slot 0; "A" (key 59): its own code
  EXPECT_EQ(Bytes(table.begin(), table.begin() + 3), (Bytes{0x70, 0x00, 0x00}));
  EXPECT_EQ(Bytes(table.begin() + 177, table.begin() + 180), (Bytes{0x20, 0x00, 0x04}));
}

}  // namespace
}  // namespace orlo
