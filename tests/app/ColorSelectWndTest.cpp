// The colour picker and its colour file: persistence across a restart, repair of a broken file,
// collected swatches, the red/green/blue fields and the result handed to the caller.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFocusEvent>
#include <QLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "DocShot.h"
#include "app/ColorSelectWnd.h"
#include "app/ColourOptionFile.h"
#include "ui/ColorPaletteUI.h"
#include "ui/ControlFactory.h"
#include "app/WindowRouterHost.h"
#include "platform/UserNotice.h"
#include "profile/JsonFile.h"
#include "ui/LanguageStore.h"

namespace orlo {
namespace {

constexpr const char* kDefaultCopy = ORLO_SOURCE_DIR "/DefaultData/color_option_info.config";

class ColorSelectWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::RegisterToolkitControls();  // the palette, as the program registers it at start
    ASSERT_TRUE(ui::CLanguageStore::GetInstance().LoadLanguage("lan_en.xml"));
    previousSink = SetUserNoticeSink([this](const std::string& text) { notices.push_back(text); });
    ForgetUserNotices();
  }
  void TearDown() override { SetUserNoticeSink(previousSink); }

  std::string UserPath() const { return dir.filePath("data/color_option_info.config").toStdString(); }
  CColourOptionFile File(const std::string& defaults = kDefaultCopy) const { return {UserPath(), defaults}; }
  QByteArray Bytes(const std::string& path) const {
    QFile f(QString::fromStdString(path));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
  }
  void Write(const std::string& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(QString::fromStdString(path)).path());
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  }
  Json::Value Document() const {
    Json::Value doc;
    EXPECT_TRUE(CJsonFile::ParseDocument(Bytes(UserPath()).toStdString(), doc));
    return doc["coloroptioninfo"];
  }

  QTemporaryDir dir;
  UserNoticeSink previousSink;
  std::vector<std::string> notices;
};

void Click(ui::CWindowUI& w, const std::string& name) {
  auto* b = w.FindControl<QAbstractButton>(name);
  ASSERT_NE(b, nullptr) << name;
  b->click();
}

// Shown at the size its layout asks for, with the layout done.
void Show(ui::CWindowUI& w) {
  w.adjustSize();
  w.show();
  for (QLayout* layout : w.findChildren<QLayout*>()) layout->activate();
}

// A left-button press at `at` (QTest takes a null point for the middle).
// A click of the left button at `at`: the palette announces its colour on the release.
void Press(QWidget* w, QPoint at) {
  QMouseEvent press(QEvent::MouseButtonPress, at, w->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &press);
  QMouseEvent release(QEvent::MouseButtonRelease, at, w->mapToGlobal(at), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
  QApplication::sendEvent(w, &release);
}

QString FieldText(ui::CWindowUI& w, const char* name) { return w.FindControl<QLineEdit>(name)->text(); }

// What the preview shows in its middle.
QRgb PreviewPixel(ui::CWindowUI& w) {
  QWidget* preview = w.FindControl("color_show_btn");
  return preview->grab().toImage().pixel(preview->width() / 2, preview->height() / 2);
}

TEST_F(ColorSelectWndTest, PresetAndCollectedColourSurviveARestart) {
  {
    CColorSelectWnd wnd(nullptr, File());
    ASSERT_TRUE(wnd.Open(0xFF102030));
    Click(wnd, "color_option_9");  // the default copy's tenth preset: 6400FF
    EXPECT_EQ(wnd.Colour(), 0xFF6400FFu);
    EXPECT_EQ(FieldText(wnd, "color_edit_r"), "100");
    EXPECT_EQ(FieldText(wnd, "color_edit_b"), "255");
    Click(wnd, "7color_collect");
    Click(wnd, "collect_color_option_3");
    EXPECT_FALSE(wnd.FindControl<QAbstractButton>("7color_collect")->isChecked());  // one swatch per press
    Click(wnd, "laterbtn");
  }
  const QByteArray text = Bytes(UserPath());
  EXPECT_TRUE(text.contains("\"palletDialogcoloroption_selectitem\" : 9\r\n   }\r\n}\r\n\r\n")) << text.toStdString();
  EXPECT_TRUE(text.contains("{\r\n            \"UserData\" : \"1\",\r\n            \"color\" : \"FF6400FF\"\r\n"));
  const Json::Value info = Document();
  EXPECT_EQ(info["palletDialogcollectcoloroption_selectitem"].asInt(), 3);
  EXPECT_EQ(info["palletDialogcollectcoloroption"][3]["color"].asString(), "FF6400FF");
  EXPECT_EQ(info["palletDialogcollectcoloroption"][2]["UserData"].asString(), "0");

  CColorSelectWnd again(nullptr, File());
  ASSERT_TRUE(again.Open(0xFF2FB5A8, true));
  EXPECT_TRUE(again.FindControl<QAbstractButton>("color_option_9")->isChecked());
  EXPECT_FALSE(again.FindControl<QAbstractButton>("color_option_4")->isChecked());
  EXPECT_TRUE(again.FindControl<QAbstractButton>("collect_color_option_3")->isChecked());
  EXPECT_EQ(again.Colour(), 0xFF2FB5A8u);  // the caller's colour, not the stored selection
  Show(again);
  MaybeSaveShot(&again, "colour-picker.png");
  Click(again, "collect_color_option_3");
  EXPECT_EQ(again.Colour(), 0xFF6400FFu);
  EXPECT_EQ(PreviewPixel(again), 0xFF6400FFu);
}

TEST_F(ColorSelectWndTest, EmptyCollectedSwatchIgnoresClicks) {
  CColorSelectWnd wnd(nullptr, File());
  ASSERT_TRUE(wnd.Open(0xFF123456));
  const QByteArray before = Bytes(UserPath());  // the default copy, saved on open
  ASSERT_TRUE(before.contains("palletDialogcollectcoloroption"));
  auto* empty = wnd.FindControl<QAbstractButton>("collect_color_option_0");
  Click(wnd, "collect_color_option_0");
  EXPECT_FALSE(empty->isChecked());
  EXPECT_EQ(wnd.Colour(), 0xFF123456u);
  EXPECT_EQ(wnd.Options().collectedIndex, 0);
  EXPECT_EQ(Bytes(UserPath()), before);
  // Still so once another swatch holds a colour and is selected.
  Click(wnd, "7color_collect");
  Click(wnd, "collect_color_option_5");
  Click(wnd, "color_option_0");
  Click(wnd, "collect_color_option_0");
  EXPECT_EQ(wnd.Colour(), 0xFFFF0000u);
  EXPECT_EQ(wnd.Options().collectedIndex, 5);
  EXPECT_TRUE(wnd.FindControl<QAbstractButton>("collect_color_option_5")->isChecked());
}

TEST_F(ColorSelectWndTest, InvalidUserFileIsKeptAsideAndTheDefaultTakesItsPlace) {
  const std::string defaults = dir.filePath("default.config").toStdString();
  Write(defaults, R"({"coloroptioninfo":{"palletDialogcoloroption":[{"color":"FF112233"}],
                     "palletDialogcoloroption_selectitem":7}})");
  Write(UserPath(), "{\"coloroptioninfo\": [1, 2");
  CColorSelectWnd wnd(nullptr, File(defaults));
  ASSERT_TRUE(wnd.Open(0xFF000000));
  EXPECT_TRUE(wnd.FindControl<QAbstractButton>("color_option_7")->isChecked());
  Click(wnd, "color_option_0");
  EXPECT_EQ(wnd.Colour(), 0xFF112233u);
  const Json::Value info = Document();
  EXPECT_EQ(info["palletDialogcoloroption"][0]["color"].asString(), "FF112233");
  EXPECT_EQ(info["palletDialogcoloroption"][1]["color"].asString(), "FFFFFFFF");  // not in the copy
  const QStringList aside = QDir(dir.filePath("data")).entryList({"color_option_info.config.invalid-*"});
  ASSERT_EQ(aside.size(), 1);
  EXPECT_EQ(Bytes(dir.filePath("data/" + aside[0]).toStdString()), "{\"coloroptioninfo\": [1, 2");
  EXPECT_EQ(notices.size(), 1u);
}

TEST_F(ColorSelectWndTest, FileEntriesThatDoNotParseTakeTheDefaults) {
  Write(UserPath(), R"({"other":5,"coloroptioninfo":{"palletDialogcoloroption":[{"color":"ff00aa11"},
      {"color":"12345678Z"},{"color":""},{"color":7}],"palletDialogcoloroption_selectitem":25,
      "palletDialogcollectcoloroption":[{"color":"FF00FF00","UserData":"1"},{"color":"zz","UserData":"1"},
      {"color":"FF0000FF","UserData":"0"}],"palletDialogcollectcoloroption_selectitem":-1}})");
  const ColourOptions o = File().Load();
  EXPECT_EQ(o.presets[0], 0xFF00AA11u);
  EXPECT_EQ(o.presets[1], 0xFFFF6A00u);  // the default copy's
  EXPECT_EQ(o.presets[2], 0xFFFFC800u);
  EXPECT_EQ(o.presets[3], 0xFFB4FF00u);
  EXPECT_EQ(o.presetIndex, 4);
  EXPECT_EQ(o.collectedIndex, 0);
  EXPECT_TRUE(o.collected[0].marked);
  EXPECT_EQ(o.collected[0].argb, 0xFF00FF00u);
  EXPECT_FALSE(o.collected[1].marked);
  EXPECT_FALSE(o.collected[2].marked);
  // Saving keeps the members that are not the picker's.
  ASSERT_TRUE(File().Save(o));
  Json::Value doc;
  ASSERT_TRUE(CJsonFile::ParseDocument(Bytes(UserPath()).toStdString(), doc));
  EXPECT_EQ(doc["other"].asInt(), 5);

  EXPECT_EQ(CColourOptionFile::FormatArgb(0x0A0B0C0Du), "0A0B0C0D");
  uint32_t argb = 1;
  for (const char* bad : {"", "123456789", "-1", " 1", "0x1", "G0"}) {
    EXPECT_FALSE(CColourOptionFile::ParseArgb(bad, argb)) << bad;
  }
  EXPECT_EQ(argb, 1u);
}

TEST_F(ColorSelectWndTest, UnreadableUserFileIsLeftAsItIs) {
  ASSERT_TRUE(QDir().mkpath(QString::fromStdString(UserPath()) + "/kept"));  // a folder in its place
  CColorSelectWnd wnd(nullptr, File());
  ASSERT_TRUE(wnd.Open(0xFF000000));
  EXPECT_TRUE(wnd.FindControl<QAbstractButton>("color_option_4")->isChecked());
  Click(wnd, "color_option_1");
  EXPECT_EQ(wnd.Colour(), 0xFFFF6A00u);
  EXPECT_TRUE(QDir(QString::fromStdString(UserPath()) + "/kept").exists());
  EXPECT_EQ(notices.size(), 1u);  // told once, however often it is saved
}

TEST_F(ColorSelectWndTest, FieldsClampAndFollowThePalette) {
  CColorSelectWnd wnd(nullptr, File());
  ASSERT_TRUE(wnd.Open(0xFF123456, true));
  Show(wnd);
  auto* red = wnd.FindControl<QLineEdit>("color_edit_r");
  auto* green = wnd.FindControl<QLineEdit>("color_edit_g");
  red->clear();
  QTest::keyClicks(red, "300");
  EXPECT_EQ(red->text(), "255");
  EXPECT_EQ(wnd.Colour(), 0xFFFF3456u);
  QTest::keyClick(green, Qt::Key_End);
  QTest::keyClick(green, Qt::Key_Backspace);
  QTest::keyClick(green, Qt::Key_Backspace);
  EXPECT_EQ(green->text(), "");  // left as typed while it is edited
  EXPECT_EQ(wnd.Colour(), 0xFFFF0056u);
  EXPECT_EQ(PreviewPixel(wnd), 0xFFFF0056u);
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(green, &out);
  EXPECT_EQ(green->text(), "0");

  // The palette's top edge is white, its foot black.
  auto* palette = wnd.FindControl<ui::CColorPaletteUI>("Pallet");
  Press(palette, QPoint(0, 0));
  EXPECT_EQ(wnd.Colour(), 0xFFFFFFFFu);
  EXPECT_EQ(FieldText(wnd, "color_edit_g"), "255");
  EXPECT_EQ(FieldText(wnd, "color_edit_r"), "255");
  Press(palette, QPoint(palette->width() - 5, palette->height() - 1));
  EXPECT_EQ(wnd.Colour(), 0xFF000000u);
  EXPECT_EQ(FieldText(wnd, "color_edit_r"), "0");

  // Seven colours changes the preview, not the colour.
  Click(wnd, "7color");
  EXPECT_TRUE(wnd.SevenColour());
  EXPECT_NE(PreviewPixel(wnd), 0xFF000000u);
  EXPECT_EQ(wnd.Colour(), 0xFF000000u);
}

TEST_F(ColorSelectWndTest, OkReturnsThePreviewColourAndEveryOtherWayOutNothing) {
  QRgb shown = 0;
  const auto choose = [&shown](const char* close) {
    return [&shown, close](CColorSelectWnd& w) {
      Show(w);
      Click(w, "color_option_6");
      shown = PreviewPixel(w);
      Click(w, close);
      return w.Result();
    };
  };
  EXPECT_EQ(CColorSelectWnd::Pick(nullptr, 0xFF000000, File(), choose("okbtn")), std::optional<uint32_t>(0xFF00FFFF));
  EXPECT_EQ(shown, 0xFF00FFFFu);
  EXPECT_EQ(CColorSelectWnd::Pick(nullptr, 0xFF000000, File(), choose("laterbtn")), std::nullopt);
  EXPECT_EQ(CColorSelectWnd::Pick(nullptr, 0xFF000000, File(), choose("closebtn")), std::nullopt);

  // The lighting controls' way in: the window router's host runs the picker modally.
  const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", dir.filePath("xdg").toUtf8());
  QTimer::singleShot(0, [] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* picker = qobject_cast<CColorSelectWnd*>(w); picker != nullptr && picker->isVisible()) {
        Click(*picker, "color_option_8");
        Click(*picker, "okbtn");
      }
    }
  });
  CWindowRouterHost host(nullptr, {});
  uint32_t argb = 0xFF000000;
  EXPECT_TRUE(host.PickColour(argb));
  EXPECT_EQ(argb, 0xFF0000FFu);
  EXPECT_TRUE(QFile::exists(dir.filePath("xdg/Tavrin ORLO/color_option_info.config")));
  if (dataHome.isNull()) {
    qunsetenv("XDG_DATA_HOME");
  } else {
    qputenv("XDG_DATA_HOME", dataHome);
  }
}

}  // namespace
}  // namespace orlo
