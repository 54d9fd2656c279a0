// Language files and text ids; the format used for texts with a number.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QXmlStreamReader>
#include <set>

#include "ui/LanguageStore.h"
#include "ui/ResourceManager.h"

namespace orlo::ui {
namespace {

std::set<std::string> IdsOf(const QString& file) {
  std::set<std::string> ids;
  QFile in(QString::fromStdString(CResourceManager::GetInstance().ResolveFile("lang/")) + file);
  if (!in.open(QIODevice::ReadOnly)) return ids;
  QXmlStreamReader xml(&in);
  while (!xml.atEnd()) {
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("text")) {
      ids.insert(xml.attributes().value(QLatin1String("id")).toString().toStdString());
    }
  }
  return xml.hasError() ? std::set<std::string>{} : ids;
}

class TextsTest : public ::testing::Test {
 protected:
  void TearDown() override { ASSERT_TRUE(store_.LoadLanguage("lan_en.xml")); }
  CLanguageStore& store_ = CLanguageStore::GetInstance();
};

TEST_F(TextsTest, ParsingKeepsTheLastEntryAndRejectsBrokenFilesWithoutLosingTexts) {
  ASSERT_TRUE(store_.LoadFromString(
      "<language><text id=\"a\">first</text><text id=\"b\">B &amp; C</text><text id=\"a\">second</text></language>"));
  EXPECT_EQ(store_.Text("a"), "second");
  EXPECT_EQ(store_.Text("b"), "B & C");
  EXPECT_EQ(store_.Text("missing_id"), "missing_id");
  EXPECT_FALSE(store_.Has("missing_id"));

  EXPECT_FALSE(store_.LoadFromString("<language><text id=\"a\">broken</language>"));
  EXPECT_FALSE(store_.LoadFromString(""));
  EXPECT_FALSE(store_.LoadLanguage("no_such_language.xml"));
  EXPECT_EQ(store_.Text("a"), "second");
}

TEST_F(TextsTest, WidgetsFollowTheirTextIdsWhenTheLanguageChanges) {
  QWidget root;
  auto* label = new QLabel(&root);
  label->setProperty(kTextIdProperty, "msg_title");
  auto* button = new QPushButton(&root);
  button->setProperty(kTextIdProperty, "msg_confirm");
  button->setProperty(kToolTipIdProperty, "msg_close");
  root.show();

  ASSERT_TRUE(store_.LoadLanguage("lan_en.xml"));
  store_.ReloadText();
  EXPECT_EQ(label->text(), QString("Notice"));
  EXPECT_EQ(button->toolTip(), QString("Close"));
  ASSERT_TRUE(store_.LoadLanguage("lan_cn.xml"));
  store_.ReloadText();
  EXPECT_EQ(label->text(), QString::fromUtf8("提示"));
  EXPECT_EQ(button->text(), QString::fromUtf8("确定"));

  // A plain text replaces the id; a key set later takes over again.
  store_.SetControlText(label, "<b>name</b>", false);
  store_.ReloadText();
  EXPECT_EQ(label->text(), QString("<b>name</b>"));
  store_.SetControlText(label, "msg_cancel", true);
  EXPECT_EQ(label->text(), QString::fromUtf8("取消"));
}

TEST_F(TextsTest, ShippedLanguagesCoverTheSameIds) {
  const auto english = IdsOf("lan_en.xml");
  const auto chinese = IdsOf("lan_cn.xml");
  ASSERT_FALSE(english.empty());
  EXPECT_EQ(english, chinese);
  for (const char* id : {"message_text_2", "message_text_4", "message_text_5", "message_text_6", "message_text_7",
                         "message_text_16", "message_text_22", "message_text_25", "msg_title", "msg_text",
                         "msg_confirm", "msg_cancel", "msg_close"}) {
    EXPECT_EQ(english.count(id), 1u) << id;
  }
  // Every text id a shipped layout uses exists.
  QDir layouts(QString::fromStdString(CResourceManager::GetInstance().ResolveFile("XML/CustomControlXML")));
  const QRegularExpression idProperty(
      R"re(name="(?:textid|tooltipid)" stdset="0"><string>([^<]+)</string>)re");
  for (const QString& name : layouts.entryList({"MessageBox*.xml"})) {
    QFile f(layouts.filePath(name));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    auto it = idProperty.globalMatch(QString::fromUtf8(f.readAll()));
    while (it.hasNext()) EXPECT_EQ(english.count(it.next().captured(1).toStdString()), 1u) << name.toStdString();
  }
}

TEST_F(TextsTest, NumberFormatReplacesOnePlaceholderAndNothingElse) {
  EXPECT_EQ(FormatTextWithNumber("need %d more", 12), "need 12 more");
  EXPECT_EQ(FormatTextWithNumber("%d of %d", 3), "3 of %d");
  EXPECT_EQ(FormatTextWithNumber("100%% %s %n %d", -4), "100% %s %n -4");
  EXPECT_EQ(FormatTextWithNumber("trailing %", 1), "trailing %");
  EXPECT_EQ(FormatTextWithNumber("", 1), "");
  for (const char* file : {"lan_en.xml", "lan_cn.xml"}) {
    ASSERT_TRUE(store_.LoadLanguage(file));
    const std::string text = store_.Text("message_text_16");
    EXPECT_EQ(text.find("%d"), text.rfind("%d")) << file;
    EXPECT_NE(FormatTextWithNumber(text, 37).find("37"), std::string::npos) << file;
  }
}

}  // namespace
}  // namespace orlo::ui
