// The main window's side of the profile commands with the simulated wired mouse: a choice in
// the page's profile list arms timer 1055, whose expiry switches the mouse to the profile; the
// recording lock holds the device tabs and the list; a language switch retranslates the
// profile menu and the shoot page.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QCoreApplication>
#include <QTest>

#include "app/DocShot.h"
#include "app/SimMouseWindow.h"
#include "app/MainWnd.h"
#include "device/mouse/TessaroMouseDevice.h"
#include "pages/common/DeviceProfileUI.h"
#include "pages/mouse/MousePageUI.h"
#include "profile/JsonFile.h"
#include "ui/LanguageStore.h"
#include "ui/TimerService.h"

namespace orlo {
namespace {

TEST(ProfileSwitchTimerTest, ChoiceArmsTimer1055WhoseExpirySwitchesTheMouse) {
  testing_support::SimMouseWindow app("en_US");
  std::unique_ptr<CMainWnd>& window = app.window;
  ASSERT_NE(window, nullptr);

  CMousePageUI* page = nullptr;
  CTessaroMouseDevice* mouse = nullptr;
  ASSERT_TRUE(QTest::qWaitFor([&] {
    for (auto* p : window->findChildren<CMousePageUI*>()) {
      mouse = dynamic_cast<CTessaroMouseDevice*>(p->Device());
      if (mouse && mouse->HasSettingsBlock()) page = p;
    }
    return page != nullptr;
  }, 10000));
  CDeviceProfileUI* control = page->ProfileControl();
  ASSERT_NE(control, nullptr);
  ASSERT_EQ(control->AddProfile(), 1);
  const std::string second = mouse->ProfileList().GetProfilePathAt(1);
  Json::Value doc = CJsonFile().ReadDocument(second);
  doc["Device"][0]["LightInfo"]["Green"] = 0x5A;
  ASSERT_EQ(CJsonFile().WriteDocument(second, doc), 0);

  // The recording lock holds the tab row and the list.
  window->SetRecordingLock(true);
  EXPECT_FALSE(window->FindControl("device_select_layout")->isEnabled());
  EXPECT_FALSE(page->findChild<QComboBox*>("device_profile_combo")->isEnabled());
  window->SetRecordingLock(false);
  EXPECT_TRUE(window->FindControl("device_select_layout")->isEnabled());

  auto* combo = page->findChild<QComboBox*>("device_profile_combo");
  combo->setCurrentIndex(1);
  QWidget* timerOwner = window->Root() ? window->Root() : window.get();
  EXPECT_TRUE(ui::CTimerService::Instance().IsArmed(timerOwner, kTimerProfileSwitch));
  EXPECT_NE(mouse->ActiveProfileId(), mouse->ProfileList().ReadEntries()[1].uuid);
  // The timer's expiry, delivered as the timer service delivers it.
  ui::TNotifyUI expiry{ui::notify::kTimer, timerOwner, timerOwner->objectName().toStdString(), kTimerProfileSwitch, 0};
  window->Notify(expiry);
  EXPECT_FALSE(ui::CTimerService::Instance().IsArmed(timerOwner, kTimerProfileSwitch));
  EXPECT_EQ(mouse->ActiveProfileId(), mouse->ProfileList().ReadEntries()[1].uuid);
  ASSERT_TRUE(mouse->Session().Drain(std::chrono::seconds(10)));
  EXPECT_EQ(mouse->SettingsBlock()[7], 0x5A);

  // For the documentation: the profile menu open, then the shoot page.
  control->ShowProfileMenu(true);
  EXPECT_TRUE(control->IsProfileMenuVisible());
  MaybeSaveShot(window.get(), "profile-menu.png");
  control->ShowProfileMenu(false);
  page->findChild<QAbstractButton*>("cursor_Op_tab")->click();
  QCoreApplication::processEvents();
  MaybeSaveShot(window.get(), "shoot-page.png");

  // Switching the language retranslates the menu and the shoot page's direction checks.
  auto* add = page->findChild<QAbstractButton*>("device_add_btn");
  auto* left = page->findChild<QAbstractButton*>("bullet_x_check");
  ASSERT_NE(left, nullptr);
  EXPECT_EQ(add->text(), "New");
  const QString englishCheck = left->text();
  window->SwitchLanguage(0);
  QCoreApplication::processEvents();
  EXPECT_EQ(add->text(), QString::fromUtf8("新建"));
  EXPECT_NE(left->text(), englishCheck);
  window->Exit();
  ui::CLanguageStore::GetInstance().LoadLanguage("lan_en.xml");
}

}  // namespace
}  // namespace orlo
