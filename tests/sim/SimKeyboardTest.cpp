// The simulated keyboard as the firmware side of the keyboard driver: its scattered LED chain,
// the record of streamed frames, and one memory for both connections kept between runs.
#include <gtest/gtest.h>

#include "sim/SimKeyboard.h"
#include "SimTestSupport.h"

namespace orlo::sim::test {
namespace {

std::vector<uint8_t> Frame(uint8_t fill) { return std::vector<uint8_t>(SimKeyboard::kFrameBytes, fill); }

class SimKeyboardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    backend_ = MakeSimBackend("keyboard", NoPersistence());
    keyboard_ = std::dynamic_pointer_cast<SimKeyboard>(backend_->Device("keyboard"));
    handle_ = backend_->Open(CommandPath(*backend_, "keyboard"), true, true);
    ASSERT_TRUE(keyboard_ && handle_);
  }
  std::shared_ptr<SimBackend> backend_;
  std::shared_ptr<SimKeyboard> keyboard_;
  std::unique_ptr<hid::HidDevice> handle_;
};

TEST_F(SimKeyboardTest, TheLedTableIsNeitherTheSlotsNorItsOwnInverse) {
  const auto leds = ReadBlock(*handle_, kCmdReadKeyBytes, 170, 56);
  ASSERT_EQ(leds.size(), 170u);
  EXPECT_EQ(leds[0], 11);
  EXPECT_EQ(leds[1], 48);
  EXPECT_EQ(leds[11], 2) << "key 0 sits at LED 11, key 11 not at LED 0";
  EXPECT_EQ(leds[103], 78);
  for (int k = 0; k < SimKeyboard::kKeyCount; ++k) EXPECT_NE(leds[static_cast<size_t>(k)], k) << k;
  for (int k = SimKeyboard::kKeyCount; k < 170; ++k) EXPECT_EQ(leds[static_cast<size_t>(k)], 0) << k;
}

TEST_F(SimKeyboardTest, EveryStreamedFrameIsKeptWithTheChunksThatCame) {
  ASSERT_EQ(WriteBlock(*handle_, kCmdStreamLightFrame, Frame(0x11), 56), kStatusOk);
  ASSERT_EQ(WriteBlock(*handle_, kCmdStreamLightFrame, Frame(0x22), 56), kStatusOk);
  // A frame whose second chunk the host dropped: chunks at 0, then 112 onwards.
  const auto third = Frame(0x33);
  ASSERT_EQ(WriteBlock(*handle_, kCmdStreamLightFrame, std::vector<uint8_t>(third.begin(), third.begin() + 56), 56),
            kStatusOk);
  ASSERT_EQ(WriteBlock(*handle_, kCmdStreamLightFrame, std::vector<uint8_t>(third.begin() + 112, third.end()), 56, 112),
            kStatusOk);

  const auto frames = keyboard_->StreamedFrames();
  ASSERT_EQ(frames.size(), 3u);
  EXPECT_EQ(keyboard_->StreamedFrameCount(), 3u);
  EXPECT_TRUE(frames[0].Complete());
  EXPECT_EQ(frames[0].bytes, Frame(0x11));
  EXPECT_EQ(frames[1].bytes, Frame(0x22));
  EXPECT_FALSE(frames[2].Complete());
  EXPECT_EQ(frames[2].received, 312u - 56u);
  EXPECT_EQ(frames[2].bytes[55], 0x33);
  EXPECT_EQ(frames[2].bytes[56], 0x00);
  EXPECT_EQ(frames[2].bytes[111], 0x00);
  EXPECT_EQ(frames[2].bytes[112], 0x33);
  // Light data is no frame.
  ASSERT_EQ(WriteBlock(*handle_, kCmdWriteLightData, Frame(0x44), 56), kStatusOk);
  EXPECT_EQ(keyboard_->StreamedFrameCount(), 3u);
  keyboard_->ClearStreamedFrames();
  EXPECT_TRUE(keyboard_->StreamedFrames().empty());
}

TEST_F(SimKeyboardTest, TheRecordKeepsTheNewestFramesAndCountsThemAll) {
  const size_t total = SimKeyboard::kMaxFramesKept + 3;
  for (size_t i = 0; i < total; ++i)
    ASSERT_EQ(Exchange(*handle_, MakeRequest(kCmdStreamLightFrame, 1, 0, {static_cast<uint8_t>(i)})).reply[7],
              kStatusOk);
  const auto frames = keyboard_->StreamedFrames();
  ASSERT_EQ(frames.size(), SimKeyboard::kMaxFramesKept);
  EXPECT_EQ(keyboard_->StreamedFrameCount(), total);
  EXPECT_EQ(frames.front().bytes[0], 3) << "the three oldest were dropped";
  EXPECT_EQ(frames.back().bytes[0], static_cast<uint8_t>(total - 1));
}

TEST(SimKeyboardMemory, WiredAndReceiverAreOneKeyboardKeptBetweenRuns) {
  TempSimDir dir;
  const std::vector<uint8_t> entry = {0x30, 0xE9, 0x00};
  const std::vector<uint8_t> block = {0, 4, 4, 0, 1, 1, 9, 8, 7};
  {
    auto backend = MakeSimBackend("keyboard");
    auto h = backend->Open(CommandPath(*backend, "keyboard"), true, true);
    ASSERT_EQ(WriteBlock(*h, kCmdWriteKeyTable, entry, 56, 3 * 16), kStatusOk);
    ASSERT_EQ(WriteBlock(*h, kCmdWriteSettings, block, 56, 2 * SimKeyboard::kProfileStride), kStatusOk);
  }
  auto backend = MakeSimBackend("keyboard-receiver");
  auto h = backend->Open(CommandPath(*backend, "keyboard-receiver"), true, true);
  ASSERT_TRUE(h);
  EXPECT_EQ(ReadBlock(*h, kCmdReadKeyTable, 3, 24, 3 * 16), entry);
  EXPECT_EQ(ReadBlock(*h, kCmdReadSettings, 9, 24, 2 * SimKeyboard::kProfileStride), block);
  EXPECT_EQ(ReadBlock(*h, kCmdReadKeyTable, 3, 24, 3 * 15), (std::vector<uint8_t>{0x20, 0x00, 0x48}));
}

}  // namespace
}  // namespace orlo::sim::test
