// The colour groups of the per-key colour effect on the simulated keyboard: choosing, loading,
// filling and resending a group (the bytes at their LEDs in the group's place of the light data
// area, in the connection's chunks, and the profile document), and the profile save that drops
// the assignments of deleted macros.
#include <fstream>
#include <vector>

#include "KeyboardDeviceTestSupport.h"
#include "macro/MacroCatalogue.h"
#include "profile/JsonFile.h"

namespace orlo {
namespace {

using testing_support::KeyboardRig;
using ChunkList = std::vector<std::pair<int, int>>;
using Bytes = std::vector<uint8_t>;

class KeyboardColourGroupTest : public KeyboardRig {
 protected:
  // First contact without the light thread, the effect switched to the per-key colours.
  void Start(bool receiver, uint8_t mode = 20) {
    Connect(receiver);
    keyboard_->LoadCatalogues();
    ASSERT_EQ(keyboard_->ReadAll(), 1);
    keyboard_->LoadProfile();
    LightInfo e = keyboard_->GetLightEffect();
    e.mode = mode, e.brightness = 4, e.red = 0x10, e.green = 0x20, e.blue = 0x30;
    keyboard_->SetLightEffect(e);
  }
  // Bytes [from, from + count) of the keyboard's light data area.
  Bytes LightData(int from, int count) const {
    const auto area = memory_->Snapshot(sim::Area::LightData);
    return Bytes(area.begin() + from, area.begin() + from + count);
  }
  Json::Value SavedSection() const {
    return CJsonFile().ReadDocument(keyboard_->GetProfileName())["Device"][0];
  }
};

TEST_F(KeyboardColourGroupTest, TheChosenGroupGoesToItsPlaceScaledAtEachKeysLed) {
  for (const bool receiver : {false, true}) {
    SCOPED_TRACE(receiver ? "receiver" : "wired");
    Start(receiver);
    std::vector<LightColor> group(170);
    group[64] = {0x80, 0x40, 0x20, 128};  // "A": key 59, LED 10
    group[0] = {0xFF, 0x00, 0x10, 255};   // Esc: key 0, LED 11
    group[16] = {0xFF, 0xFF, 0xFF, 255};  // no key on this keyboard
    keyboard_->Profile().SetCustomLightColors(group, 3);

    EXPECT_EQ(keyboard_->SelectCustomGroup(8), 0);   // past the eight groups
    EXPECT_EQ(keyboard_->SelectCustomGroup(-1), 0);
    EXPECT_EQ(keyboard_->SelectCustomGroup(3), 1);
    EXPECT_EQ(SavedSection()["CustomLightMode"]["CustomLightModeGroupIndex"].asInt(), 3);
    EXPECT_EQ(SavedSection()["LightInfo"]["CustomGroup"].asInt(), 3);

    sim_->ClearLog();
    const int shown = observer_.Count("OnProfileStateChanged");
    ASSERT_EQ(keyboard_->LoadCustomGroup(), 1);
    EXPECT_EQ(observer_.Count("OnProfileStateChanged"), shown + 1);
    if (receiver) {
      ChunkList reports;
      for (int i = 0; i < 13; ++i) reports.emplace_back(24, 1536 + 24 * i);
      EXPECT_EQ(Chunks(kCmdWriteLightData), reports);
    } else {
      EXPECT_EQ(Chunks(kCmdWriteLightData),
                (ChunkList{{56, 1536}, {56, 1592}, {56, 1648}, {56, 1704}, {56, 1760}, {32, 1816}}));
    }
    // Group 3 starts at 1536: only LEDs 10 and 11 are lit, each colour × brightness / 256.
    Bytes expected(312, 0);
    const uint8_t a[] = {0x40, 0x20, 0x10}, esc[] = {0xFE, 0x00, 0x0F};
    std::copy(a, a + 3, expected.begin() + 30);
    std::copy(esc, esc + 3, expected.begin() + 33);
    EXPECT_EQ(LightData(1536, 312), expected);
    const LedValue shownA = keyboard_->ledState().Get(64);
    EXPECT_EQ((Bytes{shownA.r, shownA.g, shownA.b, shownA.brightness}), (Bytes{0x80, 0x40, 0x20, 128}));

    // The settings block carries the group in its last byte.
    ASSERT_EQ(keyboard_->ApplySettings(0, 0, 0, 0, 0), 1);
    EXPECT_EQ(memory_->Snapshot(sim::Area::Settings)[25], 3);

    // Resending puts the stored group back over a painted LED state, without the page.
    keyboard_->ledState().Fill({}, 0);
    sim_->ClearLog();
    ASSERT_EQ(keyboard_->ResendCustomGroup(), 1);
    EXPECT_EQ(observer_.Count("OnProfileStateChanged"), shown + 1);
    EXPECT_EQ(LightData(1536, 312), expected);
    keyboard_.reset();
  }
}

TEST_F(KeyboardColourGroupTest, FillingLightsOrDarkensEveryKeyAndStoresTheGroup) {
  Start(false);
  ASSERT_EQ(keyboard_->SelectCustomGroup(1), 1);
  sim_->ClearLog();
  ASSERT_EQ(keyboard_->FillCustomGroup(true), 1);
  // Group 1 at 512: LEDs 10 and 11 at full brightness (0x10 × 255 / 256 = 0x0F ...).
  EXPECT_EQ(LightData(512 + 30, 6), (Bytes{0x0F, 0x1F, 0x2F, 0x0F, 0x1F, 0x2F}));
  EXPECT_EQ(Chunks(kCmdWriteLightData).front(), (std::pair<int, int>{56, 512}));
  // LEDs past the third chunk are lit too (the unplug case below relies on it).
  EXPECT_NE(LightData(512 + 168, 144), Bytes(144, 0));
  Json::Value stored = SavedSection()["CustomLightMode"]["LightColorInfo"][1];
  ASSERT_EQ(stored.size(), 170u);
  for (const int p : {0, 64, 169}) {
    EXPECT_EQ(stored[p]["Red"].asInt(), 0x10);
    EXPECT_EQ(stored[p]["Green"].asInt(), 0x20);
    EXPECT_EQ(stored[p]["Blue"].asInt(), 0x30);
    EXPECT_EQ(stored[p]["Alpha"].asInt(), 255);
  }

  ASSERT_EQ(keyboard_->FillCustomGroup(false), 1);
  EXPECT_EQ(LightData(512 + 30, 6), (Bytes(6, 0)));
  stored = SavedSection()["CustomLightMode"]["LightColorInfo"][1];
  EXPECT_EQ(stored[64]["Red"].asInt(), 0);
  EXPECT_EQ(stored[64]["Blue"].asInt(), 0);
  // Group 0 was never touched.
  EXPECT_EQ(LightData(30, 6), (Bytes(6, 0)));
}

TEST_F(KeyboardColourGroupTest, NothingIsSentOutsideThePerKeyEffectBeforeAReadOrAfterAnUnplug) {
  // Another effect: the fill is stored for the group, nothing goes to the keyboard.
  Start(false, 6);
  sim_->ClearLog();
  EXPECT_EQ(keyboard_->FillCustomGroup(true), 0);
  EXPECT_EQ(CountOf(kCmdWriteLightData), 0u);
  EXPECT_EQ(SavedSection()["CustomLightMode"]["LightColorInfo"][0][64]["Green"].asInt(), 0x20);
  keyboard_.reset();

  // Not read yet: no table says where a key's LED is.
  Connect(false);
  LightInfo e = keyboard_->GetLightEffect();
  e.mode = 20;
  keyboard_->SetLightEffect(e);
  EXPECT_EQ(keyboard_->SendCustomGroup(), 0);
  EXPECT_EQ(CountOf(kCmdWriteLightData), 0u);
  keyboard_.reset();

  // Unplugged after the third chunk: the failure is reported, the chunks before it stay.
  Start(false);
  sim_->ClearLog();
  sim_->UnplugAfter(3);
  const int r = keyboard_->FillCustomGroup(true);
  EXPECT_NE(r, 1);
  EXPECT_EQ(LightData(30, 6), (Bytes{0x0F, 0x1F, 0x2F, 0x0F, 0x1F, 0x2F}));
  EXPECT_EQ(LightData(168, 144), Bytes(144, 0));  // the fourth chunk on
}

TEST_F(KeyboardColourGroupTest, SavingDropsAssignmentsOfDeletedMacrosIntoTheDocumentAndTheKeyboard) {
  Start(false, 0);
  std::filesystem::create_directories(keyboard_->DeviceFolder());
  CMacroCatalogue catalogue(keyboard_->DeviceFolder());
  for (int i = 0; i < 8; ++i) ASSERT_FALSE(catalogue.NewMacro().empty());
  keyboard_->LoadCatalogues();
  keyboard_->SetKeyAssignment(0, {0x70, 2, 0});   // Esc: macro 2
  keyboard_->SetKeyAssignment(64, {0x70, 7, 0});  // "A": macro 7
  keyboard_->NotifyProfileChanged();

  // An unreadable catalogue says nothing about which macros are gone: nothing changes.
  const std::string path = catalogue.CataloguePath();
  {
    std::ofstream(path, std::ios::trunc) << "{ not json";
  }
  sim_->ClearLog();
  keyboard_->SaveProfile();
  EXPECT_EQ(keyboard_->KeyList()[64].Current(), (AssignCode{0x70, 7, 0}));
  EXPECT_EQ(CountOf(kCmdWriteKeyTable), 0u);

  // Four macros left: macro 7 is gone, macro 2 stays.
  std::filesystem::remove(path);
  for (int i = 0; i < 4; ++i) ASSERT_FALSE(catalogue.NewMacro().empty());
  keyboard_->SaveProfile();
  EXPECT_EQ(keyboard_->KeyList()[64].Current(), (AssignCode{0x20, 0x00, 0x04}));
  EXPECT_EQ(keyboard_->KeyList()[0].Current(), (AssignCode{0x70, 2, 0}));
  const Json::Value& keys = keyboard_->Profile().GetSection()["KeyList"];
  EXPECT_EQ(keys[64]["Assignment"].asInt(), 0x200004);
  EXPECT_EQ(keys[0]["Assignment"].asInt(), 0x700200);
  // The key table: Esc (key 0) holds macro slot 0, "A" (key 59) its own code again.
  const Bytes table = KeyTable();
  EXPECT_EQ(Bytes(table.begin(), table.begin() + 3), (Bytes{0x70, 0x00, 0x00}));
  EXPECT_EQ(Bytes(table.begin() + 177, table.begin() + 180), (Bytes{0x20, 0x00, 0x04}));
  EXPECT_GT(observer_.Count("OnKeyAssignmentsChanged"), 0);

  // Nothing left to drop: nothing is written.
  sim_->ClearLog();
  keyboard_->SaveProfile();
  EXPECT_EQ(CountOf(kCmdWriteKeyTable), 0u);
}

}  // namespace
}  // namespace orlo
