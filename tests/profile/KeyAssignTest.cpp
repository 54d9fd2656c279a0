#include <gtest/gtest.h>

#include <set>

#include "ProfileTestDir.h"
#include "profile/BasicProfiledata.h"

namespace orlo {
namespace {

KeyAssign Key(uint16_t i, AssignCode cur, AssignCode def) {
  return {i, cur.type, cur.code1, cur.code2, i, def.type, def.code1, def.code2};
}

TEST(AssignCodes, PackingAndSwingCodes) {
  EXPECT_EQ(UnpackAssignCode(7340034), (AssignCode{kKeyMacro, 0, 2}));
  EXPECT_EQ(PackAssignCode(kKeyMacro, 0, 2), 7340034);
  // Out-of-range stored values are cut to three bytes, never rejected.
  EXPECT_EQ(UnpackAssignCode(-1), (AssignCode{0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(UnpackAssignCode(0x1A00102), (AssignCode{0xA0, 0x01, 0x02}));
  EXPECT_EQ(WheelSwingCode2(-3), 0xFD);
  EXPECT_EQ(WheelSwingCode2(3), 0x03);
  EXPECT_EQ(HorizontalSwingCode2(true, 3), 0x83);
  EXPECT_EQ(HorizontalSwingCode2(false, 3), 0x03);
  EXPECT_EQ(SwingCode1(2, 5), 0x25);
}

TEST(AssignCodes, NamesComeFromTheTables) {
  EXPECT_EQ(AssignmentNameId({kKeyMouseButton, 0x04, 0}), "mouse_key_middle");
  EXPECT_EQ(AssignmentNameId({kKeyDpiFunction, 3, 0}), "mouse_key_DPI_loop");
  EXPECT_EQ(AssignmentNameId({kKeyConsumer, 0x26, 0x02}), "wed_stop");
  EXPECT_EQ(AssignmentNameId({kKeySystem, 0x04, 0}), "system_wake_up");
  EXPECT_EQ(AssignmentNameId({kKeyWheelSwing, 0x11, WheelSwingCode2(-3)}), "mouse_key_down_Swing");
  EXPECT_EQ(AssignmentNameId({kKeyHorizontalSwing, 0x11, HorizontalSwingCode2(false, 1)}), "mouse_key_left_Swing");
  EXPECT_EQ(AssignmentNameId({kKeyKeyboard, 0, 0x31}), "keyboard_key_xiegang");
  EXPECT_EQ(AssignmentNameId({kKeyKeyboard, kModRightAlt, 0}), "keyboard_key_RAlt");
  EXPECT_EQ(AssignmentNameId({kKeyOnboardMacro, 0xA2, 5}), "keyboard_key_M5");
  EXPECT_EQ(AssignmentNameId({kKeyKeyboard, kModLeftCtrl, 0x06}), "");  // a combination
  EXPECT_EQ(AssignmentNameId({kKeyMacro, 0, 0}), "");
}

TEST(KeyTables, KeyCodeTableIsConsistent) {
  auto table = KeyCodeTable();
  ASSERT_EQ(table.size(), 142u);
  EXPECT_EQ(MediaKeyTable().size(), 18u);
  EXPECT_EQ(ShortcutTable().size(), 11u);
  // Each capturable key press identifies exactly one row.
  std::set<std::pair<int, int>> presses;
  for (size_t i = 0; i < kCapturableKeyCount; ++i) {
    EXPECT_NE(table[i].scanCode, 0) << i;
    EXPECT_TRUE(presses.insert({table[i].scanCode, table[i].extended}).second) << table[i].nameId;
  }
  // Every keyboard usage and consumer usage of the table is distinct.
  std::set<int> codes;
  for (const KeyCodeEntry& e : table) EXPECT_TRUE(codes.insert(PackAssignCode(e.Code())).second) << e.nameId;
  EXPECT_EQ(table[130].nameId, std::string("wed_stop"));
  EXPECT_EQ(FindKeyByScanCode(0x1E, false)->nameId, std::string("keyboard_key_A"));
  EXPECT_EQ(FindKeyByScanCode(0x1D, true)->nameId, std::string("keyboard_key_RCtrl"));
  EXPECT_EQ(FindKeyByScanCode(0x1C, true)->nameId, std::string("keyboard_key_Num Enter"));
  EXPECT_EQ(FindKeyByScanCode(0x45, false)->nameId, std::string("keyboard_key_Pause"));
  EXPECT_EQ(FindKeyByScanCode(0x45, true)->nameId, std::string("keyboard_key_Num Lock"));
  EXPECT_EQ(FindKeyByVirtualKey(0x101)->code2, 0x58);
  EXPECT_EQ(FindKeyByVirtualKey(0), nullptr);
}

TEST(MacroReferences, DeletingAMacroRenumbersTheRest) {
  std::vector<KeyAssign> list;
  const AssignCode def{kKeyMouseButton, 0x01, 0};
  for (uint16_t m = 0; m < 5; ++m) list.push_back(Key(m, {kKeyMacro, static_cast<uint8_t>(m), 2}, def));
  list.push_back(Key(5, {kKeyMacroRepeat, 2, 9}, {kKeyKeyboard, 0, 0x04}));
  list.push_back(Key(6, {kKeyKeyboard, 0, 3}, def));  // code1 3 but no macro
  ASSERT_TRUE(RefersToMacro(list, 2));
  ASSERT_TRUE(PurgeDeletedMacro(list, 2));
  EXPECT_EQ(list[0].Current(), (AssignCode{kKeyMacro, 0, 2}));
  EXPECT_EQ(list[1].Current(), (AssignCode{kKeyMacro, 1, 2}));
  EXPECT_EQ(list[2].Current(), def);
  EXPECT_EQ(list[3].Current(), (AssignCode{kKeyMacro, 2, 2}));
  EXPECT_EQ(list[4].Current(), (AssignCode{kKeyMacro, 3, 2}));
  EXPECT_EQ(list[5].Current(), (AssignCode{kKeyKeyboard, 0, 0x04}));
  EXPECT_EQ(list[6].Current(), (AssignCode{kKeyKeyboard, 0, 3}));
  EXPECT_FALSE(RefersToMacro(list, 4));
  EXPECT_FALSE(PurgeDeletedMacro(list, 7));

  ASSERT_TRUE(DropMissingMacros(list, 3));  // macro 3 is beyond a catalogue of three
  EXPECT_EQ(list[4].Current(), def);
  EXPECT_EQ(list[3].Current(), (AssignCode{kKeyMacro, 2, 2}));
}

class KeyListTest : public test::ProfileTestDir {};

TEST_F(KeyListTest, ShorterListLeavesTheRestAndDefaultsAlone) {
  std::string keys;
  for (int i = 0; i < 20; ++i)
    keys += (i ? "," : "") + std::string("{\"Assignment\": ") + std::to_string(0x200000 + i) +
            ", \"DefaultAssignment\": " + std::to_string(0x100100) + "}";
  WriteText(Path("p.Json"), "{\"Device\": [{\"KeyList\": [" + keys + "]}]}");
  CBasicProfiledata data;
  data.LoadSection(Path("p.Json"));
  auto list = data.GetKeyList();
  ASSERT_EQ(list.size(), 20u);
  EXPECT_EQ(list[19], Key(19, {kKeyKeyboard, 0, 19}, {kKeyMouseButton, 1, 0}));
  list.resize(10);
  for (auto& k : list) k.SetCurrent({kKeyMacro, 1, 0});
  data.SetKeyList(list);
  const Json::Value& stored = data.GetSection()["KeyList"];
  ASSERT_EQ(stored.size(), 20u);
  EXPECT_EQ(stored[9]["Assignment"].asInt(), 0x700100);
  EXPECT_EQ(stored[9]["DefaultAssignment"].asInt(), 0x100100);
  EXPECT_EQ(stored[10]["Assignment"].asInt(), 0x20000A);

  WriteText(Path("q.Json"), "{\"Device\": [{\"LightInfo\": {}}]}");
  data.LoadSection(Path("q.Json"));
  EXPECT_TRUE(data.GetKeyList().empty());
  WriteText(Path("q.Json"), "{\"Device\": [{\"KeyList\": [{\"Assignment\": \"7340034\"}, 4]}]}");
  data.LoadSection(Path("q.Json"));
  list = data.GetKeyList();
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].Current(), AssignCode{});
}

TEST_F(KeyListTest, PurgeRunsOverEveryGivenProfile) {
  auto doc = [](int macro) {
    return "{\"profilename\": \"n\", \"Device\": [{\"KeyList\": [{\"Assignment\": " +
           std::to_string(PackAssignCode(kKeyMacro, static_cast<uint8_t>(macro), 0)) +
           ", \"DefaultAssignment\": 1048832}]}]}";
  };
  WriteText(Path("a.Json"), doc(1));
  WriteText(Path("b.Json"), doc(3));
  WriteText(Path("c.Json"), doc(0));
  const std::string untouched = ReadText(Path("c.Json"));
  EXPECT_EQ(PurgeMacroFromProfiles({Path("a.Json"), Path("b.Json"), Path("c.Json")}, 1, ""), 2);
  CJsonFile file;
  EXPECT_EQ(file.ReadDocument(Path("a.Json"))["Device"][0]["KeyList"][0]["Assignment"].asInt(), 0x100100);
  EXPECT_EQ(file.ReadDocument(Path("b.Json"))["Device"][0]["KeyList"][0]["Assignment"].asInt(),
            PackAssignCode(kKeyMacro, 2, 0));
  EXPECT_EQ(file.ReadDocument(Path("b.Json"))["profilename"].asString(), "n");
  EXPECT_EQ(ReadText(Path("c.Json")), untouched);
}

}  // namespace
}  // namespace orlo
