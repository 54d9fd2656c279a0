// Sending level blocks over the bus, and giving up when the main window is gone.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "FrameSender.h"
#include "Options.h"
#include "platform/bus/LoopbackBus.h"

namespace orlo::audio {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;

// A sender's endpoint that counts how often it asks the bus whether the window is there.
class CountingEndpoint : public bus::LoopbackEndpoint {
 public:
  using LoopbackEndpoint::LoopbackEndpoint;
  bool PeerPresent(const std::string& title) override {
    ++asks;
    return LoopbackEndpoint::PeerPresent(title);
  }
  int asks = 0;
};

TEST(FrameSenderTest, BlocksReachTheWindowAndItsAbsenceEndsTheSenderAfterThePatience) {
  auto hub = std::make_shared<bus::LoopbackHub>();
  CountingEndpoint capture(hub);
  auto window = hub->Connect();
  struct Got {
    int64_t wParam;
    uint32_t kind;
    size_t size;
  };
  std::vector<Got> got;
  window->SetDataHandler([&](int64_t w, uint32_t kind, const std::vector<uint8_t>& d) {
    got.push_back({w, kind, d.size()});
  });
  const TimePoint t0 = TimePoint{} + seconds(50);
  CFrameSender sender(capture, "Tavrin ORLO", 4242, seconds(3), t0);
  const std::vector<uint8_t> block(2000, 1);

  // The window is not there yet: nothing goes out, and it has 3 s to come.
  EXPECT_FALSE(sender.Send(block, t0 + seconds(1)));
  EXPECT_FALSE(sender.PeerGone(t0 + seconds(3)));
  ASSERT_TRUE(window->Publish("Tavrin ORLO"));
  // It is seen at the next look, a second after the last one.
  EXPECT_FALSE(sender.Send(block, t0 + milliseconds(1500)));
  EXPECT_TRUE(sender.Send(block, t0 + seconds(2)));
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].wParam, 4242);
  EXPECT_EQ(got[0].kind, 1u);
  EXPECT_EQ(got[0].size, 2000u);
  EXPECT_EQ(capture.asks, 2);

  // 100 blocks in the next second: one look.
  for (int ms = 10; ms <= 1000; ms += 10) EXPECT_TRUE(sender.Send(block, t0 + seconds(2) + milliseconds(ms)));
  EXPECT_EQ(got.size(), 101u);
  EXPECT_EQ(capture.asks, 3);
  EXPECT_EQ(sender.Sent(), 101u);

  // The window goes: the patience counts from when it was last seen (3 s after the start).
  window.reset();
  EXPECT_FALSE(sender.Send(block, t0 + milliseconds(3500)));  // no look, the block is lost
  EXPECT_FALSE(sender.Send(block, t0 + seconds(4)));
  EXPECT_EQ(capture.asks, 4);
  EXPECT_FALSE(sender.PeerGone(t0 + seconds(6)));
  EXPECT_TRUE(sender.PeerGone(t0 + seconds(6) + milliseconds(1)));
  EXPECT_EQ(sender.Sent(), 101u);
}

TEST(FrameSenderTest, NeverSeeingTheWindowEndsTheSenderToo) {
  auto hub = std::make_shared<bus::LoopbackHub>();
  CountingEndpoint capture(hub);
  const TimePoint t0 = TimePoint{} + seconds(50);
  CFrameSender sender(capture, "Tavrin ORLO", 1, seconds(3), t0);
  for (int ms = 0; ms <= 3000; ms += 10) EXPECT_FALSE(sender.Send({1, 2, 3, 4}, t0 + milliseconds(ms)));
  EXPECT_EQ(capture.asks, 4);  // at 0, 1, 2 and 3 s
  EXPECT_FALSE(sender.PeerGone(t0 + seconds(3)));
  EXPECT_TRUE(sender.PeerGone(t0 + seconds(3) + milliseconds(1)));
}

TEST(OptionsTest, SineAndTargetAreCheckedAndBadInputIsRefused) {
  std::string error;
  auto o = ParseOptions({}, error);
  ASSERT_TRUE(o);
  EXPECT_FALSE(o->sineHz);
  EXPECT_EQ(o->target, "Tavrin ORLO");

  o = ParseOptions({"--sine", "1000", "--to", "Level Receiver"}, error);
  ASSERT_TRUE(o);
  EXPECT_EQ(o->sineHz, 1000.0);
  EXPECT_EQ(o->target, "Level Receiver");
  EXPECT_TRUE(ParseOptions({"--sine", "20000"}, error));
  EXPECT_TRUE(ParseOptions({"--help"}, error)->help);
  EXPECT_TRUE(ParseOptions({"--silence"}, error)->silence);

  for (const auto& bad : std::vector<std::vector<std::string>>{
           {"--sine"}, {"--sine", "0"}, {"--sine", "-5"}, {"--sine", "20001"}, {"--sine", "1k"},
           {"--sine", ""}, {"--sine", "nan"}, {"--sine", "1e400"}, {"--to"}, {"--to", ""}, {"--loud"},
           {"--silence", "--sine", "50"}}) {
    error.clear();
    EXPECT_FALSE(ParseOptions(bad, error)) << bad.back();
    EXPECT_FALSE(error.empty()) << bad.back();
  }
}

}  // namespace
}  // namespace orlo::audio
