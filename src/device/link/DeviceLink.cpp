#include "device/link/DeviceLink.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "platform/DebugLog.h"

namespace orlo {

namespace {

constexpr uint8_t kStatusFailFF = 0xFF;
constexpr uint8_t kStatusFailFE = 0xFE;
constexpr uint8_t kReplyOutOfReach = 0xAA;
constexpr uint8_t kWirelessReachable = 0xFF;
constexpr size_t kCodeByte = 3;
constexpr size_t kStatusByte = 7;
constexpr uint32_t kOffsetLimit = 0x10000;  // offsets travel as 16 bits

// One line of 32 bytes in the trace's fixed layout.
std::string FormatTraceRow(const uint8_t* b) {
  char line[160];
  std::snprintf(line, sizeof line,
                "%02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x %02x   %02x %02x %02x "
                "%02x  %02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x %02x %02x  %02x %02x "
                "%02x %02x",
                b[0], b[1], b[2], b[3], b[4], b[5], b[6], b[7], b[8], b[9], b[10], b[11], b[12],
                b[13], b[14], b[15], b[16], b[17], b[18], b[19], b[20], b[21], b[22], b[23], b[24],
                b[25], b[26], b[27], b[28], b[29], b[30], b[31]);
  return line;
}

// The label line, then the 64 bytes as two lines of 32; written as one block so that traces of
// concurrent exchanges never interleave.
void TraceReport(const char* label, const uint8_t* report) {
  if (!TraceEnabled()) return;
  TraceLine(std::string(label) + "\n" + FormatTraceRow(report) + "\n" +
            FormatTraceRow(report + 32));
}

int StatusResult(const uint8_t* reply) {
  if (reply[kStatusByte] == kStatusFailFF) return kLinkStatusFF;
  if (reply[kStatusByte] == kStatusFailFE) return kLinkStatusFE;
  return kLinkOk;
}

// The outcome of an exchange whose reply must carry a status byte.
int ReplyResult(int result, size_t got, const uint8_t* reply) {
  if (result != kLinkOk) return result;
  if (got <= kStatusByte) return kLinkNoReply;
  return StatusResult(reply);
}

// A reply answers a request when it echoes the request's code, length and offset.
bool AnswersRequest(const uint8_t* reply, const uint8_t* request) {
  return std::memcmp(reply + kCodeByte, request + kCodeByte, 4) == 0;
}

// Clears the busy flag however the exchange ends.
struct BusyScope {
  explicit BusyScope(std::atomic<bool>& flag) : flag_(flag) { flag_.store(true); }
  ~BusyScope() { flag_.store(false); }
  std::atomic<bool>& flag_;
};

}  // namespace

const char* LinkResultText(int result) {
  switch (result) {
    case kLinkOk: return "success";
    case kLinkNoReply: return "link not open, or no reply within the time-out";
    case kLinkWriteFailed: return "the output report could not be written";
    case kLinkOutOfReach: return "the receiver cannot reach the device";
    case kLinkStatusFF: return "the device answered with status 0xFF";
    case kLinkStatusFE: return "the device answered with status 0xFE";
    case kLinkBadBlock: return "bad block number";
    default: return "unknown result";
  }
}

CDeviceLink::CDeviceLink() : CDeviceLink(hid::DefaultBackend()) {}

CDeviceLink::CDeviceLink(std::shared_ptr<hid::HidBackend> backend)
    : wired_(std::make_unique<CHidChannel>(backend)),
      receiver_(std::make_unique<CHidChannel>(backend)) {}

CDeviceLink::~CDeviceLink() {
  isOpen_.store(false);
  wired_->Close();
  receiver_->Close();
}

void CDeviceLink::SetClock(std::function<Clock::time_point()> now) {
  if (now) now_ = std::move(now);
}

int CDeviceLink::SetMode(int mode) {
  const bool receiver = mode == kReceiverModeValue;
  receiverMode_.store(receiver);
  chunkSize_.store(receiver ? kReceiverChunk : kWiredChunk);
  return 1;
}

int CDeviceLink::SetConfigSize(uint16_t size) {
  if (size > kMaxConfigSize) return 0;
  configSize_.store(size);
  return 1;
}

int CDeviceLink::OpenChannel(bool receiver, const std::string& path) {
  std::lock_guard io(ioLock_);
  return (receiver ? *receiver_ : *wired_).Open(path, true, true) ? 1 : 0;
}

void CDeviceLink::CloseChannel(bool receiver) {
  if (receiver == receiverMode_.load()) isOpen_.store(false);
  // Not under ioLock: a read blocked while holding it must be cancelled, not waited for.
  // The channel's Close cancels that read and waits for it to return.
  (receiver ? *receiver_ : *wired_).Close();
}

uint16_t CDeviceLink::Checksum(const uint8_t* report) {
  uint32_t sum = 0;
  for (size_t i = kCodeByte; i < kReportSize; ++i) sum += report[i];
  return static_cast<uint16_t>(sum);
}

void CDeviceLink::BuildRequest(uint8_t* report, uint8_t code, uint8_t length, uint16_t offset,
                               const uint8_t* payload, size_t payloadLength) {
  std::memset(report, 0, kReportSize);
  report[0] = kReportId;
  report[kCodeByte] = code;
  report[4] = length;
  report[5] = static_cast<uint8_t>(offset & 0xFF);
  report[6] = static_cast<uint8_t>(offset >> 8);
  if (payload) std::memcpy(report + kPayloadOffset, payload, std::min(payloadLength, kMaxPayload));
  const uint16_t sum = Checksum(report);
  report[1] = static_cast<uint8_t>(sum & 0xFF);
  report[2] = static_cast<uint8_t>(sum >> 8);
}

// A write that failed because the link was closed under it counts as a closed link.
int CDeviceLink::WriteFailure(const CHidChannel& channel) const {
  return isOpen_.load() && channel.IsOpen() ? kLinkWriteFailed : kLinkNoReply;
}

int CDeviceLink::SendReport(CHidChannel& channel, const uint8_t* report, int timeoutMs) {
  std::lock_guard io(ioLock_);
  if (!channel.IsOpen()) return kLinkNoReply;
  uint32_t written = 0;
  if (channel.Write(report, kReportSize, &written, timeoutMs) <= 0) return WriteFailure(channel);
  return kLinkOk;
}

int CDeviceLink::WriteOutputReport(const uint8_t* report, size_t length) {
  if (!report || length == 0) return kLinkWriteFailed;
  if (TraceEnabled()) {
    std::string line = "输出报告";
    char hex[4];
    for (size_t i = 0; i < length; ++i) {
      std::snprintf(hex, sizeof hex, " %02x", report[i]);
      line += hex;
    }
    TraceLine(line);
  }
  std::lock_guard io(ioLock_);
  if (!wired_->IsOpen()) return kLinkNoReply;
  uint32_t written = 0;
  if (wired_->Write(report, static_cast<uint32_t>(length), &written, kWiredTimeoutMs) <= 0) return WriteFailure(*wired_);
  return kLinkOk;
}

int CDeviceLink::Transact(const uint8_t* request, size_t requestLength, uint8_t* reply,
                          size_t replyLength, size_t* bytesRead) {
  std::lock_guard exchange(exchangeLock_);
  return TransactLocked(request, requestLength, reply, replyLength, bytesRead);
}

int CDeviceLink::TransactLocked(const uint8_t* request, size_t requestLength, uint8_t* reply,
                                size_t replyLength, size_t* bytesRead) {
  BusyScope busy(busy_);
  if (bytesRead) *bytesRead = 0;
  if (!isOpen_.load()) return kLinkNoReply;

  uint8_t out[kReportSize] = {};
  if (request) std::memcpy(out, request, std::min(requestLength, kReportSize));
  TraceReport("命令", out);

  const int timeout = ModeTimeout();
  const bool receiver = receiverMode_.load();
  CHidChannel& channel = ModeChannel();
  if (const int sent = SendReport(channel, out, timeout); sent != kLinkOk) return sent;

  uint8_t in[kReportSize] = {};
  uint32_t got = 0;
  const int result = AwaitReply(channel, out, timeout, receiver, in, got);

  if (got > 0) {
    const size_t n = std::min<size_t>(got, replyLength);
    if (reply && n) std::memcpy(reply, in, n);
    if (bytesRead) *bytesRead = n;
    TraceReport("返回", in);
  }
  return result;
}

int CDeviceLink::AwaitReply(CHidChannel& channel, const uint8_t* request, int timeoutMs,
                            bool receiver, uint8_t* in, uint32_t& got) {
  std::lock_guard io(ioLock_);
  const Clock::time_point deadline = now_() + std::chrono::milliseconds(timeoutMs);
  for (int dropped = 0;; ++dropped) {
    int wait = timeoutMs;
    if (dropped > 0) {
      // A stale reply never lengthens the exchange: the rest of the one time-out is all it gets.
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now_());
      if (left.count() <= 0 || dropped >= kMaxStaleReplies) break;
      wait = static_cast<int>(left.count());
    }
    std::memset(in, 0, kReportSize);
    got = 0;
    if (!channel.IsOpen() || channel.Read(in, kReportSize, &got, wait) <= 0) {
      got = 0;
      return kLinkNoReply;
    }
    got = std::min<uint32_t>(got, kReportSize);
    // Too short to carry a status: nothing in it can be judged.
    if (got <= kStatusByte) return kLinkNoReply;
    if (AnswersRequest(in, request)) return kLinkOk;
    if (receiver && in[kCodeByte] == kReplyOutOfReach) return kLinkOutOfReach;
    // The late answer to an exchange that timed out, or a second copy of an earlier answer:
    // taken for this request it would hand another chunk's data to the caller.
    TraceReport("丢弃返回", in);
  }
  got = 0;
  return kLinkNoReply;
}

int CDeviceLink::TransactQuiet(const uint8_t* request, size_t requestLength, uint8_t* reply,
                               size_t replyLength, size_t* bytesRead) {
  std::lock_guard exchange(exchangeLock_);
  return QuietLocked(request, requestLength, reply, replyLength, bytesRead);
}

int CDeviceLink::QuietLocked(const uint8_t* request, size_t requestLength, uint8_t* reply,
                             size_t replyLength, size_t* bytesRead) {
  if (bytesRead) *bytesRead = 0;
  if (!isOpen_.load()) return kLinkNoReply;
  uint8_t out[kReportSize] = {};
  if (request) std::memcpy(out, request, std::min(requestLength, kReportSize));
  if (const int sent = SendReport(*wired_, out, kWiredTimeoutMs); sent != kLinkOk) return sent;
  uint8_t in[kReportSize] = {};
  uint32_t got = 0;
  {
    std::lock_guard io(ioLock_);
    if (!wired_->IsOpen() || wired_->Read(in, kReportSize, &got, kWiredTimeoutMs) <= 0)
      return kLinkNoReply;
  }
  const size_t n = std::min<size_t>({got, kReportSize, replyLength});
  if (reply && n) std::memcpy(reply, in, n);
  if (bytesRead) *bytesRead = n;
  return kLinkOk;
}

int CDeviceLink::LockedTransact(std::mutex& lock, const uint8_t* request, uint8_t* reply, size_t* bytesRead) {
  std::lock_guard guard(lock);
  return Transact(request, kReportSize, reply, kReportSize, bytesRead);
}

std::mutex& CDeviceLink::LockFor(uint8_t code) {
  return (code == kCmdWriteLightData || code == kCmdStreamLightFrame) ? lightLock_ : commandLock_;
}

int CDeviceLink::SimpleCommand(uint8_t code) {
  uint8_t request[kReportSize];
  BuildRequest(request, code, 0, 0, nullptr, 0);
  uint8_t reply[kReportSize] = {};
  size_t got = 0;
  const int result = LockedTransact(commandLock_, request, reply, &got);
  return ReplyResult(result, got, reply);
}

int CDeviceLink::RunChunks(std::mutex& lock, uint8_t code, bool isRead, uint8_t* readBuffer,
                           const uint8_t* writeBuffer, size_t length, uint32_t offset, int chunk) {
  if (chunk <= 0 || static_cast<size_t>(chunk) > kMaxPayload) return kLinkNoReply;
  // The last chunk's offset must still fit the 16-bit offset field.
  if (length > 0 && offset + (length - 1) >= kOffsetLimit) return kLinkNoReply;
  if (offset >= kOffsetLimit && length > 0) return kLinkNoReply;
  if ((isRead && !readBuffer && length) || (!isRead && !writeBuffer && length)) return kLinkNoReply;

  for (size_t position = 0; position < length; position += static_cast<size_t>(chunk)) {
    const size_t n = std::min(static_cast<size_t>(chunk), length - position);
    uint8_t request[kReportSize];
    BuildRequest(request, code, static_cast<uint8_t>(n), static_cast<uint16_t>(offset + position),
                 isRead ? nullptr : writeBuffer + position, isRead ? 0 : n);
    uint8_t reply[kReportSize] = {};
    size_t got = 0;
    const int result = LockedTransact(lock, request, reply, &got);
    if (const int status = ReplyResult(result, got, reply); status != kLinkOk) return status;
    if (isRead) {
      // The exchange took only this chunk's own answer; it must also carry the whole chunk.
      if (got < kPayloadOffset + n) return kLinkNoReply;
      std::memcpy(readBuffer + position, reply + kPayloadOffset, n);
    }
  }
  return kLinkOk;
}

int CDeviceLink::ChunkSizeFor(uint8_t code) const {
  return code == kCmdWriteShootData ? kWiredChunk : ChunkSize();
}

int CDeviceLink::ChunkedRead(uint8_t code, uint8_t* buffer, size_t length, uint32_t offset) {
  return RunChunks(LockFor(code), code, true, buffer, nullptr, length, offset, ChunkSizeFor(code));
}

int CDeviceLink::ChunkedWrite(uint8_t code, const uint8_t* buffer, size_t length,
                              uint32_t offset) {
  return RunChunks(LockFor(code), code, false, nullptr, buffer, length, offset,
                   ChunkSizeFor(code));
}

int CDeviceLink::BeginConfig() { return SimpleCommand(kCmdBeginConfig); }

int CDeviceLink::EndConfig() {
  // The firmware needs a moment after the last block before it accepts the end of a transfer.
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  return SimpleCommand(kCmdEndConfig);
}

int CDeviceLink::ClaimLightControl() { return SimpleCommand(kCmdClaimLightControl); }

int CDeviceLink::ReadDeviceInfo(DeviceInfo& info) {
  DeviceInfo fresh;
  const int result = ChunkedRead(kCmdReadDeviceInfo, fresh.bytes.data(), kInfoSize, 0);
  if (result == kLinkOk) info = fresh;
  return result;
}

int CDeviceLink::ReadSettings(uint8_t* buffer, size_t length, uint16_t base) {
  return ChunkedRead(kCmdReadSettings, buffer, length, base);
}

int CDeviceLink::WriteSettings(const uint8_t* buffer, size_t length, uint16_t base) {
  return ChunkedWrite(kCmdWriteSettings, buffer, length, base);
}

int CDeviceLink::ReadKeyTable(uint8_t* buffer, size_t capacity) {
  const size_t size = ConfigSize();
  if (capacity < size) return kLinkNoReply;
  return ChunkedRead(kCmdReadKeyTable, buffer, size, 0);
}

int CDeviceLink::WriteKeyTable(const uint8_t* buffer, size_t capacity, int block) {
  if (block != 0) return kLinkBadBlock;
  const size_t size = ConfigSize();
  if (capacity < size) return kLinkNoReply;
  return ChunkedWrite(kCmdWriteKeyTable, buffer, size, 0);
}

int CDeviceLink::ReadKeyByteTable(uint8_t* buffer, size_t capacity) {
  const size_t size = ConfigSize() / 3;
  if (capacity < size) return kLinkNoReply;
  return ChunkedRead(kCmdReadKeyByteTable, buffer, size, 0);
}

int CDeviceLink::WriteLightData(const uint8_t* buffer, size_t length, int block, int blockSize) {
  if (block < 0 || blockSize < 0) return kLinkNoReply;
  const uint64_t base = static_cast<uint64_t>(block) * static_cast<uint64_t>(blockSize);
  if (base >= kOffsetLimit) return kLinkNoReply;
  return ChunkedWrite(kCmdWriteLightData, buffer, length, static_cast<uint32_t>(base));
}

int CDeviceLink::WriteMacroData(const uint8_t* buffer, size_t length) {
  return ChunkedWrite(kCmdWriteMacroData, buffer, length, 0);
}

int CDeviceLink::WriteShootData(const uint8_t* buffer, size_t length) {
  return ChunkedWrite(kCmdWriteShootData, buffer, length, 0);
}

int CDeviceLink::ReadRange(uint8_t* buffer, size_t length, uint16_t offset) {
  if (length > kMaxPayload) return kLinkNoReply;
  if (length == 0) return kLinkOk;
  return RunChunks(commandLock_, kCmdReadRange, true, buffer, nullptr, length, offset,
                   static_cast<int>(length));
}

int CDeviceLink::StreamLightFrame(const uint8_t* buffer, size_t length) {
  if (!buffer && length) return kLinkNoReply;
  if (length >= kOffsetLimit) return kLinkNoReply;
  if (receiverMode_.load()) return kLinkOk;
  const size_t chunk = static_cast<size_t>(ChunkSize());
  for (size_t position = 0; position < length; position += chunk) {
    const size_t n = std::min(chunk, length - position);
    // A frame never waits: when the light lock or the channel is taken, or a logged exchange is
    // running, the chunk is dropped and the next frame will carry fresh colours anyway.
    std::unique_lock light(lightLock_, std::try_to_lock);
    std::unique_lock exchange(exchangeLock_, std::defer_lock);
    if (!light.owns_lock() || busy_.load() || !exchange.try_lock()) {
      if (TraceEnabled()) TraceLine("放弃灯光数据");
      continue;
    }
    uint8_t request[kReportSize];
    BuildRequest(request, kCmdStreamLightFrame, static_cast<uint8_t>(n),
                 static_cast<uint16_t>(position), buffer + position, n);
    uint8_t reply[kReportSize] = {};
    size_t got = 0;
    const int result = QuietLocked(request, kReportSize, reply, sizeof reply, &got);
    exchange.unlock();
    light.unlock();
    if (const int status = ReplyResult(result, got, reply); status != kLinkOk) return status;
  }
  return kLinkOk;
}

bool CDeviceLink::QueryWireless() {
  if (!receiverMode_.load()) return true;
  uint8_t request[kReportSize];
  BuildRequest(request, kCmdQueryWireless, 0, 0, nullptr, 0);
  uint8_t reply[kReportSize] = {};
  size_t got = 0;
  const int result = LockedTransact(commandLock_, request, reply, &got);
  if (result != kLinkOk || got <= kPayloadOffset) return false;
  return StatusResult(reply) == kLinkOk && reply[kPayloadOffset] == kWirelessReachable;
}

bool CDeviceLink::ReceiverGuard() {
  if (!receiverMode_.load()) return true;
  return isOpen_.load() && QueryWireless();
}

}  // namespace orlo
