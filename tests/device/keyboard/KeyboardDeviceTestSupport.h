#pragma once
// A simulated keyboard (wired or through its receiver) wired to a driver, with the driver's
// folders in a temporary place.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "device/keyboard/TessaroKeyboardDevice.h"
#include "device/model/RecordingObserver.h"
#include "sim/SimBackend.h"
#include "sim/SimKeyboard.h"

namespace orlo::testing_support {

class KeyboardRig : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    root_ = std::filesystem::temp_directory_path() /
            ("orlo_keyboard_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::create_directories(root_);
    ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
    backend_ = std::make_shared<sim::SimBackend>();
    memory_ = sim::SimKeyboard::MakeMemory();
  }
  void TearDown() override {
    keyboard_.reset();
    std::filesystem::remove_all(root_);
  }

  // Plugs the keyboard and opens the driver's link on its command interface.
  void Connect(bool receiver) {
    sim_ = std::make_shared<sim::SimKeyboard>(receiver ? sim::Connection::Receiver : sim::Connection::Wired, memory_);
    node_ = backend_->Add(sim_);
    keyboard_ = std::make_unique<CTessaroKeyboardDevice>(backend_);
    keyboard_->SetObserver(&observer_);
    keyboard_->SetSlotEntry(receiver ? 9 : 1, 0, CommandPath());
    keyboard_->SetActiveProfileId("2024_01_02_03_04_05_006");
    ASSERT_EQ(keyboard_->link().OpenChannel(receiver, CommandPath()), 1);
    keyboard_->link().SetMode(receiver ? CDeviceLink::kReceiverModeValue : 1);
    keyboard_->link().SetOpen(true);
  }

  std::string PathWith(const std::string& marker) const {
    for (const auto& p : backend_->PathsOf(node_))
      if (p.find(marker) != std::string::npos) return p;
    return {};
  }
  std::string CommandPath() const { return PathWith("&col04"); }

  // The commands of one code since the last ClearLog: (payload length, offset) each.
  std::vector<std::pair<int, int>> Chunks(uint8_t code) const {
    std::vector<std::pair<int, int>> out;
    for (const auto& r : sim_->Log())
      if (r.code == code) out.emplace_back(r.length, r.offset);
    return out;
  }
  size_t CountOf(uint8_t code) const { return Chunks(code).size(); }
  std::vector<uint8_t> KeyTable() const {
    auto t = memory_->Snapshot(sim::Area::KeyTable);
    t.resize(sim::SimKeyboard::kKeyCount * 3);
    return t;
  }

  std::filesystem::path root_;
  std::shared_ptr<sim::SimBackend> backend_;
  std::shared_ptr<sim::SimMemory> memory_;
  std::shared_ptr<sim::SimKeyboard> sim_;
  std::string node_;
  CRecordingObserver observer_;
  std::unique_ptr<CTessaroKeyboardDevice> keyboard_;
};

}  // namespace orlo::testing_support
