#pragma once
// A simulated mouse wired to a driver, with the driver's folders in a temporary place.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "device/model/RecordingObserver.h"
#include "device/mouse/TessaroMouseDevice.h"
#include "sim/SimBackend.h"
#include "sim/SimMouse.h"

namespace orlo::testing_support {

class MouseRig : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    root_ = std::filesystem::temp_directory_path() /
            ("orlo_mouse_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::create_directories(root_);
    ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    backend_ = std::make_shared<sim::SimBackend>();
    memory_ = sim::SimMouse::MakeMemory();
  }
  void TearDown() override {
    mouse_.reset();
    std::filesystem::remove_all(root_);
  }

  // Plugs the mouse (wired or through its receiver) and opens the driver's link on it.
  void Connect(bool receiver, bool asleep = false) {
    sim_ = std::make_shared<sim::SimMouse>(receiver ? sim::Connection::Receiver : sim::Connection::Wired, memory_);
    sim_->SetAsleep(asleep);
    node_ = backend_->Add(sim_);
    mouse_ = std::make_unique<CTessaroMouseDevice>(backend_);
    mouse_->SetObserver(&observer_);
    mouse_->SetSlotEntry(receiver ? 6 : 2, 0, CommandPath());
    mouse_->SetActiveProfileId("2024_01_02_03_04_05_006");
    ASSERT_EQ(mouse_->link().OpenChannel(receiver, CommandPath()), 1);
    mouse_->link().SetMode(receiver ? CDeviceLink::kReceiverModeValue : 1);
    mouse_->link().SetOpen(true);
  }

  std::string PathWith(const std::string& marker) const {
    for (const auto& p : backend_->PathsOf(node_))
      if (p.find(marker) != std::string::npos) return p;
    return {};
  }
  std::string CommandPath() const { return PathWith("&col04"); }
  std::string CompanionPath() const { return PathWith("&col03"); }

  std::string DeviceFolder() const { return (root_ / "data" / "Tavrin ORLO" / "mouse").string() + "/"; }

  void Poke(size_t offset, std::initializer_list<uint8_t> bytes) {
    std::vector<uint8_t> v(bytes);
    memory_->Write(sim::Area::Settings, offset, v.data(), v.size());
  }
  std::vector<uint8_t> Block(int profile) { return sim_->SettingsBlock(profile); }

  // Commands the mouse received since the last ClearLog, by code.
  std::vector<uint8_t> Codes() const {
    std::vector<uint8_t> codes;
    for (const auto& r : sim_->Log()) codes.push_back(r.code);
    return codes;
  }
  size_t CountOf(uint8_t code) const {
    size_t n = 0;
    for (const auto& r : sim_->Log()) n += r.code == code;
    return n;
  }

  template <typename Pred>
  static bool WaitFor(Pred pred, std::chrono::milliseconds limit = std::chrono::milliseconds(2000)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!pred()) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

  std::filesystem::path root_;
  std::shared_ptr<sim::SimBackend> backend_;
  std::shared_ptr<sim::SimMemory> memory_;
  std::shared_ptr<sim::SimMouse> sim_;
  std::string node_;
  CRecordingObserver observer_;
  std::unique_ptr<CTessaroMouseDevice> mouse_;
};

}  // namespace orlo::testing_support
