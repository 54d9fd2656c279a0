// The device picture: rubber-band selection over key buttons, and the key button's attributes,
// painting and double-click.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "TestSupport.h"
#include "ui/ControlFactory.h"
#include "ui/DeviceKeyButtonUI.h"
#include "ui/SelectPanelUI.h"

namespace orlo::ui {
namespace {

std::string Key(const char* name, int x, int y, const std::string& extra = {}) {
  return std::string("<widget class=\"DeviceKeyButton\" name=\"") + name +
         "\"><property name=\"geometry\"><rect><x>" + std::to_string(x) + "</x><y>" + std::to_string(y) +
         "</y><width>40</width><height>40</height></rect></property>" + extra + "</widget>\n";
}

class PictureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    RegisterToolkitControls();
    const std::string widgets =
        "<widget class=\"SelectPanel\" name=\"device_picture\">"
        "<property name=\"geometry\"><rect><x>0</x><y>0</y><width>300</width><height>200</height></rect></property>\n" +
        Key("key_1", 10, 10) + Key("key_2", 60, 10) + Key("key_3", 200, 150) +
        "<widget class=\"QPushButton\" name=\"other_btn\"><property name=\"geometry\"><rect><x>110</x><y>10</y>"
        "<width>40</width><height>40</height></rect></property></widget>\n</widget>\n";
    const std::string custom =
        "<customwidget><class>SelectPanel</class><extends>QWidget</extends><header>x.h</header><container>1</container></customwidget>"
        "<customwidget><class>DeviceKeyButton</class><extends>QPushButton</extends><header>x.h</header></customwidget>";
    window_ = std::make_unique<test::RecordingWindow>(test::WriteLayout(dir_, "picture.xml", widgets, custom));
    ASSERT_TRUE(window_->Create());
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    panel_ = window_->FindControl<CSelectPanelUI>("device_picture");
    ASSERT_NE(panel_, nullptr);
  }

  CDeviceKeyButtonUI* KeyButton(const char* name) { return window_->FindControl<CDeviceKeyButtonUI>(name); }

  void Mouse(QEvent::Type type, QPoint at, Qt::MouseButtons held) {
    QMouseEvent e(type, QPointF(at), panel_->mapToGlobal(QPointF(at)), Qt::LeftButton, held, Qt::NoModifier);
    QApplication::sendEvent(panel_, &e);
  }
  void Drag(QPoint from, QPoint to) {
    Mouse(QEvent::MouseButtonPress, from, Qt::LeftButton);
    Mouse(QEvent::MouseMove, (from + to) / 2, Qt::LeftButton);
    Mouse(QEvent::MouseMove, to, Qt::LeftButton);
    Mouse(QEvent::MouseButtonRelease, to, Qt::NoButton);
  }
  std::vector<std::uint32_t> Flags() {
    return {KeyButton("key_1")->Selected(), KeyButton("key_2")->Selected(), KeyButton("key_3")->Selected()};
  }

  QTemporaryDir dir_;
  std::unique_ptr<test::RecordingWindow> window_;
  CSelectPanelUI* panel_ = nullptr;
};

TEST_F(PictureTest, DragInEitherDirectionSelectsTheSameButtons) {
  Drag(QPoint(5, 5), QPoint(280, 60));
  const auto forward = Flags();
  EXPECT_EQ(forward, (std::vector<std::uint32_t>{1, 1, 0}));
  EXPECT_EQ(panel_->Selection(), QRect(5, 5, 275, 55));
  ASSERT_EQ(window_->SendersOf("click_select_end"), std::vector<std::string>{"device_picture"});

  // A drag elsewhere clears what it does not cover.
  Drag(QPoint(295, 195), QPoint(190, 140));
  EXPECT_EQ(Flags(), (std::vector<std::uint32_t>{0, 0, 1}));

  Drag(QPoint(280, 60), QPoint(5, 5));
  EXPECT_EQ(Flags(), forward);
  EXPECT_EQ(panel_->Selection(), QRect(5, 5, 275, 55));
  EXPECT_EQ(window_->OfType("click_select_end").size(), 3u);
  EXPECT_FALSE(panel_->IsArmed());
  EXPECT_FALSE(panel_->IsDragging());
}

TEST_F(PictureTest, PlainClickChangesNothingEvenAfterAnEarlierDrag) {
  Drag(QPoint(5, 5), QPoint(280, 60));
  KeyButton("key_1")->SetSelected(0);
  KeyButton("key_3")->SetSelected(1);
  window_->received.clear();
  Mouse(QEvent::MouseButtonPress, QPoint(250, 100), Qt::LeftButton);
  Mouse(QEvent::MouseButtonRelease, QPoint(250, 100), Qt::NoButton);
  EXPECT_EQ(Flags(), (std::vector<std::uint32_t>{0, 1, 1}));
  EXPECT_TRUE(window_->OfType("click_select_end").empty());
}

TEST_F(PictureTest, OnlyKeyButtonsAreMarkedAndHiddenOrDisabledCasesSelectNothing) {
  auto* other = window_->FindControl<QPushButton>("other_btn");
  other->setProperty("selected", 7);
  KeyButton("key_2")->hide();
  Drag(QPoint(5, 5), QPoint(280, 60));
  EXPECT_EQ(other->property("selected").toInt(), 7);
  EXPECT_EQ(Flags(), (std::vector<std::uint32_t>{1, 0, 0}));

  panel_->setEnabled(false);
  window_->received.clear();
  Drag(QPoint(295, 195), QPoint(190, 140));
  EXPECT_EQ(Flags(), (std::vector<std::uint32_t>{1, 0, 0}));
  EXPECT_TRUE(window_->OfType("click_select_end").empty());
}

TEST_F(PictureTest, NameColourAcceptsHexWithOrWithoutNumberSign) {
  auto* key = KeyButton("key_1");
  EXPECT_TRUE(key->SetAttribute("gmnametextcolor", "#FF112233"));
  EXPECT_EQ(key->NameTextColour(), 0xFF112233u);
  EXPECT_TRUE(key->SetAttribute("gmnametextcolor", "80aabbcc"));
  EXPECT_EQ(key->NameTextColour(), 0x80AABBCCu);
  EXPECT_TRUE(key->SetAttribute("gmnametextcolor", "#00FF00"));
  EXPECT_EQ(key->NameTextColour(), 0xFF00FF00u);  // no alpha given: opaque
  EXPECT_FALSE(key->SetAttribute("gmnametextcolor", "#12G4"));
  EXPECT_FALSE(key->SetAttribute("gmnametextcolor", "#"));
  EXPECT_FALSE(key->SetAttribute("gmnametextcolor", "#1FF102030"));  // more than 32 bits
  EXPECT_EQ(key->NameTextColour(), 0xFF00FF00u);

  // Other attributes go to the button.
  EXPECT_TRUE(key->SetAttribute("text", "Esc"));
  EXPECT_EQ(key->text(), QString("Esc"));
}

TEST_F(PictureTest, AttributesFromTheLayoutAndPainting) {
  QImage red(40, 40, QImage::Format_ARGB32);
  red.fill(QColor(255, 0, 0));
  QImage blue(20, 20, QImage::Format_ARGB32);
  blue.fill(QColor(0, 0, 255));
  const QString redPath = dir_.filePath("red.png");
  const QString bluePath = dir_.filePath("blue.png");
  ASSERT_TRUE(red.save(redPath));
  ASSERT_TRUE(blue.save(bluePath));

  const std::string props =
      "<property name=\"lightimage\" stdset=\"0\"><string>file='" + redPath.toStdString() + "'</string></property>"
      "<property name=\"keysetimage\" stdset=\"0\"><string>file='" + bluePath.toStdString() +
      "' dest='10,10,30,30'</string></property>"
      "<property name=\"gmnametextcolor\" stdset=\"0\"><string>FF00FF00</string></property>";
  const std::string custom =
      "<customwidget><class>DeviceKeyButton</class><extends>QPushButton</extends><header>x.h</header></customwidget>";
  test::RecordingWindow window(test::WriteLayout(dir_, "key.xml", Key("key_9", 0, 0, props), custom));
  ASSERT_TRUE(window.Create());
  auto* key = window.FindControl<CDeviceKeyButtonUI>("key_9");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->LightImage().file, redPath.toStdString());
  EXPECT_EQ(key->KeySetImage().dest, QRect(10, 10, 20, 20));
  EXPECT_EQ(key->NameTextColour(), 0xFF00FF00u);

  auto pixel = [key](int x, int y) { return key->grab().toImage().pixelColor(x, y); };
  EXPECT_EQ(pixel(20, 20), QColor(0, 0, 255));  // key-set image shown, light off
  EXPECT_NE(pixel(3, 3), QColor(255, 0, 0));
  key->SetLightOn(true);
  EXPECT_EQ(pixel(3, 3), QColor(255, 0, 0));
  EXPECT_EQ(pixel(20, 20), QColor(0, 0, 255));  // key-set image drawn over the light
  key->SetKeySetHidden(1);
  EXPECT_EQ(pixel(20, 20), QColor(255, 0, 0));
  key->SetLightOn(true, 255, 0xFF00FF00u);      // tinted light
  EXPECT_EQ(pixel(3, 3), QColor(0, 255, 0));
}

TEST_F(PictureTest, DoubleClickRaisesOneDbClickWhileEnabled) {
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  auto* key = KeyButton("key_2");
  QTest::mouseDClick(key, Qt::LeftButton);
  EXPECT_EQ(window_->SendersOf("dbclick"), std::vector<std::string>{"key_2"});
  EXPECT_TRUE(key->hasFocus());

  key->setEnabled(false);
  window_->received.clear();
  QTest::mouseDClick(key, Qt::LeftButton);
  EXPECT_TRUE(window_->OfType("dbclick").empty());
}

}  // namespace
}  // namespace orlo::ui
