// The command link against a scripted firmware: chunking and offsets as seen in the command
// trace, reply matching (late, repeated, short and stray replies), result codes of injected
// faults, and the locking between commands, streamed light frames and a channel closed under a
// blocked read. The scripted firmware never waits for a time-out: a read with nothing to hand
// out times out at once unless the test holds reads, and the link runs on the firmware's clock.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <future>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>
#include <vector>

#include <unistd.h>

#include "device/link/DeviceLink.h"
#include "platform/DebugLog.h"
#include "sim/SimBackend.h"
#include "sim/SimMouse.h"

namespace orlo {
namespace {

using Report = std::array<uint8_t, 64>;
using Reply = std::vector<uint8_t>;
using Replies = std::vector<Reply>;
using std::chrono::milliseconds;
using namespace std::chrono_literals;

// Longest a handshake waits before the test gives up on it (a guard against a hang, never a
// measured time).
constexpr auto kHandshakeLimit = 10s;

// Vendor collection 0xFF1C/0x92, report id 4, 63-byte input and output reports.
const std::vector<uint8_t> kVendorDescriptor = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};

// The firmware side: each written report is handed to `answer`, whose replies are queued for
// reading. Faults are scripted by replacing `answer` or setting the flags.
struct Firmware {
  std::mutex mutex;
  std::condition_variable cv;
  std::deque<Reply> replies;
  std::vector<Report> written;
  std::function<Replies(const Report&)> answer;
  bool unplugged = false;
  bool failWrites = false;
  // Reads that find nothing block (until a reply, a cancel or an unplug) instead of timing out.
  bool holdReads = false;
  int blockedReads = 0;
  std::vector<int> readTimeouts;                  // the time-out each read was given
  std::vector<hid::TransferStatus> readOutcomes;  // how each read ended
  // The clock the link runs on, and how far each read that hands out a reply moves it.
  std::atomic<int64_t> nowMs{0};
  int64_t msPerReply = 0;
  std::vector<uint8_t> memory = std::vector<uint8_t>(0x10000);

  Firmware() {
    for (size_t i = 0; i < memory.size(); ++i) memory[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    answer = [this](const Report& r) { return Replies{Normal(r)}; };
  }

  // Echoes code, length and offset; reads return memory at the offset, writes store into it.
  Reply Normal(const Report& r) {
    Reply out(64, 0);
    out[0] = 4;
    out[3] = r[3];
    out[4] = r[4];
    out[5] = r[5];
    out[6] = r[6];
    const size_t len = std::min<size_t>(r[4], 56);
    const size_t off = r[5] | (r[6] << 8);
    // Streamed frames (18) go to the LEDs, not to memory.
    const bool isWrite = r[3] == 6 || r[3] == 9 || r[3] == 11 || r[3] == 21 || r[3] == 23;
    if (r[3] == 0xAA) {
      out[8] = 0xFF;
    } else if (isWrite) {
      for (size_t i = 0; i < len && off + i < memory.size(); ++i) memory[off + i] = r[8 + i];
    } else {
      for (size_t i = 0; i < len && off + i < memory.size(); ++i) out[8 + i] = memory[off + i];
    }
    return out;
  }
  // The normal answer to a request of this code, length and offset.
  Reply AnswerTo(uint8_t code, uint8_t length, uint16_t offset) {
    Report r{};
    r[0] = 4;
    r[3] = code;
    r[4] = length;
    r[5] = static_cast<uint8_t>(offset & 0xFF);
    r[6] = static_cast<uint8_t>(offset >> 8);
    return Normal(r);
  }

  std::vector<Report> Written() {
    std::lock_guard lock(mutex);
    return written;
  }
  std::vector<int> ReadTimeouts() {
    std::lock_guard lock(mutex);
    return readTimeouts;
  }
  bool WaitForBlockedRead() {
    std::unique_lock lock(mutex);
    return cv.wait_for(lock, kHandshakeLimit, [&] { return blockedReads > 0; });
  }
};

class FakeDevice : public hid::HidDevice {
 public:
  explicit FakeDevice(std::shared_ptr<Firmware> fw) : fw_(std::move(fw)) {}
  hid::HidAttributes Attributes() const override { return {0x320F, 0x222E, 0x0100}; }
  const std::vector<uint8_t>& ReportDescriptor() const override { return kVendorDescriptor; }
  int CollectionIndex() const override { return 0; }

  hid::TransferResult Read(uint8_t* buffer, size_t length, int timeoutMs) override {
    std::unique_lock lock(fw_->mutex);
    fw_->readTimeouts.push_back(timeoutMs);
    const hid::TransferResult r = ReadLocked(lock, buffer, length);
    fw_->readOutcomes.push_back(r.status);
    return r;
  }

  hid::TransferResult Write(const uint8_t* buffer, size_t length, int) override {
    Report r{};
    std::copy_n(buffer, std::min(length, r.size()), r.begin());
    std::function<Replies(const Report&)> answer;
    {
      std::lock_guard lock(fw_->mutex);
      if (fw_->unplugged || fw_->failWrites) return {hid::TransferStatus::Failed, 0};
      fw_->written.push_back(r);
      answer = fw_->answer;
    }
    auto replies = answer(r);  // may wait on a test's handshake
    {
      std::lock_guard lock(fw_->mutex);
      for (auto& rep : replies) fw_->replies.push_back(rep);
    }
    fw_->cv.notify_all();
    return {hid::TransferStatus::Ok, length};
  }

  void Cancel() override {
    {
      std::lock_guard lock(fw_->mutex);
      cancelled_ = true;
    }
    fw_->cv.notify_all();
  }

 private:
  hid::TransferResult ReadLocked(std::unique_lock<std::mutex>& lock, uint8_t* buffer, size_t length) {
    auto ready = [&] { return cancelled_ || fw_->unplugged || !fw_->replies.empty(); };
    if (!ready()) {
      // The time-out passes at once, unless the test holds reads to act on a blocked one.
      if (!fw_->holdReads) return {hid::TransferStatus::Timeout, 0};
      ++fw_->blockedReads;
      fw_->cv.notify_all();
      const bool woken = fw_->cv.wait_for(lock, kHandshakeLimit, ready);
      --fw_->blockedReads;
      if (!woken) return {hid::TransferStatus::Timeout, 0};
    }
    if (cancelled_) {
      cancelled_ = false;
      return {hid::TransferStatus::Cancelled, 0};
    }
    if (fw_->unplugged) return {hid::TransferStatus::Failed, 0};
    Reply r = fw_->replies.front();
    fw_->replies.pop_front();
    fw_->nowMs += fw_->msPerReply;
    const size_t n = std::min(length, r.size());
    std::copy_n(r.begin(), n, buffer);
    return {hid::TransferStatus::Ok, n};
  }

  std::shared_ptr<Firmware> fw_;
  bool cancelled_ = false;  // guarded by fw_->mutex
};

class FakeBackend : public hid::HidBackend {
 public:
  explicit FakeBackend(std::shared_ptr<Firmware> fw) : fw_(std::move(fw)) {}
  std::optional<std::vector<std::string>> Enumerate() override {
    std::lock_guard lock(fw_->mutex);
    if (fw_->unplugged) return std::vector<std::string>{};
    return std::vector<std::string>{kPath};
  }
  std::unique_ptr<hid::HidDevice> Open(const std::string& path, bool, bool) override {
    std::lock_guard lock(fw_->mutex);
    if (path != kPath || fw_->unplugged) return nullptr;
    return std::make_unique<FakeDevice>(fw_);
  }
  static constexpr const char* kPath = "fake:0#vid_320f&pid_222e&mi_01&col04";

 private:
  std::shared_ptr<Firmware> fw_;
};

using ChunkList = std::vector<std::pair<int, int>>;

// One traced report: its label ("命令", "返回" or "丢弃返回") and its 64 bytes.
struct TracedReport {
  std::string label;
  Report bytes{};
};

std::optional<Report> ParseRow2(const std::string& a, const std::string& b) {
  Report r{};
  std::istringstream in(a + " " + b);
  for (auto& byte : r) {
    unsigned v;
    if (!(in >> std::hex >> v) || v > 0xFF) return std::nullopt;
    byte = static_cast<uint8_t>(v);
  }
  return r;
}

class DeviceLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fw_ = std::make_shared<Firmware>();
    backend_ = std::make_shared<FakeBackend>(fw_);
    link_ = std::make_unique<CDeviceLink>(backend_);
    link_->SetClock([fw = fw_] { return CDeviceLink::Clock::time_point(milliseconds(fw->nowMs.load())); });
    tracePath_ = std::filesystem::temp_directory_path() /
                 ("orlo_link_trace_" + std::to_string(::getpid()) + "_" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".txt");
    ResetTrace();
  }
  // Starts an empty trace file (the sink keeps its file open, so reopen it).
  void ResetTrace() {
    SetTracePath("");
    std::filesystem::remove(tracePath_);
    SetTracePath(tracePath_.string());
  }
  void TearDown() override {
    link_.reset();
    SetTracePath("");
    std::filesystem::remove(tracePath_);
  }

  // Opens the channel of the mode as the device manager does.
  void Connect(bool receiver) {
    link_->SetMode(receiver ? 2 : 1);
    ASSERT_EQ(link_->OpenChannel(receiver, FakeBackend::kPath), 1);
    link_->SetOpen(true);
  }

  std::vector<std::string> TraceLines() {
    std::ifstream in(tracePath_);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }
  std::vector<TracedReport> Trace() {
    const auto lines = TraceLines();
    std::vector<TracedReport> out;
    for (size_t i = 0; i + 2 < lines.size(); ++i) {
      if (lines[i] != "命令" && lines[i] != "返回" && lines[i] != "丢弃返回") continue;
      auto r = ParseRow2(lines[i + 1], lines[i + 2]);
      EXPECT_TRUE(r) << "unparsable trace after line " << i;
      if (r) out.push_back({lines[i], *r});
      i += 2;
    }
    return out;
  }
  std::vector<Report> TracedRequests() {
    std::vector<Report> out;
    for (auto& t : Trace())
      if (t.label == "命令") out.push_back(t.bytes);
    return out;
  }
  // Labels of the traced reports in order.
  std::vector<std::string> TraceLabels() {
    std::vector<std::string> out;
    for (auto& t : Trace()) out.push_back(t.label);
    return out;
  }

  // (length, offset) of each traced request.
  ChunkList Chunks() {
    ChunkList out;
    for (auto& r : TracedRequests()) out.emplace_back(r[4], r[5] | (r[6] << 8));
    return out;
  }

  std::shared_ptr<Firmware> fw_;
  std::shared_ptr<FakeBackend> backend_;
  std::unique_ptr<CDeviceLink> link_;
  std::filesystem::path tracePath_;
};

TEST_F(DeviceLinkTest, TraceHoldsTheRequestAndReplyInTheTwoRowLayout) {
  Connect(false);
  ASSERT_EQ(link_->BeginConfig(), 1);
  auto lines = TraceLines();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[0], "命令");
  // Checksum of command 1 with everything else zero is 0x0001, little-endian.
  EXPECT_EQ(lines[1],
            "04 01 00 01   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  "
            "00 00 00 00  00 00 00 00");
  EXPECT_EQ(lines[2],
            "00 00 00 00   00 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  "
            "00 00 00 00  00 00 00 00");
  EXPECT_EQ(lines[3], "返回");
  EXPECT_EQ(lines[4].substr(0, 11), "04 00 00 01");
}

TEST_F(DeviceLinkTest, ChecksumCoversBytesThreeToSixtyThree) {
  Report r{};
  CDeviceLink::BuildRequest(r.data(), 0xAA, 56, 0x1234, nullptr, 0);
  // 0xAA + 56 + 0x34 + 0x12 = 0x128
  EXPECT_EQ(r[1], 0x28);
  EXPECT_EQ(r[2], 0x01);
  std::vector<uint8_t> payload(56, 0xFF);
  CDeviceLink::BuildRequest(r.data(), 0xFF, 56, 0xFFFF, payload.data(), payload.size());
  // 0xFF * 59 + 56 = 0x3AFD: carries past the low byte.
  EXPECT_EQ(r[1], 0xFD);
  EXPECT_EQ(r[2], 0x3A);
}

TEST_F(DeviceLinkTest, ChunkingPerModeOnTheWire) {
  Connect(false);
  DeviceInfo info;
  ASSERT_EQ(link_->ReadDeviceInfo(info), 1);
  EXPECT_EQ(Chunks(), (ChunkList{{34, 0}}));
  EXPECT_TRUE(std::equal(info.bytes.begin(), info.bytes.end(), fw_->memory.begin()));
  // Bytes 32-33 of the memory pattern (i * 7) are 0xE0 and 0xE7.
  EXPECT_EQ(info.Word(), 0xE7E0);

  ResetTrace();
  std::vector<uint8_t> table(512);
  ASSERT_EQ(link_->ReadKeyTable(table.data(), table.size()), 1);
  EXPECT_EQ(Chunks(), (ChunkList{{56, 0}, {56, 56}, {56, 112}, {56, 168}, {56, 224}, {56, 280},
                                 {56, 336}, {56, 392}, {56, 448}, {8, 504}}));
  EXPECT_TRUE(std::equal(table.begin(), table.end(), fw_->memory.begin()));

  ResetTrace();
  std::vector<uint8_t> shoot(100);
  for (size_t i = 0; i < shoot.size(); ++i) shoot[i] = static_cast<uint8_t>(200 - i);
  ASSERT_EQ(link_->WriteShootData(shoot.data(), shoot.size()), 1);
  EXPECT_EQ(Chunks(), (ChunkList{{56, 0}, {44, 56}}));
  EXPECT_TRUE(std::equal(shoot.begin(), shoot.end(), fw_->memory.begin()));

  // Receiver mode: 24-byte chunks, except the shoot data.
  link_->CloseChannel(false);
  Connect(true);
  ResetTrace();
  ASSERT_EQ(link_->ReadDeviceInfo(info), 1);
  EXPECT_EQ(Chunks(), (ChunkList{{24, 0}, {10, 24}}));
  EXPECT_TRUE(std::equal(info.bytes.begin(), info.bytes.end(), fw_->memory.begin()));

  ResetTrace();
  ASSERT_EQ(link_->WriteShootData(shoot.data(), shoot.size()), 1);
  EXPECT_EQ(Chunks(), (ChunkList{{56, 0}, {44, 56}}));
  // The generic write by code (the command line's raw write) keeps the same rule.
  ResetTrace();
  ASSERT_EQ(link_->ChunkedWrite(kCmdWriteShootData, shoot.data(), shoot.size(), 0x200), 1);
  EXPECT_EQ(Chunks(), (ChunkList{{56, 0x200}, {44, 0x238}}));
  EXPECT_EQ(link_->ChunkSizeFor(kCmdWriteShootData), 56);
  EXPECT_EQ(link_->ChunkSizeFor(kCmdWriteMacroData), 24);

  // Settings at a profile base: offsets carry the base; the payload bytes sit from byte 8.
  ResetTrace();
  std::vector<uint8_t> block(78);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i + 1);
  ASSERT_EQ(link_->WriteSettings(block.data(), block.size(), 5 * 128), 1);
  EXPECT_EQ(Chunks(), (ChunkList{{24, 640}, {24, 664}, {24, 688}, {6, 712}}));
  auto requests = TracedRequests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[3][8], 73);
  EXPECT_EQ(requests[3][13], 78);
  EXPECT_EQ(requests[3][14], 0);  // past the chunk: zero
  EXPECT_TRUE(std::equal(block.begin(), block.end(), fw_->memory.begin() + 640));
  for (auto& r : requests) EXPECT_EQ(r[1] | (r[2] << 8), CDeviceLink::Checksum(r.data()));
}

TEST_F(DeviceLinkTest, KeyTableSizeAndBlockRules) {
  Connect(false);
  EXPECT_EQ(link_->SetConfigSize(513), 0);
  EXPECT_EQ(link_->ConfigSize(), 512);
  ASSERT_EQ(link_->SetConfigSize(120), 1);
  std::vector<uint8_t> bytes(40);
  ASSERT_EQ(link_->ReadKeyByteTable(bytes.data(), bytes.size()), 1);
  EXPECT_EQ(Chunks(), (ChunkList{{40, 0}}));
  EXPECT_EQ(TracedRequests()[0][3], 27);

  ResetTrace();
  std::vector<uint8_t> table(512);
  EXPECT_EQ(link_->WriteKeyTable(table.data(), table.size(), 1), kLinkBadBlock);
  // A buffer shorter than the table is refused rather than read past.
  EXPECT_EQ(link_->ReadKeyTable(table.data(), 119), 0);
  EXPECT_EQ(fw_->Written().size(), 1u);
  ASSERT_EQ(link_->WriteKeyTable(table.data(), table.size(), 0), 1);
  EXPECT_EQ(Chunks(), (ChunkList{{56, 0}, {56, 56}, {8, 112}}));
}

TEST_F(DeviceLinkTest, ReadRangeIsOneReportOfAtMost56Bytes) {
  Connect(true);
  std::vector<uint8_t> buf(64, 0xEE);
  ASSERT_EQ(link_->ReadRange(buf.data(), 30, 0x100), 1);
  EXPECT_EQ(Chunks(), (ChunkList{{30, 0x100}}));
  EXPECT_TRUE(std::equal(buf.begin(), buf.begin() + 30, fw_->memory.begin() + 0x100));
  EXPECT_EQ(buf[30], 0xEE);  // nothing past the length
  EXPECT_EQ(link_->ReadRange(buf.data(), 57, 0), 0);
  EXPECT_EQ(fw_->Written().size(), 1u);
}

TEST_F(DeviceLinkTest, LightDataOffsetsAndRangeLimits) {
  Connect(false);
  std::vector<uint8_t> data(60, 0x11);
  ASSERT_EQ(link_->WriteLightData(data.data(), data.size(), 3, 200), 1);
  EXPECT_EQ(Chunks(), (ChunkList{{56, 600}, {4, 656}}));
  // A block past the 16-bit offset range would wrap onto another block: refused, nothing sent.
  const size_t before = fw_->Written().size();
  EXPECT_EQ(link_->WriteLightData(data.data(), data.size(), 400, 200), 0);
  EXPECT_EQ(link_->WriteSettings(data.data(), data.size(), 0xFFF0), 0);
  EXPECT_EQ(fw_->Written().size(), before);
}

TEST_F(DeviceLinkTest, ARepliesMustEchoCodeLengthAndOffset) {
  Connect(false);
  // Ahead of the real answer: the same code at another offset, then at another length, then
  // another code. All three are dropped and traced as such; the data is the chunk's own.
  fw_->answer = [this](const Report& r) {
    if (r[3] != 5) return Replies{fw_->Normal(r)};
    Reply otherOffset = fw_->AnswerTo(5, 20, 0x80);
    Reply otherLength = fw_->AnswerTo(5, 19, 0x40);
    Reply otherCode = fw_->AnswerTo(0xAA, 20, 0x40);  // wired: just another code
    return Replies{otherOffset, otherLength, otherCode, fw_->Normal(r)};
  };
  std::vector<uint8_t> buf(20);
  ASSERT_EQ(link_->ReadSettings(buf.data(), buf.size(), 0x40), 1);
  // memory[0x40] = 0x40 * 7 = 0x1C0 → 0xC0, then + 7 per byte.
  EXPECT_EQ(buf[0], 0xC0);
  EXPECT_EQ(buf[1], 0xC7);
  EXPECT_EQ(buf[19], 0x45);
  EXPECT_EQ(TraceLabels(), (std::vector<std::string>{"命令", "丢弃返回", "丢弃返回", "丢弃返回", "返回"}));
  auto trace = Trace();
  EXPECT_EQ(trace[1].bytes[5], 0x80);
  EXPECT_EQ(trace[4].bytes[5], 0x40);

  // No reply that answers the request: nothing is handed back, and neither a read nor a write
  // is taken as done on the word of another exchange's reply.
  fw_->answer = [this](const Report& r) {
    Reply a = fw_->Normal(r), b = fw_->Normal(r);
    a[3] = 0x30;
    b[5] ^= 0x01;
    return Replies{a, b};
  };
  Report req{}, reply{};
  reply.fill(0x5A);
  CDeviceLink::BuildRequest(req.data(), 5, 8, 0, nullptr, 0);
  size_t got = 99;
  EXPECT_EQ(link_->Transact(req.data(), req.size(), reply.data(), reply.size(), &got), kLinkNoReply);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(reply[3], 0x5A);
  std::fill(buf.begin(), buf.end(), 0x5A);
  EXPECT_EQ(link_->ReadSettings(buf.data(), buf.size(), 0), kLinkNoReply);
  EXPECT_EQ(buf, std::vector<uint8_t>(20, 0x5A));
  EXPECT_EQ(link_->WriteSettings(buf.data(), 4, 0), kLinkNoReply);
}

// The fault this guards against: a chunk times out, its answer comes in afterwards and is taken
// for the next chunk asked for, so another block's bytes land in the buffer (and from there can
// be written back to the device).
TEST_F(DeviceLinkTest, ALateReplyIsNotTakenForTheNextChunk) {
  Connect(false);
  std::deque<Reply> late;
  fw_->answer = [&](const Report& r) {
    Replies out(late.begin(), late.end());
    late.clear();
    // The first chunk at offset 0 goes unanswered for now; its answer comes with the next.
    if (r[3] == 5 && (r[5] | r[6] << 8) == 0 && fw_->Written().size() == 1) {
      late.push_back(fw_->Normal(r));
      return out;
    }
    out.push_back(fw_->Normal(r));
    return out;
  };
  std::vector<uint8_t> block(78, 0x5A);
  EXPECT_EQ(link_->ReadSettings(block.data(), block.size(), 0), kLinkNoReply);
  EXPECT_EQ(block, std::vector<uint8_t>(78, 0x5A));

  ResetTrace();
  ASSERT_EQ(link_->ReadSettings(block.data(), block.size(), 128), kLinkOk);
  // memory[128] = 128 * 7 = 0x380 → 0x80; memory[0] (the late answer's data) would be 0x00.
  EXPECT_EQ(block[0], 0x80);
  EXPECT_EQ(block[1], 0x87);
  EXPECT_EQ(block[56], 0x08);  // memory[184] = 1288 = 0x508
  EXPECT_EQ(TraceLabels(), (std::vector<std::string>{"命令", "丢弃返回", "返回", "命令", "返回"}));

  // A write chunk is confirmed only by its own answer: the late "done" of an earlier chunk does
  // not stand in for the failure the device reports for this one.
  fw_->answer = [&](const Report& r) {
    if (r[3] != 6) return Replies{fw_->Normal(r)};
    Reply refused = fw_->Normal(r);
    refused[7] = 0xFE;
    return Replies{fw_->AnswerTo(6, 56, 0), refused};
  };
  const size_t before = fw_->Written().size();
  EXPECT_EQ(link_->WriteSettings(block.data(), block.size(), 256), kLinkStatusFE);
  EXPECT_EQ(fw_->Written().size(), before + 1);  // stopped at the first chunk
}

TEST_F(DeviceLinkTest, StaleRepliesGetOnlyTheRestOfOneTimeOut) {
  Connect(false);
  fw_->msPerReply = 400;  // each reply arrives 400 ms into the wait
  auto staleThenAnswer = [this](int staleCount) {
    fw_->answer = [this, staleCount](const Report& r) {
      Replies out(static_cast<size_t>(staleCount), fw_->AnswerTo(r[3], r[4], 0x300));
      out.push_back(fw_->Normal(r));
      return out;
    };
  };
  staleThenAnswer(2);
  EXPECT_EQ(link_->BeginConfig(), kLinkOk);
  EXPECT_EQ(fw_->ReadTimeouts(), (std::vector<int>{1000, 600, 200}));

  // Three stale replies use up the 1000 ms: the answer behind them is not waited for.
  staleThenAnswer(3);
  fw_->readTimeouts.clear();
  EXPECT_EQ(link_->BeginConfig(), kLinkNoReply);
  EXPECT_EQ(fw_->ReadTimeouts(), (std::vector<int>{1000, 600, 200}));

  // A device that floods stale replies faster than the clock moves: at most eight are dropped.
  fw_->msPerReply = 0;
  {
    std::lock_guard lock(fw_->mutex);
    fw_->replies.clear();
    fw_->readTimeouts.clear();
  }
  staleThenAnswer(CDeviceLink::kMaxStaleReplies);
  EXPECT_EQ(link_->BeginConfig(), kLinkNoReply);
  EXPECT_EQ(fw_->ReadTimeouts().size(), 8u);
  // The answer left behind is stale for the next exchange, which takes its own.
  fw_->answer = [this](const Report& r) { return Replies{fw_->Normal(r)}; };
  EXPECT_EQ(link_->EndConfig(), kLinkOk);
  EXPECT_EQ(fw_->replies.size(), 0u);
}

TEST_F(DeviceLinkTest, AReplyWithoutItsStatusByteIsAFailure) {
  Connect(false);
  // Seven bytes: code, length and offset echoed, no status.
  fw_->answer = [this](const Report& r) {
    Reply cut = fw_->Normal(r);
    cut.resize(7);
    return Replies{cut};
  };
  Report request{}, reply{};
  CDeviceLink::BuildRequest(request.data(), 1, 0, 0, nullptr, 0);
  size_t got = 0;
  EXPECT_EQ(link_->Transact(request.data(), request.size(), reply.data(), reply.size(), &got), kLinkNoReply);
  EXPECT_EQ(got, 7u);  // what came is handed back, but the exchange failed
  EXPECT_EQ(link_->BeginConfig(), kLinkNoReply);
  std::vector<uint8_t> buf(30, 0x5A);
  EXPECT_EQ(link_->ReadSettings(buf.data(), buf.size(), 0), kLinkNoReply);
  EXPECT_EQ(buf, std::vector<uint8_t>(30, 0x5A));
  std::vector<uint8_t> macro(100, 0x42);
  EXPECT_EQ(link_->WriteMacroData(macro.data(), macro.size()), kLinkNoReply);
  EXPECT_EQ(fw_->Written().back()[4], 56);  // the first chunk only
  EXPECT_EQ(fw_->ReadTimeouts().size(), 4u) << "a short reply ends the exchange; nothing more is read";

  // Eight bytes carry the status: enough for a command, not for a read's payload.
  fw_->answer = [this](const Report& r) {
    Reply cut = fw_->Normal(r);
    cut.resize(8);
    return Replies{cut};
  };
  EXPECT_EQ(link_->BeginConfig(), kLinkOk);
  EXPECT_EQ(link_->ReadSettings(buf.data(), buf.size(), 0), kLinkNoReply);
  EXPECT_EQ(buf, std::vector<uint8_t>(30, 0x5A));
}

TEST_F(DeviceLinkTest, ReceiverOutOfReachAndWirelessQuery) {
  Connect(false);
  EXPECT_TRUE(link_->QueryWireless());
  EXPECT_TRUE(link_->ReceiverGuard());
  EXPECT_TRUE(fw_->Written().empty());  // wired: no report

  link_->CloseChannel(false);
  Connect(true);
  EXPECT_TRUE(link_->QueryWireless());
  EXPECT_TRUE(link_->ReceiverGuard());
  EXPECT_EQ(fw_->Written().back()[3], 0xAA);

  // The asleep device: the receiver answers everything with 0xAA and the query with 0x00.
  fw_->answer = [](const Report&) {
    Reply out(64, 0);
    out[0] = 4;
    out[3] = 0xAA;
    return Replies{out};
  };
  const size_t before = fw_->Written().size();
  EXPECT_FALSE(link_->QueryWireless());
  EXPECT_FALSE(link_->ReceiverGuard());
  EXPECT_EQ(link_->BeginConfig(), kLinkOutOfReach);
  // -101 ends the exchange after the first read: one report each.
  EXPECT_EQ(fw_->Written().size(), before + 3);
  std::vector<uint8_t> buf(34);
  EXPECT_EQ(link_->ReadSettings(buf.data(), buf.size(), 0), kLinkOutOfReach);
  EXPECT_EQ(fw_->Written().size(), before + 4);  // stops at the first chunk

  link_->SetOpen(false);
  fw_->answer = [this](const Report& r) { return Replies{fw_->Normal(r)}; };
  EXPECT_FALSE(link_->ReceiverGuard());
  EXPECT_EQ(fw_->Written().size(), before + 4);
}

TEST_F(DeviceLinkTest, InjectedFaultsGiveTheirCodes) {
  Connect(false);
  // Status failure on the second chunk: the first stays written, nothing after it is sent.
  int n = 0;
  fw_->answer = [&](const Report& r) {
    Reply out = fw_->Normal(r);
    if (++n == 2) out[7] = 0xFE;
    return Replies{out};
  };
  std::vector<uint8_t> macro(150, 0x42);
  const size_t before = fw_->Written().size();
  EXPECT_EQ(link_->WriteMacroData(macro.data(), macro.size()), kLinkStatusFE);
  EXPECT_EQ(fw_->Written().size(), before + 2);
  EXPECT_EQ(fw_->memory[0], 0x42);

  // No reply: 0 after one read with the wired time-out, not a second one.
  fw_->answer = [](const Report&) { return Replies{}; };
  fw_->readTimeouts.clear();
  EXPECT_EQ(link_->BeginConfig(), kLinkNoReply);
  EXPECT_EQ(fw_->ReadTimeouts(), (std::vector<int>{1000}));
  EXPECT_FALSE(link_->Busy());

  // Write failure: -1, and busy is clear again so streamed frames are not dropped for ever.
  fw_->failWrites = true;
  EXPECT_EQ(link_->BeginConfig(), kLinkWriteFailed);
  EXPECT_FALSE(link_->Busy());
  fw_->failWrites = false;
  fw_->answer = [this](const Report& r) { return Replies{fw_->Normal(r)}; };
  std::vector<uint8_t> frame(10, 3);
  ResetTrace();
  EXPECT_EQ(link_->StreamLightFrame(frame.data(), frame.size()), 1);
  EXPECT_EQ(fw_->Written().back()[3], 18);
  for (auto& l : TraceLines()) EXPECT_NE(l, "放弃灯光数据");

  // A closed link touches nothing; busy is clear afterwards.
  link_->SetOpen(false);
  const size_t sent = fw_->Written().size();
  EXPECT_EQ(link_->BeginConfig(), kLinkNoReply);
  EXPECT_EQ(link_->StreamLightFrame(frame.data(), frame.size()), kLinkNoReply);
  EXPECT_FALSE(link_->Busy());
  EXPECT_EQ(fw_->Written().size(), sent);
}

TEST_F(DeviceLinkTest, EveryKindOfExchangeReportsTheStatusByteAlike) {
  Connect(false);
  std::vector<uint8_t> buffer(20, 0);
  for (const auto& [status, expected] : {std::pair<uint8_t, int>{0xFF, kLinkStatusFF}, {0xFE, kLinkStatusFE}}) {
    SCOPED_TRACE(static_cast<int>(status));
    fw_->answer = [this, status = status](const Report& r) {
      Reply out = fw_->Normal(r);
      out[7] = status;
      return Replies{out};
    };
    EXPECT_EQ(link_->BeginConfig(), expected);
    EXPECT_EQ(link_->ClaimLightControl(), expected);
    // A failed read hands back none of the reply's payload.
    std::fill(buffer.begin(), buffer.end(), 0x5A);
    EXPECT_EQ(link_->ReadSettings(buffer.data(), buffer.size(), 0), expected);
    EXPECT_EQ(buffer, std::vector<uint8_t>(20, 0x5A));
    EXPECT_EQ(link_->ReadRange(buffer.data(), 8, 0), expected);
    EXPECT_EQ(link_->WriteLightData(buffer.data(), buffer.size(), 0, 0), expected);
    EXPECT_EQ(link_->StreamLightFrame(buffer.data(), buffer.size()), expected);
  }

  // Other bytes than 0xFF and 0xFE in the status byte are success.
  fw_->answer = [this](const Report& r) {
    Reply out = fw_->Normal(r);
    out[7] = 0x01;
    return Replies{out};
  };
  EXPECT_EQ(link_->EndConfig(), kLinkOk);
  EXPECT_EQ(link_->ReadSettings(buffer.data(), buffer.size(), 0x100), kLinkOk);
  EXPECT_EQ(buffer[0], 0x01);  // memory[0x100] = 0x700 + 1
  EXPECT_EQ(link_->StreamLightFrame(buffer.data(), buffer.size()), kLinkOk);
}

TEST_F(DeviceLinkTest, StreamedFramesAreQuietAndNeverWait) {
  Connect(false);
  std::vector<uint8_t> frame(100);
  ASSERT_EQ(link_->StreamLightFrame(frame.data(), frame.size()), 1);
  EXPECT_EQ(fw_->Written().size(), 2u);  // 56 + 44, untraced
  EXPECT_TRUE(TraceLines().empty());

  // A logged exchange is held inside the device until the frame has been tried: a frame that
  // waited for it would keep the gate shut until its limit ran out.
  std::mutex gateMutex;
  std::condition_variable gateCv;
  bool inExchange = false, released = false, gateExpired = false;
  fw_->answer = [&](const Report& r) {
    if (r[3] == 1) {
      std::unique_lock lock(gateMutex);
      inExchange = true;
      gateCv.notify_all();
      gateExpired = !gateCv.wait_for(lock, kHandshakeLimit, [&] { return released; });
    }
    return Replies{fw_->Normal(r)};
  };
  auto slow = std::async(std::launch::async, [&] { return link_->BeginConfig(); });
  {
    std::unique_lock lock(gateMutex);
    ASSERT_TRUE(gateCv.wait_for(lock, kHandshakeLimit, [&] { return inExchange; }));
  }
  EXPECT_EQ(link_->StreamLightFrame(frame.data(), frame.size()), 1);
  {
    std::lock_guard lock(gateMutex);
    released = true;
  }
  gateCv.notify_all();
  EXPECT_EQ(slow.get(), 1);
  EXPECT_FALSE(gateExpired) << "the frame waited for the exchange";
  auto lines = TraceLines();
  EXPECT_EQ(std::count(lines.begin(), lines.end(), "放弃灯光数据"), 2);
  for (auto& r : fw_->Written()) EXPECT_TRUE(r[3] == 18 || r[3] == 1);
  EXPECT_EQ(fw_->Written().size(), 3u);

  // Receiver mode: nothing is streamed.
  link_->CloseChannel(false);
  Connect(true);
  EXPECT_EQ(link_->StreamLightFrame(frame.data(), frame.size()), 1);
  EXPECT_EQ(fw_->Written().size(), 3u);
}

TEST_F(DeviceLinkTest, ConcurrentCommandsNeverTakeEachOthersReplies) {
  Connect(false);
  // A firmware that yields now and then, so that exchanges overlap in time if the link lets them.
  std::atomic<int> counter{0};
  fw_->answer = [&](const Report& r) {
    if (++counter % 3 == 0)
      for (int i = 0; i < 20; ++i) std::this_thread::yield();
    return Replies{fw_->Normal(r)};
  };
  std::atomic<bool> stop{false};
  std::atomic<int> bad{0};
  auto reader = [&](uint16_t base) {
    std::vector<uint8_t> buf(78);
    for (int i = 0; i < 40; ++i) {
      if (link_->ReadSettings(buf.data(), buf.size(), base) != 1 ||
          !std::equal(buf.begin(), buf.end(), fw_->memory.begin() + base))
        ++bad;
    }
  };
  std::thread streamer([&] {
    std::vector<uint8_t> frame(30);
    while (!stop) {
      int r = link_->StreamLightFrame(frame.data(), frame.size());
      if (r != 1) ++bad;
    }
  });
  std::thread a(reader, 0), b(reader, 0x1000);
  for (int i = 0; i < 40; ++i) {
    DeviceInfo d;
    if (link_->ReadDeviceInfo(d) != 1 || !std::equal(d.bytes.begin(), d.bytes.end(), fw_->memory.begin())) ++bad;
  }
  a.join();
  b.join();
  stop = true;
  streamer.join();
  EXPECT_EQ(bad.load(), 0);
  // Every traced request is followed by its own reply, and none was dropped.
  auto trace = Trace();
  for (size_t i = 0; i + 1 < trace.size(); i += 2) {
    ASSERT_EQ(trace[i].label, "命令");
    ASSERT_EQ(trace[i + 1].label, "返回");
    EXPECT_TRUE(std::equal(trace[i].bytes.begin() + 3, trace[i].bytes.begin() + 7, trace[i + 1].bytes.begin() + 3));
  }
}

TEST_F(DeviceLinkTest, CloseDuringABlockedReadEndsItAndReopenWorks) {
  Connect(true);
  fw_->holdReads = true;
  fw_->answer = [](const Report&) { return Replies{}; };
  auto pending = std::async(std::launch::async, [&] { return link_->BeginConfig(); });
  ASSERT_TRUE(fw_->WaitForBlockedRead());
  link_->CloseChannel(true);
  EXPECT_EQ(pending.get(), kLinkNoReply);
  {
    std::lock_guard lock(fw_->mutex);
    ASSERT_EQ(fw_->readOutcomes.size(), 1u);
    EXPECT_EQ(fw_->readOutcomes[0], hid::TransferStatus::Cancelled) << "ended by the close, not by a time-out";
  }
  EXPECT_FALSE(link_->IsOpen());
  EXPECT_FALSE(link_->Busy());

  // The cancel was spent on that read; the re-opened channel answers normally.
  fw_->answer = [this](const Report& r) { return Replies{fw_->Normal(r)}; };
  link_->CloseChannel(true);  // a close with nothing pending
  Connect(true);
  EXPECT_EQ(link_->BeginConfig(), 1);
}

// The same link against the simulated mouse: its injected faults and an unplug mid-transfer. The
// device and the link share the device's manual clock, so a time-out happens when the test
// moves the clock past it.
class DeviceLinkSimTest : public ::testing::Test {
 protected:
  void Start(const std::string& list, bool receiver) {
    sim::SimOptions options;
    options.persist = false;
    backend_ = sim::MakeSimBackend(list, options);
    node_ = receiver ? "mouse-receiver" : "mouse";
    ASSERT_TRUE(Device());
    Device()->UseManualClock();
    link_ = std::make_unique<CDeviceLink>(backend_);
    link_->SetClock([device = Device()] { return device->Now(); });
    link_->SetMode(receiver ? 2 : 1);
    for (const auto& path : backend_->PathsOf(node_)) {
      if (path.find("&col04") != std::string::npos) {
        ASSERT_EQ(link_->OpenChannel(receiver, path), 1);
      }
    }
    link_->SetOpen(true);
  }
  std::shared_ptr<sim::SimDevice> Device() { return backend_->Device(node_); }
  void TearDown() override { link_.reset(); }

  // Runs op on another thread; whenever a read of it has to wait, moves the device's clock past
  // the time-out of either mode. The number of reads that timed out goes to *timeOuts.
  int RunTimed(const std::function<int()>& op, int* timeOuts) {
    size_t blocked = Device()->BlockedReads();
    auto result = std::async(std::launch::async, op);
    *timeOuts = 0;
    while (result.wait_for(0s) != std::future_status::ready) {
      if (!Device()->WaitForBlockedReads(blocked + 1, 20ms)) continue;
      ++blocked;
      Device()->AdvanceClock(5000ms);
      ++*timeOuts;
    }
    return result.get();
  }

  // Puts a known pattern into the settings area: byte i of the area is (i + 0x30) & 0xFF.
  void FillSettings() {
    std::vector<uint8_t> pattern(512);
    for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>(i + 0x30);
    ASSERT_TRUE(Device()->Memory().Write(sim::Area::Settings, 0, pattern.data(), pattern.size()));
  }

  std::shared_ptr<sim::SimBackend> backend_;
  std::string node_;
  std::unique_ptr<CDeviceLink> link_;
};

TEST_F(DeviceLinkSimTest, InjectedFaultsGiveTheirCodes) {
  Start("mouse", false);
  struct Case {
    sim::Fault fault;
    int expected;
    int timeOuts;
  };
  // A reply with another code is dropped and the wait for the proper one runs out; a stray report
  // ahead of the proper reply is dropped and the proper one taken.
  const Case cases[] = {{sim::Fault::StatusFailed, kLinkStatusFF, 0},
                        {sim::Fault::StatusRefused, kLinkStatusFE, 0},
                        {sim::Fault::NoReply, kLinkNoReply, 1},
                        {sim::Fault::WrongCommand, kLinkNoReply, 1},
                        {sim::Fault::StrayReply, kLinkOk, 0},
                        {sim::Fault::ShortReply, kLinkNoReply, 0}};
  std::vector<uint8_t> block(78);
  for (const auto& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.fault));
    Device()->InjectFault(c.fault, sim::FaultMode::Once);
    int timeOuts = -1;
    EXPECT_EQ(RunTimed([&] { return link_->ReadSettings(block.data(), block.size(), 128); }, &timeOuts),
              c.expected);
    EXPECT_EQ(timeOuts, c.timeOuts);
    EXPECT_FALSE(link_->Busy());
    Device()->ClearFaults();
  }
  // The faults were one-shot: the link works on, and the block read is the device's.
  ASSERT_EQ(link_->ReadSettings(block.data(), block.size(), 128), kLinkOk);
  std::vector<uint8_t> stored(block.size());
  ASSERT_TRUE(Device()->Memory().Read(sim::Area::Settings, 128, stored.data(), stored.size()));
  EXPECT_EQ(block, stored);
}

TEST_F(DeviceLinkSimTest, ChunkedReadsUnderLateShortAndRepeatedReplies) {
  Start("mouse", false);
  FillSettings();
  std::vector<uint8_t> block(78, 0);
  int timeOuts = 0;

  // Late: the first chunk times out; its answer comes in ahead of the next read's and is dropped.
  Device()->InjectFault(sim::Fault::LateReply);
  EXPECT_EQ(RunTimed([&] { return link_->ReadSettings(block.data(), block.size(), 0); }, &timeOuts), kLinkNoReply);
  EXPECT_EQ(timeOuts, 1);
  ASSERT_EQ(RunTimed([&] { return link_->ReadSettings(block.data(), block.size(), 128); }, &timeOuts), kLinkOk);
  EXPECT_EQ(timeOuts, 0);
  EXPECT_EQ(block[0], 0xB0);   // area byte 128
  EXPECT_EQ(block[55], 0xE7);  // area byte 183
  EXPECT_EQ(block[77], 0xFD);  // area byte 205

  // Twice: the second copy of chunk one's answer is dropped by chunk two.
  Device()->InjectFault(sim::Fault::DoubleReply);
  ASSERT_EQ(RunTimed([&] { return link_->ReadSettings(block.data(), block.size(), 256); }, &timeOuts), kLinkOk);
  EXPECT_EQ(timeOuts, 0);
  EXPECT_EQ(block[0], 0x30);   // area byte 256
  EXPECT_EQ(block[56], 0x68);  // area byte 312: chunk two's own data
  EXPECT_EQ(block[77], 0x7D);

  // Short: no status byte, so no data; the transfer stops there.
  Device()->ClearLog();
  Device()->InjectFault(sim::Fault::ShortReply);
  std::fill(block.begin(), block.end(), 0x5A);
  EXPECT_EQ(RunTimed([&] { return link_->ReadSettings(block.data(), block.size(), 0); }, &timeOuts), kLinkNoReply);
  EXPECT_EQ(block, std::vector<uint8_t>(78, 0x5A));
  EXPECT_EQ(Device()->Log().size(), 1u);
}

TEST_F(DeviceLinkSimTest, ChunkedWritesUnderLateShortAndRepeatedReplies) {
  Start("mouse-receiver", true);
  std::vector<uint8_t> block(78);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(0xA0 + i);
  int timeOuts = 0;

  // Late: the first chunk is carried out but unconfirmed, so the transfer stops with no reply.
  Device()->InjectFault(sim::Fault::LateReply);
  EXPECT_EQ(RunTimed([&] { return link_->WriteSettings(block.data(), block.size(), 128); }, &timeOuts),
            kLinkNoReply);
  EXPECT_EQ(timeOuts, 1);
  EXPECT_EQ(Device()->CommandCount(), 1u);
  // The next write drops the late answer and is confirmed by its own, chunk by chunk.
  Device()->ClearLog();
  ASSERT_EQ(RunTimed([&] { return link_->WriteSettings(block.data(), block.size(), 128); }, &timeOuts), kLinkOk);
  EXPECT_EQ(timeOuts, 0);
  auto log = Device()->Log();
  ASSERT_EQ(log.size(), 4u);
  EXPECT_EQ(log[3].length, 6);
  EXPECT_EQ(log[3].offset, 200);
  EXPECT_EQ(Device()->Memory().Byte(sim::Area::Settings, 128), 0xA0);
  EXPECT_EQ(Device()->Memory().Byte(sim::Area::Settings, 205), 0xED);

  // Twice: every chunk still goes out once and the block is confirmed.
  Device()->ClearLog();
  Device()->InjectFault(sim::Fault::DoubleReply, sim::FaultMode::Always);
  ASSERT_EQ(RunTimed([&] { return link_->WriteSettings(block.data(), block.size(), 256); }, &timeOuts), kLinkOk);
  EXPECT_EQ(Device()->Log().size(), 4u);
  Device()->ClearFaults();

  // Short: the device carried the chunk out, but the host cannot know; it reports no reply.
  Device()->ClearLog();
  Device()->InjectFault(sim::Fault::ShortReply);
  EXPECT_EQ(RunTimed([&] { return link_->WriteSettings(block.data(), block.size(), 384); }, &timeOuts), kLinkNoReply);
  EXPECT_EQ(Device()->Log().size(), 1u);
  EXPECT_EQ(timeOuts, 0);
}

TEST_F(DeviceLinkSimTest, AsleepReceiverIsOutOfReach) {
  Start("mouse-receiver-asleep", true);
  EXPECT_FALSE(link_->ReceiverGuard());
  EXPECT_EQ(link_->BeginConfig(), kLinkOutOfReach);
  Device()->SetAsleep(false);
  EXPECT_TRUE(link_->ReceiverGuard());
  DeviceInfo info;
  Device()->ClearLog();
  ASSERT_EQ(link_->ReadDeviceInfo(info), kLinkOk);
  auto log = Device()->Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].length, 24);
  EXPECT_EQ(log[0].offset, 0);
  EXPECT_EQ(log[1].length, 10);
  EXPECT_EQ(log[1].offset, 24);
  EXPECT_TRUE(log[0].checksumOk && log[1].checksumOk);
  EXPECT_EQ(info.bytes[5], sim::SimMouse::kKeyEntries);
}

TEST_F(DeviceLinkSimTest, UnplugDuringATransferEndsItAndTheScanSeesItGone) {
  Start("mouse", false);
  Device()->UnplugAfter(3);
  std::vector<uint8_t> table(512);
  // On the manual clock a read that the unplug did not end would wait for ever: no time-out is
  // allowed here.
  auto transfer = std::async(std::launch::async, [&] { return link_->ReadKeyTable(table.data(), table.size()); });
  ASSERT_EQ(transfer.wait_for(kHandshakeLimit), std::future_status::ready);
  EXPECT_EQ(transfer.get(), kLinkNoReply);
  EXPECT_EQ(Device()->CommandCount(), 4u);
  EXPECT_FALSE(link_->Busy());
  auto paths = backend_->Enumerate();
  ASSERT_TRUE(paths);
  for (const auto& p : *paths) EXPECT_EQ(p.find("sim:mouse#"), std::string::npos) << p;
  // The next command fails at once instead of waiting on a dead handle.
  auto next = std::async(std::launch::async, [&] { return link_->BeginConfig(); });
  ASSERT_EQ(next.wait_for(kHandshakeLimit), std::future_status::ready);
  EXPECT_LE(next.get(), 0);
}

}  // namespace
}  // namespace orlo
