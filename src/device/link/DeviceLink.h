#pragma once
// The command transport of one physical device: a wired and a receiver channel on the device's
// vendor-defined command interface, the connection mode, and the command functions. Every
// exchange is one 64-byte output report answered by one 64-byte input report; larger blocks move
// as a run of such exchanges, each carrying a chunk and its byte offset.
//
// Locks, always taken in this order: commandLock or lightLock (one command's chunk), then
// exchangeLock (one request/reply pair on the channel, so two exchanges never take each other's
// replies), then ioLock (each write, each read loop, and channel (re)opening).
#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "device/link/HidChannel.h"

namespace orlo {

// Result codes of the transaction and of every command function.
enum LinkResult : int {
  kLinkOk = 1,
  kLinkNoReply = 0,        // link not open, or no reply within the time-out
  kLinkWriteFailed = -1,   // the output report could not be written
  kLinkOutOfReach = -101,  // receiver mode: the receiver cannot reach the device
  kLinkStatusFF = -102,    // the device answered with status 0xFF
  kLinkStatusFE = -103,    // the device answered with status 0xFE
  kLinkBadBlock = -201,    // WriteKeyTable with a block other than 0
};

// One-line meaning of a result code, for messages.
const char* LinkResultText(int result);

// Command codes.
enum LinkCommand : uint8_t {
  kCmdBeginConfig = 1,
  kCmdEndConfig = 2,
  kCmdReadDeviceInfo = 3,
  kCmdReadSettings = 5,
  kCmdWriteSettings = 6,
  kCmdReadKeyTable = 7,
  kCmdWriteKeyTable = 9,
  kCmdWriteLightData = 11,
  kCmdStreamLightFrame = 18,
  kCmdWriteMacroData = 21,
  kCmdWriteShootData = 23,
  kCmdReadRange = 26,
  kCmdReadKeyByteTable = 27,
  kCmdClaimLightControl = 28,
  kCmdQueryWireless = 0xAA,
};

// The 34-byte information block: a 32-byte block followed by a 16-bit little-endian word.
struct DeviceInfo {
  std::array<uint8_t, 34> bytes{};
  const uint8_t* Block() const { return bytes.data(); }
  uint16_t Word() const { return static_cast<uint16_t>(bytes[32] | (bytes[33] << 8)); }
};

class CDeviceLink {
 public:
  static constexpr size_t kReportSize = 64;
  static constexpr size_t kPayloadOffset = 8;
  static constexpr size_t kMaxPayload = kReportSize - kPayloadOffset;  // 56
  static constexpr uint8_t kReportId = 4;
  static constexpr int kWiredChunk = 56;
  static constexpr int kReceiverChunk = 24;
  static constexpr int kWiredTimeoutMs = 1000;
  static constexpr int kReceiverTimeoutMs = 5000;
  static constexpr uint16_t kMaxConfigSize = 512;
  static constexpr size_t kInfoSize = 34;
  static constexpr int kReceiverModeValue = 2;  // SetMode(2) selects receiver mode
  // Replies that answer another request (a late answer to an exchange that timed out, a second
  // copy) are dropped while the exchange waits for its own; at most this many per exchange.
  static constexpr int kMaxStaleReplies = 8;

  using Clock = std::chrono::steady_clock;

  // Channels use hid::DefaultBackend() unless a backend is given.
  CDeviceLink();
  explicit CDeviceLink(std::shared_ptr<hid::HidBackend> backend);
  ~CDeviceLink();
  CDeviceLink(const CDeviceLink&) = delete;
  CDeviceLink& operator=(const CDeviceLink&) = delete;

  // ---- Connection state ------------------------------------------------------------------
  // Mode 2 is receiver mode, any other value wired mode. Always 1.
  int SetMode(int mode);
  bool ReceiverMode() const { return receiverMode_.load(); }
  int ChunkSize() const { return chunkSize_.load(); }
  // Key table length for commands 7, 9 and 27; refused (0, unchanged) above 512.
  int SetConfigSize(uint16_t size);
  uint16_t ConfigSize() const { return configSize_.load(); }

  bool IsOpen() const { return isOpen_.load(); }
  void SetOpen(bool open) { isOpen_.store(open); }
  bool Busy() const { return busy_.load(); }
  bool LightSyncActive() const { return lightSyncActive_.load(); }
  void SetLightSyncActive(bool on) { lightSyncActive_.store(on); }

  // For the device manager: (re)opens the wired or the receiver channel under ioLock, for
  // reading and writing. 1 on success. Does not change isOpen.
  int OpenChannel(bool receiver, const std::string& path);
  // Clears isOpen when it is the current connection's channel, then closes it. A transfer
  // blocked on it returns at once (0); does not wait for a transfer's time-out.
  void CloseChannel(bool receiver);
  CHidChannel& WiredChannel() { return *wired_; }
  CHidChannel& ReceiverChannel() { return *receiver_; }

  // The clock that bounds an exchange's wait for its reply; steady_clock unless a test gives
  // another. Set before the link is used.
  void SetClock(std::function<Clock::time_point()> now);

  // ---- Exchanges --------------------------------------------------------------------------
  // One logged exchange on the current mode's channel: request padded or cut to 64 bytes.
  // The reply must echo the request's code, length and offset (bytes 3-6); a reply that does
  // not is traced as dropped ("丢弃返回") and the wait goes on, until the mode's time-out counted
  // from the first read or kMaxStaleReplies drops, which end the exchange with kLinkNoReply. In
  // receiver mode a reply with code 0xAA ends it with kLinkOutOfReach. A reply too short to
  // carry the status byte (8 bytes or fewer) is a failure (kLinkNoReply). Copies at most
  // replyLength bytes of the reply taken; *bytesRead (optional) gets the count copied.
  int Transact(const uint8_t* request, size_t requestLength, uint8_t* reply, size_t replyLength,
               size_t* bytesRead);
  // Same on the wired channel with 1000 ms time-outs: no trace, no busy flag, a single read
  // whose reply is not matched.
  int TransactQuiet(const uint8_t* request, size_t requestLength, uint8_t* reply,
                    size_t replyLength, size_t* bytesRead);

  // Fills a 64-byte request: report id, code, length, offset, payload, checksum.
  static void BuildRequest(uint8_t* report, uint8_t code, uint8_t length, uint16_t offset,
                           const uint8_t* payload, size_t payloadLength);
  // Sum of bytes 3..63 as unsigned bytes, modulo 65536.
  static uint16_t Checksum(const uint8_t* report);

  // ---- Commands ---------------------------------------------------------------------------
  int BeginConfig();
  int EndConfig();  // waits 10 ms before sending
  int ReadDeviceInfo(DeviceInfo& info);
  int ReadSettings(uint8_t* buffer, size_t length, uint16_t base);
  int WriteSettings(const uint8_t* buffer, size_t length, uint16_t base);
  // configSize bytes; a buffer shorter than that is refused (0) without touching the device.
  int ReadKeyTable(uint8_t* buffer, size_t capacity);
  int WriteKeyTable(const uint8_t* buffer, size_t capacity, int block);
  int WriteLightData(const uint8_t* buffer, size_t length, int block, int blockSize);
  // Real-time lighting: never queues; a chunk is dropped (and counted as sent) while the link is
  // busy, and nothing is sent in receiver mode.
  int StreamLightFrame(const uint8_t* buffer, size_t length);
  int WriteMacroData(const uint8_t* buffer, size_t length);
  int WriteShootData(const uint8_t* buffer, size_t length);
  // One report of at most 56 bytes; a longer length is refused (0).
  int ReadRange(uint8_t* buffer, size_t length, uint16_t offset);
  // configSize / 3 bytes, one per key.
  int ReadKeyByteTable(uint8_t* buffer, size_t capacity);
  int ClaimLightControl();
  // One output report of its own length (byte 0 the report id) on the wired channel, under the
  // I/O lock; not answered. Traced as "输出报告" and the bytes in hex. kLinkOk, or the failure.
  int WriteOutputReport(const uint8_t* report, size_t length);
  // Receiver mode: asks whether the device is reachable. Wired mode: true without a report.
  bool QueryWireless();
  // Guard before a block command: true in wired mode; in receiver mode only when the link is
  // open and the device answers the wireless query.
  bool ReceiverGuard();

  // Generic chunked command by code, as the command functions run it (for tools and drivers'
  // less common blocks). Chunks of ChunkSizeFor(code).
  int ChunkedRead(uint8_t code, uint8_t* buffer, size_t length, uint32_t offset);
  int ChunkedWrite(uint8_t code, const uint8_t* buffer, size_t length, uint32_t offset);
  // Payload bytes per report for a command: shoot data always travels in 56-byte chunks, every
  // other command in the mode's chunk size.
  int ChunkSizeFor(uint8_t code) const;

 private:
  int SimpleCommand(uint8_t code);
  // One full-report exchange under `lock` (the command or the light lock).
  int LockedTransact(std::mutex& lock, const uint8_t* request, uint8_t* reply, size_t* bytesRead);
  // The light lock for light data and frames, the command lock for everything else.
  std::mutex& LockFor(uint8_t code);
  int WriteFailure(const CHidChannel& channel) const;
  // Writes one full report on the channel under the I/O lock.
  int SendReport(CHidChannel& channel, const uint8_t* report, int timeoutMs);
  int RunChunks(std::mutex& lock, uint8_t code, bool isRead, uint8_t* readBuffer,
                const uint8_t* writeBuffer, size_t length, uint32_t offset, int chunk);
  int TransactLocked(const uint8_t* request, size_t requestLength, uint8_t* reply,
                     size_t replyLength, size_t* bytesRead);
  int QuietLocked(const uint8_t* request, size_t requestLength, uint8_t* reply,
                  size_t replyLength, size_t* bytesRead);
  CHidChannel& ModeChannel() { return receiverMode_.load() ? *receiver_ : *wired_; }
  int ModeTimeout() const { return receiverMode_.load() ? kReceiverTimeoutMs : kWiredTimeoutMs; }
  // Reads until the reply to `request` comes, as Transact describes; `in`/`got` hold the reply
  // taken (got 0 when none was).
  int AwaitReply(CHidChannel& channel, const uint8_t* request, int timeoutMs, bool receiver,
                 uint8_t* in, uint32_t& got);

  std::function<Clock::time_point()> now_ = [] { return Clock::now(); };
  std::unique_ptr<CHidChannel> wired_;
  std::unique_ptr<CHidChannel> receiver_;
  std::atomic<uint16_t> configSize_{kMaxConfigSize};
  std::atomic<bool> busy_{false};
  std::atomic<bool> isOpen_{false};
  std::atomic<bool> lightSyncActive_{false};
  std::atomic<bool> receiverMode_{false};
  std::atomic<int> chunkSize_{kReceiverChunk};
  std::mutex commandLock_;
  std::mutex lightLock_;
  std::mutex exchangeLock_;
  std::mutex ioLock_;
};

}  // namespace orlo
