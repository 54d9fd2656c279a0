// The generic custom controls: created by name as their own classes, their values and states,
// the notifications they raise inside a window, and painting at awkward sizes.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

#include "TestSupport.h"
#include "ui/AudioRecordUI.h"
#include "ui/ChartViewUI.h"
#include "ui/CircleProgressUI.h"
#include "ui/CloudShareListItemUI.h"
#include "ui/ComboEditContainerElementUI.h"
#include "ui/CommonControls.h"
#include "ui/ControlFactory.h"
#include "ui/HandImgButtonUI.h"
#include "ui/HandImgSelectButtonUI.h"
#include "ui/RedioMacroButtonUI.h"
#include "ui/UpdateInfoListItemUI.h"
#include "ui/WndUI.h"

namespace orlo::ui {
namespace {

using State = CHandImgButtonUI::ImageState;

template <class T>
bool Is(QWidget* w) {
  return dynamic_cast<T*>(w) != nullptr;
}

struct Named {
  const char* name;
  std::function<bool(QWidget*)> isRightType;
};

const std::vector<Named>& AllNames() {
  static const std::vector<Named> names = {
      {"CCircleProgressUI", Is<CCircleProgressUI>},
      {"CChartViewUI", Is<CChartViewUI>},
      {"CWndUI", Is<CWndUI>},
      {"CCloudShareListItemUI", Is<CCloudShareListItemUI>},
      {"CUpdateInfoListItemUI", Is<CUpdateInfoListItemUI>},
      {"CComboEditContainerElementUI", Is<CComboEditContainerElementUI>},
      {"CHandImgButtonUI", [](QWidget* w) { return Is<CHandImgButtonUI>(w) && !Is<CHandImgSelectButtonUI>(w); }},
      {"CHandImgSelectButtonUI", Is<CHandImgSelectButtonUI>},
      {"CRedioMacroButtonUI", Is<CRedioMacroButtonUI>},
      {"CAudioRecordUI", Is<CAudioRecordUI>},
      // Layout names, any case.
      {"CircleProgress", Is<CCircleProgressUI>},
      {"HandImgButton", [](QWidget* w) { return Is<CHandImgButtonUI>(w) && !Is<CHandImgSelectButtonUI>(w); }},
      {"audiorecord", Is<CAudioRecordUI>},
      {"HandImgSelectButton", Is<CHandImgSelectButtonUI>},
      {"RedioMacroButton", Is<CRedioMacroButtonUI>},
      {"COMBOEDITCONTAINERELEMENT", Is<CComboEditContainerElementUI>},
  };
  return names;
}

TEST(ControlsFactory, EveryNameCreatesItsOwnClass) {
  RegisterCommonControls();
  for (const Named& n : AllNames()) {
    std::unique_ptr<QWidget> w(CControlFactory::GetInstance().CreateControl(n.name, nullptr));
    ASSERT_NE(w, nullptr) << n.name;
    EXPECT_TRUE(n.isRightType(w.get())) << n.name << " became " << w->metaObject()->className();
  }
  // The toolkit's own two come along, in their place of the order.
  EXPECT_TRUE(CControlFactory::GetInstance().IsRegistered("CSelectPanelUI"));
  EXPECT_TRUE(CControlFactory::GetInstance().IsRegistered("CDeviceKeyButtonUI"));
}

TEST(ControlsPainting, NoSizeBreaksPainting) {
  RegisterCommonControls();
  const std::vector<QSize> sizes = {{0, 0}, {1, 1}, {2, 300}, {300, 2}, {7, 5}, {25, 25}, {1200, 13}, {64, 64}};
  const std::int32_t loud[] = {2000, -5, 40000, 1000, 0, 3};
  for (const Named& n : AllNames()) {
    std::unique_ptr<QWidget> w(CControlFactory::GetInstance().CreateControl(n.name, nullptr));
    ASSERT_NE(w, nullptr);
    // With content, where the control has any.
    if (auto* c = dynamic_cast<CCircleProgressUI*>(w.get())) c->SetValue(63);
    if (auto* c = dynamic_cast<CChartViewUI*>(w.get())) c->SetPoints({{0, 0}, {0.3, 1.5}, {1, -2}});
    if (auto* c = dynamic_cast<CAudioRecordUI*>(w.get())) c->SetLevels(loud);
    if (auto* c = dynamic_cast<CRedioMacroButtonUI*>(w.get())) c->SetRecording(true);
    if (auto* c = dynamic_cast<QAbstractButton*>(w.get())) c->setText(QStringLiteral("Record"));
    for (const QSize& s : sizes) {
      w->resize(s);
      const QPixmap shot = w->grab();
      // Rows with a layout keep their minimum size; whatever size they took must paint.
      EXPECT_EQ(shot.isNull(), w->size().isEmpty()) << n.name << " at " << s.width() << "x" << s.height();
    }
  }
}

TEST(CircleProgress, ValueStaysInsideTheRange) {
  CCircleProgressUI ring;
  ring.SetValue(150);
  EXPECT_EQ(ring.Value(), 100);
  EXPECT_EQ(ring.Percent(), 100);
  ring.SetValue(-3);
  EXPECT_EQ(ring.Value(), 0);

  ring.SetRange(200, 100);  // wrong way round
  EXPECT_EQ(ring.Minimum(), 100);
  EXPECT_EQ(ring.Maximum(), 200);
  EXPECT_EQ(ring.Value(), 100);
  ring.SetValue(175);
  EXPECT_EQ(ring.Percent(), 75);

  ring.SetMaximum(150);  // shrinking the range pulls the value in
  EXPECT_EQ(ring.Value(), 150);
  EXPECT_EQ(ring.Percent(), 100);

  ring.SetRange(5, 5);
  EXPECT_EQ(ring.Value(), 5);
  EXPECT_EQ(ring.Percent(), 0);
  EXPECT_EQ(ring.Fraction(), 0.0);

  ring.SetRange(INT_MIN, INT_MAX);  // the span does not fit an int
  ring.SetValue(0);
  EXPECT_EQ(ring.Percent(), 50);
  ring.SetValue(INT_MAX);
  EXPECT_EQ(ring.Percent(), 100);
}

TEST(ChartView, PointsMapIntoThePlotArea) {
  CChartViewUI chart;
  chart.resize(216, 116);
  const QRectF plot = chart.PlotRect();
  ASSERT_EQ(plot, QRectF(8, 8, 200, 100));
  chart.SetXRange(0, 10);
  chart.SetYRange(-12, 12);

  EXPECT_EQ(chart.MapToWidget({0, -12}), plot.bottomLeft());
  EXPECT_EQ(chart.MapToWidget({10, 12}), plot.topRight());
  EXPECT_EQ(chart.MapToWidget({5, 0}), plot.center());
  EXPECT_EQ(chart.MapToWidget({2.5, 6}), QPointF(58, 33));
  // Outside the ranges: pinned to the edge, never outside the control.
  EXPECT_EQ(chart.MapToWidget({-4, 100}), plot.topLeft());

  chart.SetInvertedY(true);  // screen-like data grows downward
  EXPECT_EQ(chart.MapToWidget({0, -12}), plot.topLeft());
  EXPECT_EQ(chart.MapToWidget({10, 12}), plot.bottomRight());

  chart.SetYRange(3, 3);  // empty range: the middle row
  EXPECT_EQ(chart.MapToWidget({10, 99}).y(), plot.center().y());
}

TEST(ChartView, KeepsFinitePointsInOrderAndFitsToThem) {
  CChartViewUI chart;
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  chart.SetPoints({{0, 0}, {nan, 1}, {3, -2}, {1, inf}, {-1, 4}});
  ASSERT_EQ(chart.Points().size(), 3u);
  EXPECT_EQ(chart.Points()[1], QPointF(3, -2));
  EXPECT_EQ(chart.Points()[2], QPointF(-1, 4));

  chart.FitToPoints();
  EXPECT_EQ(chart.XMin(), -1);
  EXPECT_EQ(chart.XMax(), 3);
  EXPECT_EQ(chart.YMin(), -2);
  EXPECT_EQ(chart.YMax(), 4);

  chart.SetPoints({{2, 7}});  // one point still gets a range around it
  chart.FitToPoints();
  EXPECT_LT(chart.XMin(), 2);
  EXPECT_GT(chart.XMax(), 2);
  EXPECT_LT(chart.YMin(), 7);
  EXPECT_GT(chart.YMax(), 7);

  chart.SetXRange(nan, 5);  // refused
  EXPECT_LT(chart.XMin(), 2);
}

TEST(AudioRecord, TwentyFiveLevelsClampedIntoTheRange) {
  CAudioRecordUI meter;
  EXPECT_EQ(meter.Levels().size(), 25u);

  std::vector<std::int32_t> frame(40, 500);
  frame[0] = -70;
  frame[1] = 2001;
  frame[24] = 1999;
  frame[25] = 9999;  // beyond the frame: not read
  meter.SetLevels(frame);
  EXPECT_EQ(meter.Levels()[0], 0);
  EXPECT_EQ(meter.Levels()[1], 2000);
  EXPECT_EQ(meter.Levels()[2], 500);
  EXPECT_EQ(meter.Levels()[24], 1999);

  // A short frame leaves the rest silent rather than reading past its end.
  const std::int32_t shortFrame[] = {800, 900};
  meter.SetLevels(shortFrame);
  EXPECT_EQ(meter.Levels()[1], 900);
  EXPECT_EQ(meter.Levels()[2], 0);
  EXPECT_EQ(meter.Levels()[24], 0);

  meter.SetRange(100, 50);  // swapped; kept levels follow the new range
  EXPECT_EQ(meter.Minimum(), 50);
  EXPECT_EQ(meter.Maximum(), 100);
  EXPECT_EQ(meter.Levels()[0], 100);
  EXPECT_EQ(meter.Levels()[2], 50);
}

TEST(AudioRecord, PeaksFallBackSlowlyAfterABeat) {
  CAudioRecordUI meter;
  std::vector<std::int32_t> frame(25, 0);
  frame[3] = 2000;
  meter.SetLevels(frame);
  EXPECT_EQ(meter.Peaks()[3], 2000);
  frame[3] = 0;
  meter.SetLevels(frame);
  EXPECT_EQ(meter.Levels()[3], 0);
  EXPECT_EQ(meter.Peaks()[3], 1950);  // one step of a fortieth of the range
  for (int i = 0; i < 60; ++i) meter.SetLevels(frame);
  EXPECT_EQ(meter.Peaks()[3], 0);  // and no further than the bottom
  frame[3] = 700;
  meter.SetLevels(frame);
  EXPECT_EQ(meter.Peaks()[3], 700);

  meter.SetRange(INT_MIN, INT_MAX);  // the widest range neither overflows nor loses the peak
  frame[3] = INT_MIN;
  meter.SetLevels(frame);
  EXPECT_EQ(meter.Levels()[3], INT_MIN);
  EXPECT_LT(meter.Peaks()[3], 700);
  EXPECT_GT(meter.Peaks()[3], INT_MIN);
}

TEST(HandImgButton, StateImagesFallBackToNormal) {
  CHandImgSelectButtonUI option;
  CHandImgButtonUI& button = option;
  EXPECT_EQ(button.cursor().shape(), Qt::PointingHandCursor);
  ASSERT_TRUE(button.SetImage(State::kNormal, "file='btn/n.png'"));
  ASSERT_TRUE(button.SetImage(State::kHot, "file='btn/h.png' source='0,0,10,10'"));
  EXPECT_FALSE(button.SetImage(State::kHot, "file='btn/x.png"));  // unterminated: kept
  EXPECT_EQ(button.Image(State::kHot).file, "btn/h.png");

  EXPECT_EQ(button.CurrentImage().file, "btn/n.png");
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(&button, &enter);
  EXPECT_EQ(button.CurrentState(), State::kHot);
  EXPECT_EQ(button.CurrentImage().file, "btn/h.png");
  button.setDown(true);  // no pushed image: still looks hot
  EXPECT_EQ(button.CurrentState(), State::kPushed);
  EXPECT_EQ(button.CurrentImage().file, "btn/h.png");
  button.setDown(false);
  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(&button, &leave);

  // Selected without selected images keeps the plain look; with one it shows it.
  option.Selected(true);
  EXPECT_EQ(button.CurrentState(), State::kSelected);
  EXPECT_EQ(button.CurrentImage().file, "btn/n.png");
  QApplication::sendEvent(&button, &enter);
  EXPECT_EQ(button.CurrentImage().file, "btn/h.png");
  QApplication::sendEvent(&button, &leave);
  option.setProperty("selectedimage", QStringLiteral("btn/s.png"));
  EXPECT_EQ(button.CurrentState(), State::kSelected);
  EXPECT_EQ(button.CurrentImage().file, "btn/s.png");
  QApplication::sendEvent(&button, &enter);
  EXPECT_EQ(button.CurrentImage().file, "btn/s.png");  // no selected-hot image

  button.setEnabled(false);
  EXPECT_EQ(button.CurrentState(), State::kDisabled);
  EXPECT_EQ(button.CurrentImage().file, "btn/n.png");
}

TEST(RedioMacroButton, PulsesOnlyWhileRecordingAndShown) {
  CRedioMacroButtonUI button;
  button.SetRecordText(QStringLiteral("Record"));
  button.SetStopText(QStringLiteral("Stop"));
  button.resize(120, 32);
  button.SetRecording(true);
  EXPECT_TRUE(button.IsRecording());
  EXPECT_FALSE(button.IsPulsing());  // not shown yet
  EXPECT_EQ(button.CurrentText(), "Stop");

  button.show();
  EXPECT_TRUE(button.IsPulsing());
  QTRY_VERIFY_WITH_TIMEOUT(button.PulsePhase() > 0, 2000);

  button.hide();
  EXPECT_FALSE(button.IsPulsing());
  button.show();
  EXPECT_TRUE(button.IsPulsing());

  button.SetRecording(false);
  EXPECT_FALSE(button.IsPulsing());
  EXPECT_EQ(button.PulsePhase(), 0);
  EXPECT_EQ(button.CurrentText(), "Record");
}

TEST(WndHost, EmbedsAndReplacesANativeWindow) {
  CWndUI host;
  host.resize(200, 120);
  host.show();
  EXPECT_EQ(host.Container(), nullptr);

  QPointer<QWindow> first = new QWindow;
  host.SetWindow(first);
  ASSERT_NE(host.Container(), nullptr);
  EXPECT_EQ(host.Container()->parentWidget(), &host);
  EXPECT_EQ(host.Container()->geometry(), host.rect());
  host.resize(300, 90);
  EXPECT_EQ(host.Container()->geometry(), QRect(0, 0, 300, 90));

  QPointer<QWindow> second = new QWindow;
  host.SetWindow(second);
  EXPECT_TRUE(first.isNull());  // the replaced window went with its container
  EXPECT_EQ(host.Window(), second.data());

  host.SetWindow(nullptr);
  EXPECT_TRUE(second.isNull());
  EXPECT_EQ(host.Container(), nullptr);
}

// Inside a window built from a layout, as the pages use them.
class ControlsInWindow : public ::testing::Test {
 protected:
  static std::string Geometry(int x, int y, int w, int h) {
    return "<property name=\"geometry\"><rect><x>" + std::to_string(x) + "</x><y>" + std::to_string(y) +
           "</y><width>" + std::to_string(w) + "</width><height>" + std::to_string(h) + "</height></rect></property>";
  }
  static std::string Str(const char* name, const char* value) {
    return std::string("<property name=\"") + name + "\"><string>" + value + "</string></property>";
  }

  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    RegisterCommonControls();
    const std::string widgets =
        "<widget class=\"CircleProgress\" name=\"fw_progress\">" + Geometry(0, 0, 60, 60) +
        "<property name=\"maximum\"><number>200</number></property><property name=\"value\"><number>50</number></property></widget>\n"
        "<widget class=\"HandImgSelectButton\" name=\"mode_opt_1\">" + Geometry(70, 0, 40, 40) + Str("group", "mode") +
        "<property name=\"selected\"><bool>true</bool></property></widget>\n"
        "<widget class=\"HandImgSelectButton\" name=\"mode_opt_2\">" + Geometry(120, 0, 40, 40) + Str("group", "mode") + "</widget>\n"
        "<widget class=\"HandImgSelectButton\" name=\"solo_opt\">" + Geometry(170, 0, 40, 40) +
        Str("normalimage", "file='common/app_icon.png'") + "</widget>\n"
        "<widget class=\"RedioMacroButton\" name=\"macro_record_btn\">" + Geometry(220, 0, 120, 32) + Str("recordtext", "Record") + "</widget>\n"
        "<widget class=\"CUpdateInfoListItemUI\" name=\"update_row_1\">" + Geometry(0, 70, 380, 50) + Str("title", "Mouse") + "</widget>\n"
        "<widget class=\"ComboEditContainerElement\" name=\"profile_item_2\">" + Geometry(0, 130, 200, 30) +
        "<property name=\"index\"><number>2</number></property>" + Str("text", "Game") + "</widget>\n"
        "<widget class=\"AudioRecord\" name=\"music_levels\">" + Geometry(0, 170, 260, 80) + "</widget>\n";
    const std::string custom =
        "<customwidget><class>CircleProgress</class><extends>QWidget</extends><header>x.h</header></customwidget>"
        "<customwidget><class>HandImgSelectButton</class><extends>QAbstractButton</extends><header>x.h</header></customwidget>"
        "<customwidget><class>RedioMacroButton</class><extends>QAbstractButton</extends><header>x.h</header></customwidget>"
        "<customwidget><class>CUpdateInfoListItemUI</class><extends>QWidget</extends><header>x.h</header></customwidget>"
        "<customwidget><class>ComboEditContainerElement</class><extends>QWidget</extends><header>x.h</header></customwidget>"
        "<customwidget><class>AudioRecord</class><extends>QWidget</extends><header>x.h</header></customwidget>";
    window_ = std::make_unique<test::RecordingWindow>(test::WriteLayout(dir_, "controls.xml", widgets, custom));
    ASSERT_TRUE(window_->Create());
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    window_->received.clear();
  }

  template <class T>
  T* Find(const char* name) {
    return window_->FindControl<T>(name);
  }

  QTemporaryDir dir_;
  std::unique_ptr<test::RecordingWindow> window_;
};

TEST_F(ControlsInWindow, LayoutPropertiesReachTheControls) {
  auto* ring = Find<CCircleProgressUI>("fw_progress");
  ASSERT_NE(ring, nullptr);
  EXPECT_EQ(ring->Percent(), 25);
  ASSERT_NE(Find<CHandImgSelectButtonUI>("mode_opt_1"), nullptr);
  EXPECT_TRUE(Find<CHandImgSelectButtonUI>("mode_opt_1")->IsSelected());
  EXPECT_EQ(Find<CHandImgSelectButtonUI>("solo_opt")->Image(State::kNormal).file, "common/app_icon.png");
  EXPECT_EQ(Find<CUpdateInfoListItemUI>("update_row_1")->Title(), "Mouse");
  EXPECT_EQ(Find<CComboEditContainerElementUI>("profile_item_2")->Text(), "Game");
  ASSERT_NE(Find<CAudioRecordUI>("music_levels"), nullptr);
  EXPECT_EQ(Find<CRedioMacroButtonUI>("macro_record_btn")->RecordText(), "Record");
}

TEST_F(ControlsInWindow, SelectButtonsToggleAndNotify) {
  auto* solo = Find<CHandImgSelectButtonUI>("solo_opt");
  QTest::mouseClick(solo, Qt::LeftButton);
  EXPECT_TRUE(solo->IsSelected());
  ASSERT_EQ(window_->OfType("selectchanged").size(), 1u);
  EXPECT_EQ(window_->OfType("selectchanged")[0].sSenderName, "solo_opt");
  EXPECT_EQ(window_->OfType("selectchanged")[0].wParam, 1);
  EXPECT_EQ(window_->SendersOf("click"), std::vector<std::string>{"solo_opt"});
  QTest::mouseClick(solo, Qt::LeftButton);  // without a group it toggles back
  EXPECT_FALSE(solo->IsSelected());
  EXPECT_EQ(window_->OfType("selectchanged").back().wParam, 0);

  // In a group: taking one option releases the other, and pressing the taken one keeps it.
  window_->received.clear();
  auto* one = Find<CHandImgSelectButtonUI>("mode_opt_1");
  auto* two = Find<CHandImgSelectButtonUI>("mode_opt_2");
  QTest::mouseClick(two, Qt::LeftButton);
  EXPECT_TRUE(two->IsSelected());
  EXPECT_FALSE(one->IsSelected());
  const auto changes = window_->OfType("selectchanged");
  ASSERT_EQ(changes.size(), 2u);
  EXPECT_EQ(changes[0].sSenderName, "mode_opt_1");
  EXPECT_EQ(changes[0].wParam, 0);
  EXPECT_EQ(changes[1].sSenderName, "mode_opt_2");
  EXPECT_EQ(changes[1].wParam, 1);
  window_->received.clear();
  QTest::mouseClick(two, Qt::LeftButton);
  EXPECT_TRUE(two->IsSelected());
  EXPECT_TRUE(window_->OfType("selectchanged").empty());
}

TEST_F(ControlsInWindow, RecordButtonReportsItsState) {
  auto* record = Find<CRedioMacroButtonUI>("macro_record_btn");
  QTest::mouseClick(record, Qt::LeftButton);
  EXPECT_TRUE(record->IsRecording());
  EXPECT_TRUE(record->IsPulsing());
  ASSERT_EQ(window_->OfType("selectchanged").size(), 1u);
  EXPECT_EQ(window_->OfType("selectchanged")[0].wParam, 1);
  EXPECT_EQ(window_->SendersOf("click"), std::vector<std::string>{"macro_record_btn"});
  QTest::mouseClick(record, Qt::LeftButton);
  EXPECT_FALSE(record->IsRecording());
  EXPECT_FALSE(record->IsPulsing());
  EXPECT_EQ(window_->OfType("selectchanged").back().wParam, 0);
}

TEST_F(ControlsInWindow, RowsSpeakWithTheirOwnNames) {
  auto* row = Find<CUpdateInfoListItemUI>("update_row_1");
  EXPECT_FALSE(row->IsButtonEnabled());  // nothing newer yet
  row->SetVersions(QStringLiteral("V0019"), QStringLiteral("V001a"));
  EXPECT_TRUE(row->HasUpdate());
  EXPECT_TRUE(row->Details().contains(QStringLiteral("V001a")));
  QTest::mouseClick(row->Button(), Qt::LeftButton);
  EXPECT_EQ(window_->SendersOf("click"), std::vector<std::string>{"update_row_1"});  // once, as the row
  row->SetVersions(QStringLiteral("V001a"), QString());
  EXPECT_FALSE(row->IsButtonEnabled());

  // A row added later reports the same way.
  window_->received.clear();
  auto* share = new CCloudShareListItemUI(Find<QWidget>("root"));
  share->setObjectName(QStringLiteral("share_item_3"));
  share->SetShare(QStringLiteral("Sniper"), QString(), QStringLiteral("2026-12-01"));
  EXPECT_EQ(share->Details(), "2026-12-01");
  share->setGeometry(0, 260, 380, 40);
  share->show();
  QCoreApplication::processEvents();
  QTest::mouseClick(share->Button(), Qt::LeftButton);
  EXPECT_EQ(window_->SendersOf("click"), std::vector<std::string>{"share_item_3"});
}

TEST_F(ControlsInWindow, EditableElementNotifiesAsItself) {
  auto* element = Find<CComboEditContainerElementUI>("profile_item_2");
  QTest::keyClicks(element->Editor(), "X");
  EXPECT_EQ(element->Text(), "GameX");
  EXPECT_EQ(window_->SendersOf("textchanged"), std::vector<std::string>(1, "profile_item_2"));
  QTest::keyClick(element->Editor(), Qt::Key_Return);
  EXPECT_EQ(window_->SendersOf("return"), std::vector<std::string>{"profile_item_2"});
  element->SetText(QStringLiteral("Quiet"));  // a program's change is not the user's
  EXPECT_EQ(window_->OfType("textchanged").size(), 1u);

  element->SetMaxChars(3);
  EXPECT_EQ(element->Text(), "Qui");
  QTest::mouseClick(element, Qt::LeftButton, {}, QPoint(3, 3));
  EXPECT_TRUE(element->IsSelected());
  ASSERT_EQ(window_->OfType("itemclick").size(), 1u);
  EXPECT_EQ(window_->OfType("itemclick")[0].sSenderName, "profile_item_2");
  EXPECT_EQ(window_->OfType("itemclick")[0].wParam, 2);
}

}  // namespace
}  // namespace orlo::ui
