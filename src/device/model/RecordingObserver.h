#pragma once
// An observer without a display: records every notification by name, with the power bytes and
// the reload requests, and lets a caller wait for a count. For tests, benchmarks and orloctl.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "device/model/DeviceObserver.h"

namespace orlo {

class CRecordingObserver : public IDeviceObserver {
 public:
  // When false, only counts are kept (for the light thread bench).
  bool keepLog = true;

  void OnProfileStateChanged() override { Record("OnProfileStateChanged"); }
  void OnLedsChanged() override { ledsChanged.fetch_add(1, std::memory_order_relaxed); }
  void OnKeyAssignmentsChanged() override { Record("OnKeyAssignmentsChanged"); }
  void OnCataloguesLoaded() override { Record("OnCataloguesLoaded"); }
  void OnPowerChanged(const uint8_t* bytes, int count) override {
    {
      std::lock_guard lock(mutex_);
      power_.assign(bytes, bytes + count);
    }
    Record("OnPowerChanged");
  }
  void OnReloadRequested(int delayMs) override { Record("OnReloadRequested " + std::to_string(delayMs)); }

  std::vector<std::string> Log() const {
    std::lock_guard lock(mutex_);
    return log_;
  }
  int Count(const std::string& name) const {
    std::lock_guard lock(mutex_);
    int n = 0;
    for (const auto& l : log_) n += l == name;
    return n;
  }
  // Waits until `name` was recorded `count` times in all; false when `limit` passed first.
  bool WaitFor(const std::string& name, int count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, limit, [&] {
      int n = 0;
      for (const auto& l : log_) n += l == name;
      return n >= count;
    });
  }
  // Waits until more than `known` notifications were recorded; false when `limit` passed first.
  bool WaitForMore(size_t known, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return cv_.wait_for(lock, limit, [&] { return log_.size() > known; });
  }
  std::vector<uint8_t> Power() const {
    std::lock_guard lock(mutex_);
    return power_;
  }
  void Clear() {
    std::lock_guard lock(mutex_);
    log_.clear();
  }

  std::atomic<long> ledsChanged{0};

 private:
  void Record(const std::string& name) {
    {
      std::lock_guard lock(mutex_);
      if (keepLog) log_.push_back(name);
    }
    cv_.notify_all();
  }

  mutable std::mutex mutex_;
  mutable std::condition_variable cv_;
  std::vector<std::string> log_;
  std::vector<uint8_t> power_;
};

}  // namespace orlo
