// The simulated keyboard as the firmware side of the keyboard driver: its scattered LED chain and
// the record of streamed frames.
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

}  // namespace
}  // namespace orlo::sim::test
