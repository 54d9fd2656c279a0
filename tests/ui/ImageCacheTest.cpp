// Rendered SVG images are kept per file and size, and a light button repaints only when what it
// shows changed (its tinted light image is kept until the tint changes).
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "ui/DeviceKeyButtonUI.h"
#include "ui/ImageDesc.h"

namespace orlo::ui {
namespace {

// A white square filling the whole picture.
QString WriteSquareSvg(const QTemporaryDir& dir, const char* name) {
  const QString path = dir.filePath(QString::fromLatin1(name));
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly)) return {};
  f.write("<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\" height=\"10\" viewBox=\"0 0 10 10\">"
          "<rect x=\"0\" y=\"0\" width=\"10\" height=\"10\" fill=\"#ffffff\"/></svg>");
  return path;
}

TEST(SvgCacheTest, ReadsTheFileOncePerSize) {
  QTemporaryDir dir;
  const QString path = WriteSquareSvg(dir, "square.svg");
  ASSERT_FALSE(path.isEmpty());

  const QImage first = CachedSvgImage(path, QSize(20, 20));
  ASSERT_FALSE(first.isNull());
  EXPECT_EQ(first.size(), QSize(20, 20));
  EXPECT_EQ(first.pixelColor(10, 10), QColor(Qt::white));

  // With the file gone, the size already rendered still comes from the cache, unchanged...
  ASSERT_TRUE(QFile::remove(path));
  const QImage again = CachedSvgImage(path, QSize(20, 20));
  EXPECT_EQ(again.cacheKey(), first.cacheKey());
  // ...and drawing the description still works without the file.
  QImage target(20, 20, QImage::Format_ARGB32);
  target.fill(Qt::black);
  {
    QPainter p(&target);
    EXPECT_TRUE(DrawImage(p, target.rect(), *ParseImageDesc("file='" + path.toStdString() + "'")));
  }
  EXPECT_EQ(target.pixelColor(5, 5), QColor(Qt::white));

  // A new size needs the file again; a failure is not remembered, so the file can come back.
  EXPECT_TRUE(CachedSvgImage(path, QSize(30, 30)).isNull());
  ASSERT_EQ(WriteSquareSvg(dir, "square.svg"), path);
  EXPECT_FALSE(CachedSvgImage(path, QSize(30, 30)).isNull());
  EXPECT_TRUE(CachedSvgImage(path, QSize(0, 30)).isNull());
}

class PaintCounter : public QObject {
 public:
  int paints = 0;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

class LightButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    const QString path = WriteSquareSvg(dir_, "glow.svg");
    ASSERT_FALSE(path.isEmpty());
    button_.setStyleSheet(QStringLiteral("background: black; border: none;"));
    button_.SetLightImage("file='" + path.toStdString() + "'");
    button_.resize(24, 24);
    button_.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&button_));
    Settle();
    button_.installEventFilter(&counter_);
  }

  static void Settle() {
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }
  // Paint events the button received for one change.
  int PaintsFor(const std::function<void()>& change) {
    Settle();
    counter_.paints = 0;
    change();
    Settle();
    return counter_.paints;
  }
  QColor Centre() { return button_.grab().toImage().pixelColor(12, 12); }

  QTemporaryDir dir_;
  CDeviceKeyButtonUI button_;
  PaintCounter counter_;
};

TEST_F(LightButtonTest, RepaintsOnlyWhenTheLightChanges) {
  EXPECT_GT(PaintsFor([&] { button_.SetLightOn(true, 255, 0xFFFF0000u); }), 0);
  EXPECT_EQ(PaintsFor([&] { button_.SetLightOn(true, 255, 0xFFFF0000u); }), 0);
  EXPECT_GT(PaintsFor([&] { button_.SetLightOn(true, 128, 0xFFFF0000u); }), 0);
  EXPECT_GT(PaintsFor([&] { button_.SetLightOn(false, 128, 0xFFFF0000u); }), 0);
  // Off and staying off, whatever the colour: nothing on screen changes.
  EXPECT_EQ(PaintsFor([&] { button_.SetLightOn(false, 0, 0xFF00FF00u); }), 0);
  EXPECT_FALSE(button_.IsLightOn());
  EXPECT_EQ(button_.LightTint(), 0xFF00FF00u);
}

TEST_F(LightButtonTest, KeptTintedImageFollowsTheTint) {
  button_.SetLightOn(true, 255, 0xFFFF0000u);
  EXPECT_EQ(Centre(), QColor(255, 0, 0));
  EXPECT_EQ(Centre(), QColor(255, 0, 0));  // drawn again from the kept image
  button_.SetLightOn(true, 255, 0xFF0000FFu);
  EXPECT_EQ(Centre(), QColor(0, 0, 255));
  button_.SetLightOn(false, 255, 0xFF0000FFu);
  EXPECT_EQ(Centre(), QColor(Qt::black));
}

}  // namespace
}  // namespace orlo::ui
