// The simulated mouse's firmware side of the command protocol, spoken directly on a handle.
#include <gtest/gtest.h>

#include "sim/SimMouse.h"
#include "SimTestSupport.h"

namespace orlo::sim::test {
namespace {

using hid::TransferStatus;

class SimMouseProtocol : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = MakeSimBackend("mouse", NoPersistence());
    mouse = std::dynamic_pointer_cast<SimMouse>(backend->Device("mouse"));
    ASSERT_TRUE(mouse);
    handle = backend->Open(CommandPath(*backend, "mouse"), true, true);
    ASSERT_TRUE(handle);
  }
  std::shared_ptr<SimBackend> backend;
  std::shared_ptr<SimMouse> mouse;
  std::unique_ptr<hid::HidDevice> handle;
};

TEST_F(SimMouseProtocol, InfoBlockDescribesTheMouseInEitherChunkSize) {
  const auto wired = ReadBlock(*handle, kCmdReadInfo, kInfoBlockSize, 56);
  const auto receiver = ReadBlock(*handle, kCmdReadInfo, kInfoBlockSize, 24);
  ASSERT_EQ(wired.size(), kInfoBlockSize);
  EXPECT_EQ(wired, receiver);
  EXPECT_EQ(wired[5], SimMouse::kKeyEntries);
  EXPECT_EQ(wired[6], SimMouse::kMacroUnits);
  EXPECT_EQ(wired[9] | wired[10] << 8, SimMouse::kSensor);
  EXPECT_EQ(wired[11], SimMouse::kResolutionStep);
  EXPECT_EQ(wired[14] | wired[15] << 8, SimMouse::kMinResolution);
  // The receiver reads of 24 and 10 bytes arrive at offsets 0 and 24.
  const auto log = mouse->Log();
  ASSERT_EQ(log.size(), 3u);
  EXPECT_EQ(log[1].length, 24);
  EXPECT_EQ(log[2].length, 10);
  EXPECT_EQ(log[2].offset, 24);
}

TEST_F(SimMouseProtocol, FactorySettingsHoldFivePlausibleProfiles) {
  for (int p = 0; p < SimMouse::kProfiles; ++p) {
    const auto block = ReadBlock(*handle, kCmdReadSettings, SimMouse::kBlockSize, 24,
                                 static_cast<uint16_t>(p * SimMouse::kProfileStride));
    ASSERT_EQ(block.size(), static_cast<size_t>(SimMouse::kBlockSize)) << "profile " << p;
    EXPECT_LE(block[3], 4) << "speed is an inverted index 0-4";
    EXPECT_LT(block[12], 5) << "active stage";
    EXPECT_EQ(block[59], 1);
    for (int s = 0; s < 5; ++s) {
      const int x = block[16 + 9 * s] | block[17 + 9 * s] << 8;
      EXPECT_GE(x, SimMouse::kMinResolution);
      EXPECT_LE(x, SimMouse::kMaxResolution);
      EXPECT_EQ(x % SimMouse::kResolutionStep, 0);
    }
  }
  EXPECT_EQ(mouse->ActiveProfile(), 0);
}

TEST_F(SimMouseProtocol, SettingsWriteLandsAtTheProfileOffset) {
  std::vector<uint8_t> block(SimMouse::kBlockSize);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(0x40 + i);
  ASSERT_EQ(WriteBlock(*handle, kCmdWriteSettings, block, 24, 2 * SimMouse::kProfileStride), kStatusOk);
  EXPECT_EQ(mouse->SettingsBlock(2), block);
  EXPECT_NE(mouse->SettingsBlock(1), block);
  EXPECT_NE(mouse->SettingsBlock(3), block);
  EXPECT_EQ(ReadBlock(*handle, kCmdReadSettings, block.size(), 56, 256), block);
  const auto log = mouse->Log();
  ASSERT_EQ(log.size(), 6u);  // 24 + 24 + 24 + 6 written, 56 + 22 read
  EXPECT_EQ(log[3].offset, 256 + 72);
  EXPECT_EQ(log[3].payload, std::vector<uint8_t>(block.begin() + 72, block.end()));
}

TEST_F(SimMouseProtocol, KeyTableHoldsTheFactoryAssignments) {
  const auto table = ReadBlock(*handle, kCmdReadKeyTable, kKeyTableSize, 56);
  ASSERT_EQ(table.size(), kKeyTableSize);
  EXPECT_EQ(mouse->Log().size(), 10u) << "nine reports of 56 bytes and one of 8";
  const auto& keys = SimMouse::FactoryKeys();
  for (size_t k = 0; k < keys.size(); ++k) {
    EXPECT_EQ(table[3 * k], keys[k][0]) << "entry " << k;
    EXPECT_EQ(table[3 * k + 1], keys[k][1]) << "entry " << k;
    EXPECT_EQ(table[3 * k + 2], keys[k][2]) << "entry " << k;
  }
  EXPECT_EQ(table[3 * keys.size()], 0);

  std::vector<uint8_t> changed(table.begin(), table.begin() + 33);
  changed[0] = 0x70;  // macro slot 0 on the first button
  changed[1] = 0x00;
  ASSERT_EQ(WriteBlock(*handle, kCmdWriteKeyTable, changed, 24), kStatusOk);
  const auto back = ReadBlock(*handle, kCmdReadKeyTable, 33, 24);
  EXPECT_EQ(back, changed);
}

TEST_F(SimMouseProtocol, AccessOutsideAnAreaIsRefusedAndChangesNothing) {
  const auto before = mouse->Memory().Snapshot(Area::Settings);
  // The settings area ends at 640: 20 bytes at 630 cross its end.
  auto a = Exchange(*handle, MakeRequest(kCmdWriteSettings, 20, 630, std::vector<uint8_t>(20, 0x77)));
  ASSERT_EQ(a.status, TransferStatus::Ok);
  EXPECT_EQ(a.reply[3], kCmdWriteSettings);
  EXPECT_EQ(a.reply[7], kStatusRefused);
  EXPECT_EQ(mouse->Memory().Snapshot(Area::Settings), before);
  // The last 10 bytes fit.
  a = Exchange(*handle, MakeRequest(kCmdWriteSettings, 10, 630, std::vector<uint8_t>(10, 0x77)));
  EXPECT_EQ(a.reply[7], kStatusOk);
  // A length above the 56 payload bytes a report holds.
  a = Exchange(*handle, MakeRequest(kCmdReadSettings, 57, 0));
  EXPECT_EQ(a.reply[7], kStatusRefused);
  a = Exchange(*handle, MakeRequest(kCmdReadKeyTable, 8, kKeyTableSize - 4));
  EXPECT_EQ(a.reply[7], kStatusRefused);
  a = Exchange(*handle, MakeRequest(kCmdReadInfo, 2, 33));
  EXPECT_EQ(a.reply[7], kStatusRefused);
  // Macro area: info byte 6 × 128 bytes.
  const uint16_t macroEnd = SimMouse::kMacroUnits * 128;
  a = Exchange(*handle, MakeRequest(kCmdWriteMacro, 4, macroEnd - 4, {1, 2, 3, 4}));
  EXPECT_EQ(a.reply[7], kStatusOk);
  a = Exchange(*handle, MakeRequest(kCmdWriteMacro, 4, macroEnd - 3, {1, 2, 3, 4}));
  EXPECT_EQ(a.reply[7], kStatusRefused);
  const uint16_t shootEnd = SimMouse::kShootUnits * 128;
  a = Exchange(*handle, MakeRequest(kCmdWriteShoot, 56, shootEnd - 56, std::vector<uint8_t>(56, 9)));
  EXPECT_EQ(a.reply[7], kStatusOk);
  a = Exchange(*handle, MakeRequest(kCmdWriteShoot, 56, shootEnd, std::vector<uint8_t>(56, 9)));
  EXPECT_EQ(a.reply[7], kStatusRefused);
}

TEST_F(SimMouseProtocol, CommandsTheMouseLacksAreRefused) {
  for (uint8_t code : {kCmdWriteLightData, kCmdStreamLightFrame, kCmdReadKeyBytes, kCmdClaimLight,
                       static_cast<uint8_t>(0x42)}) {
    const auto a = Exchange(*handle, MakeRequest(code, 4, 0, {1, 2, 3, 4}));
    ASSERT_EQ(a.status, TransferStatus::Ok);
    EXPECT_EQ(a.reply[3], code);
    EXPECT_EQ(a.reply[7], kStatusRefused) << "command " << int(code);
  }
  EXPECT_FALSE(mouse->HostLightControl());
}

TEST_F(SimMouseProtocol, BadChecksumAnswersFailureWithoutWriting) {
  const auto before = mouse->Memory().Snapshot(Area::Settings);
  auto request = MakeRequest(kCmdWriteSettings, 4, 128, {9, 9, 9, 9});
  request[1] ^= 0x01;
  auto a = Exchange(*handle, request);
  ASSERT_EQ(a.status, TransferStatus::Ok);
  EXPECT_EQ(a.reply[3], kCmdWriteSettings);
  EXPECT_EQ(a.reply[7], kStatusFailed);
  EXPECT_EQ(mouse->Memory().Snapshot(Area::Settings), before);
  // A payload byte changed after sealing is caught too (the sum covers bytes 3..63).
  request = MakeRequest(kCmdWriteSettings, 4, 128, {9, 9, 9, 9});
  request[63] = 1;
  EXPECT_EQ(Exchange(*handle, request).reply[7], kStatusFailed);
  const auto log = mouse->Log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_FALSE(log[0].checksumOk);
  // BeginConfig with every other byte zero carries the checksum 01 00.
  const auto begin = MakeRequest(kCmdBeginConfig);
  EXPECT_EQ(begin[1], 0x01);
  EXPECT_EQ(begin[2], 0x00);
  EXPECT_EQ(Exchange(*handle, begin).reply[7], kStatusOk);
  EXPECT_TRUE(mouse->Log().back().checksumOk);
}

TEST_F(SimMouseProtocol, ShortOutputReportIsPaddedAndUnknownReportIdRejected) {
  // A report cut after the header still reaches the firmware, zero-padded.
  const auto full = MakeRequest(kCmdBeginConfig);
  ASSERT_EQ(handle->Write(full.data(), 8, 100).status, TransferStatus::Ok);
  Report reply{};
  ASSERT_EQ(handle->Read(reply.data(), reply.size(), 100).status, TransferStatus::Ok);
  EXPECT_EQ(reply[7], kStatusOk);
  // Longer than the report, or a report id the interface does not declare for output.
  std::vector<uint8_t> tooLong(kReportSize + 1, 0);
  tooLong[0] = kCommandReportId;
  EXPECT_EQ(handle->Write(tooLong.data(), tooLong.size(), 100).status, TransferStatus::Failed);
  auto wrongId = full;
  wrongId[0] = 9;
  EXPECT_EQ(handle->Write(wrongId.data(), wrongId.size(), 100).status, TransferStatus::Failed);
  EXPECT_EQ(mouse->CommandCount(), 1u);
}

}  // namespace
}  // namespace orlo::sim::test
