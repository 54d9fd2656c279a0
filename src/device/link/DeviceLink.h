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
#include <cstddef>
#include <cstdint>
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

  // ---- Exchanges --------------------------------------------------------------------------
  // One logged exchange on the current mode's channel: request padded or cut to 64 bytes,
  // reply matched on byte 3 (one non-matching reply is skipped). Copies at most replyLength
  // bytes of the reply; *bytesRead (optional) gets the count copied. Returns a LinkResult.
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
  // Receiver mode: asks whether the device is reachable. Wired mode: true without a report.
  bool QueryWireless();
  // Guard before a block command: true in wired mode; in receiver mode only when the link is
  // open and the device answers the wireless query.
  bool ReceiverGuard();

  // Generic chunked command by code, as the command functions run it (for tools and drivers'
  // less common blocks). Chunks of chunkSize, or of 56 bytes when fixedWiredChunks is set.
  int ChunkedRead(uint8_t code, uint8_t* buffer, size_t length, uint32_t offset);
  int ChunkedWrite(uint8_t code, const uint8_t* buffer, size_t length, uint32_t offset,
                   bool fixedWiredChunks = false);

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
