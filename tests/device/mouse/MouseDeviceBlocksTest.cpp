// Key table, macro and shooting blocks written to the simulated mouse.
#include "MouseDeviceTestSupport.h"
#include "macro/MacroCatalogue.h"
#include "profile/JsonFile.h"

namespace orlo {
namespace {

using testing_support::MouseRig;

class MouseDeviceBlocksTest : public MouseRig {
 protected:
  // Creates macros until the catalogue holds count of them, macro i holding events[i] events.
  void MakeMacros(const std::vector<int>& events) {
    CMacroCatalogue catalogue(DeviceFolder());
    for (size_t i = 0; i < events.size(); ++i) {
      ASSERT_FALSE(catalogue.NewMacro().empty());
      std::vector<MacroEvent> list;
      for (int e = 0; e < events[i]; ++e) list.push_back({10, 4 + e % 20, e % 2 == 0, 70000});
      ASSERT_TRUE(catalogue.SaveMacro(static_cast<int>(i), list));
    }
  }
  std::vector<uint8_t> Area(sim::Area area) const { return memory_->Snapshot(area); }
};

KeyAssign Macro(int key, int macro, int mode = 0) {
  KeyAssign a;
  a.key = a.defaultKey = static_cast<uint16_t>(key);
  a.type = kKeyMacro, a.code1 = static_cast<uint8_t>(macro), a.code2 = static_cast<uint8_t>(mode);
  a.defaultType = 0x10, a.defaultCode1 = 0x01;
  return a;
}

TEST_F(MouseDeviceBlocksTest, MacrosTakeSlotsInOrderOfFirstUse) {
  Connect(false);
  std::filesystem::create_directories(DeviceFolder());
  MakeMacros({1, 1, 1, 1, 1, 1, 1, 1});
  mouse_->LoadProfile();
  ASSERT_EQ(mouse_->ReadAll(), 1);
  std::vector<KeyAssign> list = mouse_->KeyList();
  ASSERT_GE(list.size(), 11u);
  list[0] = Macro(0, 7, 2);
  list[1] = Macro(1, 7, 1);
  list[2] = Macro(2, 3);
  list[3] = Macro(3, 20);  // not in the catalogue: back to its default assignment
  ASSERT_EQ(mouse_->WriteKeyAssignments(0, list), 1);
  const auto table = Area(sim::Area::KeyTable);
  EXPECT_EQ(std::vector<uint8_t>(table.begin(), table.begin() + 12),
            (std::vector<uint8_t>{0x70, 0, 2, 0x70, 0, 1, 0x70, 1, 0, 0x10, 0x01, 0x00}));
  EXPECT_EQ(table[30], 0x14);  // button 10 untouched
  EXPECT_EQ(mouse_->WriteKeyAssignments(1, list), kLinkBadBlock);

  // The page stores the list in the profile; the driver takes it with the profile.
  mouse_->Profile().SetKeyList(list);
  mouse_->NotifyProfileChanged();
  mouse_->LoadProfile();
  EXPECT_EQ(mouse_->GetUsedMacros(), (std::vector<int>{7, 3}));
  // Deleting macros from the catalogue turns their assignments back into defaults on save.
  CMacroCatalogue catalogue(DeviceFolder());
  while (catalogue.Count() > 4) catalogue.DeleteMacro(catalogue.Count() - 1);
  mouse_->SaveProfile();
  EXPECT_EQ(mouse_->GetUsedMacros(), (std::vector<int>{3}));
  EXPECT_EQ(mouse_->KeyList()[0].type, 0x10);
}

TEST_F(MouseDeviceBlocksTest, KeyMapCoversElevenButtonsWhateverTheMouseReports) {
  // A mouse reporting 4 key-table entries, with entry 1 reassigned on the device.
  uint8_t four = 4;
  memory_->Write(sim::Area::Info, 5, &four, 1);
  const uint8_t changed[3] = {0x20, 0x00, 0x04};
  memory_->Write(sim::Area::KeyTable, 3, changed, 3);
  Connect(false);
  ASSERT_EQ(mouse_->ReadAll(), 1);
  const auto& map = mouse_->KeyMap();
  EXPECT_EQ(map[0], 0);
  EXPECT_EQ(map[1], 1);  // given another function earlier: it keeps its place in the table
  EXPECT_EQ(map[2], 2);
  EXPECT_EQ(map[3], 3);
  for (int j = 4; j < 11; ++j) EXPECT_EQ(map[j], CTessaroUSBDevice::kNoKey) << j;  // beyond byte 5
  mouse_->LoadProfile();
  sim_->ClearLog();
  ASSERT_EQ(mouse_->RewriteKeyAssignments(0), 1);
  size_t bytes = 0;
  for (const auto& r : sim_->Log())
    if (r.code == 9) bytes += r.length;
  EXPECT_EQ(bytes, 12u);  // byte 5 x 3
}

TEST_F(MouseDeviceBlocksTest, MacroBlockMustFitTheMacroArea) {
  Connect(false);
  std::filesystem::create_directories(DeviceFolder());
  const size_t area = static_cast<size_t>(sim::SimMouse::kMacroUnits) * 128;
  // Two entries: 16 + 12 + 4 x events = area exactly.
  const int fill = static_cast<int>((area - 28) / 4);
  MakeMacros({fill - 5, 5, 2, 2});
  sim_->ClearLog();
  ASSERT_EQ(mouse_->WriteMacros({0, 1}), 0);
  const auto macro = Area(sim::Area::Macro);
  EXPECT_EQ(macro[0], 0xAA);
  EXPECT_EQ(macro[1], 0x55);
  EXPECT_EQ(macro[2] | macro[3] << 8, static_cast<int>(area));
  EXPECT_EQ(macro[4], 2);
  EXPECT_EQ(macro[16] | macro[17] << 8, 20);                  // entry 0 after the offsets
  EXPECT_EQ(macro[18] | macro[19] << 8, 20 + 4 + 4 * (fill - 5));
  EXPECT_EQ(macro[20] | macro[21] << 8, fill - 5);
  // Event 0: delay capped at 65535, type 10 with bit 7 for "down", button 4.
  EXPECT_EQ(std::vector<uint8_t>(macro.begin() + 24, macro.begin() + 28), (std::vector<uint8_t>{0xFF, 0xFF, 0x8A, 4}));
  // Three entries two bytes past the area: refused with the excess in events, nothing sent.
  sim_->ClearLog();
  EXPECT_EQ(mouse_->WriteMacros({0, 2, 3}), 1);  // 2 bytes over: one event too many
  EXPECT_EQ(mouse_->WriteMacros({0, 1, 2}), 4);  // 14 bytes over
  EXPECT_EQ(CountOf(21), 0u);
  // A command that fails on the wire is a failure, not success.
  sim_->InjectFault(sim::Fault::StatusRefused, sim::FaultMode::Always);
  EXPECT_EQ(mouse_->WriteMacros({1}), -1);
}

TEST_F(MouseDeviceBlocksTest, ShootingBlockHoldsFourGuns) {
  Connect(false);
  std::filesystem::create_directories(DeviceFolder());
  Json::Value gun;
  for (int i = 0; i < 6; ++i) {
    Json::Value ev;
    ev["Type"] = 4, ev["Button"] = i, ev["Action"] = i % 2 ? "up" : "down", ev["Delay"] = 30;
    gun["Events"].append(ev);
  }
  ASSERT_EQ(CJsonFile().WriteDocument(DeviceFolder() + "ShootData_1.Shoot", gun), 0);
  ASSERT_EQ(mouse_->WriteShootData(), 1);
  const auto shoot = Area(sim::Area::Shoot);
  EXPECT_EQ(shoot[2] | shoot[3] << 8, 16 + 24 + 24);
  EXPECT_EQ(shoot[4], 4);
  const int entry1 = shoot[18] | shoot[19] << 8;
  EXPECT_EQ(shoot[entry1], 6);
  EXPECT_EQ(std::vector<uint8_t>(shoot.begin() + entry1 + 4, shoot.begin() + entry1 + 8),
            (std::vector<uint8_t>{30, 0, 0x84, 0}));
  // A block whose 16-bit length would overflow is refused before anything is sent.
  std::vector<std::vector<MacroEvent>> huge(2, std::vector<MacroEvent>(8200));
  EXPECT_TRUE(BuildEventContainer(huge).empty());
  huge[1].resize(8000);
  EXPECT_EQ(BuildEventContainer(huge).size(), 16u + 12 + 4 * 16200);
}

}  // namespace
}  // namespace orlo
