// The key set panel on its own: every kind of assignment shown as control states and encoded
// back to the same three bytes, the keyboard key rules (modifier options, a key taken by its scan
// code), and what the keyboard's panel offers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <memory>

#include "base/DeviceKinds.h"
#include "pages/keyset/KeySetControlUI.h"

namespace orlo {

void PrintTo(const AssignCode& c, std::ostream* os) {
  *os << std::hex << int{c.type} << " " << int{c.code1} << " " << int{c.code2};
}

namespace {

KeyAssign Record(AssignCode current, AssignCode factory = {0x10, 0x01, 0x00}) {
  KeyAssign r;
  r.key = r.defaultKey = 3;
  r.SetCurrent(current);
  r.defaultType = factory.type, r.defaultCode1 = factory.code1, r.defaultCode2 = factory.code2;
  return r;
}

class KeySetPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host_ = std::make_unique<QWidget>();
    panel_ = new CKeySetControlUI(host_.get());
    ASSERT_TRUE(panel_->FindControls());
    panel_->SetKind(kKindMouse);
    panel_->SetMacroNames({"jump", "reload", "burst"});
  }

  AssignCode RoundTrip(const AssignCode& code) {
    panel_->ShowKeyAssign(Record(code));
    return panel_->ReadAssign().Current();
  }
  template <class T>
  T* Find(const char* name) const {
    return panel_->findChild<T*>(QLatin1String(name));
  }
  std::string Text(const char* edit) const { return Find<QLineEdit>(edit)->text().toStdString(); }
  int Item(const char* combo) const { return Find<QComboBox>(combo)->currentIndex(); }
  // Presses a key in the key field: `xkb` is the window system's key code (Linux key code + 8).
  void Press(quint32 xkb) {
    QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, xkb, 0, 0);
    QApplication::sendEvent(Find<QLineEdit>("keyset_keyboard_text_edit"), &press);
  }

  std::unique_ptr<QWidget> host_;
  CKeySetControlUI* panel_ = nullptr;
};

TEST_F(KeySetPanelTest, EveryKindOfAssignmentComesBackAsTheSameThreeBytes) {
  struct Case {
    AssignCode code;
    int page;
  };
  const Case cases[] = {
      {{0x10, 0x02, 0x00}, 1},   // right button
      {{0x11, 0x35, 0x83}, 2},   // tilt right three times, delay 3, speed 5
      {{0x11, 0x35, 0x07}, 2},   // tilt left seven times
      {{0x12, 0x21, 0xFD}, 3},   // wheel three steps down
      {{0x12, 0x21, 0x03}, 3},   // wheel three steps up
      {{0x13, 0x03, 0x00}, 4},   // DPI cycle
      {{0x14, 0x28, 0x05}, 5},   // fire: interval 40, five shots
      {{0x20, 0x00, 0x04}, 6},   // A
      {{0x20, 0x02, 0x04}, 6},   // left Shift + A
      {{0x20, 0x10, 0x06}, 6},   // right Ctrl + C
      {{0x20, 0x40, 0x00}, 6},   // right Alt alone
      {{0x20, 0x01, 0xE8}, 6},   // Ctrl + a usage the table has no name for
      {{0x30, 0xE9, 0x00}, 7},   // volume up
      {{0x40, 0x02, 0x00}, 8},   // sleep
      {{0x70, 0x02, 0x01}, 9},   // macro "burst", run mode 1
      {{0x71, 0x01, 0x05}, 9},   // macro "reload", five times
      {{0x72, 0x03, 0x00}, 10},  // gun key 4
      {{0xB0, 0x12, 0x34}, 11},  // a shortcut code only a document holds
      {{0x10, 0x01, 0x00}, 0},   // the key's factory assignment
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RoundTrip(c.code), c.code);
    EXPECT_EQ(panel_->ShownFunctionPage(), c.page) << int{c.code.type};
    EXPECT_EQ(panel_->GetFunctionNumberAt(panel_->GetFunctionIndex()), c.page) << int{c.code.type};
    EXPECT_FALSE(panel_->isHidden()) << int{c.code.type};
  }
}

TEST_F(KeySetPanelTest, ControlsShowWhatTheBytesMean) {
  panel_->ShowKeyAssign(Record({0x12, 0x21, 0xFD}));
  EXPECT_EQ(Item("keyset_mousewheel_combo"), 1);  // down
  EXPECT_EQ(Text("keyset_mousewheel_num_edit"), "3");
  EXPECT_EQ(Text("keyset_mousewheel_delay_edit"), "2");
  EXPECT_EQ(Text("keyset_mousewheel_speed_edit"), "1");
  panel_->ShowKeyAssign(Record({0x11, 0x35, 0x83}));
  EXPECT_EQ(Item("keyset_mouseswing_combo"), 1);  // right
  EXPECT_EQ(Text("keyset_mouseswing_num_edit"), "3");
  // Edited by hand: wheel up four steps, delay 15, speed 9.
  panel_->ShowKeyAssign(Record({0x12, 0x21, 0x03}));
  Find<QComboBox>("keyset_mousewheel_combo")->setCurrentIndex(0);
  Find<QLineEdit>("keyset_mousewheel_num_edit")->setText("4");
  Find<QLineEdit>("keyset_mousewheel_delay_edit")->setText("15");
  Find<QLineEdit>("keyset_mousewheel_speed_edit")->setText("9");
  EXPECT_EQ(panel_->ReadAssign().Current(), (AssignCode{0x12, 0xF9, 0x04}));
  Find<QComboBox>("keyset_mousewheel_combo")->setCurrentIndex(1);
  EXPECT_EQ(panel_->ReadAssign().Current(), (AssignCode{0x12, 0xF9, 0xFC}));

  // A macro the list does not hold shows none, and the assignment stays as it is.
  panel_->ShowKeyAssign(Record({0x70, 0x07, 0x02}));
  EXPECT_EQ(Item("keyset_macro_combo"), -1);
  EXPECT_EQ(panel_->ReadAssign().Current(), (AssignCode{0x70, 0x07, 0x02}));
  // Repeated macros show the count; choosing a run mode makes it a plain macro again.
  panel_->ShowKeyAssign(Record({0x71, 0x00, 0x09}));
  EXPECT_TRUE(panel_->RepeatVisible());
  EXPECT_EQ(Text("keyset_macro_cycle_edit"), "9");
  Find<QComboBox>("keyset_macro_over_combo")->setCurrentIndex(3);
  EXPECT_EQ(panel_->ReadAssign().Current(), (AssignCode{0x70, 0x00, 0x03}));
}

TEST_F(KeySetPanelTest, KeyboardKeysFoldModifiersOntoTheirOptions) {
  // Right Shift + A shows the Shift option and keeps the right-hand key.
  panel_->ShowKeyAssign(Record({0x20, 0x20, 0x04}));
  EXPECT_EQ(panel_->GetSelectedModifier(), 2);
  EXPECT_EQ(Text("keyset_keyboard_text_edit"), "A");
  // Two modifiers together have no option: none is shown and encoding drops them.
  panel_->ShowKeyAssign(Record({0x20, 0x11, 0x04}));
  EXPECT_EQ(panel_->GetSelectedModifier(), 0);
  EXPECT_EQ(panel_->ReadAssign().Current(), (AssignCode{0x20, 0x00, 0x04}));
  // Choosing Alt for right Ctrl + C gives left Alt + C.
  panel_->ShowKeyAssign(Record({0x20, 0x10, 0x06}));
  panel_->SelectModifier(3);
  EXPECT_EQ(panel_->ReadAssign().Current(), (AssignCode{0x20, 0x04, 0x06}));
  // A key code without a key: no option, no key, and the assignment becomes no key at all.
  panel_->ShowKeyAssign(Record({0x20, 0x00, 0xE8}));
  EXPECT_EQ(panel_->GetSelectedModifier(), -1);
  EXPECT_EQ(Text("keyset_keyboard_text_edit"), "");
  EXPECT_EQ(panel_->ReadAssign().Current(), (AssignCode{0x20, 0x00, 0x00}));
}

TEST_F(KeySetPanelTest, CaptureTakesTheNextKeyByItsScanCodeOnlyWhileArmed) {
  int captured = 0;
  QObject::connect(panel_, &CKeySetControlUI::keyCaptured, panel_, [&] { ++captured; });
  panel_->ShowKeyAssign(Record({0x20, 0x00, 0x05}));  // B
  panel_->SelectModifier(2);
  Press(38);  // A (Linux key 30), not armed: the field's own key press
  EXPECT_EQ(captured, 0);
  EXPECT_EQ(panel_->Record().Current(), (AssignCode{0x20, 0x00, 0x05}));

  panel_->SetCaptureArmed(true);
  Press(38);
  EXPECT_EQ(captured, 1);
  EXPECT_EQ(Text("keyset_keyboard_text_edit"), "A");
  EXPECT_EQ(panel_->ReadAssign().Current(), (AssignCode{0x20, 0x02, 0x04}));
  // Right Alt (Linux key 100, extended): its option, no key, the right-hand bit.
  Press(108);
  EXPECT_EQ(captured, 2);
  EXPECT_EQ(panel_->GetSelectedModifier(), 3);
  EXPECT_EQ(Text("keyset_keyboard_text_edit"), "");
  EXPECT_EQ(panel_->ReadAssign().Current(), (AssignCode{0x20, 0x40, 0x00}));
  // Keypad Enter (Linux key 96) is the extended twin of Enter; the mute key has no scan code.
  Press(104);
  EXPECT_EQ(panel_->ReadAssign().Current(), (AssignCode{0x20, 0x40, 0x58}));
  Press(121);
  EXPECT_EQ(captured, 3);
  panel_->SetCaptureArmed(false);
  Press(38);
  EXPECT_EQ(captured, 3);
}

TEST_F(KeySetPanelTest, TheKeyboardsPanelOffersNeitherDpiNorGunKeys) {
  panel_->SetKind(kKindKeyboard);
  std::vector<int> offered;
  for (int i = 0; i < Find<QComboBox>("keyset_function_combo")->count(); ++i)
    offered.push_back(panel_->GetFunctionNumberAt(i));
  EXPECT_EQ(offered, (std::vector<int>{0, 1, 2, 3, 5, 6, 7, 8, 9, 11}));
  // A DPI function on a keyboard key has no place in the list: the panel hides.
  panel_->ShowKeyAssign(Record({0x13, 0x01, 0x00}, {0x20, 0x00, 0x04}));
  EXPECT_TRUE(panel_->isHidden());
  panel_->ShowKeyAssign(Record({0x20, 0x00, 0x04}, {0x20, 0x00, 0x04}));
  EXPECT_FALSE(panel_->isHidden());
  EXPECT_EQ(panel_->ShownFunctionPage(), 0);
}

}  // namespace
}  // namespace orlo
