// Image descriptions, the font table and the DPI steps.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QFileInfo>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "TestSupport.h"
#include "ui/DpiManager.h"
#include "ui/FontTable.h"
#include "ui/ImageDesc.h"
#include "ui/ResourceManager.h"
#include "ui/SkinStyle.h"

namespace orlo::ui {
namespace {

TEST(ImageDescTest, ParsesTheFormsLayoutsUse) {
  auto plain = ParseImageDesc("file='power/powered.png'");
  ASSERT_TRUE(plain);
  EXPECT_EQ(plain->file, "power/powered.png");
  EXPECT_TRUE(plain->source.isNull());
  EXPECT_EQ(plain->fade, 255);

  auto bare = ParseImageDesc("  power/power.png ");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->file, "power/power.png");

  auto full = ParseImageDesc(
      "file='keys/k 1.png' source='0,0,20,10' dest='2,3,12,13' corner='1,2,3,4' mask='#FFFF00FF' fade='128' "
      "hole='true' xtiled='true' restype='png'");
  ASSERT_TRUE(full);
  EXPECT_EQ(full->file, "keys/k 1.png");
  EXPECT_EQ(full->source, QRect(0, 0, 20, 10));
  EXPECT_EQ(full->dest, QRect(2, 3, 10, 10));
  EXPECT_EQ(full->corner, QMargins(1, 2, 3, 4));
  EXPECT_EQ(full->mask, 0xFFFF00FFu);
  EXPECT_EQ(full->fade, 128);
  EXPECT_TRUE(full->hole);
  EXPECT_TRUE(full->xtiled);
  EXPECT_FALSE(full->ytiled);

  auto empty = ParseImageDesc("   ");
  ASSERT_TRUE(empty);
  EXPECT_TRUE(empty->empty());
}

TEST(ImageDescTest, RejectsMalformedDescriptions) {
  for (const char* bad : {"file='a.png", "file=a.png", "file='a.png' source='1,2,3'", "source='1,2,3,4,5'",
                          "fade='300'", "fade='-1'", "mask='#GG0000'", "dest='a,b,c,d'", "='x'"}) {
    EXPECT_FALSE(ParseImageDesc(bad)) << bad;
  }
}

TEST(ImageDescTest, DrawsSourceDestAndFade) {
  QTemporaryDir dir;
  QImage strip(20, 10, QImage::Format_ARGB32);
  strip.fill(Qt::transparent);
  QPainter(&strip).fillRect(QRect(10, 0, 10, 10), QColor(0, 0, 255));
  QPainter(&strip).fillRect(QRect(0, 0, 10, 10), QColor(255, 0, 0));
  const std::string path = dir.filePath("strip.png").toStdString();
  ASSERT_TRUE(strip.save(QString::fromStdString(path)));

  QImage target(40, 40, QImage::Format_ARGB32);
  target.fill(Qt::white);
  QPainter p(&target);
  // The right half of the strip, into a 10 x 10 square at (5, 5).
  auto desc = ParseImageDesc("file='" + path + "' source='10,0,20,10' dest='5,5,15,15'");
  ASSERT_TRUE(desc);
  EXPECT_TRUE(DrawImage(p, target.rect(), *desc));
  auto faded = ParseImageDesc("file='" + path + "' source='0,0,10,10' dest='20,20,30,30' fade='0'");
  EXPECT_TRUE(DrawImage(p, target.rect(), *faded));
  EXPECT_FALSE(DrawImage(p, target.rect(), *ParseImageDesc("file='" + path + ".missing'")));
  p.end();
  EXPECT_EQ(target.pixelColor(10, 10), QColor(0, 0, 255));
  EXPECT_EQ(target.pixelColor(2, 2), QColor(Qt::white));
  EXPECT_EQ(target.pixelColor(25, 25), QColor(Qt::white));  // fade 0 draws nothing
}

TEST(DpiTest, StepsAndScreenChoice) {
  for (int dpi : {48, 72, 96, 120, 144, 168, 192}) EXPECT_TRUE(CDpiManager::IsAccepted(dpi)) << dpi;
  for (int dpi : {0, 24, 100, 216, -96}) EXPECT_FALSE(CDpiManager::IsAccepted(dpi)) << dpi;
  EXPECT_EQ(CDpiManager::Checked(100, "TEST DPI SET ERROR"), 96);
  EXPECT_EQ(CDpiManager::Checked(168, "TEST DPI SET ERROR"), 168);
  EXPECT_EQ(CDpiManager::ForScreen(1920, 1080), 144);
  EXPECT_EQ(CDpiManager::ForScreen(1366, 768), 96);
  EXPECT_EQ(CDpiManager::ForScreen(1500, 1080), 96);  // both limits are exclusive
  EXPECT_EQ(CDpiManager::ForScreen(1920, 960), 96);
}

TEST(DpiTest, SetAllDpiScalesOurWindowsPositionsSizesAndFonts) {
  class Plain : public CWindowUI {};
  Plain window;
  auto* label = new QLabel(&window);
  label->setGeometry(10, 20, 100, 30);
  label->setProperty(kFontIdProperty, 3);
  label->setMinimumSize(50, 16);
  window.show();
  CDpiManager::ApplyTo(&window);
  EXPECT_EQ(label->font().pixelSize(), 30);
  window.resize(1000, 640);  // sized by code after the layout was built

  CDpiManager::SetAllDPI(144);
  EXPECT_EQ(label->geometry(), QRect(15, 30, 150, 45));
  EXPECT_EQ(label->minimumSize(), QSize(75, 24));
  EXPECT_EQ(window.size(), QSize(1500, 960));
  EXPECT_EQ(label->font().pixelSize(), 45);
  CDpiManager::ApplyTo(&window);  // applying again at the same DPI changes nothing
  EXPECT_EQ(label->geometry(), QRect(15, 30, 150, 45));
  CDpiManager::SetAllDPI(100);  // ignored
  EXPECT_EQ(CDpiManager::Dpi(), 144);
  CDpiManager::SetAllDPI(96);  // back to the design values, not compounded
  EXPECT_EQ(label->geometry(), QRect(10, 20, 100, 30));
  EXPECT_EQ(window.size(), QSize(1000, 640));
  EXPECT_EQ(label->font().pixelSize(), 30);
}

TEST(FontTest, InterfaceTableAndFaceChoice) {
  auto& fonts = CFontTable::GetInstance();
  fonts.SetInterfaceFonts("Test Face");
  EXPECT_TRUE(fonts.Entry(1).underline);
  EXPECT_TRUE(fonts.Entry(50).bold);
  EXPECT_EQ(fonts.Entry(12).size, fonts.DefaultFont().size);  // not in the table: the default
  EXPECT_EQ(fonts.GetFont(3).family(), QString("Test Face"));
  fonts.SetInterfaceFonts({});

  CLanguageFaces faces;
  ASSERT_TRUE(faces.LoadFromString(
      R"(<faces common="Common"><face index="0" family="Zero"/><face index="2" family="Two"/><face index="15" family="Fifteen"/></faces>)"));
  EXPECT_EQ(faces.FaceFor(15, 3), "Fifteen");
  EXPECT_EQ(faces.FaceFor(0, -1), "Zero");
  EXPECT_EQ(faces.FaceFor(4, 15), "Common");
  EXPECT_EQ(faces.FaceFor(4, -1), "Common");
  EXPECT_EQ(faces.FaceFor(4, 3), std::nullopt);  // fonts stay
  EXPECT_FALSE(faces.LoadFromString("<faces><face index="));
  EXPECT_EQ(faces.FaceFor(2, 3), "Two");  // a failed load keeps the table

  CLanguageFaces shipped;
  EXPECT_TRUE(shipped.LoadFile(CResourceManager::GetInstance().ResolveFile("style/fonts.xml")));
  EXPECT_TRUE(shipped.FaceFor(15, -1).has_value());
}

TEST(SkinStyleTest, SheetResolvesEveryImageInTheSkinFolder) {
  const QString sheet = QString::fromStdString(CSkinStyle::Load("dark.qss"));
  ASSERT_FALSE(sheet.isEmpty());
  EXPECT_FALSE(sheet.contains("@skin/"));
  const QRegularExpression url(R"(url\(([^)]+)\))");
  int count = 0;
  for (auto it = url.globalMatch(sheet); it.hasNext(); ++count) {
    const QString file = it.next().captured(1);
    EXPECT_TRUE(file.startsWith(QString::fromStdString(CResourceManager::GetInstance().GetResourcePath())));
    EXPECT_TRUE(QFileInfo(file).isFile()) << file.toStdString();
  }
  EXPECT_GT(count, 0);
  EXPECT_TRUE(CSkinStyle::Load("missing.qss").empty());
}

}  // namespace
}  // namespace orlo::ui
