#include "device/link/DeviceSession.h"

#include "platform/DebugLog.h"

namespace orlo {

namespace {

// Only the families that have a receiver switch the link's mode.
bool HasReceiverFamily(uint16_t kind) {
  const uint16_t f = FoldKind(kind);
  return f == kKindMouse || f == kKindKeyboard;
}

}  // namespace

CDeviceSession::CDeviceSession(std::shared_ptr<hid::HidBackend> backend)
    : backend_(std::move(backend)),
      link_(std::make_unique<CDeviceLink>(backend_)),
      companion_(std::make_unique<CDeviceLink>(backend_)) {
  worker_ = std::thread([this] { WorkerLoop(); });
}

CDeviceSession::~CDeviceSession() {
  StopWorker();
  Close();
}

int CDeviceSession::Connect(const InterfaceEntry& entry) {
  if (link_->IsOpen()) return 1;
  const bool receiver = IsReceiverKind(entry.kind);
  if (link_->OpenChannel(receiver, entry.devicePath) != 1) {
    DebugPrintf("cannot open %s", entry.devicePath.c_str());
    return 0;
  }
  link_->SetOpen(true);
  if (HasReceiverFamily(entry.kind)) link_->SetMode(receiver ? CDeviceLink::kReceiverModeValue : 1);
  std::lock_guard lock(entryLock_);
  entry_ = entry;
  return 1;
}

CDeviceSession::Switch CDeviceSession::SwitchTo(const InterfaceEntry& entry) {
  const bool toReceiver = IsReceiverKind(entry.kind);
  link_->SetOpen(false);
  if (!toReceiver) {
    if (link_->OpenChannel(false, entry.devicePath) != 1) {
      DebugPrintf("cannot open %s", entry.devicePath.c_str());
      // Stay on the receiver when it is still open; otherwise nothing is left.
      if (link_->ReceiverChannel().IsOpen() && OnReceiver()) {
        link_->SetOpen(true);
        return Switch::kKeptFormer;
      }
      Close();
      return Switch::kClosed;
    }
  } else {
    // The cable is gone: its channel goes with it.
    link_->CloseChannel(false);
    if (link_->OpenChannel(true, entry.devicePath) != 1) {
      DebugPrintf("cannot open %s", entry.devicePath.c_str());
      Close();
      return Switch::kClosed;
    }
  }
  link_->SetOpen(true);
  link_->SetMode(toReceiver ? CDeviceLink::kReceiverModeValue : 1);
  std::lock_guard lock(entryLock_);
  entry_ = entry;
  return Switch::kMoved;
}

void CDeviceSession::Close() {
  link_->SetOpen(false);
  link_->CloseChannel(false);
  link_->CloseChannel(true);
}

bool CDeviceSession::OnReceiver() const {
  std::lock_guard lock(const_cast<std::mutex&>(entryLock_));
  return IsReceiverKind(entry_.kind);
}

bool CDeviceSession::AwaitReceiver(int tries, std::chrono::milliseconds gap) {
  for (int i = 0; i < tries; ++i) {
    if (link_->QueryWireless()) return true;
    DebugLine("获取2.4G模式失败");
    if (stop_.WaitFor(gap)) return false;
  }
  return false;
}

void CDeviceSession::Submit(std::function<void()> work) {
  {
    std::lock_guard lock(queueLock_);
    if (stopped_) return;
    queue_.push_back(std::move(work));
  }
  queueCv_.notify_all();
}

bool CDeviceSession::Drain(std::chrono::milliseconds limit) {
  std::unique_lock lock(queueLock_);
  return queueCv_.wait_for(lock, limit, [this] { return stopped_ || (queue_.empty() && !busy_); });
}

void CDeviceSession::StopWorker() {
  {
    std::lock_guard lock(queueLock_);
    if (stopped_ && !worker_.joinable()) return;
    stopped_ = true;
    queue_.clear();
  }
  stop_.Set();
  queueCv_.notify_all();
  // A running exchange ends at once when its channel closes under it.
  if (worker_.joinable() && !OnWorkerThread()) {
    Close();
    worker_.join();
  }
}

void CDeviceSession::WorkerLoop() {
  std::unique_lock lock(queueLock_);
  for (;;) {
    queueCv_.wait(lock, [this] { return stopped_ || !queue_.empty(); });
    if (stopped_) break;
    auto work = std::move(queue_.front());
    queue_.pop_front();
    busy_ = true;
    lock.unlock();
    work();
    lock.lock();
    busy_ = false;
    queueCv_.notify_all();
  }
  busy_ = false;
  queueCv_.notify_all();
}

}  // namespace orlo
