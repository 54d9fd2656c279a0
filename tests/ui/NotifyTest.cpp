// Notifications raised from the widgets of a built layout, delivered to the owning window with
// the sender's name; selection without notification; per-control timers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

#include "TestSupport.h"
#include "ui/ControlFactory.h"
#include "ui/NotifyBridge.h"
#include "ui/Selection.h"
#include "ui/TimerService.h"

namespace orlo::ui {

class ColourWell : public QWidget {
  Q_OBJECT
 public:
  using QWidget::QWidget;
 signals:
  void colorChanged(const QColor& colour);
};

namespace {

const char* kWidgets = R"(
  <widget class="QPushButton" name="ok_btn"><property name="geometry"><rect><x>0</x><y>0</y><width>80</width><height>30</height></rect></property></widget>
  <widget class="QRadioButton" name="opt_a"><property name="geometry"><rect><x>0</x><y>40</y><width>80</width><height>20</height></rect></property><property name="checked"><bool>true</bool></property></widget>
  <widget class="QRadioButton" name="opt_b"><property name="geometry"><rect><x>0</x><y>60</y><width>80</width><height>20</height></rect></property></widget>
  <widget class="QSlider" name="DPI_slider_2"><property name="geometry"><rect><x>0</x><y>90</y><width>150</width><height>20</height></rect></property>
    <property name="orientation"><enum>Qt::Horizontal</enum></property><property name="maximum"><number>100</number></property></widget>
  <widget class="QLineEdit" name="name_edit"><property name="geometry"><rect><x>0</x><y>120</y><width>150</width><height>24</height></rect></property></widget>
  <widget class="QComboBox" name="profile_combo"><property name="geometry"><rect><x>0</x><y>150</y><width>150</width><height>24</height></rect></property>
    <item><property name="text"><string>one</string></property></item>
    <item><property name="text"><string>two</string></property></item>
    <item><property name="text"><string>three</string></property></item></widget>
  <widget class="QListWidget" name="macro_list"><property name="geometry"><rect><x>200</x><y>0</y><width>150</width><height>120</height></rect></property>
    <item><property name="text"><string>m1</string></property></item>
    <item><property name="text"><string>m2</string></property></item></widget>
  <widget class="QSpinBox" name="dpi_edit"><property name="geometry"><rect><x>200</x><y>130</y><width>80</width><height>24</height></rect></property>
    <property name="maximum"><number>26000</number></property></widget>
  <widget class="QLabel" name="str_test"><property name="geometry"><rect><x>200</x><y>160</y><width>80</width><height>24</height></rect></property></widget>
  <widget class="ColourWell" name="colour_well"><property name="geometry"><rect><x>200</x><y>200</y><width>30</width><height>30</height></rect></property></widget>
)";

class NotifyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    CControlFactory::GetInstance().RegistControl("ColourWell", [](QWidget* p) { return new ColourWell(p); });
    const std::string path = test::WriteLayout(
        dir_, "notify.xml", kWidgets,
        "<customwidget><class>ColourWell</class><extends>QWidget</extends><header>x.h</header></customwidget>");
    window_ = std::make_unique<test::RecordingWindow>(path);
    ASSERT_TRUE(window_->Create());
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  }

  template <class T>
  T* Find(const char* name) {
    return window_->FindControl<T>(name);
  }

  QTemporaryDir dir_;
  std::unique_ptr<test::RecordingWindow> window_;
};

TEST_F(NotifyTest, WindowInitArrivesOnceWhenFirstShown) {
  window_->hide();
  window_->show();
  ASSERT_EQ(window_->OfType("windowinit").size(), 1u);
  EXPECT_EQ(window_->OfType("windowinit")[0].sSenderName, "root");
}

TEST_F(NotifyTest, ButtonsAndOptions) {
  QTest::mouseClick(Find<QPushButton>("ok_btn"), Qt::LeftButton);
  EXPECT_EQ(window_->SendersOf("click"), std::vector<std::string>{"ok_btn"});

  window_->received.clear();
  Find<QRadioButton>("opt_b")->click();
  const auto changes = window_->OfType("selectchanged");
  ASSERT_EQ(changes.size(), 2u);  // the option left and the option taken
  EXPECT_EQ(changes[0].sSenderName, "opt_a");
  EXPECT_EQ(changes[0].wParam, 0);
  EXPECT_EQ(changes[1].sSenderName, "opt_b");
  EXPECT_EQ(changes[1].wParam, 1);
  EXPECT_EQ(window_->SendersOf("click"), std::vector<std::string>{"opt_b"});
}

TEST_F(NotifyTest, SliderReportsMovesWhileDraggedAndTheValueWhenReleased) {
  auto* slider = Find<QSlider>("DPI_slider_2");
  slider->setValue(30);
  ASSERT_EQ(window_->OfType("valuechanged").size(), 1u);
  EXPECT_EQ(window_->OfType("valuechanged")[0].wParam, 30);
  EXPECT_EQ(window_->OfType("valuechanged")[0].sSenderName, "DPI_slider_2");

  window_->received.clear();
  slider->setSliderDown(true);
  slider->setSliderPosition(55);
  slider->setSliderPosition(60);
  EXPECT_TRUE(window_->OfType("valuechanged").empty());
  ASSERT_EQ(window_->OfType("movevaluechanged").size(), 2u);
  EXPECT_EQ(window_->OfType("movevaluechanged")[1].wParam, 60);
  slider->setSliderDown(false);
  ASSERT_EQ(window_->OfType("valuechanged").size(), 1u);
  EXPECT_EQ(window_->OfType("valuechanged")[0].wParam, 60);
}

TEST_F(NotifyTest, EditsReportUserTypingReturnAndFocus) {
  auto* edit = Find<QLineEdit>("name_edit");
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  edit->setFocus();
  QTest::keyClicks(edit, "ab");
  QTest::keyClick(edit, Qt::Key_Return);
  Find<QPushButton>("ok_btn")->setFocus();
  EXPECT_EQ(window_->SendersOf("textchanged"), (std::vector<std::string>{"name_edit", "name_edit"}));
  EXPECT_EQ(window_->SendersOf("return"), std::vector<std::string>{"name_edit"});
  const auto gained = window_->SendersOf("setfocus");
  const auto lost = window_->SendersOf("killfocus");
  ASSERT_GE(gained.size(), 2u);
  EXPECT_EQ(gained[gained.size() - 2], "name_edit");
  EXPECT_EQ(gained.back(), "ok_btn");
  ASSERT_FALSE(lost.empty());
  EXPECT_EQ(lost.back(), "name_edit");

  // Text set by the program does not come back as a notification.
  window_->received.clear();
  edit->setText("profile");
  EXPECT_TRUE(window_->OfType("textchanged").empty());

  Find<QSpinBox>("dpi_edit")->setValue(1600);
  ASSERT_EQ(window_->OfType("textchanged").size(), 1u);
  EXPECT_EQ(window_->OfType("textchanged")[0].sSenderName, "dpi_edit");
  EXPECT_EQ(window_->OfType("textchanged")[0].wParam, 1600);
}

TEST_F(NotifyTest, ComboSelectionAndSelectionWithoutNotification) {
  auto* combo = Find<QComboBox>("profile_combo");
  combo->setCurrentIndex(2);
  ASSERT_EQ(window_->OfType("itemselect").size(), 1u);
  EXPECT_EQ(window_->OfType("itemselect")[0].sSenderName, "profile_combo");
  EXPECT_EQ(window_->OfType("itemselect")[0].wParam, 2);
  EXPECT_EQ(window_->OfType("itemselect")[0].lParam, 0);

  window_->received.clear();
  {
    CNotifyBridge::Mute mute(combo);
    combo->setCurrentIndex(1);
  }
  EXPECT_EQ(combo->currentIndex(), 1);
  EXPECT_TRUE(window_->received.empty());

  // After the muted change, notifications flow again and know the previous index.
  combo->setCurrentIndex(0);
  ASSERT_EQ(window_->OfType("itemselect").size(), 1u);
  EXPECT_EQ(window_->OfType("itemselect")[0].lParam, 1);
}

TEST_F(NotifyTest, SelectingFromCodeWithAndWithoutNotification) {
  auto* list = Find<QListWidget>("macro_list");
  window_->received.clear();
  EXPECT_TRUE(SelectItem(list, 1, false));
  EXPECT_EQ(list->currentRow(), 1);
  EXPECT_FALSE(SelectItem(list, 2, false));  // out of range
  EXPECT_FALSE(SelectItem(Find<QLabel>("str_test"), 0));
  SelectOption(Find<QRadioButton>("opt_b"), true, false);
  EXPECT_TRUE(Find<QRadioButton>("opt_b")->isChecked());
  EXPECT_FALSE(Find<QRadioButton>("opt_a")->isChecked());
  EXPECT_TRUE(window_->OfType("itemselect").empty());
  EXPECT_TRUE(window_->OfType("selectchanged").empty());

  EXPECT_TRUE(SelectItem(Find<QComboBox>("profile_combo"), 2));
  SelectOption(Find<QRadioButton>("opt_a"), true);
  EXPECT_EQ(window_->SendersOf("itemselect"), std::vector<std::string>{"profile_combo"});
  EXPECT_EQ(window_->SendersOf("selectchanged"), (std::vector<std::string>{"opt_b", "opt_a"}));
}

TEST_F(NotifyTest, ListReportsSelectClickAndActivate) {
  auto* list = Find<QListWidget>("macro_list");
  const QPoint second = list->visualItemRect(list->item(1)).center();
  QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second);
  ASSERT_FALSE(window_->OfType("itemselect").empty());
  EXPECT_EQ(window_->OfType("itemselect").back().wParam, 1);
  ASSERT_EQ(window_->OfType("itemclick").size(), 1u);
  EXPECT_EQ(window_->OfType("itemclick")[0].sSenderName, "macro_list");
  EXPECT_EQ(window_->OfType("itemclick")[0].wParam, 1);

  QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second);
  ASSERT_EQ(window_->OfType("itemactivate").size(), 1u);
  EXPECT_EQ(window_->OfType("itemactivate")[0].wParam, 1);
}

TEST_F(NotifyTest, PointerEventsMenuAndColour) {
  auto* label = Find<QLabel>("str_test");
  QTest::mouseDClick(label, Qt::LeftButton);
  EXPECT_EQ(window_->SendersOf("dbclick"), std::vector<std::string>{"str_test"});

  window_->received.clear();
  QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), label->mapToGlobal(QPointF(5, 5)));
  QApplication::sendEvent(label, &enter);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(label, &leave);
  EXPECT_EQ(window_->SendersOf("msenter"), std::vector<std::string>{"str_test"});
  EXPECT_EQ(window_->SendersOf("msleave"), std::vector<std::string>{"str_test"});

  // The event climbs to the parents when the label ignores it; only the label reports.
  QContextMenuEvent menu(QContextMenuEvent::Mouse, QPoint(3, 4), label->mapToGlobal(QPoint(3, 4)));
  QApplication::sendEvent(label, &menu);
  ASSERT_EQ(window_->OfType("menu").size(), 1u);
  EXPECT_EQ(window_->OfType("menu")[0].sSenderName, "str_test");
  EXPECT_EQ(window_->OfType("menu")[0].wParam, label->mapToGlobal(QPoint(3, 4)).x());

  auto* well = Find<ColourWell>("colour_well");
  ASSERT_NE(well, nullptr);
  emit well->colorChanged(QColor(0x12, 0x34, 0x56));
  ASSERT_EQ(window_->OfType("colorchanged").size(), 1u);
  EXPECT_EQ(window_->OfType("colorchanged")[0].sSenderName, "colour_well");
  EXPECT_EQ(static_cast<QRgb>(window_->OfType("colorchanged")[0].wParam), qRgb(0x12, 0x34, 0x56));
}

TEST_F(NotifyTest, ControlsAddedLaterAreAttachedAndOtherListenersSeeNotifications) {
  struct Listener : INotifyUI {
    void Notify(TNotifyUI& msg) override { types.push_back(msg.sType); }
    std::vector<std::string> types;
  } listener;
  window_->AddNotifier(&listener);
  auto* added = new QPushButton(window_->FindControl("root"));
  added->setObjectName("late_btn");
  QCoreApplication::processEvents();
  added->click();
  EXPECT_EQ(window_->SendersOf("click"), std::vector<std::string>{"late_btn"});
  EXPECT_EQ(listener.types, std::vector<std::string>{"click"});
  window_->RemoveNotifier(&listener);
  added->click();
  EXPECT_EQ(listener.types.size(), 1u);
}

TEST_F(NotifyTest, TimersRepeatWithTheirIdUntilKilled) {
  auto* button = Find<QPushButton>("ok_btn");
  auto* label = Find<QLabel>("str_test");
  // A timer that must stay silent is checked against one that runs beside it with the same
  // period: once that one has fired twice, the silent one had its chances.
  const auto firedTwice = [&](const std::string& sender) {
    return QTest::qWaitFor([&] {
      const auto senders = window_->SendersOf("timer");
      return std::count(senders.begin(), senders.end(), sender) >= 2;
    }, 5000);
  };
  window_->SetTimer(button, 1011, 10);
  ASSERT_TRUE(firedTwice("ok_btn"));
  const auto fired = window_->OfType("timer");
  EXPECT_EQ(fired[0].sSenderName, "ok_btn");
  EXPECT_EQ(fired[0].wParam, 1011);

  window_->KillTimer(button, 1011);
  EXPECT_FALSE(CTimerService::Instance().IsArmed(button, 1011));
  window_->received.clear();
  window_->SetTimer(label, 7, 10);
  ASSERT_TRUE(firedTwice("str_test"));
  window_->KillTimer(label, 7);
  for (const auto& name : window_->SendersOf("timer")) EXPECT_EQ(name, "str_test");

  // Ids are per control: killing one keeps the other; a destroyed control takes its timers.
  window_->received.clear();
  window_->SetTimer(button, 1, 10);
  window_->SetTimer(label, 1, 10);
  window_->KillTimer(label, 1);
  ASSERT_TRUE(firedTwice("ok_btn"));
  for (const auto& name : window_->SendersOf("timer")) EXPECT_EQ(name, "ok_btn");
  delete button;
  window_->received.clear();
  window_->SetTimer(label, 2, 10);
  ASSERT_TRUE(firedTwice("str_test"));
  window_->KillTimer(label, 2);
  for (const auto& name : window_->SendersOf("timer")) EXPECT_EQ(name, "str_test");
}

TEST_F(NotifyTest, ControlHandlingItsOwnTimerKeepsItFromTheWindow) {
  struct Ticker : QWidget, ITimerHandlerUI {
    using QWidget::QWidget;
    bool OnControlTimer(int id) override {
      ids.push_back(id);
      return id == 1;  // only timer 1 is its own
    }
    std::vector<int> ids;
  };
  auto* ticker = new Ticker(window_->FindControl("root"));
  ticker->setObjectName("ticker");
  window_->SetTimer(ticker, 1, 10);
  window_->SetTimer(ticker, 2, 10);
  ASSERT_TRUE(QTest::qWaitFor([&] {
    return std::count(ticker->ids.begin(), ticker->ids.end(), 1) >= 2 &&
           window_->OfType("timer").size() >= 2;
  }, 5000));
  window_->KillTimer(ticker);
  EXPECT_NE(std::find(ticker->ids.begin(), ticker->ids.end(), 1), ticker->ids.end());
  for (const auto& m : window_->OfType("timer")) EXPECT_EQ(m.wParam, 2);
  EXPECT_FALSE(window_->OfType("timer").empty());
}

}  // namespace
}  // namespace orlo::ui

#include "NotifyTest.moc"
