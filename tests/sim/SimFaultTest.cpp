// Fault injection, the asleep receiver, latency and unplugging in the middle of a transfer.
// Blocked reads are met with the device's own handshakes and time runs on its manual clock.
#include <gtest/gtest.h>

#include <chrono>
#include <future>

#include "sim/SimMouse.h"
#include "SimTestSupport.h"

namespace orlo::sim::test {
namespace {

using hid::TransferStatus;
using namespace std::chrono_literals;

class SimFaults : public ::testing::Test {
 protected:
  void Start(const std::string& list, const std::string& node) {
    backend = MakeSimBackend(list, NoPersistence());
    device = backend->Device(node);
    ASSERT_TRUE(device);
    handle = backend->Open(CommandPath(*backend, node), true, true);
    ASSERT_TRUE(handle);
  }
  std::shared_ptr<SimBackend> backend;
  std::shared_ptr<SimDevice> device;
  std::unique_ptr<hid::HidDevice> handle;
};

TEST_F(SimFaults, StatusFaultsOnceThenNormal) {
  Start("mouse", "mouse");
  const auto before = device->Memory().Snapshot(Area::Settings);
  device->InjectFault(Fault::StatusFailed);
  auto a = Exchange(*handle, MakeRequest(kCmdWriteSettings, 2, 0, {3, 3}));
  EXPECT_EQ(a.reply[3], kCmdWriteSettings);
  EXPECT_EQ(a.reply[7], kStatusFailed);
  EXPECT_EQ(device->Memory().Snapshot(Area::Settings), before) << "a failing device does not carry it out";
  device->InjectFault(Fault::StatusRefused);
  EXPECT_EQ(Exchange(*handle, MakeRequest(kCmdBeginConfig)).reply[7], kStatusRefused);
  EXPECT_EQ(Exchange(*handle, MakeRequest(kCmdBeginConfig)).reply[7], kStatusOk);
}

TEST_F(SimFaults, PersistentFaultLastsUntilCleared) {
  Start("mouse", "mouse");
  device->InjectFault(Fault::StatusRefused, FaultMode::Always);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Exchange(*handle, MakeRequest(kCmdEndConfig)).reply[7], kStatusRefused);
  device->ClearFaults();
  EXPECT_EQ(Exchange(*handle, MakeRequest(kCmdEndConfig)).reply[7], kStatusOk);
}

TEST_F(SimFaults, NoReplyLeavesTheReadToTimeOut) {
  Start("mouse", "mouse");
  device->InjectFault(Fault::NoReply);
  auto a = Exchange(*handle, MakeRequest(kCmdBeginConfig), 0);
  EXPECT_EQ(a.status, TransferStatus::Timeout);
  ASSERT_EQ(device->Log().size(), 1u);
  EXPECT_FALSE(device->Log()[0].answered);
  a = Exchange(*handle, MakeRequest(kCmdBeginConfig), 0);
  EXPECT_EQ(a.status, TransferStatus::Ok) << "the next command is answered again";
}

TEST_F(SimFaults, LateReplyComesAheadOfTheNextCommandsReply) {
  Start("mouse", "mouse");
  device->InjectFault(Fault::LateReply);
  const auto first = MakeRequest(kCmdReadSettings, 24, 0);
  auto a = Exchange(*handle, first, 0);
  EXPECT_EQ(a.status, TransferStatus::Timeout) << "not there while the host waits for it";
  ASSERT_EQ(device->Log().size(), 1u);
  EXPECT_TRUE(device->Log()[0].answered);

  const auto second = MakeRequest(kCmdReadSettings, 24, 128);
  ASSERT_EQ(handle->Write(second.data(), second.size(), 0).status, TransferStatus::Ok);
  Report late{}, own{}, none{};
  ASSERT_EQ(handle->Read(late.data(), late.size(), 0).status, TransferStatus::Ok);
  ASSERT_EQ(handle->Read(own.data(), own.size(), 0).status, TransferStatus::Ok);
  EXPECT_EQ(handle->Read(none.data(), none.size(), 0).status, TransferStatus::Timeout);
  // Each echoes its own request: code, length, offset.
  EXPECT_EQ(std::vector<uint8_t>(late.begin() + 3, late.begin() + 8), (std::vector<uint8_t>{5, 24, 0x00, 0x00, 0}));
  EXPECT_EQ(std::vector<uint8_t>(own.begin() + 3, own.begin() + 8), (std::vector<uint8_t>{5, 24, 0x80, 0x00, 0}));
  // A late reply still carries the data of its own offset: the active profile byte (0).
  EXPECT_EQ(late[kPayloadOffset], 0);
  EXPECT_EQ(own[kPayloadOffset], device->Memory().Byte(Area::Settings, 128));
}

TEST_F(SimFaults, ShortAndDoubleReplies) {
  Start("mouse", "mouse");
  device->InjectFault(Fault::ShortReply);
  const auto request = MakeRequest(kCmdWriteSettings, 2, 130, {0x11, 0x22});
  ASSERT_EQ(handle->Write(request.data(), request.size(), 0).status, TransferStatus::Ok);
  Report r{};
  r.fill(0xEE);
  const auto shortRead = handle->Read(r.data(), r.size(), 0);
  ASSERT_EQ(shortRead.status, TransferStatus::Ok);
  EXPECT_EQ(shortRead.bytes, 7u) << "cut before the status byte";
  EXPECT_EQ(std::vector<uint8_t>(r.begin(), r.begin() + 8), (std::vector<uint8_t>{4, r[1], r[2], 6, 2, 0x82, 0x00, 0xEE}));
  EXPECT_EQ(device->Memory().Byte(Area::Settings, 131), 0x22) << "the command was carried out";

  device->InjectFault(Fault::DoubleReply);
  const auto info = MakeRequest(kCmdReadInfo, 8, 0);
  ASSERT_EQ(handle->Write(info.data(), info.size(), 0).status, TransferStatus::Ok);
  Report one{}, two{}, none{};
  ASSERT_EQ(handle->Read(one.data(), one.size(), 0).status, TransferStatus::Ok);
  ASSERT_EQ(handle->Read(two.data(), two.size(), 0).status, TransferStatus::Ok);
  EXPECT_EQ(one, two);
  EXPECT_EQ(one[3], kCmdReadInfo);
  EXPECT_EQ(handle->Read(none.data(), none.size(), 0).status, TransferStatus::Timeout);
  EXPECT_EQ(device->Log().size(), 2u) << "answered twice, received once";
}

TEST_F(SimFaults, WrongCommandByteOnceAndAlways) {
  Start("mouse", "mouse");
  device->InjectFault(Fault::WrongCommand);
  auto a = Exchange(*handle, MakeRequest(kCmdReadInfo, 4, 0));
  ASSERT_EQ(a.status, TransferStatus::Ok);
  EXPECT_NE(a.reply[3], kCmdReadInfo);
  EXPECT_NE(a.reply[3], kReceiverUnreachable);
  // Only that one reply: nothing else is queued.
  Report extra{};
  EXPECT_EQ(handle->Read(extra.data(), extra.size(), 0).status, TransferStatus::Timeout);
  EXPECT_EQ(Exchange(*handle, MakeRequest(kCmdReadInfo, 4, 0)).reply[3], kCmdReadInfo);

  device->InjectFault(Fault::WrongCommand, FaultMode::Always);
  EXPECT_NE(Exchange(*handle, MakeRequest(kCmdReadInfo, 4, 0)).reply[3], kCmdReadInfo);
  // 0x2A would turn into 0xAA, the receiver's "out of reach" code.
  EXPECT_NE(Exchange(*handle, MakeRequest(0x2A)).reply[3], kReceiverUnreachable);
}

TEST_F(SimFaults, StrayReplyArrivesBeforeTheProperOne) {
  Start("mouse", "mouse");
  device->InjectFault(Fault::StrayReply);
  const auto request = MakeRequest(kCmdReadInfo, 6, 0);
  ASSERT_EQ(handle->Write(request.data(), request.size(), 100).status, TransferStatus::Ok);
  Report first{}, second{};
  ASSERT_EQ(handle->Read(first.data(), first.size(), 100).status, TransferStatus::Ok);
  ASSERT_EQ(handle->Read(second.data(), second.size(), 100).status, TransferStatus::Ok);
  EXPECT_NE(first[3], kCmdReadInfo);
  EXPECT_EQ(second[3], kCmdReadInfo);
  EXPECT_EQ(second[kPayloadOffset + 5], SimMouse::kKeyEntries) << "the proper reply carries the info bytes";
}

TEST_F(SimFaults, AsleepReceiverAnswersEveryCommandWithAA) {
  Start("mouse-receiver-asleep", "mouse-receiver");
  EXPECT_TRUE(device->Asleep());
  auto a = Exchange(*handle, MakeRequest(kCmdReadInfo, 24, 0));
  ASSERT_EQ(a.status, TransferStatus::Ok);
  EXPECT_EQ(a.reply[3], kReceiverUnreachable);
  a = Exchange(*handle, MakeRequest(kCmdWirelessQuery));
  EXPECT_EQ(a.reply[3], kCmdWirelessQuery);
  EXPECT_NE(a.reply[8], kWirelessReachable);
  const auto before = device->Memory().Snapshot(Area::Settings);
  Exchange(*handle, MakeRequest(kCmdWriteSettings, 2, 0, {4, 4}));
  EXPECT_EQ(device->Memory().Snapshot(Area::Settings), before) << "nothing reaches a sleeping mouse";
  EXPECT_FALSE(device->SendCompanionEvent(0x401)) << "and a sleeping mouse sends nothing";

  device->SetAsleep(false);
  a = Exchange(*handle, MakeRequest(kCmdWirelessQuery));
  EXPECT_EQ(a.reply[8], kWirelessReachable);
  EXPECT_EQ(Exchange(*handle, MakeRequest(kCmdReadInfo, 24, 0)).reply[3], kCmdReadInfo);
}

TEST_F(SimFaults, SleepMeansNothingOnAWiredConnection) {
  Start("mouse", "mouse");
  device->SetAsleep(true);
  EXPECT_EQ(Exchange(*handle, MakeRequest(kCmdReadInfo, 24, 0)).reply[3], kCmdReadInfo);
  EXPECT_TRUE(device->SendCompanionEvent(0x401));
}

TEST_F(SimFaults, UnplugAfterNReportsInTheMiddleOfABlock) {
  Start("mouse", "mouse");
  device->UnplugAfter(3);
  const std::vector<uint8_t> block(SimMouse::kBlockSize, 0x5A);
  EXPECT_EQ(WriteBlock(*handle, kCmdWriteSettings, block, 24, 128), kStatusFailed);
  const auto log = device->Log();
  ASSERT_EQ(log.size(), 4u) << "three answered, the fourth taken and never answered";
  EXPECT_TRUE(log[2].answered);
  EXPECT_FALSE(log[3].answered);
  EXPECT_FALSE(device->Plugged());
  EXPECT_EQ(backend->Enumerate()->size(), 0u);
  // The chunks already written stay written.
  const auto stored = device->Memory().Snapshot(Area::Settings);
  EXPECT_EQ(stored[128 + 71], 0x5A);
  EXPECT_NE(stored[128 + 72], 0x5A);
  EXPECT_EQ(handle->Write(MakeRequest(kCmdBeginConfig).data(), kReportSize, 100).status, TransferStatus::Failed);
}

TEST_F(SimFaults, UnplugWakesABlockedReadWithFailure) {
  Start("mouse", "mouse");
  auto reader = std::async(std::launch::async, [&] {
    Report r{};
    return handle->Read(r.data(), r.size(), -1).status;
  });
  ASSERT_TRUE(device->WaitForBlockedReads(1)) << "the read blocks while nothing arrives";
  ASSERT_TRUE(backend->Unplug("mouse"));
  ASSERT_EQ(reader.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(reader.get(), TransferStatus::Failed);

  // Plugged again: the old handle stays dead, a new one works.
  ASSERT_TRUE(backend->Plug("mouse"));
  EXPECT_EQ(Exchange(*handle, MakeRequest(kCmdBeginConfig)).status, TransferStatus::Failed);
  auto fresh = backend->Open(CommandPath(*backend, "mouse"), true, true);
  ASSERT_TRUE(fresh);
  EXPECT_EQ(Exchange(*fresh, MakeRequest(kCmdBeginConfig)).status, TransferStatus::Ok);
}

TEST_F(SimFaults, CancelEndsOneTransferOnly) {
  Start("mouse", "mouse");
  // On the manual clock the read can end only through the cancel, never by its time-out.
  device->UseManualClock();
  auto reader = std::async(std::launch::async, [&] {
    Report r{};
    return handle->Read(r.data(), r.size(), 5000).status;
  });
  // The cancel comes only once the read waits: a cancel sent ahead would end it just the same,
  // and the test would no longer show that a blocked read is woken.
  ASSERT_TRUE(device->WaitForBlockedReads(1));
  handle->Cancel();
  ASSERT_EQ(reader.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(reader.get(), TransferStatus::Cancelled);
  // The signal was used up: the next transfer runs normally.
  EXPECT_EQ(Exchange(*handle, MakeRequest(kCmdBeginConfig)).status, TransferStatus::Ok);
  // A cancel with nothing pending ends the next transfer, and only that one; two cancels are one.
  handle->Cancel();
  handle->Cancel();
  Report r{};
  EXPECT_EQ(handle->Read(r.data(), r.size(), 1000).status, TransferStatus::Cancelled);
  EXPECT_EQ(handle->Read(r.data(), r.size(), 0).status, TransferStatus::Timeout);
}

TEST_F(SimFaults, LatencyDelaysEachReport) {
  Start("mouse", "mouse");
  device->UseManualClock();
  device->SetLatency(1ms);
  const auto t0 = device->Now();
  const auto request = MakeRequest(kCmdBeginConfig);
  ASSERT_EQ(handle->Write(request.data(), request.size(), 1000).status, TransferStatus::Ok);
  EXPECT_EQ(device->Now() - t0, 1ms) << "the report's way out";
  // The reply is still on its way back: not there for a read that gives up now.
  Report r{};
  EXPECT_EQ(handle->Read(r.data(), r.size(), 0).status, TransferStatus::Timeout);
  device->AdvanceClock(999us);
  EXPECT_EQ(handle->Read(r.data(), r.size(), 0).status, TransferStatus::Timeout);
  device->AdvanceClock(1us);
  EXPECT_EQ(handle->Read(r.data(), r.size(), 0).status, TransferStatus::Ok);
  EXPECT_EQ(r[3], kCmdBeginConfig);

  // A blocked read is handed the reply once the clock reaches it, not before its time-out.
  ASSERT_EQ(handle->Write(request.data(), request.size(), 1000).status, TransferStatus::Ok);
  auto reader = std::async(std::launch::async, [&] {
    Report reply{};
    return handle->Read(reply.data(), reply.size(), 5).status;
  });
  ASSERT_TRUE(device->WaitForBlockedReads(1));
  device->AdvanceClock(1ms);
  ASSERT_EQ(reader.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(reader.get(), TransferStatus::Ok);
}

TEST_F(SimFaults, AReadOnTheManualClockTimesOutWhenTheClockPassesItsTimeOut) {
  Start("mouse", "mouse");
  device->UseManualClock();
  device->InjectFault(Fault::NoReply);
  const auto request = MakeRequest(kCmdBeginConfig);
  ASSERT_EQ(handle->Write(request.data(), request.size(), 1000).status, TransferStatus::Ok);
  auto read = [&] {
    return std::async(std::launch::async, [&] {
      Report reply{};
      return handle->Read(reply.data(), reply.size(), 1000).status;
    });
  };
  // 999 ms in, the read still waits: the reply to a command sent then reaches it.
  auto early = read();
  ASSERT_TRUE(device->WaitForBlockedReads(1));
  device->AdvanceClock(999ms);
  ASSERT_EQ(handle->Write(request.data(), request.size(), 1000).status, TransferStatus::Ok);
  ASSERT_EQ(early.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(early.get(), TransferStatus::Ok);
  // With the whole time-out passed it gives up.
  auto late = read();
  ASSERT_TRUE(device->WaitForBlockedReads(2));
  device->AdvanceClock(1000ms);
  ASSERT_EQ(late.wait_for(10s), std::future_status::ready);
  EXPECT_EQ(late.get(), TransferStatus::Timeout);
  EXPECT_TRUE(device->WaitForCommands(2));
  EXPECT_FALSE(device->WaitForCommands(3, 0ms));
}

}  // namespace
}  // namespace orlo::sim::test
