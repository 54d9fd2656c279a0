// The profile commands of a device page against the simulated wired mouse: what a profile
// switch writes to the mouse, the macros that do not fit, the lock during a macro recording,
// imports refused, and the device leaving a deleted profile.
#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>

#include "macro/MacroCatalogue.h"
#include "pages/profile/ProfilePageRig.h"
#include "profile/JsonFile.h"
#include "sim/SimProtocol.h"

namespace orlo {
namespace {

using testing_support::ProfilePageRig;
using ui::notify::kClick;

class ProfileCommandsTest : public ProfilePageRig {
 protected:
  QComboBox* Combo() { return Find<QComboBox>("device_profile_combo"); }
  std::string DocumentAt(int index) { return mouse_->ProfileList().GetProfilePathAt(index); }
  // Changes a profile document as another program would, before the switch reads it.
  void EditDocument(int index, const std::function<void(Json::Value& section)>& change) {
    Json::Value doc = CJsonFile().ReadDocument(DocumentAt(index));
    change(doc["Device"][0]);
    ASSERT_EQ(CJsonFile().WriteDocument(DocumentAt(index), doc), 0);
  }
  // Macro 0 of the catalogue with `count` key events (the first two: A down 20 ms, A up 30 ms).
  void MakeMacro(int count) {
    CMacroCatalogue catalogue(DeviceFolder());
    ASSERT_FALSE(catalogue.NewMacro().empty());
    std::vector<MacroEvent> events;
    for (int i = 0; i < count; ++i) events.push_back({10, 4, i % 2 == 0, i % 2 == 0 ? 20 : 30});
    ASSERT_TRUE(catalogue.SaveMacro(0, events));
  }
  std::vector<uint8_t> Area(sim::Area area) const { return memory_->Snapshot(area); }
  // A second profile whose third button plays macro 0 and whose light colour is 00 40 C0.
  void AddMacroProfile() {
    Raise("device_add_btn", kClick);
    ASSERT_EQ(control_->GetProfileCount(), 2);
    EditDocument(1, [](Json::Value& s) {
      s["KeyList"][3]["Assignment"] = 0x70 << 16;  // macro 0, played once
      s["LightInfo"]["Red"] = 0x00;
      s["LightInfo"]["Green"] = 0x40;
      s["LightInfo"]["Blue"] = 0xC0;
    });
  }
  void Choose(int index) {
    Combo()->setCurrentIndex(index);  // the user's choice raises "itemselect"
    Settle();
  }
};

TEST_F(ProfileCommandsTest, SwitchingWritesTheNewProfilesSettingsMacrosAndKeyTable) {
  OpenProfilePage();
  MakeMacro(2);
  AddMacroProfile();
  // Adding neither selects the new profile nor writes to the mouse.
  EXPECT_EQ(control_->GetSelectedIndex(), 0);
  EXPECT_EQ(control_->Names(), (std::vector<std::string>{"profile1", "profile2"}));
  sim_->ClearLog();

  Choose(1);
  EXPECT_EQ(Window().timerStarts, 1);
  EXPECT_EQ(CountOf(sim::kCmdWriteSettings), 0u);  // nothing before the timer fires
  FireSwitchTimer();

  EXPECT_EQ(mouse_->ActiveProfileId(), mouse_->ProfileList().ReadEntries()[1].uuid);
  EXPECT_EQ(CJsonFile().ReadDocument(mouse_->ProfileList().ListPath())["profileselect"].asInt(), 1);
  EXPECT_EQ(control_->GetNameEditText(), "profile2");
  // Settings block of profile 0: the new profile's colour.
  const auto block = Block(0);
  EXPECT_EQ(std::vector<uint8_t>(block.begin() + 6, block.begin() + 9), (std::vector<uint8_t>{0x00, 0x40, 0xC0}));
  // Macro block: marker, 30 bytes, one entry at 18 holding two events.
  const auto macro = Area(sim::Area::Macro);
  EXPECT_EQ(std::vector<uint8_t>(macro.begin(), macro.begin() + 6), (std::vector<uint8_t>{0xAA, 0x55, 30, 0, 1, 0}));
  EXPECT_EQ(std::vector<uint8_t>(macro.begin() + 16, macro.begin() + 30),
            (std::vector<uint8_t>{18, 0, 2, 0, 0, 0, 20, 0, 0x8A, 4, 30, 0, 0x0A, 4}));
  // Key table: the third button's entry plays macro slot 0.
  const auto table = Area(sim::Area::KeyTable);
  const size_t at = 3u * mouse_->KeyMap()[3];
  EXPECT_EQ(std::vector<uint8_t>(table.begin() + at, table.begin() + at + 3), (std::vector<uint8_t>{0x70, 0, 0}));
  // Settings, then macros, then the key table.
  const auto codes = Codes();
  const auto first = [&](uint8_t code) { return std::find(codes.begin(), codes.end(), code) - codes.begin(); };
  EXPECT_LT(first(sim::kCmdWriteSettings), first(sim::kCmdWriteMacro));
  EXPECT_LT(first(sim::kCmdWriteMacro), first(sim::kCmdWriteKeyTable));
  EXPECT_TRUE(Window().numbers.empty());
  EXPECT_TRUE(Window().messages.empty());
}

TEST_F(ProfileCommandsTest, ASwitchWhoseMacrosDoNotFitWritesNothing) {
  OpenProfilePage();
  // 16 + 6 + 4 × 600 bytes against the mouse's 2048: 374 bytes, 94 events too many.
  MakeMacro(600);
  AddMacroProfile();
  const auto blockBefore = Block(0);
  sim_->ClearLog();
  Choose(1);
  FireSwitchTimer();
  ASSERT_EQ(Window().numbers.size(), 1u);
  EXPECT_EQ(Window().numbers[0], (std::pair<std::string, long long>{"message_text_16", 94}));
  for (uint8_t code : {sim::kCmdWriteSettings, sim::kCmdWriteMacro, sim::kCmdWriteKeyTable})
    EXPECT_EQ(CountOf(code), 0u) << int(code);
  EXPECT_EQ(Block(0), blockBefore);
}

TEST_F(ProfileCommandsTest, TwoQuickChoicesSwitchOnceToTheSecond) {
  OpenProfilePage();
  Raise("device_add_btn", kClick);
  Raise("device_copy_btn", kClick);  // "profile1 copy"
  EditDocument(2, [](Json::Value& s) { s["LightInfo"]["Red"] = 0x11; });
  sim_->ClearLog();
  Choose(1);
  Choose(2);
  EXPECT_EQ(Window().timerStarts, 2);  // the second restarts the one timer
  FireSwitchTimer();
  EXPECT_EQ(mouse_->ActiveProfileId(), mouse_->ProfileList().ReadEntries()[2].uuid);
  EXPECT_EQ(control_->GetNameEditText(), "profile1 copy");
  EXPECT_EQ(CountOf(sim::kCmdWriteSettings), 2u);  // one 78-byte write in two reports
  EXPECT_EQ(Block(0)[6], 0x11);
}

TEST_F(ProfileCommandsTest, AChangeWaitingForItsCommitStaysWithTheProfileItWasMadeIn) {
  OpenProfilePage();
  Raise("device_add_btn", kClick);
  RaiseOnly("DPI_slider_2", ui::notify::kValueChanged, 40);  // 4100, its commit still due
  Choose(1);
  FireSwitchTimer();
  auto stage2 = [&](int index) {
    return CJsonFile().ReadDocument(DocumentAt(index))["Device"][0]["DPIStages"]["StageDPIs"][2]["StageDPIX"].asInt();
  };
  EXPECT_EQ(stage2(0), 4100);
  EXPECT_EQ(stage2(1), 1600);
  // Reset restores the default document and writes it, after the confirmation.
  EditDocument(1, [](Json::Value& s) { s["LightInfo"]["Red"] = 0x44; });
  Choose(0);
  Choose(1);
  FireSwitchTimer();
  EXPECT_EQ(Block(0)[6], 0x44);
  Window().confirm = false;
  Raise("device_reset_btn", kClick);
  EXPECT_EQ(Window().musicResets, 0);
  Window().confirm = true;
  Raise("device_reset_btn", kClick);
  EXPECT_EQ(Window().messages, (std::vector<std::string>{"message_text_22", "message_text_22"}));
  EXPECT_EQ(Block(0)[6], 0xFF);  // the default document's red
  EXPECT_EQ(Window().musicResets, 1);  // the music styles go back to theirs too
  EXPECT_EQ(CJsonFile().ReadDocument(DocumentAt(1))["profilename"].asString(), "profile2");
}

TEST_F(ProfileCommandsTest, RecordingLockHoldsTheProfileUntilReleased) {
  OpenProfilePage();
  Raise("device_add_btn", kClick);
  EditDocument(1, [](Json::Value& s) { s["LightInfo"]["Red"] = 0x22; });
  Choose(1);  // a choice still waiting for its timer when the recording starts
  page_->SetRecordingLock(true);
  EXPECT_FALSE(Combo()->isEnabled());
  EXPECT_FALSE(Find<QWidget>("profile_fun_spread_btn")->isEnabled());
  EXPECT_EQ(Combo()->currentIndex(), 0);  // the waiting choice is dropped
  sim_->ClearLog();
  FireSwitchTimer();
  Raise("device_add_btn", kClick);
  Raise("device_sub_btn", kClick);
  RaiseOnly("device_profile_combo", ui::notify::kItemSelect, 1);
  EXPECT_EQ(Window().timerStarts, 1);
  EXPECT_EQ(control_->GetProfileCount(), 2);
  EXPECT_EQ(mouse_->ActiveProfileId(), mouse_->ProfileList().ReadEntries()[0].uuid);
  for (uint8_t code : {sim::kCmdWriteSettings, sim::kCmdWriteMacro, sim::kCmdWriteKeyTable})
    EXPECT_EQ(CountOf(code), 0u) << int(code);

  page_->SetRecordingLock(false);
  EXPECT_TRUE(Combo()->isEnabled());
  Choose(1);
  FireSwitchTimer();
  EXPECT_EQ(Block(0)[6], 0x22);
}

TEST_F(ProfileCommandsTest, ImportRefusesAnotherKindsDocumentWithAMessage) {
  OpenProfilePage();
  const std::string listBefore = CJsonFile::DocumentText(CJsonFile().ReadDocument(mouse_->ProfileList().ListPath()));
  // The keyboard's default document under profile names.
  Json::Value keyboard = CJsonFile().ReadDocument(std::string(ORLO_SOURCE_DIR) + "/DefaultData/keyboard.Json");
  keyboard["profilename"] = "Typing";
  keyboard["profileUUID"] = "2024_01_01_00_00_00_000";
  const std::string path = (root_ / "Typing.json").string();
  ASSERT_EQ(CJsonFile().WriteDocument(path, keyboard), 0);
  Window().openPath = path;
  Raise("device_import_btn", kClick);
  EXPECT_EQ(Window().filters, (std::vector<std::string>{"Profile Files(*.json)"}));
  EXPECT_EQ(Window().messages, (std::vector<std::string>{"profile_import_kind_text"}));
  EXPECT_EQ(control_->Names(), (std::vector<std::string>{"profile1"}));
  EXPECT_EQ(CJsonFile::DocumentText(CJsonFile().ReadDocument(mouse_->ProfileList().ListPath())), listBefore);

  // A file that is no JSON at all is told as well; a mouse profile comes in under its file name.
  std::filesystem::path junk = root_ / "junk.json";
  { std::ofstream(junk) << "not json"; }
  Window().openPath = junk.string();
  Raise("device_import_btn", kClick);
  EXPECT_EQ(Window().messages.back(), "profile_import_invalid_text");
  Window().savePath = (root_ / "Game.json").string();
  Raise("device_export_btn", kClick);
  Window().openPath = Window().savePath;
  Raise("device_import_btn", kClick);
  EXPECT_EQ(control_->Names(), (std::vector<std::string>{"profile1", "Game"}));
  EXPECT_EQ(control_->GetSelectedIndex(), 0);
}

TEST_F(ProfileCommandsTest, DeletingTheSelectedProfileMovesTheDeviceToItsNeighbour) {
  OpenProfilePage();
  Raise("device_add_btn", kClick);
  EditDocument(0, [](Json::Value& s) { s["LightInfo"]["Red"] = 0x33; });
  Choose(1);
  FireSwitchTimer();
  const std::string deleted = DocumentAt(1);
  Raise("device_sub_btn", kClick);
  EXPECT_EQ(control_->Names(), (std::vector<std::string>{"profile1"}));
  EXPECT_EQ(mouse_->ActiveProfileId(), mouse_->ProfileList().ReadEntries()[0].uuid);
  EXPECT_EQ(Block(0)[6], 0x33);
  // A change now saves into the remaining profile; the deleted document stays gone.
  mouse_->RequestCommit();
  Flush();
  EXPECT_FALSE(std::filesystem::exists(deleted));
  // The last profile is never deleted.
  Raise("device_sub_btn", kClick);
  EXPECT_EQ(control_->GetProfileCount(), 1);
}

TEST_F(ProfileCommandsTest, RenameTellsAUsedOrEmptyName) {
  OpenProfilePage();
  Raise("device_add_btn", kClick);
  Find<QLineEdit>("device_profile_name_edit")->setText("PROFILE2");
  Raise("device_profile_edit_save_btn", kClick);
  Find<QLineEdit>("device_profile_name_edit")->setText("   ");
  Raise("device_profile_edit_save_btn", kClick);
  EXPECT_EQ(Window().messages, (std::vector<std::string>{"message_text_5", "message_text_25"}));
  Find<QLineEdit>("device_profile_name_edit")->setText(" Sniper ");
  Raise("device_profile_edit_save_btn", kClick);
  EXPECT_EQ(control_->Names(), (std::vector<std::string>{"Sniper", "profile2"}));
  EXPECT_EQ(CJsonFile().ReadDocument(DocumentAt(0))["profilename"].asString(), "Sniper");
}

}  // namespace
}  // namespace orlo
