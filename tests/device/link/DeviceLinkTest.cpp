// The command link against a scripted firmware: chunking and offsets as seen in the command
// trace, reply matching, result codes of injected faults, and the locking between commands,
// streamed light frames and a channel closed under a blocked read.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
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
using Clock = std::chrono::steady_clock;

// Vendor collection 0xFF1C/0x92, report id 4, 63-byte input and output reports.
const std::vector<uint8_t> kVendorDescriptor = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04, 0x15, 0x00, 0x26, 0xFF, 0x00,
    0x75, 0x08, 0x95, 0x3F, 0x09, 0x01, 0x81, 0x02, 0x09, 0x01, 0x91, 0x02, 0xC0};

// The firmware side: each written report is handed to `answer`, whose replies are queued for
// reading. Faults are scripted by replacing `answer` or setting the flags.
struct Firmware {
  std::mutex mutex;
  std::condition_variable cv;
  std::deque<Report> replies;
  std::vector<Report> written;
  std::function<std::vector<Report>(const Report&)> answer;
  bool unplugged = false;
  bool failWrites = false;
  std::vector<uint8_t> memory = std::vector<uint8_t>(0x10000);

  Firmware() {
    for (size_t i = 0; i < memory.size(); ++i) memory[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    answer = [this](const Report& r) { return std::vector<Report>{Normal(r)}; };
  }

  // Echoes the code; reads return memory at the offset, writes store into it.
  Report Normal(const Report& r) {
    Report out{};
    out[0] = 4;
    out[3] = r[3];
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

  std::vector<Report> Written() {
    std::lock_guard lock(mutex);
    return written;
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
    auto ready = [&] { return cancelled_ || fw_->unplugged || !fw_->replies.empty(); };
    if (timeoutMs < 0) {
      fw_->cv.wait(lock, ready);
    } else if (!fw_->cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
      return {hid::TransferStatus::Timeout, 0};
    }
    if (cancelled_) {
      cancelled_ = false;
      return {hid::TransferStatus::Cancelled, 0};
    }
    if (fw_->unplugged) return {hid::TransferStatus::Failed, 0};
    Report r = fw_->replies.front();
    fw_->replies.pop_front();
    const size_t n = std::min(length, r.size());
    std::copy_n(r.begin(), n, buffer);
    return {hid::TransferStatus::Ok, n};
  }

  hid::TransferResult Write(const uint8_t* buffer, size_t length, int) override {
    Report r{};
    std::copy_n(buffer, std::min(length, r.size()), r.begin());
    std::function<std::vector<Report>(const Report&)> answer;
    {
      std::lock_guard lock(fw_->mutex);
      if (fw_->unplugged || fw_->failWrites) return {hid::TransferStatus::Failed, 0};
      fw_->written.push_back(r);
      answer = fw_->answer;
    }
    auto replies = answer(r);  // may sleep to model a slow device
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

// One traced report: its label ("命令" or "返回") and its 64 bytes.
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

  std::vector<TracedReport> Trace() {
    std::ifstream in(tracePath_);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    std::vector<TracedReport> out;
    for (size_t i = 0; i + 2 < lines.size() + 0; ++i) {
      if (lines[i] != "命令" && lines[i] != "返回") continue;
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
  std::vector<std::string> TraceLines() {
    std::ifstream in(tracePath_);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
  }

  // (length, offset) of each traced request.
  std::vector<std::pair<int, int>> Chunks() {
    std::vector<std::pair<int, int>> out;
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
  // 0xFF * 59 + 56 = 0x3B1D: carries past the low byte.
  EXPECT_EQ(r[1] | (r[2] << 8), 0xFF * 59 + 56);
}

TEST_F(DeviceLinkTest, ChunkingPerModeOnTheWire) {
  Connect(false);
  DeviceInfo info;
  ASSERT_EQ(link_->ReadDeviceInfo(info), 1);
  EXPECT_EQ(Chunks(), (ChunkList{{34, 0}}));
  EXPECT_TRUE(std::equal(info.bytes.begin(), info.bytes.end(), fw_->memory.begin()));
  EXPECT_EQ(info.Word(), fw_->memory[32] | (fw_->memory[33] << 8));

  ResetTrace();
  std::vector<uint8_t> table(512);
  ASSERT_EQ(link_->ReadKeyTable(table.data(), table.size()), 1);
  ChunkList expected;
  for (int i = 0; i < 9; ++i) expected.emplace_back(56, i * 56);
  expected.emplace_back(8, 504);
  EXPECT_EQ(Chunks(), expected);
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

  // Settings at a profile base: offsets carry the base; the payload bytes sit from byte 8.
  ResetTrace();
  std::vector<uint8_t> block(78);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i + 1);
  ASSERT_EQ(link_->WriteSettings(block.data(), block.size(), 5 * 128), 1);
  EXPECT_EQ(Chunks(), (ChunkList{{24, 640}, {24, 664}, {24, 688}, {6, 712}}));
  auto requests = TracedRequests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[3][8], 73);
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

TEST_F(DeviceLinkTest, ReplyMatching) {
  Connect(false);
  // One stale reply before the real one: skipped.
  bool first = true;
  fw_->answer = [&](const Report& r) {
    std::vector<Report> out;
    if (r[3] == 5 && first) {
      first = false;
      Report stale = fw_->Normal(r);
      stale[3] = 0xAA;  // wired: just another non-matching code
      stale[8] = 0x99;
      out.push_back(stale);
    }
    out.push_back(fw_->Normal(r));
    return out;
  };
  std::vector<uint8_t> buf(20);
  ASSERT_EQ(link_->ReadSettings(buf.data(), buf.size(), 0x40), 1);
  EXPECT_TRUE(std::equal(buf.begin(), buf.end(), fw_->memory.begin() + 0x40));
  auto trace = Trace();
  ASSERT_EQ(trace.size(), 2u);
  EXPECT_EQ(trace[1].bytes[3], 5);  // the reply handed back is the matching one

  // Two differing replies: the exchange ends with the second read's result...
  fw_->answer = [&](const Report& r) {
    Report a = fw_->Normal(r), b = fw_->Normal(r);
    a[3] = 0x30;
    b[3] = 0x31;
    return std::vector<Report>{a, b};
  };
  Report req{}, reply{};
  CDeviceLink::BuildRequest(req.data(), 5, 8, 0, nullptr, 0);
  size_t got = 0;
  EXPECT_EQ(link_->Transact(req.data(), req.size(), reply.data(), reply.size(), &got), 1);
  EXPECT_EQ(got, 64u);
  EXPECT_EQ(reply[3], 0x31);
  // ...but a read command does not take another command's payload as its data.
  std::fill(buf.begin(), buf.end(), 0x5A);
  EXPECT_EQ(link_->ReadSettings(buf.data(), buf.size(), 0), 0);
  EXPECT_EQ(buf, std::vector<uint8_t>(20, 0x5A));
  // A write has no payload to protect; it is judged by the status byte.
  EXPECT_EQ(link_->WriteSettings(buf.data(), 4, 0), 1);
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
  fw_->answer = [](const Report& r) {
    Report out{};
    out[0] = 4;
    out[3] = 0xAA;
    (void)r;
    return std::vector<Report>{out};
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
  fw_->answer = [this](const Report& r) { return std::vector<Report>{fw_->Normal(r)}; };
  EXPECT_FALSE(link_->ReceiverGuard());
  EXPECT_EQ(fw_->Written().size(), before + 4);
}

TEST_F(DeviceLinkTest, InjectedFaultsGiveTheirCodes) {
  Connect(false);
  // Status failure on the second chunk: the first stays written, nothing after it is sent.
  int n = 0;
  fw_->answer = [&](const Report& r) {
    Report out = fw_->Normal(r);
    if (++n == 2) out[7] = 0xFE;
    return std::vector<Report>{out};
  };
  std::vector<uint8_t> macro(150, 0x42);
  const size_t before = fw_->Written().size();
  EXPECT_EQ(link_->WriteMacroData(macro.data(), macro.size()), kLinkStatusFE);
  EXPECT_EQ(fw_->Written().size(), before + 2);
  EXPECT_EQ(fw_->memory[0], 0x42);

  // No reply: 0 after the wired time-out, not later.
  fw_->answer = [](const Report&) { return std::vector<Report>{}; };
  auto t0 = Clock::now();
  EXPECT_EQ(link_->BeginConfig(), kLinkNoReply);
  auto waited = Clock::now() - t0;
  EXPECT_GE(waited, std::chrono::milliseconds(900));
  EXPECT_LT(waited, std::chrono::milliseconds(2900));  // two reads at most would be 2000
  EXPECT_FALSE(link_->Busy());

  // Write failure: -1, and busy is clear again so streamed frames are not dropped for ever.
  fw_->failWrites = true;
  EXPECT_EQ(link_->BeginConfig(), kLinkWriteFailed);
  EXPECT_FALSE(link_->Busy());
  fw_->failWrites = false;
  fw_->answer = [this](const Report& r) { return std::vector<Report>{fw_->Normal(r)}; };
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
      Report out = fw_->Normal(r);
      out[7] = status;
      return std::vector<Report>{out};
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
    Report out = fw_->Normal(r);
    out[7] = 0x01;
    return std::vector<Report>{out};
  };
  EXPECT_EQ(link_->EndConfig(), kLinkOk);
  EXPECT_EQ(link_->ReadSettings(buffer.data(), buffer.size(), 0x100), kLinkOk);
  EXPECT_EQ(buffer[0], fw_->memory[0x100]);
  EXPECT_EQ(link_->StreamLightFrame(buffer.data(), buffer.size()), kLinkOk);
}

TEST_F(DeviceLinkTest, StreamedFramesAreQuietAndNeverWait) {
  Connect(false);
  std::vector<uint8_t> frame(100);
  ASSERT_EQ(link_->StreamLightFrame(frame.data(), frame.size()), 1);
  EXPECT_EQ(fw_->Written().size(), 2u);  // 56 + 44, untraced
  EXPECT_TRUE(TraceLines().empty());

  // While a logged exchange waits for a slow reply, frames are dropped at once.
  std::atomic<bool> inExchange{false};
  fw_->answer = [&](const Report& r) {
    if (r[3] == 1) {
      inExchange = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
    }
    return std::vector<Report>{fw_->Normal(r)};
  };
  std::thread slow([&] { EXPECT_EQ(link_->BeginConfig(), 1); });
  while (!inExchange) std::this_thread::yield();
  auto t0 = Clock::now();
  EXPECT_EQ(link_->StreamLightFrame(frame.data(), frame.size()), 1);
  EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(100));
  slow.join();
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
  // A firmware with jitter so that exchanges overlap in time if the link lets them.
  std::atomic<int> counter{0};
  fw_->answer = [&](const Report& r) {
    if (++counter % 3 == 0) std::this_thread::sleep_for(std::chrono::microseconds(300));
    return std::vector<Report>{fw_->Normal(r)};
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
  std::vector<uint8_t> info(34);
  for (int i = 0; i < 40; ++i) {
    DeviceInfo d;
    if (link_->ReadDeviceInfo(d) != 1 || !std::equal(d.bytes.begin(), d.bytes.end(), fw_->memory.begin())) ++bad;
  }
  a.join();
  b.join();
  stop = true;
  streamer.join();
  EXPECT_EQ(bad.load(), 0);
  // Every traced request is followed by its own reply.
  auto trace = Trace();
  for (size_t i = 0; i + 1 < trace.size(); i += 2) {
    ASSERT_EQ(trace[i].label, "命令");
    ASSERT_EQ(trace[i + 1].label, "返回");
    EXPECT_EQ(trace[i].bytes[3], trace[i + 1].bytes[3]);
  }
}

TEST_F(DeviceLinkTest, CloseDuringABlockedReadEndsItAndReopenWorks) {
  Connect(true);  // 5000 ms time-out: a hang would show
  fw_->answer = [](const Report&) { return std::vector<Report>{}; };
  std::atomic<int> result{99};
  auto t0 = Clock::now();
  std::thread t([&] { result = link_->BeginConfig(); });
  while (fw_->Written().empty()) std::this_thread::yield();
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  link_->CloseChannel(true);
  t.join();
  EXPECT_EQ(result.load(), kLinkNoReply);
  EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(2000));
  EXPECT_FALSE(link_->IsOpen());
  EXPECT_FALSE(link_->Busy());

  // The cancel was spent on that read; the re-opened channel answers normally.
  fw_->answer = [this](const Report& r) { return std::vector<Report>{fw_->Normal(r)}; };
  link_->CloseChannel(true);  // a close with nothing pending
  Connect(true);
  EXPECT_EQ(link_->BeginConfig(), 1);
}

// The same link against the simulated mouse: its injected faults and an unplug mid-transfer.
class DeviceLinkSimTest : public ::testing::Test {
 protected:
  void Start(const std::string& list, bool receiver) {
    sim::SimOptions options;
    options.persist = false;
    backend_ = sim::MakeSimBackend(list, options);
    node_ = receiver ? "mouse-receiver" : "mouse";
    link_ = std::make_unique<CDeviceLink>(backend_);
    link_->SetMode(receiver ? 2 : 1);
    for (const auto& path : backend_->PathsOf(node_)) {
      if (path.find("&col04") != std::string::npos) {
        ASSERT_EQ(link_->OpenChannel(receiver, path), 1);
      }
    }
    link_->SetOpen(true);
    ASSERT_TRUE(Device());
  }
  std::shared_ptr<sim::SimDevice> Device() { return backend_->Device(node_); }
  void TearDown() override { link_.reset(); }

  std::shared_ptr<sim::SimBackend> backend_;
  std::string node_;
  std::unique_ptr<CDeviceLink> link_;
};

TEST_F(DeviceLinkSimTest, InjectedFaultsGiveTheirCodesWithinTheTimeOut) {
  Start("mouse", false);
  struct Case {
    sim::Fault fault;
    int expected;
  };
  // A reply carrying another code is skipped and the second read waits out the time-out; a stray
  // report ahead of the proper reply is skipped and the proper one accepted.
  const Case cases[] = {{sim::Fault::StatusFailed, kLinkStatusFF},
                        {sim::Fault::StatusRefused, kLinkStatusFE},
                        {sim::Fault::NoReply, kLinkNoReply},
                        {sim::Fault::WrongCommand, kLinkNoReply},
                        {sim::Fault::StrayReply, kLinkOk}};
  std::vector<uint8_t> block(78);
  for (const auto& c : cases) {
    Device()->InjectFault(c.fault, sim::FaultMode::Once);
    auto t0 = Clock::now();
    EXPECT_EQ(link_->ReadSettings(block.data(), block.size(), 128), c.expected)
        << "fault " << static_cast<int>(c.fault);
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(1500));
    EXPECT_FALSE(link_->Busy());
    Device()->ClearFaults();
  }
  // The faults were one-shot: the link works on, and the block read is the device's.
  ASSERT_EQ(link_->ReadSettings(block.data(), block.size(), 128), kLinkOk);
  std::vector<uint8_t> stored(block.size());
  ASSERT_TRUE(Device()->Memory().Read(sim::Area::Settings, 128, stored.data(), stored.size()));
  EXPECT_EQ(block, stored);
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
  auto t0 = Clock::now();
  EXPECT_EQ(link_->ReadKeyTable(table.data(), table.size()), kLinkNoReply);
  EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(1500));
  EXPECT_EQ(Device()->CommandCount(), 4u);
  EXPECT_FALSE(link_->Busy());
  auto paths = backend_->Enumerate();
  ASSERT_TRUE(paths);
  for (const auto& p : *paths) EXPECT_EQ(p.find("sim:mouse#"), std::string::npos) << p;
  // The next command fails at once instead of waiting on a dead handle.
  t0 = Clock::now();
  EXPECT_LE(link_->BeginConfig(), 0);
  EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(500));
}

}  // namespace
}  // namespace orlo
