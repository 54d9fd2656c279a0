#pragma once
// One physical device's connection: its command link (cable and receiver channels), its
// companion channels, the choice between cable and receiver, and the worker thread on which every
// exchange with the device runs, so that the UI thread never waits for a device. The device
// manager, orloctl and the tests all connect a device through this class.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "base/StopEvent.h"
#include "device/link/Catalogue.h"
#include "device/link/DeviceLink.h"

namespace orlo {

class CDeviceSession {
 public:
  // How a move between cable and receiver ended.
  enum class Switch { kMoved, kKeptFormer, kClosed };

  explicit CDeviceSession(std::shared_ptr<hid::HidBackend> backend);
  ~CDeviceSession();
  CDeviceSession(const CDeviceSession&) = delete;
  CDeviceSession& operator=(const CDeviceSession&) = delete;

  std::shared_ptr<hid::HidBackend> Backend() const { return backend_; }
  CDeviceLink& Link() { return *link_; }
  // The companion interfaces' channels (events the device sends on its own).
  CDeviceLink& Companion() { return *companion_; }

  // ---- connection --------------------------------------------------------------------------
  // Opens the command interface `entry` names (a receiver kind on the receiver channel) unless
  // the link is open already; the families that have a receiver take the mode of the
  // connection, the others keep the link as built. 1 on success, 0 when it cannot be opened.
  int Connect(const InterfaceEntry& entry);
  // Moves an open device to the connection `entry` names: onto its cable when the cable came,
  // onto its receiver when the cable went. A cable that cannot be opened leaves the device on
  // its receiver while that channel is open.
  Switch SwitchTo(const InterfaceEntry& entry);
  // The receiver was pulled while the device runs on its cable: only its channel goes.
  void DropReceiver() { link_->CloseChannel(true); }
  // Closes both command channels; a pending exchange returns at once.
  void Close();
  bool OnReceiver() const;
  // Receiver mode: asks up to `tries` times, `gap` apart, whether the receiver reaches the device
  // (a receiver may need a moment after it was opened). Gives up when the worker is stopping.
  bool AwaitReceiver(int tries, std::chrono::milliseconds gap);

  // ---- work ----------------------------------------------------------------------------------
  // Runs work on the session's worker thread, in the order submitted. Never blocks.
  void Submit(std::function<void()> work);
  // Waits until every submitted piece of work has run; false when `limit` passed first.
  bool Drain(std::chrono::milliseconds limit);
  // Ends the worker: queued work is dropped, running work is cancelled by closing the channels'
  // pending reads and waited for. Afterwards Submit runs nothing.
  void StopWorker();
  bool OnWorkerThread() const { return std::this_thread::get_id() == worker_.get_id(); }

 private:
  void WorkerLoop();

  std::shared_ptr<hid::HidBackend> backend_;
  std::unique_ptr<CDeviceLink> link_;
  std::unique_ptr<CDeviceLink> companion_;
  std::mutex entryLock_;
  InterfaceEntry entry_{};

  CStopEvent stop_;
  std::mutex queueLock_;
  std::condition_variable queueCv_;
  std::deque<std::function<void()>> queue_;
  bool busy_ = false;
  bool stopped_ = false;
  std::thread worker_;
};

}  // namespace orlo
