// The message box: title, text as key or plain text, buttons, DPI, and the modal result.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>

#include "TestSupport.h"
#include "platform/DebugLog.h"
#include "ui/DpiManager.h"
#include "ui/LanguageStore.h"
#include "ui/MsgWnd.h"

namespace orlo::ui {
namespace {

QString LabelText(CMsgWnd& box, const char* name) { return box.FindControl<QLabel>(name)->text(); }

// Runs `answer` on the message box once it is up, then shows it modally.
int ShowAndAnswer(std::function<void(CMsgWnd&)> answer, int buttons = CMsgWnd::kConfirmOnly) {
  QTimer::singleShot(0, [answer] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* box = qobject_cast<CMsgWnd*>(w); box != nullptr && box->isVisible()) answer(*box);
    }
  });
  return CMsgWnd::ShowMessageBox(nullptr, "", "message_text_22", 96, true, buttons);
}

class MsgWndTest : public ::testing::Test {
 protected:
  void TearDown() override {
    CLanguageStore::GetInstance().LoadLanguage("lan_en.xml");
    CDpiManager::SetAllDPI(96);
  }
};

TEST_F(MsgWndTest, EmptyTitleAndTextKeepTheLayoutTextAndItsKeyFlag) {
  CMsgWnd box;
  ASSERT_TRUE(box.Prepare("", "", 96, false, CMsgWnd::kConfirmCancel));
  EXPECT_EQ(LabelText(box, "MessageText"), QString("Please confirm."));
  EXPECT_EQ(LabelText(box, "MessageTitle"), QString("Notice"));
  // Still a key: a language switch re-resolves it.
  ASSERT_TRUE(CLanguageStore::GetInstance().LoadLanguage("lan_cn.xml"));
  CLanguageStore::GetInstance().ApplyTexts(&box);
  EXPECT_EQ(LabelText(box, "MessageText"), QString::fromUtf8("请确认。"));
}

TEST_F(MsgWndTest, TextIsAKeyOrPlainTextAndTitleIsPlain) {
  CMsgWnd keyed;
  ASSERT_TRUE(keyed.Prepare("Import", "message_text_5", 96, true, CMsgWnd::kConfirmOnly));
  EXPECT_EQ(LabelText(keyed, "MessageText"), QString("This name is already in use."));
  EXPECT_EQ(LabelText(keyed, "MessageTitle"), QString("Import"));

  CMsgWnd plain;
  ASSERT_TRUE(plain.Prepare("", "message_text_5", 96, false, CMsgWnd::kConfirmOnly));
  EXPECT_EQ(LabelText(plain, "MessageText"), QString("message_text_5"));
  // A plain text is not replaced when the language changes.
  CLanguageStore::GetInstance().ApplyTexts(&plain);
  EXPECT_EQ(LabelText(plain, "MessageText"), QString("message_text_5"));
}

TEST_F(MsgWndTest, ButtonsZeroOneAndOtherValues) {
  CMsgWnd box;
  auto visible = [&box](const char* name) { return box.FindControl(name)->isVisibleTo(&box); };
  ASSERT_TRUE(box.Prepare("", "", 96, true, CMsgWnd::kConfirmOnly));
  EXPECT_TRUE(visible("confirm_btn"));
  EXPECT_FALSE(visible("cancel_btn"));
  ASSERT_TRUE(box.Prepare("", "", 96, true, 7));  // leaves the buttons as they are
  EXPECT_FALSE(visible("cancel_btn"));
  ASSERT_TRUE(box.Prepare("", "", 96, true, CMsgWnd::kConfirmCancel));
  EXPECT_TRUE(visible("confirm_btn"));
  EXPECT_TRUE(visible("cancel_btn"));
}

TEST_F(MsgWndTest, UnacceptedDpiFallsBackTo96WithADiagnostic) {
  QTemporaryDir dir;
  const std::string log = dir.filePath("debug.log").toStdString();
  SetDebugLogTarget(log);
  CMsgWnd box;
  ASSERT_TRUE(box.Prepare("", "", 100, true, CMsgWnd::kConfirmOnly));
  SetDebugLogTarget("");
  EXPECT_EQ(box.Dpi(), 96);
  EXPECT_EQ(CDpiManager::Dpi(), 96);
  QFile in(QString::fromStdString(log));
  ASSERT_TRUE(in.open(QIODevice::ReadOnly));
  EXPECT_TRUE(in.readAll().contains("MSG_WND DPI SET ERROR"));

  CMsgWnd large;
  ASSERT_TRUE(large.Prepare("", "", 144, true, CMsgWnd::kConfirmOnly));
  EXPECT_EQ(large.Dpi(), 144);
  EXPECT_EQ(CDpiManager::Dpi(), 144);
  EXPECT_EQ(large.FindControl("confirm_btn")->minimumWidth(), 144);  // 96 at 96 DPI
}

TEST_F(MsgWndTest, ModalResultIsOneOnlyForConfirm) {
  auto click = [](const char* name) {
    return [name](CMsgWnd& box) { box.FindControl<QPushButton>(name)->click(); };
  };
  EXPECT_EQ(ShowAndAnswer(click("confirm_btn"), CMsgWnd::kConfirmCancel), 1);
  EXPECT_EQ(ShowAndAnswer(click("cancel_btn"), CMsgWnd::kConfirmCancel), 0);
  // The close button answers 0 even when only the confirm button is shown.
  EXPECT_EQ(ShowAndAnswer(click("closebtn"), CMsgWnd::kConfirmOnly), 0);
  EXPECT_EQ(ShowAndAnswer([](CMsgWnd& box) { box.close(); }), 0);
  EXPECT_EQ(ShowAndAnswer([](CMsgWnd& box) {
              QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
              QApplication::sendEvent(&box, &esc);
            }),
            0);
}

TEST_F(MsgWndTest, OwnerDestroyedWhileTheBoxIsUpEndsItWithZero) {
  auto* owner = new QWidget;
  owner->show();
  QTimer::singleShot(0, [owner] { delete owner; });
  EXPECT_EQ(CMsgWnd::ShowMessageBox(owner, "", "message_text_7", 96, true, CMsgWnd::kConfirmOnly), 0);
}

}  // namespace
}  // namespace orlo::ui
