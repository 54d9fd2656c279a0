#include "sim/SimDevice.h"

#include <algorithm>
#include <cstring>
#include <thread>
#include <utility>

namespace orlo::sim {
namespace {

// Long runs stream light frames continuously; keep the newest records only.
constexpr size_t kMaxLogRecords = 100000;
constexpr size_t kMaxOtherOutputs = 10000;
// hidraw keeps 64 reports per open file and drops what does not fit.
constexpr size_t kMaxQueuedReports = 64;

struct AreaCommand {
  uint8_t code;
  Area area;
  bool write;
};

constexpr AreaCommand kAreaCommands[] = {
    {kCmdReadInfo, Area::Info, false},          {kCmdReadSettings, Area::Settings, false},
    {kCmdWriteSettings, Area::Settings, true},  {kCmdReadKeyTable, Area::KeyTable, false},
    {kCmdWriteKeyTable, Area::KeyTable, true},  {kCmdWriteLightData, Area::LightData, true},
    {kCmdStreamLightFrame, Area::LiveFrame, true}, {kCmdWriteMacro, Area::Macro, true},
    {kCmdWriteShoot, Area::Shoot, true},        {kCmdReadRange, Area::Power, false},
    {kCmdReadKeyBytes, Area::KeyBytes, false},
};

uint8_t OtherCode(uint8_t code) {
  uint8_t w = static_cast<uint8_t>(code ^ 0x80);
  if (w == kReceiverUnreachable) w = 0xAB;  // would read as "out of reach" on a receiver
  return w;
}

}  // namespace

struct SimDevice::Port {
  size_t interfaceIndex = 0;
  size_t collectionIndex = 0;
  bool canRead = false;
  bool canWrite = false;
  uint64_t generation = 0;
  bool cancel = false;  // auto-reset: ends one transfer
  std::deque<Pending> queue;
  // Wakes this port's reader only: traffic on another interface (a streamed frame, a command's
  // reply) must not wake a listener that has nothing to read, as it would not on a real node.
  std::condition_variable cv;
};

SimDevice::SimDevice(std::string name, hid::HidAttributes attributes, Connection connection,
                     std::shared_ptr<SimMemory> memory)
    : name_(std::move(name)), attributes_(attributes), connection_(connection), memory_(std::move(memory)) {
  if (!memory_) memory_ = std::make_shared<SimMemory>(name_);
}

SimDevice::~SimDevice() = default;

void SimDevice::AddInterface(uint8_t number, InterfaceDescriptor descriptor) {
  interfaces_.push_back({number, std::move(descriptor)});
}

void SimDevice::SetCompanion(size_t interfaceIndex, uint8_t reportId) {
  companionInterface_ = interfaceIndex;
  companionReportId_ = reportId;
}

void SimDevice::SetLatency(std::chrono::microseconds latency) {
  std::lock_guard lock(mu_);
  latency_ = latency < std::chrono::microseconds(0) ? std::chrono::microseconds(0) : latency;
}

void SimDevice::UseManualClock() {
  std::lock_guard lock(mu_);
  if (manualClock_) return;
  manualNow_ = Clock::now();
  manualClock_ = true;
}

void SimDevice::AdvanceClock(std::chrono::microseconds by) {
  {
    std::lock_guard lock(mu_);
    if (!manualClock_ || by.count() <= 0) return;
    manualNow_ += by;
    WakeAllLocked();
  }
}

std::chrono::steady_clock::time_point SimDevice::Now() const {
  std::lock_guard lock(mu_);
  return NowLocked();
}

SimDevice::Clock::time_point SimDevice::NowLocked() const { return manualClock_ ? manualNow_ : Clock::now(); }

bool SimDevice::WaitForCommands(size_t count, std::chrono::milliseconds limit) {
  std::unique_lock lock(mu_);
  return progressCv_.wait_for(lock, limit, [&] { return commandCount_ >= count; });
}

bool SimDevice::WaitForBlockedReads(size_t count, std::chrono::milliseconds limit) {
  std::unique_lock lock(mu_);
  return progressCv_.wait_for(lock, limit, [&] { return blockedReads_ >= count; });
}

size_t SimDevice::BlockedReads() const {
  std::lock_guard lock(mu_);
  return blockedReads_;
}

void SimDevice::SetAsleep(bool asleep) {
  std::lock_guard lock(mu_);
  asleep_ = asleep;
}

bool SimDevice::Asleep() const {
  std::lock_guard lock(mu_);
  return asleep_;
}

void SimDevice::InjectFault(Fault fault, FaultMode mode) {
  std::lock_guard lock(mu_);
  faults_.push_back({fault, mode});
}

void SimDevice::ClearFaults() {
  std::lock_guard lock(mu_);
  faults_.clear();
  lateReplies_.clear();
  unplugAfter_ = -1;
}

void SimDevice::UnplugAfter(int reports) {
  std::lock_guard lock(mu_);
  unplugAfter_ = reports < 0 ? -1 : reports;
}

bool SimDevice::TakeFaultLocked(Fault fault) {
  for (auto it = faults_.begin(); it != faults_.end(); ++it) {
    if (it->fault != fault) continue;
    if (it->mode == FaultMode::Once) faults_.erase(it);
    return true;
  }
  return false;
}

std::vector<CommandRecord> SimDevice::Log() const {
  std::lock_guard lock(mu_);
  return {log_.begin(), log_.end()};
}

void SimDevice::ClearLog() {
  std::lock_guard lock(mu_);
  log_.clear();
  otherOutputs_.clear();
}

size_t SimDevice::CommandCount() const {
  std::lock_guard lock(mu_);
  return commandCount_;
}

std::vector<std::vector<uint8_t>> SimDevice::OtherOutputs() const {
  std::lock_guard lock(mu_);
  return {otherOutputs_.begin(), otherOutputs_.end()};
}

bool SimDevice::Plugged() const {
  std::lock_guard lock(mu_);
  return plugged_;
}

void SimDevice::Plug() {
  std::lock_guard lock(mu_);
  if (plugged_) return;
  plugged_ = true;
  ++generation_;
  unplugAfter_ = -1;
}

void SimDevice::Unplug() {
  std::lock_guard lock(mu_);
  UnplugLocked();
}

void SimDevice::UnplugLocked() {
  plugged_ = false;
  WakeAllLocked();
}

void SimDevice::WakeAllLocked() {
  for (auto& port : ports_) port->cv.notify_all();
}

void SimDevice::SetPowerState(uint8_t percent, uint8_t charging, uint8_t byte4, uint8_t byte5) {
  const uint8_t state[6] = {percent, charging, 0, 0, byte4, byte5};
  memory_->Write(Area::Power, 0, state, sizeof state);
}

bool SimDevice::HostLightControl() const {
  std::lock_guard lock(mu_);
  return hostLightControl_;
}

void SimDevice::OnOtherOutput(size_t, const std::vector<uint8_t>& report) {
  std::lock_guard lock(mu_);
  if (otherOutputs_.size() >= kMaxOtherOutputs) otherOutputs_.pop_front();
  otherOutputs_.push_back(report);
}

bool SimDevice::SendCompanionEvent(uint16_t usage) {
  std::vector<uint8_t> report = {companionReportId_, static_cast<uint8_t>(usage & 0xFF),
                                 static_cast<uint8_t>(usage >> 8)};
  return SendInputReport(companionInterface_, report);
}

bool SimDevice::SendInputReport(size_t interfaceIndex, const std::vector<uint8_t>& report) {
  if (interfaceIndex >= interfaces_.size() || report.empty()) return false;
  const size_t length = interfaces_[interfaceIndex].descriptor.ReportLength(ReportKind::Input, report[0]);
  if (length == 0 || report.size() > length) return false;
  std::vector<uint8_t> padded(report);
  padded.resize(length, 0);
  std::lock_guard lock(mu_);
  // A device asleep behind its receiver has nothing to send.
  if (!plugged_ || (connection_ == Connection::Receiver && asleep_)) return false;
  QueueLocked(interfaceIndex, std::move(padded), NowLocked());
  return true;
}

void SimDevice::QueueLocked(size_t interfaceIndex, std::vector<uint8_t> report, Clock::time_point readyAt) {
  const int collection = interfaces_[interfaceIndex].descriptor.CollectionOfInput(report[0]);
  if (collection < 0) return;
  for (auto& port : ports_) {
    if (port->interfaceIndex != interfaceIndex || port->collectionIndex != static_cast<size_t>(collection) ||
        port->generation != generation_ || !port->canRead)
      continue;
    if (port->queue.size() >= kMaxQueuedReports) continue;
    port->queue.push_back({report, readyAt});
    port->cv.notify_all();
  }
}

std::shared_ptr<SimDevice::Port> SimDevice::Attach(size_t interfaceIndex, size_t collectionIndex, bool read,
                                                   bool write) {
  if (interfaceIndex >= interfaces_.size() ||
      collectionIndex >= interfaces_[interfaceIndex].descriptor.collections.size())
    return nullptr;
  std::lock_guard lock(mu_);
  if (!plugged_) return nullptr;
  auto port = std::make_shared<Port>();
  port->interfaceIndex = interfaceIndex;
  port->collectionIndex = collectionIndex;
  port->canRead = read;
  port->canWrite = write;
  port->generation = generation_;
  ports_.push_back(port);
  return port;
}

void SimDevice::Detach(const std::shared_ptr<Port>& port) {
  std::lock_guard lock(mu_);
  ports_.erase(std::remove(ports_.begin(), ports_.end(), port), ports_.end());
  port->cv.notify_all();
}

void SimDevice::Cancel(Port& port) {
  std::lock_guard lock(mu_);
  port.cancel = true;
  port.cv.notify_all();
}

hid::TransferResult SimDevice::ReadReport(Port& port, uint8_t* buffer, size_t length, int timeoutMs) {
  using hid::TransferStatus;
  std::unique_lock lock(mu_);
  if (!port.canRead || !buffer) return {TransferStatus::Failed, 0};
  const bool forever = timeoutMs < 0;
  const Clock::time_point deadline = NowLocked() + std::chrono::milliseconds(forever ? 0 : timeoutMs);
  bool waited = false;
  for (;;) {
    if (port.cancel) {
      port.cancel = false;
      return {TransferStatus::Cancelled, 0};
    }
    const Clock::time_point now = NowLocked();
    if (!port.queue.empty() && port.queue.front().readyAt <= now) {
      const std::vector<uint8_t> report = std::move(port.queue.front().report);
      port.queue.pop_front();
      const size_t n = std::min(length, report.size());
      std::memcpy(buffer, report.data(), n);
      return {TransferStatus::Ok, n};
    }
    // Reports that arrived before the removal are still handed out, as hidraw does.
    if (port.queue.empty() && (!plugged_ || port.generation != generation_)) return {TransferStatus::Failed, 0};
    if (!forever && now >= deadline) return {TransferStatus::Timeout, 0};
    if (!waited) {
      waited = true;
      ++blockedReads_;
      progressCv_.notify_all();
    }
    if (manualClock_) {
      // Only AdvanceClock, a report, a cancel or an unplug moves a read on.
      port.cv.wait(lock);
    } else {
      Clock::time_point wake = forever ? Clock::time_point::max() : deadline;
      if (!port.queue.empty()) wake = std::min(wake, port.queue.front().readyAt);
      if (wake == Clock::time_point::max())
        port.cv.wait(lock);
      else
        port.cv.wait_until(lock, wake);
    }
  }
}

hid::TransferResult SimDevice::WriteReport(Port& port, const uint8_t* buffer, size_t length, int timeoutMs) {
  using hid::TransferStatus;
  (void)timeoutMs;  // the simulated endpoint always takes the report within its latency
  std::chrono::microseconds latency;
  {
    std::lock_guard lock(mu_);
    if (!port.canWrite || !buffer || length == 0) return {TransferStatus::Failed, 0};
    if (port.cancel) {
      port.cancel = false;
      return {TransferStatus::Cancelled, 0};
    }
    if (!plugged_ || port.generation != generation_) return {TransferStatus::Failed, 0};
    latency = latency_;
    // On the manual clock the report's way out takes clock time, not the caller's time.
    if (manualClock_) {
      manualNow_ += latency;
      latency = std::chrono::microseconds(0);
    }
  }
  if (latency.count() > 0) std::this_thread::sleep_for(latency);

  const InterfaceDescriptor& descriptor = interfaces_[port.interfaceIndex].descriptor;
  const size_t expected = descriptor.ReportLength(ReportKind::Output, buffer[0]);
  // An id the interface does not declare, or more bytes than the report has, is refused.
  if (expected == 0 || length > expected) return {TransferStatus::Failed, 0};
  std::vector<uint8_t> report(buffer, buffer + length);
  report.resize(expected, 0);

  {
    std::lock_guard lock(mu_);
    if (!plugged_ || port.generation != generation_) return {TransferStatus::Failed, 0};
    if (report[0] == kCommandReportId && expected == kReportSize) {
      HandleCommandLocked(port.interfaceIndex, report.data());
      return {TransferStatus::Ok, length};
    }
  }
  OnOtherOutput(port.interfaceIndex, report);
  return {TransferStatus::Ok, length};
}

void SimDevice::HandleCommandLocked(size_t interfaceIndex, const uint8_t* request) {
  CommandRecord rec;
  rec.code = request[3];
  rec.length = request[4];
  rec.offset = static_cast<uint16_t>(request[5] | request[6] << 8);
  rec.payload.assign(request + kPayloadOffset, request + kPayloadOffset + std::min<size_t>(rec.length, kMaxPayload));
  rec.checksumOk = ReportChecksum(request) == static_cast<uint16_t>(request[1] | request[2] << 8);
  std::memcpy(rec.raw.data(), request, kReportSize);
  ++commandCount_;
  progressCv_.notify_all();

  auto keep = [this](CommandRecord&& r) {
    if (log_.size() >= kMaxLogRecords) log_.pop_front();
    log_.push_back(std::move(r));
  };

  if (unplugAfter_ == 0) {
    unplugAfter_ = -1;
    keep(std::move(rec));
    UnplugLocked();
    return;
  }
  if (unplugAfter_ > 0) --unplugAfter_;

  const Clock::time_point readyAt = NowLocked() + latency_;
  // Replies held back from earlier commands come in now, ahead of this command's own.
  for (auto& late : lateReplies_) QueueLocked(late.first, std::move(late.second), readyAt);
  lateReplies_.clear();
  if (TakeFaultLocked(Fault::NoReply)) {
    keep(std::move(rec));
    return;
  }

  std::vector<uint8_t> reply(kReportSize, 0);
  reply[0] = kCommandReportId;
  reply[3] = rec.code;
  uint8_t status = kStatusOk;
  if (!rec.checksumOk) {
    status = kStatusFailed;
  } else if (connection_ == Connection::Receiver && asleep_) {
    reply[3] = kReceiverUnreachable;
  } else if (TakeFaultLocked(Fault::StatusFailed)) {
    status = kStatusFailed;
  } else if (TakeFaultLocked(Fault::StatusRefused)) {
    status = kStatusRefused;
  } else {
    status = ExecuteLocked(request, reply.data());
  }
  reply[4] = rec.length;
  reply[5] = request[5];
  reply[6] = request[6];
  reply[7] = status;
  if (TakeFaultLocked(Fault::WrongCommand)) reply[3] = OtherCode(rec.code);
  if (TakeFaultLocked(Fault::StrayReply)) {
    std::vector<uint8_t> stray(kReportSize, 0);
    stray[0] = kCommandReportId;
    stray[3] = OtherCode(rec.code);
    SealReport(stray.data());
    QueueLocked(interfaceIndex, std::move(stray), readyAt);
  }
  SealReport(reply.data());
  if (TakeFaultLocked(Fault::ShortReply)) reply.resize(kStatusByte);
  if (TakeFaultLocked(Fault::DoubleReply)) QueueLocked(interfaceIndex, reply, readyAt);
  if (TakeFaultLocked(Fault::LateReply))
    lateReplies_.emplace_back(interfaceIndex, std::move(reply));
  else
    QueueLocked(interfaceIndex, std::move(reply), readyAt);
  rec.answered = true;
  rec.status = status;
  keep(std::move(rec));
}

uint8_t SimDevice::ExecuteLocked(const uint8_t* request, uint8_t* reply) {
  const uint8_t code = request[3];
  const size_t length = request[4];
  const size_t offset = static_cast<size_t>(request[5] | request[6] << 8);
  switch (code) {
    case kCmdBeginConfig:
    case kCmdEndConfig:
      return kStatusOk;
    case kCmdWirelessQuery:
      reply[kPayloadOffset] = kWirelessReachable;
      return kStatusOk;
    case kCmdClaimLight:
      if (!supportsClaimLight_) return kStatusRefused;
      hostLightControl_ = true;
      return kStatusOk;
    default:
      break;
  }
  const AreaCommand* cmd = nullptr;
  for (const auto& c : kAreaCommands) {
    if (c.code == code) cmd = &c;
  }
  if (!cmd || !memory_->Has(cmd->area) || length > kMaxPayload) return kStatusRefused;
  if (!cmd->write) return memory_->Read(cmd->area, offset, reply + kPayloadOffset, length) ? kStatusOk : kStatusRefused;
  if (!memory_->Write(cmd->area, offset, request + kPayloadOffset, length)) return kStatusRefused;
  if (memory_->IsPersistent(cmd->area)) memory_->Save();
  OnChunkWritten(code, offset, request + kPayloadOffset, length);
  return kStatusOk;
}

}  // namespace orlo::sim
