// The typical change from end to end: the simulated wired mouse is found by the scan, its tab is
// shown and selected, the user drags the third resolution slider and lets go; the profile
// document the profile list selects and the mouse's settings area both hold the new stage, and
// the next start of the program loads that profile again.
#include <gtest/gtest.h>

#include <filesystem>

#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include "app/Application.h"
#include "app/CustomControls.h"
#include "app/DeviceManager.h"
#include "app/DeviceOptionUI.h"
#include "app/MainWnd.h"
#include "device/mouse/TessaroMouseDevice.h"
#include "pages/mouse/MousePageUI.h"
#include "platform/bus/LoopbackBus.h"
#include "profile/JsonFile.h"
#include "sim/SimBackend.h"
#include "sim/SimMouse.h"
#include "sim/SimProtocol.h"

namespace orlo {
namespace {

class TypicalChangeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
    sim::SimOptions o;
    o.persist = false;
    backend = sim::MakeSimBackend("mouse", o);
    ASSERT_EQ(backend->Nodes().size(), 1u);
    mouseSim = std::dynamic_pointer_cast<sim::SimMouse>(backend->Device(backend->Nodes()[0]));
    ASSERT_NE(mouseSim, nullptr);
    RegisterCustomControls();
    hub = std::make_shared<bus::LoopbackHub>();
    appBus = hub->Connect();
    Start();
  }
  void TearDown() override { Stop(); }

  void Start() {
    DeviceManagerOptions devices;
    devices.backend = backend;
    MainWindowOptions options;
    options.languageIniPath = dir.filePath("config/settings.ini").toStdString();
    window = CreateMainWindow(appBus.get(), std::make_unique<CDeviceManager>(devices), options);
    ASSERT_NE(window, nullptr);
  }
  void Stop() {
    if (window) window->Exit();
    delete window;
    window = nullptr;
  }

  std::string MouseFolder() const { return dir.filePath("data/Tavrin ORLO/mouse/").toStdString(); }
  // The id the profile list selects, read from the list document as another program would.
  std::string SelectedId() const {
    const Json::Value list = CJsonFile().ReadDocument(MouseFolder() + "ProfileList.ini");
    const Json::Value& entries = list["profilelist"];
    const int selected = list["profileselect"].asInt();
    if (!entries.isArray() || selected < 0 || selected >= static_cast<int>(entries.size())) return {};
    return entries[selected]["profileUUID"].asString();
  }
  CMousePageUI* PageOf(CTessaroMouseDevice* mouse) {
    for (CMousePageUI* p : window->findChildren<CMousePageUI*>())
      if (p->Device() == mouse) return p;
    return nullptr;
  }

  // The selected, shown tab and its device, once the device has read its settings.
  CTessaroMouseDevice* SelectedMouse() {
    QWidget* row = window->FindControl("device_select_layout");
    if (row == nullptr) return nullptr;
    for (CDeviceOptionUI* tab : row->findChildren<CDeviceOptionUI*>()) {
      auto* mouse = dynamic_cast<CTessaroMouseDevice*>(tab->Device());
      if (mouse && tab->IsVisible() && tab->IsSelected() && mouse->HasSettingsBlock()) return mouse;
    }
    return nullptr;
  }

  QTemporaryDir dir;
  std::shared_ptr<sim::SimBackend> backend;
  std::shared_ptr<sim::SimMouse> mouseSim;
  std::shared_ptr<bus::LoopbackHub> hub;
  std::unique_ptr<bus::LoopbackEndpoint> appBus;
  CMainWnd* window = nullptr;
};

TEST_F(TypicalChangeTest, DraggingTheThirdSliderReachesDocumentAndMouse) {
  ASSERT_TRUE(QTest::qWaitFor([&] { return SelectedMouse() != nullptr; }, 10000));
  CTessaroMouseDevice* mouse = SelectedMouse();
  CMousePageUI* page = PageOf(mouse);
  ASSERT_NE(page, nullptr);
  ASSERT_TRUE(page->isVisible());
  auto* slider = page->findChild<QSlider*>("DPI_slider_2");
  ASSERT_NE(slider, nullptr);
  const int profile = mouse->ActiveProfileNumber();
  // The program chose the profile itself: the one the list selects.
  const std::string id = SelectedId();
  ASSERT_FALSE(id.empty());
  const std::string document = MouseFolder() + id + ".Json";
  ASSERT_EQ(mouse->GetProfileName(), document);

  // First contact's traffic is over before the log starts.
  ASSERT_TRUE(mouse->Session().Drain(std::chrono::seconds(10)));
  QCoreApplication::processEvents();
  mouseSim->ClearLog();
  slider->setSliderDown(true);
  slider->setSliderPosition(44);
  slider->setSliderDown(false);
  const int resolution = page->Scale().ResolutionAt(44);
  ASSERT_EQ(resolution, 4500);
  // The page's debounce commits the burst on the driver's worker.
  ASSERT_TRUE(QTest::qWaitFor([&] { return !mouse->Debounce().Pending(); }, 5000));
  ASSERT_TRUE(mouse->Session().Drain(std::chrono::seconds(10)));

  // The document on disk.
  const Json::Value doc = CJsonFile().ReadDocument(document);
  EXPECT_EQ(doc["Device"][0]["DPIStages"]["StageDPIs"][2]["StageDPIX"].asInt(), resolution);

  // The mouse: BeginConfig, the 78-byte block at profile × 128, EndConfig, and nothing else
  // written in between.
  std::vector<sim::CommandRecord> writes;
  for (const auto& r : mouseSim->Log())
    if (r.code == sim::kCmdBeginConfig || r.code == sim::kCmdWriteSettings || r.code == sim::kCmdEndConfig)
      writes.push_back(r);
  ASSERT_GE(writes.size(), 3u);
  EXPECT_EQ(writes.front().code, sim::kCmdBeginConfig);
  EXPECT_EQ(writes.back().code, sim::kCmdEndConfig);
  size_t bytes = 0;
  for (size_t i = 1; i + 1 < writes.size(); ++i) {
    ASSERT_EQ(writes[i].code, sim::kCmdWriteSettings);
    EXPECT_EQ(writes[i].offset, profile * 128 + bytes);
    bytes += writes[i].length;
  }
  EXPECT_EQ(bytes, 78u);
  const std::vector<uint8_t> block = mouseSim->SettingsBlock(profile);
  ASSERT_GE(block.size(), 78u);
  const size_t at = 14 + 9 * 2 + 2;
  EXPECT_EQ(block[at] | (block[at + 1] << 8), resolution);
}

TEST_F(TypicalChangeTest, FirstStartCreatesOneProfileAndTheNextStartLoadsItsChange) {
  ASSERT_TRUE(QTest::qWaitFor([&] { return SelectedMouse() != nullptr; }, 10000));
  const Json::Value list = CJsonFile().ReadDocument(MouseFolder() + "ProfileList.ini");
  ASSERT_EQ(list["profilelist"].size(), 1u);
  EXPECT_EQ(list["profilelist"][0]["profilename"].asString(), "profile1");
  const std::string id = SelectedId();
  ASSERT_FALSE(id.empty());
  int documents = 0;
  for (const auto& e : std::filesystem::directory_iterator(MouseFolder()))
    documents += e.path().extension() == ".Json";
  EXPECT_EQ(documents, 1);

  CTessaroMouseDevice* mouse = SelectedMouse();
  ASSERT_NE(PageOf(mouse), nullptr);
  auto* slider = PageOf(mouse)->findChild<QSlider*>("DPI_slider_2");
  ASSERT_NE(slider, nullptr);
  ASSERT_TRUE(mouse->Session().Drain(std::chrono::seconds(10)));
  QCoreApplication::processEvents();
  slider->setSliderDown(true);
  slider->setSliderPosition(44);
  slider->setSliderDown(false);
  const int profile = mouse->ActiveProfileNumber();
  Stop();

  // Meanwhile the mouse forgot the stage; the profile brings it back.
  const size_t at = static_cast<size_t>(profile) * 128 + 14 + 9 * 2 + 2;
  const uint8_t other[2] = {0xE8, 0x03};  // 1000
  ASSERT_TRUE(mouseSim->Memory().Write(sim::Area::Settings, at, other, 2));

  Start();
  ASSERT_TRUE(QTest::qWaitFor([&] { return SelectedMouse() != nullptr; }, 10000));
  mouse = SelectedMouse();
  EXPECT_EQ(SelectedId(), id);
  EXPECT_EQ(mouse->GetProfileName(), MouseFolder() + id + ".Json");
  const auto stages = mouse->Profile().GetDPIStages();
  ASSERT_GT(stages.size(), 2u);
  EXPECT_EQ(stages[2].dpiX, 4500);
  ASSERT_NE(PageOf(mouse), nullptr);
  slider = PageOf(mouse)->findChild<QSlider*>("DPI_slider_2");
  ASSERT_NE(slider, nullptr);
  // The page shows what the driver's first contact handed back to the UI thread.
  EXPECT_TRUE(QTest::qWaitFor([&] { return slider->value() == 44; }, 5000));
  ASSERT_TRUE(QTest::qWaitFor(
      [&] {
        const auto block = mouseSim->SettingsBlock(profile);
        const size_t s = 14 + 9 * 2 + 2;
        return block.size() >= 78 && (block[s] | (block[s + 1] << 8)) == 4500;
      },
      2000));
  EXPECT_EQ(CJsonFile().ReadDocument(MouseFolder() + "ProfileList.ini")["profilelist"].size(), 1u);
}

}  // namespace
}  // namespace orlo
