// The macro page on the mouse page: keys and clicks captured from the window become rows with
// their delays, the macro is saved, a button is given the macro, and the download writes the
// macro block and the key table the mouse then holds, byte for byte.
#include <gtest/gtest.h>

#include <fstream>

#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>

#include "app/DocShot.h"
#include "macro/MacroCatalogue.h"
#include "macro/MacroFile.h"
#include "pages/macro/MacroControlUI.h"
#include "pages/macro/WindowInputCapture.h"
#include "pages/keyboard/KeyboardPageRig.h"
#include "pages/mouse/MousePageRig.h"
#include "profile/JsonFile.h"
#include "ui/LanguageStore.h"
#include "ui/NotifyUI.h"

namespace orlo::testing_support {
namespace {

namespace n = ui::notify;
using Bytes = std::vector<uint8_t>;

// X11/Wayland key codes: the Linux codes plus 8.
constexpr quint32 kKeyA = 30 + 8;
constexpr quint32 kKeyS = 31 + 8;

// A system-wide source that records nothing but whether it holds the input.
class HeldSource : public IInputCapture {
 public:
  bool Start(ICaptureSink*) override { return held = true; }
  void Stop() override { held = false; }
  bool Active() const override { return held; }
  int64_t NowMs() const override { return 0; }
  bool held = false;
};

class MacroPageTest : public MousePageRig {
 protected:
  void SetUp() override {
    ASSERT_TRUE(ui::CLanguageStore::GetInstance().LoadLanguage("lan_en.xml"));
    MousePageRig::SetUp();
    OpenPage();
    window_->show();
    Settle();
    RaiseOnly("macro_Op_tab", n::kSelectChanged, 1);
    macros_ = Find<CMacroControlUI>("macro_page");
    ASSERT_NE(macros_, nullptr);
    ASSERT_TRUE(macros_->isVisible());
    capture_ = std::make_unique<CWindowInputCapture>(macros_, [this] { return now_; });
    macros_->SetWindowSource(capture_.get());
  }
  void TearDown() override {
    if (macros_) macros_->SetWindowSource(nullptr);
    capture_.reset();
    MousePageRig::TearDown();
    // The other page tests read the text ids themselves.
    ui::CLanguageStore::GetInstance().LoadFromString("<language></language>");
  }

  // Input as the window system delivers it: to the window, before any widget.
  void SendKey(QEvent::Type type, quint32 nativeCode, bool autoRepeat = false) {
    QKeyEvent e(type, Qt::Key_unknown, Qt::NoModifier, nativeCode, 0, 0, QString(), autoRepeat);
    QCoreApplication::sendEvent(window_->windowHandle(), &e);
  }
  void SendClick(QEvent::Type type, Qt::MouseButton button) {
    const QPointF local(2, 2);  // the window's margin: no control under it
    QMouseEvent e(type, local, window_->mapToGlobal(local), button,
                  type == QEvent::MouseButtonPress ? button : Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window_->windowHandle(), &e);
  }
  std::string MacroPath(int index) {
    CMacroCatalogue catalogue(DeviceFolder());
    return catalogue.MacroPath(catalogue.LoadCatalogue().at(static_cast<size_t>(index)));
  }
  // Records A down, A up, left down, left up at 1120, 1200, 1250 and 1300 ms into the selected macro.
  void RecordKeysAndClick() {
    now_ = 1000;
    RaiseOnly("macro_btn_starredio", n::kClick);
    ASSERT_TRUE(macros_->IsRecording());
    now_ = 1120;
    SendKey(QEvent::KeyPress, kKeyA);
    now_ = 1150;
    SendKey(QEvent::KeyPress, kKeyA, true);  // auto-repeat
    now_ = 1200;
    SendKey(QEvent::KeyRelease, kKeyA);
    now_ = 1250;
    SendClick(QEvent::MouseButtonPress, Qt::LeftButton);
    now_ = 1300;
    SendClick(QEvent::MouseButtonRelease, Qt::LeftButton);
  }

  CMacroControlUI* macros_ = nullptr;
  std::unique_ptr<CWindowInputCapture> capture_;
  int64_t now_ = 0;
};

TEST_F(MacroPageTest, RecordedKeysAndClickAreSavedAssignedAndWrittenToTheMouse) {
  RaiseOnly("macro_btn_name_add", n::kClick);
  RaiseOnly("macro_btn_name_add", n::kClick);
  ASSERT_EQ(macros_->MacroNames(), (std::vector<std::string>{"macro_1", "macro_2"}));
  ASSERT_EQ(macros_->SelectedMacro(), 1);

  RecordKeysAndClick();
  EXPECT_EQ(QWidget::keyboardGrabber(), window_.get());  // the keys act on nothing else
  RaiseOnly("macro_btn_stopredio", n::kClick);
  EXPECT_FALSE(macros_->IsRecording());
  EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);

  ASSERT_EQ(macros_->RowCount(), 4);
  EXPECT_EQ(macros_->RowName(0), "A");
  EXPECT_EQ(macros_->RowName(2), "Left button");
  const std::vector<int> delays = {macros_->RowDelay(0), macros_->RowDelay(1), macros_->RowDelay(2), macros_->RowDelay(3)};
  EXPECT_EQ(delays, (std::vector<int>{80, 50, 50, 0}));
  // Stopping saved the macro.
  const CMacroFile saved = CMacroFile::Read(MacroPath(1));
  ASSERT_EQ(saved.events.size(), 4u);
  EXPECT_EQ(saved.events[0], (MacroEvent{kMacroKey, 0x04, true, 80}));
  EXPECT_EQ(saved.events[1], (MacroEvent{kMacroKey, 0x04, false, 50}));
  EXPECT_EQ(saved.events[2], (MacroEvent{kMacroMouseButton, 1, true, 50}));
  EXPECT_EQ(saved.events[3], (MacroEvent{kMacroMouseButton, 1, false, 0}));
  EXPECT_EQ(saved.name, "macro_2");

  // No input is taken once the recording is over.
  SendKey(QEvent::KeyPress, kKeyS);
  SendKey(QEvent::KeyRelease, kKeyS);
  EXPECT_EQ(macros_->RowCount(), 4);

  // Button 3 plays macro 2 (number 1) in run mode 2.
  std::vector<KeyAssign> list = mouse_->CopyKeyList();
  ASSERT_GT(list.size(), 3u);
  list[3].SetCurrent({0x70, 1, 2});
  mouse_->StoreKeyList(list);
  sim_->ClearLog();
  Raise("macro_btn_download", n::kClick);
  Settle();
  EXPECT_TRUE(window_->messages.empty());

  const Bytes macro = memory_->Snapshot(sim::Area::Macro);
  ASSERT_GE(macro.size(), 38u);
  const Bytes expected = {
      0xAA, 0x55, 0x26, 0x00,  // marker, total length 38
      0x01, 0x00, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,  // one entry
      0x12, 0x00,              // entry 0 at offset 18
      0x04, 0x00, 0x00, 0x00,  // four events
      0x50, 0x00, 0x8A, 0x04,  // 80 ms, key down (10 | 0x80), A
      0x32, 0x00, 0x0A, 0x04,  // 50 ms, key up, A
      0x32, 0x00, 0x81, 0x01,  // 50 ms, mouse button down, left
      0x00, 0x00, 0x01, 0x01,  // 0 ms, mouse button up, left
  };
  EXPECT_EQ(Bytes(macro.begin(), macro.begin() + 38), expected);
  // The key table names the macro by its slot in the block: the only one, slot 0.
  const Bytes table = memory_->Snapshot(sim::Area::KeyTable);
  EXPECT_EQ(Bytes(table.begin() + 9, table.begin() + 12), (Bytes{0x70, 0x00, 0x02}));

  macros_->SelectRow(2);
  window_->resize(1000, 600);
  MaybeSaveShot(window_.get(), "macro-page.png");
}

TEST_F(MacroPageTest, MacrosTooLongForTheMouseWriteNothing) {
  RaiseOnly("macro_btn_name_add", n::kClick);
  Json::Value doc;
  for (int i = 0; i < 4000; ++i) doc["Events"][i] = CMacroRecorder::EventJson(kMacroKey, 4, i % 2 == 0, 1);
  ASSERT_EQ(CJsonFile().WriteDocument(MacroPath(0), doc), 0);
  std::vector<KeyAssign> list = mouse_->CopyKeyList();
  list[3].SetCurrent({0x70, 0, 0});
  mouse_->StoreKeyList(list);
  const Bytes tableBefore = memory_->Snapshot(sim::Area::KeyTable);
  sim_->ClearLog();
  Raise("macro_btn_download", n::kClick);
  Settle();
  // 16 + 6 + 4 x 4000 bytes in an area of 16 x 128: 3494 events too many.
  EXPECT_EQ(window_->messages,
            (std::vector<std::string>{"The macros need 3494 more events than the device can hold."}));
  EXPECT_EQ(memory_->Snapshot(sim::Area::KeyTable), tableBefore);
  EXPECT_EQ(CountOf(9), 0u);   // no key table command
  EXPECT_EQ(CountOf(21), 0u);  // no macro block command
}

TEST_F(MacroPageTest, RecordingEndsAndTheGrabGoesOnFocusLossUnplugAndLeavingThePage) {
  auto* tabs = new QWidget(window_.get());
  tabs->setObjectName(QStringLiteral("device_select_layout"));
  RaiseOnly("macro_btn_name_add", n::kClick);
  RaiseOnly("macro_btn_starredio", n::kClick);
  ASSERT_TRUE(macros_->IsRecording());
  EXPECT_FALSE(tabs->isEnabled());  // no other device is chosen under a recording
  QEvent deactivate(QEvent::WindowDeactivate);
  QCoreApplication::sendEvent(window_.get(), &deactivate);
  EXPECT_FALSE(macros_->IsRecording());
  EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
  EXPECT_FALSE(capture_->Active());
  EXPECT_TRUE(tabs->isEnabled());

  // The same with the system-wide source: the window losing the focus ends it too.
  HeldSource system;
  macros_->SetSystemSource(&system);
  Find<QCheckBox>("macro_check_systemwide")->setChecked(true);
  RaiseOnly("macro_btn_starredio", n::kClick);
  ASSERT_TRUE(system.held);
  QCoreApplication::sendEvent(window_.get(), &deactivate);
  EXPECT_FALSE(macros_->IsRecording());
  EXPECT_FALSE(system.held);
  macros_->SetSystemSource(nullptr);

  RaiseOnly("macro_btn_starredio", n::kClick);
  ASSERT_TRUE(macros_->IsRecording());
  RaiseOnly("deng_Op_tab", n::kSelectChanged, 1);  // another function tab: the page is left
  EXPECT_FALSE(macros_->IsRecording());
  EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);

  RaiseOnly("macro_Op_tab", n::kSelectChanged, 1);
  macros_->SelectMacro(0);
  RaiseOnly("macro_btn_starredio", n::kClick);
  ASSERT_TRUE(macros_->IsRecording());
  auto* watch = macros_->findChild<QTimer*>(QStringLiteral("macro_device_watch"));
  ASSERT_NE(watch, nullptr);
  EXPECT_TRUE(watch->isActive());
  QMetaObject::invokeMethod(watch, "timeout", Qt::DirectConnection);  // the mouse is still there
  EXPECT_TRUE(macros_->IsRecording());
  mouse_->Session().Close();  // unplugged
  QMetaObject::invokeMethod(watch, "timeout", Qt::DirectConnection);
  EXPECT_FALSE(macros_->IsRecording());
  EXPECT_EQ(QWidget::keyboardGrabber(), nullptr);
  EXPECT_FALSE(watch->isActive());
}

TEST_F(MacroPageTest, DeletingAMacroRenumbersProfilesOnlyAfterTheCatalogueIsWritten) {
  for (int i = 0; i < 3; ++i) RaiseOnly("macro_btn_name_add", n::kClick);
  // A second profile with buttons on macros 1 and 2; the active one uses macro 2 on button 3.
  const int other = mouse_->ProfileList().AddProfile();
  ASSERT_GE(other, 0);
  const std::string otherPath = mouse_->ProfileList().GetProfilePathAt(other);
  Json::Value doc = CJsonFile().ReadDocument(otherPath);
  Json::Value& keys = doc["Device"][0]["KeyList"];
  ASSERT_GT(keys.size(), 3u);
  keys[0]["Assignment"] = 0x700100;
  keys[1]["Assignment"] = 0x700200;
  ASSERT_EQ(CJsonFile().WriteDocument(otherPath, doc), 0);
  std::vector<KeyAssign> list = mouse_->CopyKeyList();
  list[3].SetCurrent({0x70, 2, 0});
  mouse_->StoreKeyList(list);
  const std::string otherBefore = CJsonFile().readjsonFile(otherPath);

  macros_->SelectMacro(1);
  macros_->Catalogue().SetCatalogueWriter([](const std::string&, const Json::Value&) { return false; });
  Raise("macro_btn_name_sub", n::kClick);
  EXPECT_EQ(window_->messages, (std::vector<std::string>{"message_text_4", "macro_write_failed"}));
  EXPECT_EQ(CJsonFile().readjsonFile(otherPath), otherBefore);  // nothing renumbered
  EXPECT_EQ(mouse_->CopyKeyList()[3].Current(), (AssignCode{0x70, 2, 0}));
  EXPECT_EQ(macros_->MacroNames().size(), 3u);

  window_->messages.clear();
  macros_->Catalogue().SetCatalogueWriter({});
  Raise("macro_btn_name_sub", n::kClick);
  EXPECT_EQ(window_->messages, (std::vector<std::string>{"message_text_4"}));  // no key uses macro 1 here
  EXPECT_EQ(macros_->MacroNames(), (std::vector<std::string>{"macro_1", "macro_3"}));
  const Json::Value after = CJsonFile().ReadDocument(otherPath)["Device"][0]["KeyList"];
  EXPECT_EQ(after[0]["Assignment"].asInt(), after[0]["DefaultAssignment"].asInt());  // was macro 1
  EXPECT_EQ(after[1]["Assignment"].asInt(), 0x700100);                             // macro 2 is now 1
  EXPECT_EQ(mouse_->CopyKeyList()[3].Current(), (AssignCode{0x70, 1, 0}));

  // Deleting the macro a key of the active profile uses asks the second question; no stops it.
  macros_->SelectMacro(1);
  window_->confirm = false;
  window_->messages.clear();
  Raise("macro_btn_name_sub", n::kClick);
  EXPECT_EQ(window_->messages, (std::vector<std::string>{"message_text_4"}));
  EXPECT_EQ(macros_->MacroNames().size(), 2u);
}

TEST_F(MacroPageTest, UnknownEventsAreCarriedAndAnOverlongFileIsLeftAsItIs) {
  RaiseOnly("macro_btn_name_add", n::kClick);
  RaiseOnly("macro_btn_name_add", n::kClick);
  const std::string path = MacroPath(0);
  {
    std::ofstream(path) << "{\"Events\": [{\"Type\": 10, \"Button\": 4, \"Action\": \"down\", \"Delay\": \"10\"},"
                           " {\"Type\": 77, \"Button\": 3, \"Action\": \"down\", \"Delay\": \"20\", \"Extra\": 1}]}";
  }
  Json::Value big;
  for (int i = 0; i < 4001; ++i) big["Events"][i] = CMacroRecorder::EventJson(kMacroKey, 4, true, 0);
  ASSERT_EQ(CJsonFile().WriteDocument(MacroPath(1), big), 0);
  const std::string bigBefore = CJsonFile().readjsonFile(MacroPath(1));

  auto* list = Find<QListWidget>("macro_name_list");
  list->setCurrentRow(0);  // raises "itemselect" through the window
  ASSERT_EQ(macros_->RowCount(), 2);
  EXPECT_EQ(macros_->RowName(1), "Unknown event (kept)");
  // A delay typed into the first row, then saved.
  auto* rows = Find<QListWidget>("macro_action_list");
  auto* edit = rows->itemWidget(rows->item(0))->findChild<QLineEdit*>(QStringLiteral("macro_delay"));
  edit->setText(QStringLiteral("15"));
  Raise("macro_btn_save", n::kClick);
  const Json::Value events = CJsonFile().ReadDocument(path)["Events"];
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0]["Delay"].asString(), "15");
  EXPECT_EQ(events[1]["Type"].asInt(), 77);
  EXPECT_EQ(events[1]["Extra"].asInt(), 1);
  EXPECT_EQ(events[1]["Delay"].asString(), "20");

  list->setCurrentRow(1);
  EXPECT_EQ(window_->messages, (std::vector<std::string>{"macro_too_long_text"}));
  EXPECT_EQ(macros_->RowCount(), 0);
  Raise("macro_btn_save", n::kClick);
  Raise("macro_btn_deleteall", n::kClick);
  EXPECT_EQ(CJsonFile().readjsonFile(MacroPath(1)), bigBefore);  // never cut, never emptied
}

class KeyboardMacroPageTest : public KeyboardPageRig {};

TEST_F(KeyboardMacroPageTest, TheKeyboardKeepsItsOwnMacros) {
  OpenPage();
  auto* macros = Find<CMacroControlUI>("macro_page");
  ASSERT_NE(macros, nullptr);
  Raise("macro_btn_name_add", n::kClick);
  const std::string folder = (root_ / "data" / "Tavrin ORLO" / "keyboard").string() + "/";
  EXPECT_EQ(CMacroCatalogue(folder).Names(), (std::vector<std::string>{"macro_1"}));
  EXPECT_EQ(macros->SelectedMacro(), 0);
  EXPECT_EQ(keyboard_->MacroCount(), 1);  // the driver counted it again
}

}  // namespace
}  // namespace orlo::testing_support
