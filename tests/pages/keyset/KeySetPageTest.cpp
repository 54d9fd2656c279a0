// The key set panel on the keyboard and mouse pages against simulated devices: a change is kept
// in the page until "key_butt_prosave" writes the key table (and the macros it refers to); macros
// that do not fit the device's macro area leave the device and the saved profile as they were.
#include <QComboBox>
#include <chrono>
#include <filesystem>

#include "app/DocShot.h"
#include "macro/MacroCatalogue.h"
#include "pages/keyboard/KeyboardPageRig.h"
#include "pages/mouse/MousePageRig.h"
#include "profile/JsonFile.h"
#include "ui/LanguageStore.h"
#include "ui/NotifyUI.h"

namespace orlo {
namespace {

using namespace std::chrono_literals;
namespace n = ui::notify;

// Picks an item of a page's drop-down as the user does: the list changes, then its notification.
template <class Rig>
void Choose(Rig& rig, const std::string& combo, int index) {
  auto* c = rig.template Find<QComboBox>(combo);
  ASSERT_NE(c, nullptr) << combo;
  {
    ui::CNotifyBridge::Mute mute(c);
    c->setCurrentIndex(index);
  }
  rig.Raise(combo, n::kItemSelect, index);
}

int FunctionItem(const QComboBox* functions, int number) { return functions->findData(number); }

class KeyboardKeySetTest : public testing_support::KeyboardPageRig {
 public:
  using KeyboardPageRig::Find;
  using KeyboardPageRig::Raise;

 protected:
  Json::Value KeyListOnDisk() { return CJsonFile().ReadDocument(keyboard_->GetProfileName())["Device"][0]["KeyList"]; }
};

TEST_F(KeyboardKeySetTest, AKeyReachesTheKeyTableOnlyWhenSavedToTheDevice) {
  OpenPage();
  Raise("key_Op_tab", n::kSelectChanged, 1);
  Raise("key_64", n::kClick);  // A
  CKeySetControlUI* panel = page_->KeySet().Panel();
  ASSERT_NE(panel, nullptr);
  EXPECT_FALSE(panel->isHidden());
  EXPECT_EQ(panel->ShownFunctionPage(), 0);  // A still does what its legend says
  const std::vector<uint8_t> factory = KeyTable();
  sim_->ClearLog();

  Choose(*this, "keyset_function_combo", FunctionItem(Find<QComboBox>("keyset_function_combo"), 7));
  Choose(*this, "keyset_media_combo", 6);  // volume up
  EXPECT_TRUE(panel->ButtonsEnabled());
  EXPECT_EQ(keyboard_->KeyAssignmentOf(64)->Current(), (AssignCode{0x30, 0xE9, 0x00}));
  // Kept in the page: nothing went to the keyboard and the document on disk is as it was.
  EXPECT_EQ(CountOf(9), 0u);
  EXPECT_EQ(KeyTable(), factory);
  EXPECT_EQ(KeyListOnDisk()[64]["Assignment"].asInt(), 0x200004);

  Raise("key_butt_prosave", n::kClick);
  std::vector<uint8_t> expected = factory;
  // Position 64 is physical key 59 of this keyboard: bytes 177-179 of its table.
  expected[177] = 0x30, expected[178] = 0xE9, expected[179] = 0x00;
  EXPECT_EQ(KeyTable(), expected);
  EXPECT_EQ(KeyListOnDisk()[64]["Assignment"].asInt(), 0x30E900);
  EXPECT_FALSE(panel->ButtonsEnabled());
  EXPECT_TRUE(window_->messages.empty());
}

class MouseKeySetTest : public testing_support::MousePageRig {
 public:
  using MousePageRig::Find;
  using MousePageRig::Raise;

 protected:
  void SetUp() override {
    MousePageRig::SetUp();
    ASSERT_TRUE(ui::CLanguageStore::GetInstance().LoadLanguage("lan_en.xml"));
  }
  void TearDown() override {
    ui::CLanguageStore::GetInstance().LoadFromString("<language name=\"none\"></language>");
    MousePageRig::TearDown();
  }
  // Macro 0 of the catalogue with `count` key events: A pressed (100 ms), A released, ...
  void SetMacro(int count) {
    std::filesystem::create_directories(DeviceFolder());
    CMacroCatalogue catalogue(DeviceFolder());
    if (catalogue.Count() == 0) {
      ASSERT_FALSE(catalogue.NewMacro().empty());
    }
    std::vector<MacroEvent> events;
    for (int e = 0; e < count; ++e) events.push_back({10, 0x04, e % 2 == 0, e % 2 == 0 ? 100 : 0});
    ASSERT_TRUE(catalogue.SaveMacro(0, events));
  }
  Json::Value KeyListOnDisk() { return CJsonFile().ReadDocument(mouse_->GetProfileName())["Device"][0]["KeyList"]; }
  std::vector<uint8_t> Area(sim::Area area, size_t bytes) {
    auto a = memory_->Snapshot(area);
    a.resize(bytes);
    return a;
  }
};

TEST_F(MouseKeySetTest, MacrosThatDoNotFitLeaveTheMouseAsItWas) {
  SetMacro(520);  // 16 + 6 + 4 × 520 = 2102 bytes for the mouse's 2048
  OpenPage();
  Raise("key_Op_tab", n::kSelectChanged, 1);
  Raise("key_3", n::kClick);  // forward
  Choose(*this, "keyset_function_combo", FunctionItem(Find<QComboBox>("keyset_function_combo"), 9));
  Choose(*this, "keyset_macro_combo", 0);
  ASSERT_EQ(mouse_->KeyAssignmentOf(3)->Current(), (AssignCode{0x70, 0x00, 0x00}));
  const std::vector<uint8_t> table = Area(sim::Area::KeyTable, 33);
  sim_->ClearLog();

  Raise("key_butt_prosave", n::kClick);
  EXPECT_EQ(window_->messages, std::vector<std::string>{"The macros need 14 more events than the device can hold."});
  EXPECT_EQ(CountOf(21), 0u);
  EXPECT_EQ(CountOf(9), 0u);
  EXPECT_EQ(Area(sim::Area::KeyTable, 33), table);
  EXPECT_EQ(KeyListOnDisk()[3]["Assignment"].asInt(), 0x101000);
  EXPECT_TRUE(page_->KeySet().Panel()->ButtonsEnabled());  // the user may try again

  // Two events fit: the macro block, then the key table with the macro in slot 0.
  SetMacro(2);
  window_->resize(1000, 640);
  page_->resize(1000, 640);
  MaybeSaveShot(window_.get(), "key-set-panel.png");
  Raise("key_butt_prosave", n::kClick);
  EXPECT_EQ(Area(sim::Area::Macro, 30),
            (std::vector<uint8_t>{0xAA, 0x55, 0x1E, 0x00, 0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // header
                                  0x12, 0x00,                                                      // entry 0 at 18
                                  0x02, 0x00, 0x00, 0x00,                                          // two events
                                  0x64, 0x00, 0x8A, 0x04, 0x00, 0x00, 0x0A, 0x04}));
  std::vector<uint8_t> expected = table;
  expected[9] = 0x70, expected[10] = 0x00, expected[11] = 0x00;
  EXPECT_EQ(Area(sim::Area::KeyTable, 33), expected);
  EXPECT_EQ(KeyListOnDisk()[3]["Assignment"].asInt(), 0x700000);
  EXPECT_FALSE(page_->KeySet().Panel()->ButtonsEnabled());
  EXPECT_EQ(window_->messages.size(), 1u);
}

}  // namespace
}  // namespace orlo
