#pragma once
// An observer without a display: records every call by name, queues posted tasks and armed
// timers until the caller runs them. For tests, benchmarks and orloctl.
#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "device/model/DeviceObserver.h"

namespace orlo {

class CRecordingObserver : public IDeviceObserver {
 public:
  // Timer handler for RunTimers (e.g. 1002 -> driver.ReloadFromDevice()).
  std::function<void(int id)> onTimer;
  // When set, PostToUiThread runs the task at once on the calling thread.
  bool runPostedImmediately = false;
  // When false, only counts are kept (for the light thread bench).
  bool keepLog = true;

  void OnProfileStateChanged() override { Record("OnProfileStateChanged"); }
  void OnLedsChanged() override { ledsChanged.fetch_add(1, std::memory_order_relaxed); }
  void OnKeyAssignmentsChanged() override { Record("OnKeyAssignmentsChanged"); }

  void PostToUiThread(std::function<void()> task) override {
    Record("PostToUiThread");
    if (runPostedImmediately) {
      task();
      return;
    }
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(task));
  }
  void ArmTimer(int id, int ms) override {
    Record("ArmTimer " + std::to_string(id) + " " + std::to_string(ms));
    std::lock_guard lock(mutex_);
    timers_.push_back(id);
  }
  void PostMainMessage(int message, intptr_t wParam, intptr_t lParam) override {
    Record("PostMainMessage " + std::to_string(message) + " " + std::to_string(wParam) + " " +
           std::to_string(lParam));
  }

  void BuildPage() override { Record("BuildPage"); }
  void InitPage() override { Record("InitPage"); }
  void ApplyProfileToPage() override { Record("ApplyProfileToPage"); }
  void PaintLeds() override { Record("PaintLeds"); }
  void ShowKeyAssignments() override { Record("ShowKeyAssignments"); }
  void SelectKey(int index) override { Record("SelectKey " + std::to_string(index)); }
  void ShowFunctionTab(int f, int k) override {
    Record("ShowFunctionTab " + std::to_string(f) + " " + std::to_string(k));
  }
  void OnCataloguesLoaded() override { Record("OnCataloguesLoaded"); }
  void SetStageRanges(int s, int e) override {
    Record("SetStageRanges " + std::to_string(s) + " " + std::to_string(e));
  }
  void ShowPower(const uint8_t* bytes, int count) override {
    std::lock_guard lock(mutex_);
    power_.assign(bytes, bytes + count);
    if (keepLog) log_.push_back("ShowPower");
  }

  // Runs the queued tasks on the calling thread; the number run.
  int RunPosted() {
    std::vector<std::function<void()>> tasks;
    {
      std::lock_guard lock(mutex_);
      tasks.swap(posted_);
    }
    for (auto& t : tasks) t();
    return static_cast<int>(tasks.size());
  }
  int RunTimers() {
    std::vector<int> ids;
    {
      std::lock_guard lock(mutex_);
      ids.swap(timers_);
    }
    for (int id : ids)
      if (onTimer) onTimer(id);
    return static_cast<int>(ids.size());
  }

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
    if (!keepLog) return;
    std::lock_guard lock(mutex_);
    log_.push_back(name);
  }

  mutable std::mutex mutex_;
  std::vector<std::string> log_;
  std::vector<std::function<void()>> posted_;
  std::vector<int> timers_;
  std::vector<uint8_t> power_;
};

}  // namespace orlo
