#include "device/link/HidChannel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <vector>

#include "FakeHidBackend.h"

using namespace orlo;
using orlo::test::FakeHidBackend;

namespace {

const std::string kCommandPath = "/dev/hidraw3#vid_320f&pid_222e&mi_01&col04";

std::shared_ptr<FakeHidBackend> BackendWithCommandInterface() {
  auto b = std::make_shared<FakeHidBackend>();
  b->devices[kCommandPath] = {{0x320F, 0x222E, 0x0105}, orlo::test::VendorCollectionDescriptor(), 0};
  return b;
}

// Two button capabilities on one usage page in one report (buttons 1-3 and 9-12), then a
// 16-bit value with a signed range.
const std::vector<uint8_t> kSplitButtons = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x07,              //
    0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01,  // buttons 1..3
    0x75, 0x01, 0x95, 0x03, 0x81, 0x02, 0x95, 0x05, 0x81, 0x01,  // + padding
    0x19, 0x09, 0x29, 0x0C, 0x95, 0x04, 0x81, 0x02,              // buttons 9..12
    0x95, 0x04, 0x81, 0x01,                                      // padding
    0x05, 0x01, 0x09, 0x38, 0x16, 0x00, 0x80, 0x26, 0xFF, 0x7F,  // wheel -32768..32767
    0x75, 0x10, 0x95, 0x01, 0x81, 0x06, 0xC0};

}  // namespace

TEST(HidChannel, EnumerationCursorSkipsMissingPaths) {
  auto b = std::make_shared<FakeHidBackend>();
  b->listed = {"/dev/hidraw0#a", "", "/dev/hidraw1#b"};
  CHidChannel ch(b);
  ASSERT_EQ(ch.EnumeratePaths(), 1);
  EXPECT_EQ(ch.PathCount(), 2);
  EXPECT_STREQ(ch.NextPath(), "/dev/hidraw0#a");
  // The member without a path does not end the walk.
  EXPECT_STREQ(ch.NextPath(), "/dev/hidraw1#b");
  EXPECT_EQ(ch.NextPath(), nullptr);
  EXPECT_EQ(ch.NextPath(), nullptr);
  ASSERT_EQ(ch.EnumeratePaths(), 1);
  EXPECT_STREQ(ch.NextPath(), "/dev/hidraw0#a");

  b->listed.clear();
  ASSERT_EQ(ch.EnumeratePaths(), 1);
  EXPECT_EQ(ch.PathCount(), 0);
  EXPECT_EQ(ch.NextPath(), nullptr);

  b->listed = {"/dev/hidraw0#a"};
  b->failEnumeration = true;
  EXPECT_EQ(ch.EnumeratePaths(), 0);
  EXPECT_EQ(ch.PathCount(), 0);
  EXPECT_EQ(ch.NextPath(), nullptr);
}

TEST(HidChannel, OpenLoadsCapsAndNumbersFromPath) {
  auto b = BackendWithCommandInterface();
  b->devices["/dev/hidraw5#vid_320f&pid_222e"] = {{0x320F, 0x222E, 0}, orlo::test::VendorCollectionDescriptor(), 0};
  CHidChannel ch(b);
  ASSERT_EQ(ch.Open(kCommandPath, true, true), 1);
  EXPECT_TRUE(ch.IsOpen());
  EXPECT_EQ(ch.Caps().usagePage, 0xFF1C);
  EXPECT_EQ(ch.Caps().inputReportByteLength, 64);
  EXPECT_EQ(ch.Attributes().versionNumber, 0x0105);
  EXPECT_EQ(ch.InputReportBuffer().size(), 64u);
  EXPECT_EQ(ch.InterfaceNumber(), 1u);
  EXPECT_EQ(ch.CollectionNumber(), 4u);
  EXPECT_EQ(ch.DevicePath(), kCommandPath);

  ASSERT_EQ(ch.Open("/dev/hidraw5#vid_320f&pid_222e", true, false), 1);  // re-open another path
  EXPECT_EQ(ch.InterfaceNumber(), 0u);
  EXPECT_EQ(ch.CollectionNumber(), 0u);
  EXPECT_EQ(b->shared->liveDevices, 1);  // the first handle was closed by the re-open
}

TEST(HidChannel, FailedOpenLeavesChannelClosed) {
  auto b = BackendWithCommandInterface();
  b->devices["/dev/hidraw9#bad"] = {{1, 2, 3}, {0xA1, 0x01}, 0};                         // unparsable
  b->devices["/dev/hidraw9#idx"] = {{1, 2, 3}, orlo::test::VendorCollectionDescriptor(), 2};  // no such collection
  CHidChannel ch(b);
  ASSERT_EQ(ch.Open(kCommandPath, true, true), 1);
  for (const char* path : {"/dev/hidraw9#missing", "/dev/hidraw9#bad", "/dev/hidraw9#idx"}) {
    EXPECT_EQ(ch.Open(path, true, true), 0) << path;
    EXPECT_FALSE(ch.IsOpen()) << path;
    EXPECT_EQ(ch.Caps().inputReportByteLength, 0) << path;
    EXPECT_TRUE(ch.InputDataItems().empty()) << path;
    EXPECT_TRUE(ch.DevicePath().empty()) << path;
  }
  EXPECT_EQ(b->shared->liveDevices, 0);
  uint8_t buf[64];
  uint32_t n = 7;
  EXPECT_EQ(ch.Read(buf, sizeof buf, &n, 10), 0);
  EXPECT_EQ(n, 0u);

  const int opensBefore = b->shared->opens;
  EXPECT_EQ(ch.Open(std::string(260, 'x'), true, true), 0);
  EXPECT_EQ(b->shared->opens, opensBefore);  // refused before reaching the backend
}

TEST(HidChannel, ReadTimesOutAndDeliversReports) {
  auto b = BackendWithCommandInterface();
  CHidChannel ch(b);
  ASSERT_EQ(ch.Open(kCommandPath, true, true), 1);
  uint8_t buf[64];
  uint32_t n = 99;
  EXPECT_EQ(ch.Read(buf, sizeof buf, &n, 40), 0);
  EXPECT_EQ(b->shared->readTimeouts, (std::vector<int>{40}));  // handed to the device as given
  EXPECT_EQ(n, 0u);
  EXPECT_FALSE(ch.ReadPending());

  std::vector<uint8_t> report(64, 0);
  report[0] = 4;
  report[3] = 0x81;
  b->Push(report);
  ASSERT_NE(ch.Read(buf, sizeof buf, &n, 1000), 0);
  EXPECT_EQ(n, 64u);
  EXPECT_EQ(buf[3], 0x81);
}

TEST(HidChannel, CloseFromAnotherThreadEndsInfiniteReadAndWaitsForIt) {
  constexpr auto kLimit = std::chrono::seconds(10);  // a guard against a hang, not a timing
  auto b = BackendWithCommandInterface();
  auto& shared = *b->shared;
  shared.holdCancelledReads = true;
  CHidChannel ch(b);
  ASSERT_EQ(ch.Open(kCommandPath, true, true), 1);
  auto reader = std::async(std::launch::async, [&] {
    uint8_t buf[64];
    uint32_t n = 1;
    return ch.Read(buf, sizeof buf, &n, CHidChannel::kInfinite);
  });
  {
    std::unique_lock lock(shared.mutex);
    ASSERT_TRUE(shared.cv.wait_for(lock, kLimit, [&] { return shared.readsWaiting > 0; }));
  }
  ASSERT_TRUE(ch.ReadPending());

  // The cancelled read is held inside the device: Close must still be waiting for it.
  auto closer = std::async(std::launch::async, [&] { ch.Close(); });
  {
    std::unique_lock lock(shared.mutex);
    ASSERT_TRUE(shared.cv.wait_for(lock, kLimit, [&] { return shared.cancelSeen; }));
  }
  EXPECT_EQ(closer.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
  EXPECT_FALSE(shared.destroyedDuringRead);
  {
    std::lock_guard lock(shared.mutex);
    shared.finishReads = true;
  }
  shared.cv.notify_all();
  ASSERT_EQ(closer.wait_for(kLimit), std::future_status::ready);
  // Close returned only after the read had left the device, so the device outlived it.
  EXPECT_FALSE(shared.destroyedDuringRead);
  EXPECT_EQ(shared.liveDevices, 0);
  ASSERT_EQ(reader.wait_for(kLimit), std::future_status::ready);
  EXPECT_EQ(reader.get(), 0);
  EXPECT_FALSE(ch.IsOpen());

  // The cancel was for that read only: after a re-open the next read gets its report.
  ASSERT_EQ(ch.Open(kCommandPath, true, true), 1);
  std::vector<uint8_t> report(64, 0);
  report[0] = 4;
  b->Push(report);
  uint8_t buf[64];
  uint32_t n = 0;
  EXPECT_NE(ch.Read(buf, sizeof buf, &n, 500), 0);
  EXPECT_EQ(n, 64u);
}

TEST(HidChannel, UnpackKeepsEachButtonItemsOwnRange) {
  auto b = std::make_shared<FakeHidBackend>();
  b->devices["/dev/hidraw1#vid_0001&pid_0002"] = {{1, 2, 0}, kSplitButtons, 0};
  CHidChannel ch(b);
  ASSERT_EQ(ch.Open("/dev/hidraw1#vid_0001&pid_0002", true, false), 1);
  const auto& items = ch.InputDataItems();
  ASSERT_EQ(items.size(), 3u);
  ASSERT_TRUE(items[0].isButton);
  ASSERT_TRUE(items[1].isButton);
  EXPECT_EQ(items[0].maxUsageCount, 7u);  // every button of the page, both items
  ASSERT_EQ(items[0].usages.size(), 7u);

  // Buttons 1, 3, 10 and 12 down; wheel -2.
  const uint8_t report[] = {0x07, 0x05, 0x0A, 0xFE, 0xFF};
  EXPECT_EQ(ch.UnpackInput(report, sizeof report), 1);
  EXPECT_EQ(items[0].usages, (std::vector<uint16_t>{1, 3, 0, 0, 0, 0, 0}));
  EXPECT_EQ(items[1].usages, (std::vector<uint16_t>{10, 12, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(items[0].isSet);
  EXPECT_FALSE(items[2].isButton);
  EXPECT_EQ(items[2].usage, 0x38);
  EXPECT_EQ(items[2].value, 0xFFFEu);
  EXPECT_EQ(items[2].scaledValue, -2);
  EXPECT_EQ(items[2].status, hid::kHidStatusSuccess);

  // Releasing buttons clears stale usages from the last report.
  const uint8_t released[] = {0x07, 0x01, 0x00, 0x00, 0x00};
  EXPECT_EQ(ch.UnpackInput(released, sizeof released), 1);
  EXPECT_EQ(items[0].usages[0], 1);
  EXPECT_EQ(items[0].usages[1], 0);
  EXPECT_EQ(items[1].usages[0], 0);

  // A report cut short fails on the value item instead of reading past its end.
  EXPECT_EQ(ch.UnpackInput(report, 3), hid::kHidStatusInvalidReportLength);
  // Reports of another id leave the items unset.
  const uint8_t other[] = {0x09, 0xFF, 0xFF, 0xFF, 0xFF};
  EXPECT_EQ(ch.UnpackInput(other, sizeof other), 1);
  EXPECT_FALSE(items[0].isSet);
}

TEST(HidChannel, ReportsWithoutIdGetIdBytePrepended) {
  // Consumer control without report ids: the node gives bare 2-byte reports.
  const std::vector<uint8_t> d = {0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x03, 0x19,
                                  0x00, 0x2A, 0xFF, 0x03, 0x75, 0x10, 0x95, 0x01, 0x81, 0x00, 0xC0};
  auto b = std::make_shared<FakeHidBackend>();
  b->devices["/dev/hidraw2#vid_0001&pid_0002&mi_03"] = {{1, 2, 0}, d, 0};
  CHidChannel ch(b);
  ASSERT_EQ(ch.Open("/dev/hidraw2#vid_0001&pid_0002&mi_03", true, true), 1);
  EXPECT_EQ(ch.Caps().inputReportByteLength, 3);
  b->Push({0xE9, 0x00});
  auto& buf = ch.InputReportBuffer();
  uint32_t n = 0;
  ASSERT_NE(ch.Read(buf.data(), static_cast<uint32_t>(buf.size()), &n, 500), 0);
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(buf[0], 0);
  EXPECT_EQ(ch.UnpackInput(buf.data(), n), 1);
  EXPECT_EQ(ch.InputDataItems()[0].usages[0], 0xE9);
}
