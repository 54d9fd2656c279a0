#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <condition_variable>
#include <mutex>

#include "DocShot.h"
#include "app/Application.h"
#include "app/AuxWindows.h"
#include "app/IDeviceManager.h"
#include "app/MainWnd.h"
#include "app/SetWnd.h"
#include "app/UpdateRowUI.h"
#include "base/StopEvent.h"
#include "platform/bus/LoopbackBus.h"
#include "ui/LanguageStore.h"
#include "update/UpdateRows.h"

namespace orlo {
namespace {

QString Text(ui::CWindowUI* w, const char* name) {
  QWidget* c = w->FindControl(name);
  if (auto* l = qobject_cast<QLabel*>(c)) return l->text();
  if (auto* b = qobject_cast<QAbstractButton*>(c)) return b->text();
  return QStringLiteral("<missing %1>").arg(name);
}

void Click(ui::CWindowUI* w, const char* name) {
  auto* b = w->FindControl<QAbstractButton>(name);
  ASSERT_NE(b, nullptr) << name;
  b->click();
}

class CountingDevices : public CEmptyDeviceManager {
 public:
  void RefreshTexts() override { ++*refreshes; }
  int* refreshes = nullptr;
};

// The update server: answers by the row's key; holds every reply until released.
class FakeServer : public update::HttpClient {
 public:
  update::HttpReply Send(const update::HttpRequest& request) override { return Send(request, nullptr); }
  // Like the real client, an exchange ends early when the window raises the stop event.
  update::HttpReply Send(const update::HttpRequest& request, const CStopEvent* stop) {
    update::HttpReply reply;
    {
      std::unique_lock lock(mutex);
      bodies.push_back(request.body);
      while (!released.wait_for(lock, std::chrono::milliseconds(1), [this] { return open; })) {
        if (stop && stop->IsSet()) {
          reply.failure = update::HttpFailure::Cancelled;
          return reply;
        }
      }
    }
    if (offline) {
      reply.failure = update::HttpFailure::Connect;
      return reply;
    }
    reply.failure = update::HttpFailure::None;
    reply.status = 200;
    if (request.body.find("app_key=VELKO_1_QX20M07A_MS_1&") == 0) {
      reply.body = R"({"path":"https://updates.example.test/ms.bin","name":"MS_FW","version_name":"1.06",)"
                   R"("version":"106","device_id":3})";
    } else {
      reply.body = R"({"path":"","name":"ORLO","version_name":"1.0.2.7","version":"1027","device_id":0})";
    }
    return reply;
  }
  void Release() {
    std::lock_guard lock(mutex);
    open = true;
    released.notify_all();
  }
  std::mutex mutex;
  std::condition_variable released;
  bool open = false;
  bool offline = false;
  std::vector<std::string> bodies;
};

class SetWndTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ui::CLanguageStore::GetInstance().LoadLanguage("lan_en.xml")); }
  void TearDown() override {
    server.Release();
    delete window;
  }

  void OpenSettings() {
    SetWndOptions o;
    o.rows = [] { return update::MakeUpdateRows({0x0105}, 1027); };
    o.makeClient = [this](const CStopEvent* stop) -> std::unique_ptr<update::HttpClient> {
      struct Forward : update::HttpClient {
        Forward(FakeServer* s, const CStopEvent* stop) : s(s), stop(stop) {}
        update::HttpReply Send(const update::HttpRequest& r) override { return s->Send(r, stop); }
        FakeServer* s;
        const CStopEvent* stop;
      };
      return std::make_unique<Forward>(&server, stop);
    };
    o.serverBase = "https://updates.example.test/api/";
    o.downloadFolder = dir.filePath("UpdateData/").toStdString();
    o.timeFilePath = dir.filePath("updatetime.config").toStdString();
    o.toMain = [this](uint32_t m, int64_t w, int64_t l) { toMain.push_back({m, w, l}); };
    o.autostartConfigHome = dir.filePath("config").toStdString();
    o.autostartProgram = "/opt/orlo dir/bin/orlo";
    o.startUpdater = [this](const std::vector<update::UpdateListRow>& rows) {
      for (const auto& r : rows) updater.push_back(r.package + " " + r.path);
      return true;
    };
    window = new CSetWnd(nullptr, o);
    ASSERT_TRUE(window->Create("setwnd"));
    window->show();
  }
  void WaitRows(size_t n) {
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->RowWidgets().size() == n; }, 5000));
  }
  QString RowText(size_t row, const char* name) const {
    auto* w = window->RowWidgets().at(row)->findChild<QWidget*>(name);
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->text();
    return {};
  }
  bool RowShows(size_t row, const char* name) const {
    return !window->RowWidgets().at(row)->findChild<QWidget*>(name)->isHidden();
  }

  struct Message {
    uint32_t id;
    int64_t w, l;
    bool operator==(const Message&) const = default;
  };
  QTemporaryDir dir;
  FakeServer server;
  CSetWnd* window = nullptr;
  std::vector<Message> toMain;
  std::vector<std::string> updater;
};

TEST_F(SetWndTest, UpdatePageShowsTheRowsTheirStatesAndTheUpdatersReports) {
  OpenSettings();
  Click(window, "set_update_tab");
  EXPECT_EQ(window->FindControl<QStackedWidget>("set_tab_layout")->currentIndex(), 1);
  // Checking: the rows are listed up to date with their current versions, the ring turns.
  WaitRows(2);
  EXPECT_TRUE(window->Checking());
  EXPECT_EQ(Text(window, "Update_Status_text"), "Checking for updates…");
  EXPECT_FALSE(window->FindControl("update_status_ring")->isHidden());
  EXPECT_TRUE(window->FindControl("update_status_image")->isHidden());
  EXPECT_EQ(RowText(0, "check_name_select"), "MS");
  EXPECT_EQ(RowText(0, "OldRev"), "V0105");
  EXPECT_EQ(RowText(1, "check_name_select"), "AP");
  EXPECT_FALSE(window->FindControl("update_fw_and_ap")->isEnabled());

  QSignalSpy finished(window, &CSetWnd::CheckFinished);
  server.Release();
  ASSERT_TRUE(finished.wait(5000));
  EXPECT_EQ(finished.at(0).at(0).toInt(), 1);
  ASSERT_EQ(server.bodies.size(), 2u);
  EXPECT_EQ(server.bodies[0], "app_key=VELKO_1_QX20M07A_MS_1&version=105");
  EXPECT_EQ(server.bodies[1], "app_key=VELKO_0_ALL_R40_PT6_PT5_1&version=1027");
  EXPECT_EQ(Text(window, "Update_Status_text"), "Updates are available.");
  EXPECT_TRUE(window->FindControl("update_status_ring")->isHidden());
  EXPECT_FALSE(window->FindControl("update_status_image")->isHidden());
  EXPECT_EQ(RowText(0, "updateRev"), "V106");
  EXPECT_TRUE(RowShows(0, "updateRev"));
  EXPECT_EQ(RowText(0, "update_status_text"), "Update available");
  EXPECT_TRUE(window->RowWidgets()[0]->Check()->isEnabled());
  EXPECT_EQ(RowText(1, "OldRev"), "V1027");
  EXPECT_FALSE(RowShows(1, "updateRev"));
  EXPECT_EQ(RowText(1, "update_status_text"), "Up to date");
  EXPECT_FALSE(window->RowWidgets()[1]->Check()->isEnabled());
  EXPECT_TRUE(window->FindControl("update_fw_and_ap")->isEnabled());
  MaybeSaveShot(window, "settings-update.png");

  // Tick, ask, confirm: the row waits for the updater, which gets its package and address.
  window->RowWidgets()[0]->Check()->setChecked(true);
  Click(window, "update_fw_and_ap");
  EXPECT_EQ(window->FindControl<QStackedWidget>("get_update_tab_layout")->currentIndex(), 1);
  Click(window, "update_OK_btn");
  EXPECT_EQ(window->FindControl<QStackedWidget>("get_update_tab_layout")->currentIndex(), 0);
  EXPECT_EQ(updater, std::vector<std::string>{"MS_FW https://updates.example.test/ms.bin"});
  EXPECT_EQ(RowText(0, "update_status_text"), "Waiting to download");
  EXPECT_FALSE(window->FindControl("update_fw_and_ap")->isEnabled());

  // While the row waits or downloads, closing is refused, so the reports still find it.
  window->close();
  EXPECT_TRUE(window->isVisible());
  window->OnUpdaterMessage(4, 40);
  EXPECT_EQ(RowText(0, "update_status_text"), "Downloading");
  EXPECT_EQ(RowText(0, "update_progress_value"), "40%");
  EXPECT_TRUE(RowShows(0, "update_progress_value"));
  window->OnUpdaterMessage(5, 0);
  EXPECT_EQ(RowText(0, "update_status_text"), "Downloaded");
  EXPECT_TRUE(RowShows(0, "update_status_ok"));
  EXPECT_FALSE(RowShows(0, "update_progress_value"));
  window->close();
  EXPECT_FALSE(window->isVisible());
}

TEST_F(SetWndTest, NoConnectionEndsInTheFailureStateWithNothingOffered) {
  server.offline = true;
  server.Release();
  OpenSettings();
  QSignalSpy finished(window, &CSetWnd::CheckFinished);
  Click(window, "set_update_tab");
  ASSERT_TRUE(finished.wait(5000));
  EXPECT_EQ(finished.at(0).at(0).toInt(), 2);
  EXPECT_EQ(Text(window, "Update_Status_text"), "The update server could not be reached.");
  ASSERT_EQ(window->RowWidgets().size(), 2u);
  EXPECT_EQ(RowText(0, "update_status_text"), "Up to date");
  EXPECT_FALSE(window->RowWidgets()[0]->Check()->isEnabled());
  EXPECT_FALSE(window->FindControl("update_fw_and_ap")->isEnabled());
  // Only an up-to-date ending clears the main window's mark.
  EXPECT_TRUE(toMain.empty());
  // A second visit of the page does not ask again.
  Click(window, "set_lang_tab");
  Click(window, "set_update_tab");
  EXPECT_FALSE(window->Checking());
  EXPECT_EQ(server.bodies.size(), 2u);
}

TEST_F(SetWndTest, EverythingUpToDateShowsTheDateAndClearsTheMainWindowsMark) {
  server.Release();
  {
    QFile stored(dir.filePath("updatetime.config"));
    ASSERT_TRUE(stored.open(QIODevice::WriteOnly));
    stored.write(R"({"updatelasttime": {"value": "2020-1-2"}})");
  }
  OpenSettings();
  QSignalSpy finished(window, &CSetWnd::CheckFinished);
  Click(window, "set_update_tab");
  // Checking shows nothing of the stored date yet.
  EXPECT_EQ(Text(window, "Update_Status_text"), "Checking for updates…");
  ASSERT_TRUE(finished.wait(5000));
  // Both answered, the mouse's at its own version now.
  EXPECT_EQ(finished.at(0).at(0).toInt(), 1);
  window->OnUpdaterMessage(1, 0);  // no row is being updated: nothing changes
  EXPECT_EQ(RowText(0, "update_status_text"), "Update available");
  window->RowWidgets()[0]->Check()->setChecked(true);
  Click(window, "update_fw_and_ap");
  Click(window, "update_OK_btn");
  ASSERT_TRUE(toMain.empty());
  // The updater installs the package: the row takes the new version, nothing newer is left.
  window->OnUpdaterMessage(1, 0);
  EXPECT_EQ(RowText(0, "OldRev"), "V106");
  EXPECT_FALSE(RowShows(0, "updateRev"));
  EXPECT_EQ(RowText(0, "update_status_text"), "Up to date");
  EXPECT_TRUE(Text(window, "Update_Status_text").startsWith("Everything is up to date. Last checked: "));
  EXPECT_FALSE(Text(window, "Update_Status_text").endsWith("2020-1-2"));  // the check just made
  EXPECT_EQ(toMain, (std::vector<Message>{{3094, 0, 0}}));
}

TEST_F(SetWndTest, ClosingDuringACheckStopsItWithoutWaitingForTheServer) {
  OpenSettings();
  Click(window, "set_update_tab");
  ASSERT_TRUE(QTest::qWaitFor([&] {
    std::lock_guard lock(server.mutex);
    return !server.bodies.empty();
  }, 5000));
  // The window's stop event ends the pending exchange; the check thread is joined and nothing
  // more is asked.
  window->close();
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(window->Checking());
  EXPECT_EQ(server.bodies.size(), 1u);
  delete window;
  window = nullptr;
}

// The main window and its settings window: the language choice.
class SettingsInMainWindowTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (main) main->Exit();
    delete main;
    ui::CLanguageStore::GetInstance().LoadLanguage("lan_en.xml");
  }
  void Open() {
    MainWindowOptions options;
    options.languageIniPath = dir.filePath("config/settings.ini").toStdString();
  options.systemLocale = "zh_CN";  // a first start in Chinese
    options.systemLocale = "zh_CN";  // a first start in Chinese
    options.aux.skinIniPath = dir.filePath("data/main.ini").toStdString();
    auto devices = std::make_unique<CountingDevices>();
    devices->refreshes = &refreshes;
    endpoints.push_back(hub->Connect());
    main = CreateMainWindow(endpoints.back().get(), std::move(devices), options);
    ASSERT_NE(main, nullptr);
  }
  QTemporaryDir dir;
  std::shared_ptr<bus::LoopbackHub> hub = std::make_shared<bus::LoopbackHub>();
  std::vector<std::unique_ptr<bus::LoopbackEndpoint>> endpoints;
  CMainWnd* main = nullptr;
  int refreshes = 0;
};

TEST_F(SettingsInMainWindowTest, LanguageChoiceSwitchesTheOpenTextsAndIsKeptForTheNextStart) {
  Open();
  // No stored language: Simplified Chinese, the first of the list.
  EXPECT_EQ(main->LanguageIndex(), 0);
  Click(main, "setbtn");  // the caption's settings button
  CSetWnd* settings = main->Aux().Settings();
  ASSERT_NE(settings, nullptr);
  EXPECT_TRUE(settings->isVisible());
  EXPECT_EQ(Text(settings, "set_title"), "设置");
  EXPECT_EQ(Text(main, "control_light_status"), "控制灯光");
  auto* combo = settings->FindControl<QComboBox>("Language_combox_info");
  ASSERT_NE(combo, nullptr);
  ASSERT_EQ(combo->count(), 2);
  EXPECT_EQ(combo->itemText(0), "简体中文");
  EXPECT_EQ(combo->itemText(1), "English");
  EXPECT_EQ(combo->currentIndex(), 0);
  MaybeSaveShot(settings, "settings-language-zh.png");

  const int before = refreshes;
  combo->setCurrentIndex(1);
  EXPECT_EQ(main->LanguageIndex(), 1);
  EXPECT_EQ(settings->LanguageIndex(), 1);
  EXPECT_EQ(Text(settings, "set_title"), "Settings");
  EXPECT_EQ(Text(settings, "set_lang_tab"), "Language");
  EXPECT_EQ(Text(main, "control_light_status"), "Lighting control: on");
  EXPECT_EQ(refreshes, before + 1);  // the device pages refill their own texts
  MaybeSaveShot(settings, "settings-language.png");

  QFile ini(dir.filePath("config/settings.ini"));
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  EXPECT_TRUE(ini.readAll().contains("LANGUAGE=1033"));

  // Next start: English again, and the settings window opens with it selected.
  main->Exit();
  delete main;
  main = nullptr;
  Open();
  EXPECT_EQ(main->LanguageIndex(), 1);
  EXPECT_EQ(Text(main, "control_light_status"), "Lighting control: on");
  main->OnMenuCommand("setwnd_menu");
  ASSERT_NE(main->Aux().Settings(), nullptr);
  EXPECT_EQ(main->Aux().Settings()->FindControl<QComboBox>("Language_combox_info")->currentIndex(), 1);
}

}  // namespace
}  // namespace orlo

namespace orlo {
namespace {

TEST_F(SetWndTest, StartWithTheSessionBoxWritesAndRemovesTheAutostartEntry) {
  const QString entry = dir.filePath("config/autostart/org.tavrin.orlo.desktop");
  OpenSettings();
  auto* box = window->FindControl<QCheckBox>("set_autostart_check");
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(box->text(), "Start with the desktop session (in the tray)");
  EXPECT_FALSE(box->isChecked());
  box->click();
  EXPECT_TRUE(box->isChecked());
  QFile file(entry);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_TRUE(file.readAll().contains("\nExec=\"/opt/orlo dir/bin/orlo\" --minimized\n"));
  file.close();
  // Opened again later, the box shows the entry that is there.
  delete window;
  window = nullptr;
  OpenSettings();
  box = window->FindControl<QCheckBox>("set_autostart_check");
  EXPECT_TRUE(box->isChecked());
  box->click();
  EXPECT_FALSE(box->isChecked());
  EXPECT_FALSE(QFile::exists(entry));
}

}  // namespace
}  // namespace orlo
