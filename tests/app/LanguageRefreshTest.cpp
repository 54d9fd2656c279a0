// A language switch reaches the texts a device page puts together itself: the simulated wired
// mouse's page writes the tool tip of its logo light from language texts and the light mode, and
// writes it again in the new language when the settings window switches it.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QWidget>
#include <QTest>

#include "app/MainWnd.h"
#include "app/SimMouseWindow.h"
#include "device/mouse/TessaroMouseDevice.h"
#include "pages/mouse/MousePageUI.h"
#include "ui/LanguageStore.h"

namespace orlo {
namespace {

TEST(LanguageRefreshTest, SettingsLanguageChoiceRelistsTheMousePagesLogoTip) {
  // A first start in Chinese.
  testing_support::SimMouseWindow app("zh_CN");
  std::unique_ptr<CMainWnd>& window = app.window;
  ASSERT_NE(window, nullptr);

  // Until a language is chosen, the texts are Simplified Chinese.
  QWidget* logo = nullptr;
  ASSERT_TRUE(QTest::qWaitFor([&] {
    for (auto* page : window->findChildren<CMousePageUI*>()) {
      auto* mouse = dynamic_cast<CTessaroMouseDevice*>(page->Device());
      logo = page->findChild<QWidget*>("logo");
      if (mouse && mouse->HasSettingsBlock() && logo && !logo->toolTip().isEmpty()) return true;
    }
    return false;
  }, 10000));
  QCoreApplication::processEvents();  // what the mouse's first reading queued
  EXPECT_TRUE(logo->toolTip().startsWith(QString::fromUtf8("灯光设置\n整体灯效：")));

  window->OnMenuCommand("setwnd_menu");
  ASSERT_NE(window->Aux().Settings(), nullptr);
  window->Aux().Settings()->FindControl<QComboBox>("Language_combox_info")->setCurrentIndex(1);
  // The page refills it with the next turn of the UI thread's queue.
  QCoreApplication::processEvents();
  EXPECT_TRUE(logo->toolTip().startsWith("Lighting\nEffect: ")) << logo->toolTip().toStdString();
  window->Exit();
  ui::CLanguageStore::GetInstance().LoadLanguage("lan_en.xml");
}

}  // namespace
}  // namespace orlo
