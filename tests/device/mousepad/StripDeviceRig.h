#pragma once
// A simulated mousepad or headset wired to its driver, the driver's folders in a temporary place.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "device/link/Catalogue.h"
#include "device/model/RecordingObserver.h"
#include "sim/SimBackend.h"

namespace orlo::testing_support {

template <class Driver, class Sim>
class StripDeviceRig : public ::testing::Test {
 protected:
  void SetUp() override {
    static int counter = 0;
    root_ = std::filesystem::temp_directory_path() /
            ("orlo_strip_" + std::to_string(::getpid()) + "_" + std::to_string(counter++));
    std::filesystem::create_directories(root_);
    ::setenv("XDG_DATA_HOME", (root_ / "data").c_str(), 1);
  }
  void TearDown() override {
    driver_.reset();
    std::filesystem::remove_all(root_);
  }

  // Plugs the device (`word`: "mousepad" or "headset") and connects the driver to its command
  // interface, with its profile list opened.
  void Connect(const std::string& word, uint16_t family) {
    sim::SimOptions options;
    options.persist = false;
    backend_ = sim::MakeSimBackend(word, options);
    sim_ = std::dynamic_pointer_cast<Sim>(backend_->Device(word));
    ASSERT_TRUE(sim_);
    const auto found = ScanSlots(backend_);
    ASSERT_TRUE(found);
    // The pad's interfaces carry the keyboard's placeholder identity, so the catalogue may list
    // it under the keyboard: take the command slot the device's own path fills.
    InterfaceEntry entry;
    for (const auto& s : *found)
      if (s.present && s.variant == kVariantCommand && s.devicePath.rfind("sim:" + word + "#", 0) == 0) entry = s;
    ASSERT_FALSE(entry.devicePath.empty());
    entry.kind = family;
    driver_ = std::make_unique<Driver>(backend_);
    driver_->SetObserver(&observer_);
    ASSERT_EQ(driver_->Connect(entry), 1);
    ASSERT_TRUE(driver_->OpenProfileList());
    driver_->LoadCatalogues();
  }

  void Poke(size_t offset, const std::vector<uint8_t>& bytes) {
    sim_->Memory().Write(sim::Area::Settings, offset, bytes.data(), bytes.size());
  }
  std::vector<uint8_t> Peek(size_t offset, size_t length) {
    std::vector<uint8_t> out(length);
    sim_->Memory().Read(sim::Area::Settings, offset, out.data(), length);
    return out;
  }
  // (code, offset, length) of every command received since the last ClearLog.
  std::vector<std::vector<int>> Commands() const {
    std::vector<std::vector<int>> out;
    for (const auto& r : sim_->Log()) out.push_back({r.code, r.offset, r.length});
    return out;
  }

  std::filesystem::path root_;
  std::shared_ptr<sim::SimBackend> backend_;
  std::shared_ptr<Sim> sim_;
  CRecordingObserver observer_;
  std::unique_ptr<Driver> driver_;
};

}  // namespace orlo::testing_support
