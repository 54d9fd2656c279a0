// Fuzz target for the command link's reply handling: chunked reads and writes run against an
// in-memory device whose replies come from the input — echoed or not, with any status byte, any
// length (short ones included), time-outs and a clock that moves while replies come in.
//
// Input: byte 0 picks the mode (bit 0: receiver) and the command (bits 1-3); bytes 1-3 give the
// length and the offset; the rest is read one reply at a time (see FakeDevice::Read).
//
// Whatever the replies, the link must give one of its result codes, never take a reply that
// does not echo its request, hand back exactly the payload of each chunk's own reply when it
// reports success, put well-formed requests on the wire, and give up on an exchange after at
// most kMaxStaleReplies stale replies.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "device/link/DeviceLink.h"

using orlo::CDeviceLink;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

const std::vector<uint8_t> kVendorDescriptor = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};
constexpr const char* kPath = "fuzz:0#vid_320f&pid_222e&mi_01&col04";

// One request on the wire and what the device answered to it.
struct Exchange {
  std::vector<uint8_t> request;
  int reads = 0;
  // The first reply that echoes the request and carries a status byte: the one the link must
  // take.
  std::optional<std::vector<uint8_t>> own;
};

struct Wire {
  const uint8_t* input = nullptr;
  size_t left = 0;
  int64_t nowMs = 0;
  std::vector<Exchange> exchanges;

  bool Take(uint8_t& b) {
    if (left == 0) return false;
    b = *input++;
    --left;
    return true;
  }
};

class FakeDevice : public orlo::hid::HidDevice {
 public:
  explicit FakeDevice(std::shared_ptr<Wire> wire) : wire_(std::move(wire)) {}
  orlo::hid::HidAttributes Attributes() const override { return {0x320F, 0x222E, 0x0100}; }
  const std::vector<uint8_t>& ReportDescriptor() const override { return kVendorDescriptor; }
  int CollectionIndex() const override { return 0; }

  // One control byte per read: its low two bits choose a time-out, an echoing reply, a reply
  // with one of the echoed bytes changed, or raw bytes of any length; its upper bits move the
  // clock on by that many 40 ms steps. An exhausted input times out.
  orlo::hid::TransferResult Read(uint8_t* buffer, size_t length, int timeoutMs) override {
    Check(!wire_->exchanges.empty());
    Check(timeoutMs > 0 && timeoutMs <= CDeviceLink::kReceiverTimeoutMs);
    Exchange& ex = wire_->exchanges.back();
    ++ex.reads;
    uint8_t control = 0;
    if (!wire_->Take(control)) return {orlo::hid::TransferStatus::Timeout, 0};
    wire_->nowMs += (control >> 2) * 40;
    std::vector<uint8_t> reply;
    switch (control & 3) {
      case 0:
        return {orlo::hid::TransferStatus::Timeout, 0};
      case 1:
      case 2: {
        reply.assign(64, 0);
        std::memcpy(reply.data(), ex.request.data(), 7);
        uint8_t b = 0;
        if ((control & 3) == 2 && wire_->Take(b)) reply[3 + (b & 3)] ^= static_cast<uint8_t>(1 + (b >> 2));
        wire_->Take(reply[7]);
        for (size_t i = 8; i < 64 && wire_->Take(reply[i]);) ++i;
        break;
      }
      default: {
        uint8_t n = 0;
        wire_->Take(n);
        reply.resize(n % 65);
        for (auto& byte : reply) wire_->Take(byte);
        break;
      }
    }
    if (!ex.own && reply.size() > 7 && std::memcmp(reply.data() + 3, ex.request.data() + 3, 4) == 0) ex.own = reply;
    const size_t n = std::min(length, reply.size());
    std::memcpy(buffer, reply.data(), n);
    return {orlo::hid::TransferStatus::Ok, n};
  }

  orlo::hid::TransferResult Write(const uint8_t* buffer, size_t length, int) override {
    Check(length == 64);
    wire_->exchanges.push_back({std::vector<uint8_t>(buffer, buffer + length), 0, std::nullopt});
    return {orlo::hid::TransferStatus::Ok, length};
  }
  void Cancel() override {}

 private:
  std::shared_ptr<Wire> wire_;
};

class FakeBackend : public orlo::hid::HidBackend {
 public:
  explicit FakeBackend(std::shared_ptr<Wire> wire) : wire_(std::move(wire)) {}
  std::optional<std::vector<std::string>> Enumerate() override { return std::vector<std::string>{kPath}; }
  std::unique_ptr<orlo::hid::HidDevice> Open(const std::string& path, bool, bool) override {
    if (path != kPath) return nullptr;
    return std::make_unique<FakeDevice>(wire_);
  }

 private:
  std::shared_ptr<Wire> wire_;
};

bool KnownResult(int r) {
  return r == orlo::kLinkOk || r == orlo::kLinkNoReply || r == orlo::kLinkWriteFailed ||
         r == orlo::kLinkOutOfReach || r == orlo::kLinkStatusFF || r == orlo::kLinkStatusFE ||
         r == orlo::kLinkBadBlock;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  auto wire = std::make_shared<Wire>();
  wire->input = data + 4;
  wire->left = size - 4;
  CDeviceLink link(std::make_shared<FakeBackend>(wire));
  link.SetClock([wire] { return CDeviceLink::Clock::time_point(std::chrono::milliseconds(wire->nowMs)); });
  const bool receiver = data[0] & 1;
  link.SetMode(receiver ? CDeviceLink::kReceiverModeValue : 1);
  Check(link.OpenChannel(receiver, kPath) == 1);
  link.SetOpen(true);

  static constexpr uint8_t kCodes[] = {orlo::kCmdReadSettings,   orlo::kCmdWriteSettings, orlo::kCmdReadDeviceInfo,
                                       orlo::kCmdReadKeyTable,   orlo::kCmdWriteShootData, orlo::kCmdWriteMacroData,
                                       orlo::kCmdReadRange,      orlo::kCmdQueryWireless};
  const uint8_t code = kCodes[(data[0] >> 1) & 7];
  const bool isRead = code == orlo::kCmdReadSettings || code == orlo::kCmdReadDeviceInfo ||
                      code == orlo::kCmdReadKeyTable || code == orlo::kCmdReadRange;
  size_t length = data[1] * 2u;
  const uint16_t offset = static_cast<uint16_t>(data[2] | (data[3] & 0x0F) << 8);
  if (code == orlo::kCmdReadDeviceInfo) length = CDeviceLink::kInfoSize;
  if (code == orlo::kCmdReadKeyTable) length = link.ConfigSize();
  if (code == orlo::kCmdReadRange) length = std::min<size_t>(length, CDeviceLink::kMaxPayload);

  std::vector<uint8_t> payload(length);
  for (size_t i = 0; i < length; ++i) payload[i] = static_cast<uint8_t>(i * 13 + 5);
  std::vector<uint8_t> buffer(length, 0xEE);
  int result = 0;
  if (code == orlo::kCmdQueryWireless) {
    result = link.QueryWireless() ? orlo::kLinkOk : orlo::kLinkNoReply;
  } else if (code == orlo::kCmdReadRange) {
    result = link.ReadRange(buffer.data(), length, offset);
  } else if (isRead) {
    result = link.ChunkedRead(code, buffer.data(), length, offset);
  } else {
    result = link.ChunkedWrite(code, payload.data(), length, offset);
  }
  Check(KnownResult(result));
  Check(!link.Busy());

  // The requests: well formed, in order, in the chunk size of the command.
  const size_t chunk = static_cast<size_t>(link.ChunkSizeFor(code));
  size_t position = 0;
  for (const Exchange& ex : wire->exchanges) {
    const auto& r = ex.request;
    Check(r[0] == CDeviceLink::kReportId && r[3] == code && r[7] == 0);
    Check((r[1] | r[2] << 8) == CDeviceLink::Checksum(r.data()));
    Check(ex.reads <= CDeviceLink::kMaxStaleReplies);
    if (code == orlo::kCmdQueryWireless) continue;
    const size_t n = code == orlo::kCmdReadRange ? length : std::min(chunk, length - position);
    Check(r[4] == n && static_cast<size_t>(r[5] | r[6] << 8) == offset + position);
    if (!isRead) Check(std::memcmp(r.data() + 8, payload.data() + position, n) == 0);
    position += n;
  }
  if (result != orlo::kLinkOk || code == orlo::kCmdQueryWireless) return 0;

  // Success: every chunk was answered by its own reply, whose payload is what the caller got.
  Check(position == length);
  position = 0;
  for (const Exchange& ex : wire->exchanges) {
    Check(ex.own.has_value());
    const auto& own = *ex.own;
    Check(own[7] != 0xFF && own[7] != 0xFE);
    const size_t n = ex.request[4];
    if (isRead) {
      Check(own.size() >= 8 + n);
      Check(std::memcmp(buffer.data() + position, own.data() + 8, n) == 0);
    }
    position += n;
  }
  return 0;
}
