#pragma once
// A small in-memory HID backend for channel and catalogue tests: listed paths, devices with a
// descriptor and attributes, a report queue, and transfers that honour cancel. A read with a
// time-out and nothing to hand out times out at once; a read without limit blocks and says so
// (readsWaiting), and a cancelled read can be held in the device until the test lets it go.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "platform/hid/HidBackend.h"

namespace orlo::test {

struct FakeDeviceInfo {
  hid::HidAttributes attributes;
  std::vector<uint8_t> descriptor;
  int collectionIndex = 0;
};

class FakeHidBackend : public hid::HidBackend {
 public:
  struct Shared {
    std::mutex mutex;
    std::condition_variable cv;
    std::deque<std::vector<uint8_t>> reports;  // handed to the next reads of any device
    int liveDevices = 0;
    int opens = 0;
    bool lastOpenWrite = false;
    std::atomic<int> readsRunning{0};
    std::atomic<bool> destroyedDuringRead{false};
    int readsWaiting = 0;           // reads blocked with nothing to hand out
    std::vector<int> readTimeouts;  // the time-out each read was given
    // A cancelled read stays inside the device (cancelSeen) until finishReads is set.
    bool holdCancelledReads = false;
    bool cancelSeen = false;
    bool finishReads = false;
  };

  class Device : public hid::HidDevice {
   public:
    Device(std::shared_ptr<Shared> s, FakeDeviceInfo info) : s_(std::move(s)), info_(std::move(info)) {
      std::lock_guard lock(s_->mutex);
      ++s_->liveDevices;
    }
    ~Device() override {
      if (s_->readsRunning > 0) s_->destroyedDuringRead = true;
      std::lock_guard lock(s_->mutex);
      --s_->liveDevices;
    }
    hid::HidAttributes Attributes() const override { return info_.attributes; }
    const std::vector<uint8_t>& ReportDescriptor() const override { return info_.descriptor; }
    int CollectionIndex() const override { return info_.collectionIndex; }

    hid::TransferResult Read(uint8_t* buffer, size_t length, int timeoutMs) override {
      ++s_->readsRunning;
      std::unique_lock lock(s_->mutex);
      s_->readTimeouts.push_back(timeoutMs);
      auto ready = [&] { return cancelled_ || !s_->reports.empty(); };
      hid::TransferResult r{hid::TransferStatus::Timeout, 0};
      if (!ready() && timeoutMs < 0) {
        ++s_->readsWaiting;
        s_->cv.notify_all();
        s_->cv.wait(lock, ready);
        --s_->readsWaiting;
      }
      if (cancelled_) {
        cancelled_ = false;
        r.status = hid::TransferStatus::Cancelled;
        if (s_->holdCancelledReads) {
          s_->cancelSeen = true;
          s_->cv.notify_all();
          s_->cv.wait(lock, [&] { return s_->finishReads; });
        }
      } else if (!s_->reports.empty()) {
        auto report = std::move(s_->reports.front());
        s_->reports.pop_front();
        const size_t n = std::min(length, report.size());
        std::copy(report.begin(), report.begin() + static_cast<long>(n), buffer);
        r = {hid::TransferStatus::Ok, n};
      }
      lock.unlock();
      --s_->readsRunning;
      return r;
    }
    hid::TransferResult Write(const uint8_t*, size_t length, int) override {
      return {hid::TransferStatus::Ok, length};
    }
    void Cancel() override {
      std::lock_guard lock(s_->mutex);
      cancelled_ = true;
      s_->cv.notify_all();
    }

   private:
    std::shared_ptr<Shared> s_;
    FakeDeviceInfo info_;
    bool cancelled_ = false;
  };

  std::optional<std::vector<std::string>> Enumerate() override {
    if (failEnumeration) return std::nullopt;
    return listed;
  }
  std::unique_ptr<hid::HidDevice> Open(const std::string& path, bool, bool write) override {
    {
      std::lock_guard lock(shared->mutex);
      ++shared->opens;
      shared->lastOpenWrite = write;
    }
    auto it = devices.find(path);
    if (it == devices.end()) return nullptr;
    return std::make_unique<Device>(shared, it->second);
  }
  void Push(std::vector<uint8_t> report) {
    std::lock_guard lock(shared->mutex);
    shared->reports.push_back(std::move(report));
    shared->cv.notify_all();
  }

  std::vector<std::string> listed;
  bool failEnumeration = false;
  std::map<std::string, FakeDeviceInfo> devices;
  std::shared_ptr<Shared> shared = std::make_shared<Shared>();
};

// The command collection (page 0xFF1C usage 0x92, id 4, 64-byte reports) and the companion
// consumer-control collection (id 3) the supported devices have.
inline const std::vector<uint8_t>& VendorCollectionDescriptor() {
  static const std::vector<uint8_t> d = {0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x09, 0x01,
                                         0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x3F, 0x81, 0x02,
                                         0x09, 0x01, 0x91, 0x02, 0xC0};
  return d;
}
inline const std::vector<uint8_t>& ConsumerCollectionDescriptor() {
  static const std::vector<uint8_t> d = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x03, 0x15, 0x00,
                                         0x26, 0xFF, 0x03, 0x19, 0x00, 0x2A, 0xFF, 0x03, 0x75, 0x10,
                                         0x95, 0x01, 0x81, 0x00, 0xC0};
  return d;
}

}  // namespace orlo::test
