#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QSystemTrayIcon>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <memory>

#include "app/Application.h"
#include "app/IDeviceManager.h"
#include "app/DivuRudoReport.h"
#include "app/MainWnd.h"
#include "app/QtUiDispatcher.h"
#include "app/WorkerRecords.h"
#include "platform/bus/LoopbackBus.h"
#include "platform/bus/RegisteredMessages.h"

namespace orlo {
namespace {

struct DeviceLog {
  std::atomic<int> scanPasses{0};
  std::atomic<int> uiHandoffs{0};
  std::vector<int> lightControl;
  std::vector<uint32_t> windowMessages;
  std::vector<std::vector<int32_t>> audioBlocks;
  std::vector<int32_t> audioStyle;
  int linked = 0;
  DeviceManagerHost host;  // what the window handed over
};

class FakeLight : public ILightTarget {
 public:
  int LightMode() const override { return mode; }
  bool HasLightMode(int m) const override { return m >= 0 && m < 8; }
  void ApplyLightMode(int m, int, int) override { mode = m; }
  int mode = 1;
};

// Counts what the window asks of the device manager; each scan pass hands one call to the UI.
class FakeDevices : public IDeviceManager {
 public:
  FakeDevices(DeviceLog* log, FakeLight* light) : log_(log), light_(light) {}
  void AttachHost(DeviceManagerHost host) override { log_->host = std::move(host); }
  void Initialise() override {}
  void ScanPass(IUiDispatcher& handoff, const CStopEvent& stop) override {
    ++log_->scanPasses;
    handoff.Send([this] { ++log_->uiHandoffs; }, stop);
  }
  int LinkedDeviceCount() const override { return log_->linked; }
  ILightTarget* SelectedLightTarget() override { return light_; }
  void SetLightControl(int state) override { log_->lightControl.push_back(state); }
  void OnAudioLevels(const int32_t* levels, size_t count) override {
    log_->audioBlocks.emplace_back(levels, levels + count);
  }
  void OnAudioStyle(const int32_t* values, size_t count) override { log_->audioStyle.assign(values, values + count); }
  void SetWindowActive(bool) override {}
  void SetWindowHidden(bool) override {}
  void OnWindowMessage(uint32_t message, int64_t, int64_t) override { log_->windowMessages.push_back(message); }

 private:
  DeviceLog* log_;
  FakeLight* light_;
};

class MainWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    hub = std::make_shared<bus::LoopbackHub>();
    appBus = hub->Connect();
    peer = hub->Connect();
    peer->SetMessageHandler([this](uint32_t id, int64_t w, int64_t l) {
      if (id == bus::Messages().lightControlNotify) notifies.push_back({w, l});
    });
  }
  void TearDown() override {
    if (window) window->Exit();
    delete window;
  }
  void Open(const std::string& systemLocale = "zh_CN") {
    MainWindowOptions options;
    options.languageIniPath = IniPath();
    options.systemLocale = systemLocale;
    window = CreateMainWindow(appBus.get(), std::make_unique<FakeDevices>(&log, &light), options);
    ASSERT_NE(window, nullptr);
  }
  void WaitShown() {
    if (!window->ShownOnce()) {
      QSignalSpy shown(window, &CMainWnd::BroughtToFront);
      ASSERT_TRUE(shown.wait(3000));
    }
  }
  std::string IniPath() const { return dir.filePath("config/settings.ini").toStdString(); }
  void Send(uint32_t id, int64_t w, int64_t l) { ASSERT_TRUE(peer->Broadcast(id, w, l)); }

  QTemporaryDir dir;
  std::shared_ptr<bus::LoopbackHub> hub;
  std::unique_ptr<bus::LoopbackEndpoint> appBus, peer;
  std::vector<std::pair<int64_t, int64_t>> notifies;
  DeviceLog log;
  FakeLight light;
  CMainWnd* window = nullptr;
};

TEST_F(MainWndTest, HiddenUntilTheFirstScanThenShownWithNoDeviceLinkAndLaidOut) {
  Open();
  EXPECT_TRUE(window->WindowInitDone());
  EXPECT_FALSE(window->isVisible());
  EXPECT_EQ(window->windowTitle(), "Tavrin ORLO");
  WaitShown();
  EXPECT_TRUE(window->isVisible());
  EXPECT_GE(log.scanPasses, 1);
  auto* noDevice = window->FindControl("No_device_Link");
  ASSERT_NE(noDevice, nullptr);
  EXPECT_TRUE(noDevice->isVisible());
  EXPECT_EQ(window->FindControl<QStackedWidget>("device_switch")->currentWidget(), noDevice);
  for (const char* name : {"closebtn", "minbtn", "skinbtn", "gamemodebtn", "cloudbtn", "smarteyesbtn",
                           "setbtn", "device_select_layout", "device_power_switch"}) {
    EXPECT_NE(window->FindControl(name), nullptr) << name;
  }
  // The layout step (timer 1011) sizes the window for the screen's DPI.
  QSignalSpy laidOut(window, &CMainWnd::LaidOut);
  if (window->size() != QSize(1000, 640)) {
    ASSERT_TRUE(laidOut.wait(3000));
  }
  EXPECT_EQ(window->Dpi(), 96);
  EXPECT_EQ(window->size(), QSize(1000, 640));

  // Another instance wakes it again after the user hid it.
  window->hide();
  QSignalSpy front(window, &CMainWnd::BroughtToFront);
  Send(bus::Messages().instance, 0, 1);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(front.count(), 1);
}

TEST_F(MainWndTest, LinkedDeviceHidesNoDeviceLink) {
  log.linked = 1;
  Open();
  WaitShown();
  EXPECT_FALSE(window->FindControl("No_device_Link")->isVisible());
  EXPECT_FALSE(window->FindControl("device_select_hint")->isVisible());
}

TEST_F(MainWndTest, LightControlSetMessageSwitchesStateAndNotifyFollows) {
  Open();
  // Window-init announced that this program drives the lighting.
  ASSERT_EQ(notifies.size(), 1u);
  EXPECT_EQ(notifies[0], std::make_pair(int64_t{1}, int64_t{1}));

  Send(bus::Messages().lightControlSet, 1, 0);
  EXPECT_EQ(window->LightControlState(), 0);
  ASSERT_EQ(notifies.size(), 2u);
  EXPECT_EQ(notifies[1], std::make_pair(int64_t{1}, int64_t{0}));
  EXPECT_EQ(log.lightControl, std::vector<int>{0});
  auto* button = window->FindControl("control_light_status");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->property("textid").toString(), "control_light_text_0");

  Send(bus::Messages().lightControlSet, 0, 1);  // wParam other than 1
  Send(bus::Messages().lightControlSet, 1, 7);  // not a state
  EXPECT_EQ(window->LightControlState(), 0);
  EXPECT_EQ(notifies.size(), 2u);

  // The window's own button toggles back.
  static_cast<QPushButton*>(button)->click();
  EXPECT_EQ(window->LightControlState(), 1);
  EXPECT_EQ(notifies.back(), std::make_pair(int64_t{1}, int64_t{1}));
}

TEST_F(MainWndTest, DivuRudoReportGoesToThePeerOnlyWhenItIsThere) {
  Open();
  std::vector<std::vector<uint8_t>> blocks;
  std::vector<uint32_t> kinds;
  peer->SetDataHandler([&](int64_t, uint32_t kind, const std::vector<uint8_t>& d) {
    kinds.push_back(kind);
    blocks.push_back(d);
  });
  Send(bus::Messages().divuRudoReport, 0, 0);
  EXPECT_TRUE(blocks.empty());
  ASSERT_TRUE(peer->Publish(kDivuRudoTitle));
  Send(bus::Messages().divuRudoReport, 0, 0);
  ASSERT_EQ(blocks.size(), 1u);
  EXPECT_EQ(kinds[0], 5u);
  std::vector<uint8_t> expected(1024, 0);
  const uint8_t words[] = {2, 3, 0, 2, 4, 1, 1, 0, 1, 1, 0, 2, 1, 0, 0, 1, 0};
  for (size_t i = 0; i < sizeof words; ++i) expected[i * 4] = words[i];
  EXPECT_EQ(blocks[0], expected);
}

TEST_F(MainWndTest, DataBlocksOfTheWrongSizeAreRefusedWithoutHarm) {
  Open();
  std::vector<uint8_t> style(24);
  style[0] = 9;
  ASSERT_TRUE(peer->SendData("Tavrin ORLO", 0, 2, style));
  EXPECT_EQ(window->Audio().Style()[0], 9);
  EXPECT_TRUE(peer->SendData("Tavrin ORLO", 0, 2, std::vector<uint8_t>(20, 1)));    // short
  EXPECT_TRUE(peer->SendData("Tavrin ORLO", 0, 2, std::vector<uint8_t>(28, 1)));    // long
  EXPECT_TRUE(peer->SendData("Tavrin ORLO", 0, 1, std::vector<uint8_t>(4000, 1)));  // oversized frame
  EXPECT_FALSE(peer->SendData("Tavrin ORLO", 0, 1, std::vector<uint8_t>(bus::kMaxDataBlock + 1, 1)));
  EXPECT_EQ(window->Audio().Style()[0], 9);
  EXPECT_EQ(window->Audio().Style()[1], 0);
  EXPECT_EQ(window->Audio().FrameCount(), 0u);
  EXPECT_TRUE(window->isEnabled());
}

TEST_F(MainWndTest, EveryThirdAudioFrameReachesTheKeyboardAsTwentyFiveLevels) {
  Open();
  // Band 0 is values 0-3 (value 4 takes no part), band 1 values 5-8.
  std::vector<uint8_t> loud(2000, 0);
  const auto put = [&](size_t i, int32_t v) {
    for (int b = 0; b < 4; ++b) loud[i * 4 + b] = static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * b));
  };
  put(0, 100), put(1, 200), put(2, -50), put(4, 1000);
  for (size_t i = 5; i < 9; ++i) put(i, 8);
  const std::vector<uint8_t> silent(2000, 0);
  ASSERT_TRUE(peer->SendData("Tavrin ORLO", 0, 1, loud));    // band 0: 350 / 4 = 87; band 1: 8
  ASSERT_TRUE(peer->SendData("Tavrin ORLO", 0, 1, silent));  // (87 + 350) / 4 = 109; 10
  EXPECT_TRUE(log.audioBlocks.empty());
  ASSERT_TRUE(peer->SendData("Tavrin ORLO", 0, 1, loud));    // (109 + 350) / 4 = 114; 10
  ASSERT_EQ(log.audioBlocks.size(), 1u);
  std::vector<int32_t> expected(500, 0);
  expected[0] = 114, expected[1] = 10;
  EXPECT_EQ(log.audioBlocks[0], expected);
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(peer->SendData("Tavrin ORLO", 0, 1, silent));
  ASSERT_EQ(log.audioBlocks.size(), 2u);  // the sixth frame
  EXPECT_EQ(log.audioBlocks[1][0], 7);  // (114 + 350) / 4 = 116, then two silent frames: 29, 7
  EXPECT_EQ(log.audioBlocks[1][1], 0);  // (10 + 32) / 4 = 10, then 2, 0
  // The style values go on as they came.
  ASSERT_TRUE(peer->SendData("Tavrin ORLO", 0, 2, std::vector<uint8_t>{7, 0, 0, 0, 8, 0, 0, 0, 9, 0, 0, 0,
                                                                       0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0}));
  EXPECT_EQ(log.audioStyle, (std::vector<int32_t>{7, 8, 9, 0, 0, 1}));
}

TEST_F(MainWndTest, SuspendIgnoresGameMessagesUntilResume) {
  Open();
  const auto& m = bus::Messages();
  Send(m.gameStart, 0, 3);
  EXPECT_EQ(light.mode, 3);
  window->OnSuspend();
  EXPECT_FALSE(window->Awake());
  EXPECT_EQ(log.lightControl.back(), 0);
  Send(m.gameKill, 0, 5);
  EXPECT_EQ(light.mode, 3);
  // The registered messages of other programs still count while asleep.
  Send(m.lightControlSet, 1, 0);
  EXPECT_EQ(window->LightControlState(), 0);
  window->OnResume();
  EXPECT_TRUE(window->Awake());
  EXPECT_EQ(log.lightControl.back(), 0);
  Send(m.gameDeath, 1, 6);
  EXPECT_EQ(light.mode, 6);
  Send(m.gameEnd, 0, 200);  // no such mode on the device
  EXPECT_EQ(light.mode, 6);
}

TEST_F(MainWndTest, DeviceMessagesStillReachTheDeviceManagerWhileAsleep) {
  Open();
  window->OnSuspend();
  window->OnPrivateMessage(kMsgDeviceArrived, 4, 0);
  window->OnPrivateMessage(kMsgWirelessState, 0, 1);
  window->OnPrivateMessage(kMsgDeviceRemoved, 4, 0);
  window->OnPrivateMessage(kMsgLanguageChanged, 1, 0);  // other private messages wait
  EXPECT_EQ(log.windowMessages,
            (std::vector<uint32_t>{kMsgDeviceArrived, kMsgWirelessState, kMsgDeviceRemoved}));
  EXPECT_EQ(window->LanguageIndex(), 0);
}

TEST_F(MainWndTest, LanguageSwitchWritesTheValueOnlyOnChange) {
  Open();
  // Nothing stored, a Chinese system: Chinese, and nothing is stored for it.
  EXPECT_EQ(window->LanguageIndex(), 0);
  EXPECT_EQ(window->Language().ReadValue(), CLanguageSetting::kUnreadValue);
  window->SwitchLanguage(0);
  EXPECT_FALSE(QFile::exists(QString::fromStdString(IniPath())));

  window->OnPrivateMessage(kMsgLanguageChanged, 1, 0);
  EXPECT_EQ(window->LanguageIndex(), 1);
  EXPECT_EQ(window->Language().ReadValue(), 1033);
  EXPECT_EQ(window->FindControl<QLabel>("no_device_title")->text(), "No device connected");
  // Indices from messages are checked.
  window->OnPrivateMessage(kMsgLanguageChanged, 9, 0);
  window->OnPrivateMessage(kMsgLanguageChanged, -1, 0);
  window->OnPrivateMessage(kMsgLanguageChanged, int64_t{1} << 40, 0);
  EXPECT_EQ(window->LanguageIndex(), 1);
}

TEST_F(MainWndTest, FollowsTheSystemLanguageUntilTheUserPicksOne) {
  Open("C");
  EXPECT_EQ(window->LanguageIndex(), 1);
  EXPECT_EQ(window->FindControl<QLabel>("no_device_title")->text(), "No device connected");
  EXPECT_FALSE(QFile::exists(QString::fromStdString(IniPath())));
  window->Exit();
  delete window;
  window = nullptr;

  Open("zh_CN.UTF-8");
  EXPECT_EQ(window->LanguageIndex(), 0);
  EXPECT_EQ(window->FindControl<QLabel>("no_device_title")->text(), "未连接设备");
  // The settings window's pick is kept, whatever the system's language.
  window->OnPrivateMessage(kMsgLanguageChanged, 1, 0);
  window->Exit();
  delete window;
  window = nullptr;
  Open("zh_CN.UTF-8");
  EXPECT_EQ(window->LanguageIndex(), 1);
}

TEST_F(MainWndTest, AnUnopenableDeviceIsToldOnceWithTheCommandThatInstallsTheRule) {
  Open("en_US");
  EXPECT_EQ(window->AccessNotice(), nullptr);
  ASSERT_TRUE(log.host.accessDenied);
  log.host.accessDenied("/dev/hidraw3#vid_320f&pid_222e&mi_01&col04");
  QWidget* notice = window->AccessNotice();
  ASSERT_NE(notice, nullptr);
  EXPECT_TRUE(notice->isVisible());
  EXPECT_FALSE(notice->isModal());
  auto* title = notice->findChild<QLabel*>("MessageTitle");
  auto* text = notice->findChild<QLabel*>("MessageText");
  ASSERT_NE(title, nullptr);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(title->text(), "The device cannot be opened");
  EXPECT_TRUE(text->text().startsWith("A supported device is connected, but this user is not allowed to open it."));
  EXPECT_TRUE(text->text().endsWith(
      "\n\norloctl udev-rule | sudo tee /etc/udev/rules.d/70-tavrin-orlo.rules >/dev/null &&\n"
      "sudo udevadm control --reload &&\nsudo udevadm trigger --subsystem-match=hidraw"))
      << text->text().toStdString();
  EXPECT_TRUE(text->textInteractionFlags() & Qt::TextSelectableByMouse);

  // The same or another node again, also after the notice was closed: nothing more.
  log.host.accessDenied("/dev/hidraw4#vid_320f&pid_222e&mi_01&col03");
  EXPECT_EQ(window->AccessNotice(), notice);
  static_cast<ui::CWindowUI*>(notice)->Close(1);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(window->AccessNotice(), nullptr);
  log.host.accessDenied("/dev/hidraw3#vid_320f&pid_222e&mi_01&col04");
  EXPECT_EQ(window->AccessNotice(), nullptr);
}

TEST_F(MainWndTest, StartsInTheStoredLanguage) {
  CLanguageSetting(IniPath()).WriteValue(1033);
  Open();
  EXPECT_EQ(window->LanguageIndex(), 1);
}

TEST_F(MainWndTest, ExitStopsTheWorkersEvenWhileTheScanWaitsForTheUi) {
  Open();
  WaitShown();
  ASSERT_TRUE(QTest::qWaitFor([&] { return log.uiHandoffs >= 2; }, 5000));
  // No tray on this platform: the close button ends the program. The scan thread is likely
  // inside Send, waiting for this (busy) UI thread, when the stop comes.
  static_cast<QPushButton*>(window->FindControl("closebtn"))->click();
  EXPECT_FALSE(window->isVisible());
  // The close has ended the threads, not just asked them to end: nothing scans afterwards.
  EXPECT_FALSE(window->WorkerRunning(CWorkerRecords::kScanRecord));
  EXPECT_FALSE(window->WorkerRunning(CWorkerRecords::kLightSyncRecord));
  const int passes = log.scanPasses;
  QCoreApplication::processEvents();
  EXPECT_EQ(log.scanPasses, passes);
}

TEST(AppArgumentsTest, TheDesktopFileNameIsTheInstalledEntrys) {
  // Wayland shows the icon of the entry the program names; the installed entry must be that one.
  EXPECT_TRUE(QFile::exists(QStringLiteral(ORLO_SOURCE_DIR "/packaging/") + kDesktopFileName + ".desktop"));
}

TEST(AppArgumentsTest, OptionsAreParsedAndOthersKept) {
  const char* argv[] = {"orlo", "--simulate", "mouse,keyboard", "--screenshot=/tmp/a.png", "-x"};
  auto a = ParseAppArguments(5, const_cast<char**>(argv));
  EXPECT_EQ(a.simulate, "mouse,keyboard");
  EXPECT_EQ(a.screenshot, "/tmp/a.png");
  EXPECT_EQ(a.ignored, std::vector<std::string>{"-x"});
  const char* dangling[] = {"orlo", "--screenshot"};
  auto b = ParseAppArguments(2, const_cast<char**>(dangling));
  EXPECT_TRUE(b.screenshot.empty());
  EXPECT_EQ(b.ignored.size(), 1u);
}

TEST_F(MainWndTest, AStartWithoutAWindowDeclinesEveryShowAndAMinimisedOneShowsWhereNoTrayIs) {
  MainWindowOptions options;
  options.languageIniPath = IniPath();
  options.systemLocale = "en_US";
  options.start = WindowStart::kNoWindow;
  window = CreateMainWindow(appBus.get(), std::make_unique<FakeDevices>(&log, &light), options);
  ASSERT_NE(window, nullptr);
  QSignalSpy declined(window, &CMainWnd::StayedHidden);
  ASSERT_TRUE(declined.wait(3000));  // the first scan pass asked for the window
  Send(bus::Messages().instance, 0, 1);  // a second start asks too
  log.host.bringToFront();               // and a device arrival
  EXPECT_EQ(declined.count(), 3);
  EXPECT_FALSE(window->isVisible());
  EXPECT_FALSE(window->ShownOnce());
  window->Exit();
  delete window;

  // The offscreen desktop has no tray: a minimised start could never be opened, so it shows.
  ASSERT_FALSE(QSystemTrayIcon::isSystemTrayAvailable());
  options.start = WindowStart::kMinimized;
  window = CreateMainWindow(appBus.get(), std::make_unique<FakeDevices>(&log, &light), options);
  ASSERT_NE(window, nullptr);
  WaitShown();
  EXPECT_TRUE(window->isVisible());
}

}  // namespace
}  // namespace orlo
