// The device manager against simulated devices: scan, arrival and removal, the cable/receiver
// switch, the tab row and the "no device" page.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <QTemporaryDir>
#include <QTextStream>
#include <QFile>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>

#include "app/DeviceManager.h"
#include "app/DeviceOptionUI.h"
#include "app/MpDevicePowerUI.h"
#include "app/SlotScanner.h"
#include "app/QtUiDispatcher.h"
#include "app/WorkerRecords.h"
#include "device/keyboard/TessaroKeyboardDevice.h"
#include "device/mouse/TessaroMouseDevice.h"
#include "pages/common/DevicePageUI.h"
#include "sim/SimBackend.h"
#include "sim/SimControl.h"
#include "sim/SimMouse.h"
#include "sim/SimProtocol.h"
#include "platform/bus/SleepWatch.h"
#include "support/PrivateBus.h"
#include "ui/ResourceManager.h"
#include "ui/WindowUI.h"

namespace orlo {
namespace {

constexpr int kWiredSlot = 4;
constexpr int kReceiverSlot = 6;

// The main window's layout, without the rest of the main window.
class HostWindow : public ui::CWindowUI {
 public:
  std::string GetSkinFile() const override { return "XML_MAIN"; }
};

// Passes everything to the simulated devices, except what a test makes fail.
class FaultyBackend : public hid::HidBackend {
 public:
  explicit FaultyBackend(std::shared_ptr<hid::HidBackend> inner) : inner_(std::move(inner)) {}
  std::optional<std::vector<std::string>> Enumerate() override {
    if (failEnumerations > 0) {
      --failEnumerations;
      return std::nullopt;
    }
    return inner_->Enumerate();
  }
  std::unique_ptr<hid::HidDevice> Open(const std::string& path, bool read, bool write) override {
    // Opening for commands fails; the scan's read-only probes still work.
    if (write && !refuseWritesTo.empty() && path.find(refuseWritesTo) != std::string::npos) return nullptr;
    auto device = inner_->Open(path, read, write);
    if (device && otherProductOnProbe && !read && !write) return std::make_unique<Renamed>(std::move(device));
    return device;
  }
  int failEnumerations = 0;
  std::string refuseWritesTo;
  bool otherProductOnProbe = false;

 private:
  // The same node, now another product.
  class Renamed : public hid::HidDevice {
   public:
    explicit Renamed(std::unique_ptr<hid::HidDevice> d) : d_(std::move(d)) {}
    hid::HidAttributes Attributes() const override { return {0x1234, 0x5678, 1}; }
    const std::vector<uint8_t>& ReportDescriptor() const override { return d_->ReportDescriptor(); }
    int CollectionIndex() const override { return d_->CollectionIndex(); }
    hid::TransferResult Read(uint8_t* b, size_t n, int t) override { return d_->Read(b, n, t); }
    hid::TransferResult Write(const uint8_t* b, size_t n, int t) override { return d_->Write(b, n, t); }
    void Cancel() override { d_->Cancel(); }

   private:
    std::unique_ptr<hid::HidDevice> d_;
  };
  std::shared_ptr<hid::HidBackend> inner_;
};

class DeviceManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
    ui::CResourceManager::GetInstance().SetResourcePath(std::string(ORLO_SOURCE_DIR "/skin/"));
    ui::CResourceManager::GetInstance().LoadResource("res.xml");
    CDevicePageUI::RegisterPageControls();
    pageFile = dir.filePath("page.xml").toStdString();
    QFile f(QString::fromStdString(pageFile));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    QTextStream(&f) << "<?xml version=\"1.0\"?><ui version=\"4.0\"><class>Page</class>"
                       "<widget class=\"CDevicePageUI\" name=\"page\"/></ui>";
  }

  // `list` as for --simulate; the mouse and keyboard rows get a page (the others fail like a
  // missing layout); `withKeyboardDriver` gives the keyboard row a driver too; `faulty` puts the fault
  // switches between the manager and the simulated devices.
  void Start(const std::string& list, bool withKeyboardDriver = false, bool faulty = true) {
    sim::SimOptions o;
    o.persist = false;
    sim = sim::MakeSimBackend(list, o);
    backend = std::make_shared<FaultyBackend>(sim);
    window = std::make_unique<HostWindow>();
    ASSERT_TRUE(window->Create("test"));
    DeviceManagerOptions options;
    options.backend = faulty ? std::shared_ptr<hid::HidBackend>(backend) : sim;
    options.pageLayout = [this](int row) { return row <= 1 ? pageFile : std::string("XML/none.xml"); };
    options.makeDriver = [this, withKeyboardDriver](int kind, std::shared_ptr<hid::HidBackend> b)
        -> std::unique_ptr<CTessaroUSBDevice> {
      if (keyboardDriver && kind == kKindKeyboard) return std::make_unique<CTessaroKeyboardDevice>(b);
      if (kind == kKindMouse || (withKeyboardDriver && kind == kKindKeyboard))
        return std::make_unique<CTessaroMouseDevice>(b);
      return nullptr;
    };
    manager = std::make_unique<CDeviceManager>(options);
    handoff = std::make_unique<CQtUiDispatcher>(window.get());
    DeviceManagerHost host;
    host.window = window.get();
    host.bringToFront = [this] { ++broughtToFront; };
    host.endPendingCapture = [this] { ++capturesEnded; };
    manager->AttachHost(host);
    manager->Initialise();
  }
  void TearDown() override {
    manager.reset();
    window.reset();
    qunsetenv("XDG_DATA_HOME");
  }

  void Scan() {
    manager->ScanPass(*handoff, stop);
    Settle();
  }
  CDeviceOptionUI* MouseTab() { return manager->Tab(0); }
  CTessaroUSBDevice* Mouse() { return manager->DeviceOfTab(0); }
  void Fire(int timer) {
    MouseTab()->OnControlTimer(timer);
    Settle();
  }
  // The device's work ran on its worker and what it handed back ran on this (the UI) thread;
  // a hand-back may submit more work, hence a few rounds.
  void Settle() {
    for (int round = 0; round < 3; ++round) {
      for (int i = 0; i < manager->TabCount(); ++i) {
        if (CTessaroUSBDevice* d = manager->DeviceOfTab(i)) {
          ASSERT_TRUE(d->Session().Drain(std::chrono::seconds(10)));
        }
      }
      QCoreApplication::processEvents();
    }
  }
  QStackedWidget* Stack(const char* name) { return window->FindControl<QStackedWidget>(name); }
  bool NoDeviceShown() { return !window->FindControl("No_device_Link")->isHidden(); }

  QTemporaryDir dir;
  std::string pageFile;
  std::shared_ptr<sim::SimBackend> sim;
  std::shared_ptr<FaultyBackend> backend;
  std::unique_ptr<HostWindow> window;
  std::unique_ptr<CDeviceManager> manager;
  std::unique_ptr<CQtUiDispatcher> handoff;
  CStopEvent stop;
  int broughtToFront = 0;
  int capturesEnded = 0;
  bool keyboardDriver = false;  // the keyboard row gets the keyboard's own driver
};

TEST_F(DeviceManagerTest, ReceiverWithMouseAsleepKeepsTabHiddenUntilAProbeAnswers) {
  Start("mouse-receiver-asleep");
  ASSERT_EQ(manager->TabCount(), 1);  // the keyboard has no page in this build
  Scan();
  EXPECT_EQ(manager->Scanner().Slot(kReceiverSlot).present, 1);
  EXPECT_EQ(broughtToFront, 2);  // command and companion interface
  ASSERT_TRUE(Mouse()->link().IsOpen());
  EXPECT_TRUE(Mouse()->link().ReceiverMode());
  EXPECT_FALSE(MouseTab()->IsVisible());
  EXPECT_TRUE(MouseTab()->TimerArmed(CDeviceOptionUI::kTimerFirstContact));

  // Every failed probe re-arms the probe; the count runs 1..19 and starts again at 0.
  for (int i = 1; i <= 20; ++i) {
    Fire(CDeviceOptionUI::kTimerFirstContact);
    EXPECT_EQ(MouseTab()->ReachRetries(), i % 20);
    EXPECT_FALSE(MouseTab()->IsVisible());
    EXPECT_TRUE(MouseTab()->TimerArmed(CDeviceOptionUI::kTimerFirstContact));
  }
  EXPECT_TRUE(NoDeviceShown());

  sim->Device("mouse-receiver")->SetAsleep(false);
  Fire(CDeviceOptionUI::kTimerFirstContact);
  EXPECT_TRUE(MouseTab()->IsVisible());
  EXPECT_TRUE(MouseTab()->IsSelected());
  EXPECT_EQ(manager->SelectedDevice(), Mouse());
  EXPECT_EQ(MouseTab()->ReachRetries(), 0);
  EXPECT_FALSE(NoDeviceShown());
  EXPECT_EQ(Stack("device_switch")->currentWidget(), manager->PageOfTab(0));
  EXPECT_TRUE(MouseTab()->TimerArmed(CDeviceOptionUI::kTimerPresence));
  EXPECT_TRUE(MouseTab()->TimerArmed(CDeviceOptionUI::kTimerBattery));

  // LED painting pauses while the window is hidden in the tray and resumes when it is shown.
  Fire(CDeviceOptionUI::kTimerPaint);
  EXPECT_TRUE(MouseTab()->TimerArmed(CDeviceOptionUI::kTimerPaint));
  manager->SetWindowHidden(true);
  Fire(CDeviceOptionUI::kTimerPaint);
  EXPECT_FALSE(MouseTab()->TimerArmed(CDeviceOptionUI::kTimerPaint));
  manager->SetWindowHidden(false);
  EXPECT_TRUE(MouseTab()->TimerArmed(CDeviceOptionUI::kTimerPaint));

  // The battery poll reaches the power indicator: 85 % charging on the receiver.
  sim->Device("mouse-receiver")->SetPowerState(85, 1);
  Fire(CDeviceOptionUI::kTimerBattery);
  CMpDevicePowerUI* power = manager->PowerOfTab(0);
  EXPECT_EQ(power->findChild<QWidget*>("device_power_value")->property("text").toString(), "85%");
  EXPECT_EQ(CMpDevicePowerUI::ImageOf(power->findChild<QWidget*>("device_power_status")),
            "file='power/wuxian_powering.png'");
  EXPECT_EQ(Stack("device_power_switch")->currentWidget(), power);

  // The mouse falls asleep again: the presence check hides the tab, and shows it on waking.
  sim->Device("mouse-receiver")->SetAsleep(true);
  Fire(CDeviceOptionUI::kTimerPresence);
  EXPECT_FALSE(MouseTab()->IsVisible());
  EXPECT_TRUE(NoDeviceShown());
  sim->Device("mouse-receiver")->SetAsleep(false);
  Fire(CDeviceOptionUI::kTimerPresence);
  EXPECT_TRUE(MouseTab()->IsVisible());
}

// A page that paints its LEDs on the light thread's notice.
class SelfPaintingPage : public CDevicePageUI {
 public:
  using CDevicePageUI::CDevicePageUI;
  bool PaintsOnLedChange() const override { return true; }
};

TEST_F(DeviceManagerTest, APageThatPaintsOnNoticeGetsNoPaintTimer) {
  CDevicePageUI::RegisterPage<SelfPaintingPage>("CSelfPaintingPageUI");
  QFile f(QString::fromStdString(pageFile));
  ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
  QTextStream(&f) << "<?xml version=\"1.0\"?><ui version=\"4.0\"><class>Page</class>"
                     "<widget class=\"CSelfPaintingPageUI\" name=\"page\"/></ui>";
  f.close();
  Start("mouse");
  Scan();
  ASSERT_NE(MouseTab(), nullptr);
  Fire(CDeviceOptionUI::kTimerFirstContact);
  ASSERT_TRUE(MouseTab()->IsVisible());
  EXPECT_FALSE(MouseTab()->TimerArmed(CDeviceOptionUI::kTimerPaint));
  manager->SetWindowHidden(true);
  manager->SetWindowHidden(false);
  EXPECT_FALSE(MouseTab()->TimerArmed(CDeviceOptionUI::kTimerPaint));
  // A timer armed from elsewhere stops at its first tick instead of polling on.
  MouseTab()->ArmTimer(CDeviceOptionUI::kTimerPaint, 5);
  Fire(CDeviceOptionUI::kTimerPaint);
  EXPECT_FALSE(MouseTab()->TimerArmed(CDeviceOptionUI::kTimerPaint));
}

TEST_F(DeviceManagerTest, CableMovesTheReceiverDeviceToWiredAndBackWithOneTab) {
  Start("mouse,mouse-receiver");
  sim->Unplug("mouse");
  Scan();
  Fire(CDeviceOptionUI::kTimerFirstContact);
  ASSERT_TRUE(MouseTab()->IsVisible());
  ASSERT_TRUE(Mouse()->link().ReceiverMode());

  sim->Plug("mouse");
  Scan();
  EXPECT_EQ(manager->TabCount(), 1);
  EXPECT_TRUE(Mouse()->link().IsOpen());
  EXPECT_FALSE(Mouse()->link().ReceiverMode());
  EXPECT_FALSE(Mouse()->IsReceiverConnection());
  EXPECT_EQ(Mouse()->link().ChunkSize(), CDeviceLink::kWiredChunk);
  EXPECT_EQ(Mouse()->SlotEntry().kind, kKindMouse);
  EXPECT_TRUE(MouseTab()->IsVisible());
  EXPECT_TRUE(MouseTab()->TimerArmed(CDeviceOptionUI::kTimerFirstContact));

  sim->Unplug("mouse");
  Scan();
  EXPECT_EQ(manager->Scanner().Slot(kWiredSlot).present, 0);
  EXPECT_TRUE(Mouse()->link().IsOpen());
  EXPECT_TRUE(Mouse()->link().ReceiverMode());
  EXPECT_FALSE(Mouse()->link().WiredChannel().IsOpen());
  EXPECT_EQ(Mouse()->SlotEntry().kind, kKindMouseReceiver);
  EXPECT_TRUE(MouseTab()->IsVisible());

  // The only device goes: "no device" page, both page layouts back at page 0.
  sim->Unplug("mouse-receiver");
  Scan();
  EXPECT_FALSE(MouseTab()->IsVisible());
  EXPECT_FALSE(Mouse()->link().IsOpen());
  EXPECT_TRUE(NoDeviceShown());
  EXPECT_EQ(Stack("device_switch")->currentIndex(), 0);
  EXPECT_EQ(Stack("device_power_switch")->currentIndex(), 0);
  EXPECT_EQ(manager->SelectedDevice(), nullptr);
  EXPECT_FALSE(MouseTab()->TimerArmed(CDeviceOptionUI::kTimerPresence));

  // Plugged in again later: the same device and tab, no second one.
  sim->Plug("mouse-receiver");
  Scan();
  Fire(CDeviceOptionUI::kTimerFirstContact);
  EXPECT_EQ(manager->TabCount(), 1);
  EXPECT_TRUE(MouseTab()->IsVisible());
}

TEST_F(DeviceManagerTest, ReceiverPulledWhileTheCableIsInUseLeavesTheWiredConnection) {
  Start("mouse,mouse-receiver");
  Scan();
  ASSERT_TRUE(MouseTab()->IsVisible());
  ASSERT_FALSE(Mouse()->link().ReceiverMode());
  sim->Unplug("mouse-receiver");
  Scan();
  EXPECT_TRUE(MouseTab()->IsVisible());
  EXPECT_TRUE(Mouse()->link().IsOpen());
  EXPECT_TRUE(Mouse()->link().WiredChannel().IsOpen());
  EXPECT_FALSE(Mouse()->link().ReceiverMode());
}

TEST_F(DeviceManagerTest, FailedReopenInTheSwitchKeepsOrDropsTheConnectionNeverAClosedTab) {
  Start("mouse,mouse-receiver");
  sim->Unplug("mouse");
  Scan();
  Fire(CDeviceOptionUI::kTimerFirstContact);
  ASSERT_TRUE(MouseTab()->IsVisible());

  // The cable's interface appears but cannot be opened for commands: stay on the receiver.
  backend->refuseWritesTo = "sim:mouse#";
  sim->Plug("mouse");
  Scan();
  EXPECT_EQ(manager->Scanner().Slot(kWiredSlot).present, 1);
  EXPECT_TRUE(Mouse()->link().IsOpen());
  EXPECT_TRUE(Mouse()->link().ReceiverMode());
  EXPECT_TRUE(MouseTab()->IsVisible());

  // Now on the cable, the receiver cannot be reopened when the cable goes: the tab hides.
  backend->refuseWritesTo.clear();
  sim->Unplug("mouse");
  Scan();
  sim->Plug("mouse");
  Scan();
  ASSERT_FALSE(Mouse()->link().ReceiverMode());
  backend->refuseWritesTo = "sim:mouse-receiver#";
  sim->Unplug("mouse");
  Scan();
  EXPECT_FALSE(Mouse()->link().IsOpen());
  EXPECT_FALSE(MouseTab()->IsVisible());
  EXPECT_TRUE(NoDeviceShown());
}

TEST_F(DeviceManagerTest, ScanRetriesAFailedEnumerationAndFreesANodeThatNowNamesAnotherDevice) {
  Start("mouse");
  backend->failEnumerations = 1;
  CSlotScanner scanner(backend);
  int arrivals = 0, removals = 0;
  auto arrival = [&](int) { return ++arrivals, true; };
  auto removal = [&](int) { return ++removals, true; };
  EXPECT_EQ(scanner.Pass(arrival, removal, {}), CSlotScanner::PassResult::EnumerationFailed);
  EXPECT_EQ(arrivals, 0);
  EXPECT_EQ(scanner.Pass(arrival, removal, {}), CSlotScanner::PassResult::Done);
  EXPECT_EQ(arrivals, 2);  // command and companion interface of the wired mouse
  EXPECT_EQ(scanner.Slot(kWiredSlot).present, 1);

  // Still openable, but the node now belongs to another product: both slots are freed.
  backend->otherProductOnProbe = true;
  scanner.Pass(arrival, removal, {});
  EXPECT_EQ(removals, 2);
  EXPECT_EQ(scanner.Slot(kWiredSlot).present, 0);
  EXPECT_TRUE(scanner.Slot(kWiredSlot).devicePath.empty());

  // A program on other than simulated devices refuses the simulated-device commands.
  EXPECT_FALSE(manager->OnSimCommand("unplug mouse"));
  EXPECT_TRUE(sim->Device("mouse")->Plugged());

  // A pass stops as soon as asked.
  backend->otherProductOnProbe = false;
  EXPECT_EQ(scanner.Pass(arrival, removal, [] { return true; }), CSlotScanner::PassResult::Stopped);
}

TEST_F(DeviceManagerTest, HidingTheSelectedTabEndsACaptureAndSelectsAnotherVisibleTab) {
  Start("mouse", true);
  ASSERT_EQ(manager->TabCount(), 2);
  manager->ShowTab(0, true, true);
  manager->ShowTab(1, true, false);
  EXPECT_EQ(manager->FirstVisibleTab(), std::make_pair(0, 2));
  EXPECT_EQ(manager->SelectedDevice(), manager->DeviceOfTab(0));
  manager->SelectNextTab();
  EXPECT_EQ(manager->SelectedDevice(), manager->DeviceOfTab(1));
  manager->SelectPreviousTab();
  EXPECT_EQ(manager->SelectedDevice(), manager->DeviceOfTab(0));

  // Hiding a tab that is not selected ends nothing.
  manager->HideTab(1);
  EXPECT_EQ(capturesEnded, 0);
  manager->ShowTab(1, true, false);

  manager->HideTab(0);
  EXPECT_EQ(capturesEnded, 1);
  EXPECT_FALSE(manager->Tab(0)->IsVisible());
  EXPECT_TRUE(manager->Tab(1)->IsSelected());
  EXPECT_EQ(manager->SelectedDevice(), manager->DeviceOfTab(1));
  EXPECT_EQ(Stack("device_switch")->currentWidget(), manager->PageOfTab(1));
  EXPECT_FALSE(NoDeviceShown());

  // Out-of-range indices and messages are ignored.
  manager->HideTab(7);
  manager->OnWindowMessage(3090, 99, 0);
  manager->OnWindowMessage(3091, -1, 0);
  manager->OnWindowMessage(3331, 5, 1);
  EXPECT_EQ(manager->TabCount(), 2);
  EXPECT_EQ(manager->SelectedDevice(), manager->DeviceOfTab(1));
}

TEST_F(DeviceManagerTest, ScanThreadHandsArrivalAndRemovalToTheUiThreadAndStopsInTime) {
  Start("mouse");
  CWorkerRecords workers;
  std::atomic<int> passes{0};
  workers.Start(CWorkerRecords::kScanRecord, [&](const CStopEvent& stop) {
    while (!stop.WaitFor(std::chrono::milliseconds(1))) {
      manager->ScanPass(*handoff, stop);
      ++passes;
      if (stop.WaitFor(std::chrono::milliseconds(100))) return;
    }
  });
  QTRY_VERIFY_WITH_TIMEOUT(MouseTab()->IsVisible(), 5000);
  EXPECT_TRUE(Mouse()->link().IsOpen());
  sim->Unplug("mouse");
  QTRY_VERIFY_WITH_TIMEOUT(!MouseTab()->IsVisible(), 5000);
  EXPECT_TRUE(NoDeviceShown());
  const auto outcome = workers.StopAll();
  EXPECT_EQ(outcome[CWorkerRecords::kScanRecord], CWorkerRecords::Outcome::Ended);
  EXPECT_GE(passes.load(), 2);
}

TEST_F(DeviceManagerTest, SimulatedDeviceCommandsPlugAndUnplug) {
  Start("mouse", false, false);
  EXPECT_FALSE(sim::ParseSimCommand("plug"));
  EXPECT_FALSE(sim::ParseSimCommand("eject mouse"));
  EXPECT_FALSE(sim::ParseSimCommand("plug ../mouse"));
  EXPECT_FALSE(sim::ParseSimCommand("plug " + std::string(80, 'a')));
  EXPECT_FALSE(manager->OnSimCommand("unplug keyboard"));  // no such simulated device

  Scan();
  ASSERT_TRUE(MouseTab()->IsVisible());
  EXPECT_TRUE(manager->OnSimCommand("unplug mouse"));
  Scan();
  EXPECT_FALSE(MouseTab()->IsVisible());
  EXPECT_TRUE(manager->OnSimCommand("plug mouse"));
  Scan();
  EXPECT_TRUE(MouseTab()->IsVisible());
}

TEST_F(DeviceManagerTest, TheLightControlStateReachesEveryDeviceOnItsWorker) {
  keyboardDriver = true;
  Start("mouse,keyboard");
  Scan();
  CTessaroKeyboardDevice* keyboard = nullptr;
  for (int i = 0; i < manager->TabCount(); ++i)
    if (auto* k = dynamic_cast<CTessaroKeyboardDevice*>(manager->DeviceOfTab(i))) keyboard = k;
  ASSERT_NE(keyboard, nullptr);
  ASSERT_TRUE(keyboard->link().IsOpen());
  auto device = sim->Device("keyboard");
  auto claims = [&] {
    size_t n = 0;
    for (const auto& r : device->Log()) n += r.code == kCmdClaimLightControl;
    return n;
  };
  device->ClearLog();
  manager->SetLightControl(0);
  Settle();
  EXPECT_EQ(keyboard->LightControl(), 0);
  EXPECT_EQ(claims(), 0u);
  manager->SetLightControl(1);
  Settle();
  EXPECT_EQ(keyboard->LightControl(), 1);
  EXPECT_EQ(claims(), 1u);  // the wired keyboard is claimed for the host's lighting
}

TEST_F(DeviceManagerTest, ADeviceArrivingAfterTheStateWasSetStartsWithIt) {
  keyboardDriver = true;
  Start("mouse,keyboard");
  sim->Unplug("keyboard");
  Scan();
  manager->SetLightControl(0);
  Settle();
  ASSERT_TRUE(sim->Plug("keyboard"));
  Scan();
  CTessaroKeyboardDevice* keyboard = nullptr;
  for (int i = 0; i < manager->TabCount(); ++i)
    if (auto* k = dynamic_cast<CTessaroKeyboardDevice*>(manager->DeviceOfTab(i))) keyboard = k;
  ASSERT_NE(keyboard, nullptr);
  EXPECT_EQ(keyboard->LightControl(), 0);  // a fresh driver would say 1
}

TEST_F(DeviceManagerTest, GameLightingTargetsTheSelectedDeviceOnly) {
  Start("mouse");
  EXPECT_EQ(manager->SelectedLightTarget(), nullptr);  // no tab shown yet
  Scan();
  Fire(CDeviceOptionUI::kTimerFirstContact);
  ASSERT_EQ(manager->SelectedDevice(), Mouse());
  ILightTarget* target = manager->SelectedLightTarget();
  ASSERT_NE(target, nullptr);
  EXPECT_EQ(manager->SelectedLightTarget(), target);  // one target per device
  target->ApplyLightMode(1, 1920, 1080);
  EXPECT_EQ(Mouse()->GetLightEffect().mode, 1);

  sim->Unplug("mouse");
  Scan();
  EXPECT_EQ(manager->SelectedLightTarget(), nullptr);
}

// "deng_same_mode" from a flashing keyboard: the mouse flashes in its own numbering (4, which the
// simulated mouse stores as code 4), both tabs show the synchronised look, the thread paints both
// pictures with one word, and pulling the mouse out mid-synchronisation hangs nothing.
TEST_F(DeviceManagerTest, SynchronisedLightingReachesEveryDeviceInItsOwnModeAndSurvivesAnUnplug) {
  keyboardDriver = true;
  Start("mouse,keyboard");
  Scan();
  CTessaroUSBDevice* keyboard = nullptr;
  int keyboardTab = -1;
  for (int i = 0; i < manager->TabCount(); ++i) {
    manager->Tab(i)->OnControlTimer(CDeviceOptionUI::kTimerFirstContact);
    Settle();
    if (dynamic_cast<CTessaroKeyboardDevice*>(manager->DeviceOfTab(i))) keyboard = manager->DeviceOfTab(i), keyboardTab = i;
  }
  ASSERT_NE(keyboard, nullptr);
  ASSERT_TRUE(MouseTab()->IsVisible() && manager->Tab(keyboardTab)->IsVisible());
  keyboard->ChangeLighting([](LightInfo& e) {
    e.mode = 23, e.brightness = 4, e.speed = 4, e.multiColor = 0, e.red = 10, e.green = 20, e.blue = 30;
  });
  // A mouse mode without a counterpart starts nothing.
  Mouse()->ChangeLighting([](LightInfo& e) { e.mode = 7; });
  manager->SyncLighting(Mouse());
  EXPECT_FALSE(keyboard->link().LightSyncActive());

  std::thread thread([this] { manager->LightSyncThread(stop); });
  manager->SyncLighting(keyboard);
  EXPECT_TRUE(keyboard->link().LightSyncActive());
  EXPECT_TRUE(Mouse()->link().LightSyncActive());
  EXPECT_EQ(Mouse()->GetLightEffect().mode, 4);
  EXPECT_EQ(Mouse()->GetLightEffect().red, 10);
  EXPECT_EQ(keyboard->GetLightEffect().mode, 23);
  EXPECT_TRUE(MouseTab()->IsSynchro());
  EXPECT_TRUE(manager->Tab(keyboardTab)->IsSynchro());
  auto mouseSim = std::dynamic_pointer_cast<sim::SimMouse>(sim->Device("mouse"));
  EXPECT_TRUE(QTest::qWaitFor([&] {
    Settle();
    return mouseSim->SettingsBlock(0)[1] == 4;
  }, 5000));
  EXPECT_EQ(mouseSim->SettingsBlock(0)[6], 10);
  // Flashing starts "on": both pictures show the colour at full brightness.
  EXPECT_TRUE(QTest::qWaitFor([&] {
    return Mouse()->ledState().GetWord(0) == 0xFF1E140Au && keyboard->ledState().GetWord(0) == 0xFF1E140Au;
  }, 5000));

  sim->Unplug("mouse");
  Scan();
  EXPECT_TRUE(QTest::qWaitFor([&] { return !manager->LightSync().Active(Mouse()); }, 5000));
  // One tab is left: synchronisation ends for the keyboard too, and its tab loses the look.
  EXPECT_FALSE(keyboard->link().LightSyncActive());
  EXPECT_TRUE(QTest::qWaitFor([&] { return !manager->Tab(keyboardTab)->IsSynchro(); }, 5000));
  stop.Set();
  thread.join();
}

// A receiver whose mouse never answers costs each exchange the receiver's full time-out. All of
// them run on the device's worker: the UI thread's calls return while the exchanges still wait
// on the receiver (before, the first probe alone held the UI thread for the 5 s time-out).
TEST_F(DeviceManagerTest, ASilentReceiverNeverStallsTheUiThread) {
  Start("mouse-receiver");
  sim->Device("mouse-receiver")->InjectFault(sim::Fault::NoReply, sim::FaultMode::Always);
  manager->ScanPass(*handoff, stop);  // arrival: the receiver's channel opens
  MouseTab()->OnControlTimer(CDeviceOptionUI::kTimerFirstContact);
  MouseTab()->OnControlTimer(CDeviceOptionUI::kTimerPresence);
  MouseTab()->OnControlTimer(CDeviceOptionUI::kTimerBattery);
  Mouse()->RequestCommit();
  // Back on the UI thread with every exchange still pending on the worker.
  EXPECT_FALSE(Mouse()->Session().Drain(std::chrono::milliseconds(0)));
  QCoreApplication::processEvents();
  EXPECT_FALSE(MouseTab()->IsVisible());
}

// ---- settings restored when a device comes back -------------------------------------------

class DeviceReturnTest : public DeviceManagerTest {
 protected:
  CTessaroMouseDevice* Driver() { return dynamic_cast<CTessaroMouseDevice*>(Mouse()); }
  // The active profile as the user left it: stage 0 at 1600, colour 12 34 56.
  void EditProfile() {
    CTessaroMouseDevice* mouse = Driver();
    ASSERT_NE(mouse, nullptr);
    mouse->SetStageResolution(0, 1600);
    LightInfo e = mouse->GetLightEffect();
    e.red = 0x12, e.green = 0x34, e.blue = 0x56;
    mouse->SetLightEffect(e);
    mouse->NotifyProfileChanged();
  }
  // Settings blocks written (each write's first chunk lands at offset 0 or profile x 128).
  size_t SettingsWrites(const std::string& node) {
    size_t n = 0;
    for (const auto& r : sim->Device(node)->Log()) n += r.code == sim::kCmdWriteSettings && r.offset % 128 == 0;
    return n;
  }
  // The profile above, as profile 0's block holds it.
  void ExpectProfileOnDevice(const std::string& node) {
    const auto block = std::dynamic_pointer_cast<sim::SimMouse>(sim->Device(node))->SettingsBlock(0);
    EXPECT_EQ(block[0], 0);                      // the mouse runs profile 0
    EXPECT_EQ(block[6], 0x12);                   // colour
    EXPECT_EQ(block[7], 0x34);
    EXPECT_EQ(block[8], 0x56);
    EXPECT_EQ(block[16], 0x40);                  // stage 0, X = 1600
    EXPECT_EQ(block[17], 0x06);
    EXPECT_EQ(block[59], 1);
  }
  static void Flush(QDBusConnection& c) {
    c.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                          "org.freedesktop.DBus.Peer", "Ping"));
  }
  static void SendPrepareForSleep(QDBusConnection& c, bool start) {
    QDBusMessage m = QDBusMessage::createSignal(bus::kLoginPath, bus::kLoginInterface, "PrepareForSleep");
    m << start;
    ASSERT_TRUE(c.send(m));
    Flush(c);
  }
};

TEST_F(DeviceReturnTest, AfterTheResumeSignalTheProfileIsWrittenOnceAndOnlyTheLoginManagerCounts) {
  PrivateBus privateBus;
  ASSERT_FALSE(privateBus.address().isEmpty());
  QDBusConnection login = QDBusConnection::connectToBus(privateBus.address(), "fake-login1");
  QDBusConnection rogue = QDBusConnection::connectToBus(privateBus.address(), "rogue-sender");
  ASSERT_TRUE(login.registerService(bus::kLoginService));
  Start("mouse");
  Scan();
  Fire(CDeviceOptionUI::kTimerFirstContact);
  ASSERT_TRUE(MouseTab()->IsVisible());
  EditProfile();
  auto device = sim->Device("mouse");
  // The mouse forgot everything while the machine slept.
  device->Memory().ResetToFactory();
  device->ClearLog();

  {
    bus::SleepWatch watch(privateBus.address());
    ASSERT_TRUE(watch.Watching());
    QObject::connect(&watch, &bus::SleepWatch::Resumed, [this] { manager->OnResume(); });
    QSignalSpy suspending(&watch, &bus::SleepWatch::Suspending);
    QSignalSpy resumed(&watch, &bus::SleepWatch::Resumed);
    // Another program's signal of the same name is not the login manager's.
    SendPrepareForSleep(rogue, false);
    SendPrepareForSleep(login, true);
    ASSERT_TRUE(suspending.wait(5000));
    SendPrepareForSleep(login, false);
    ASSERT_TRUE(resumed.wait(5000));
    EXPECT_EQ(resumed.count(), 1);
    EXPECT_EQ(suspending.count(), 1);
    Settle();
  }
  EXPECT_EQ(SettingsWrites("mouse"), 1u);
  ExpectProfileOnDevice("mouse");
  QDBusConnection::disconnectFromBus("fake-login1");
  QDBusConnection::disconnectFromBus("rogue-sender");
}

TEST_F(DeviceReturnTest, AReplugWritesTheStoredProfileOnceAndAResumeBeforeItsFirstContactAddsNothing) {
  Start("mouse");
  Scan();
  Fire(CDeviceOptionUI::kTimerFirstContact);
  EXPECT_EQ(SettingsWrites("mouse"), 1u);  // the first contact of the run
  EditProfile();
  sim->Unplug("mouse");
  Scan();
  ASSERT_FALSE(MouseTab()->IsVisible());
  auto device = sim->Device("mouse");
  device->Memory().ResetToFactory();  // back from another computer with its factory settings
  device->ClearLog();
  sim->Plug("mouse");
  Scan();
  manager->OnResume();  // its first contact is still to come and writes by itself
  Settle();
  EXPECT_EQ(SettingsWrites("mouse"), 0u);
  Fire(CDeviceOptionUI::kTimerFirstContact);
  EXPECT_EQ(SettingsWrites("mouse"), 1u);
  // The stored profile, not the factory lighting the mouse came back with.
  ExpectProfileOnDevice("mouse");
  EXPECT_EQ(Driver()->GetLightEffect().red, 0x12);
}

TEST_F(DeviceReturnTest, AMouseWakingBehindItsReceiverGetsItsProfileOnceUnlessItSwitchedProfileItself) {
  Start("mouse-receiver");
  Scan();
  Fire(CDeviceOptionUI::kTimerFirstContact);
  ASSERT_TRUE(MouseTab()->IsVisible());
  EXPECT_EQ(SettingsWrites("mouse-receiver"), 1u);  // one first contact, one write
  EditProfile();
  auto device = sim->Device("mouse-receiver");
  device->SetAsleep(true);
  Fire(CDeviceOptionUI::kTimerPresence);
  ASSERT_FALSE(MouseTab()->IsVisible());
  device->Memory().ResetToFactory();
  device->ClearLog();
  manager->OnResume();  // hidden: it restores when it answers again
  Settle();
  EXPECT_EQ(SettingsWrites("mouse-receiver"), 0u);
  device->SetAsleep(false);
  Fire(CDeviceOptionUI::kTimerPresence);
  EXPECT_TRUE(MouseTab()->IsVisible());
  EXPECT_EQ(SettingsWrites("mouse-receiver"), 1u);
  ExpectProfileOnDevice("mouse-receiver");

  // Asleep again; meanwhile its own button switches it to profile 2, whose colour is 21 22 23.
  device->SetAsleep(true);
  Fire(CDeviceOptionUI::kTimerPresence);
  const uint8_t colour[] = {0x21, 0x22, 0x23};
  device->Memory().Write(sim::Area::Settings, 2 * 128 + 6, colour, 3);
  std::dynamic_pointer_cast<sim::SimMouse>(device)->SwitchProfile(2);
  device->ClearLog();
  device->SetAsleep(false);
  Fire(CDeviceOptionUI::kTimerPresence);
  manager->OnResume();
  Settle();
  // Read, not written over: the mouse stays on profile 2 and the page shows it.
  EXPECT_EQ(SettingsWrites("mouse-receiver"), 0u);
  EXPECT_EQ(std::dynamic_pointer_cast<sim::SimMouse>(device)->ActiveProfile(), 2);
  EXPECT_EQ(Driver()->ActiveProfileNumber(), 2);
  EXPECT_EQ(Driver()->GetLightEffect().red, 0x21);
}

}  // namespace
}  // namespace orlo
