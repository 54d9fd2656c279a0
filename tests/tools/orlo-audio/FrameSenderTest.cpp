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

TEST(FrameSenderTest, BlocksReachTheWindowAndItsAbsenceEndsTheSenderAfterThePatience) {
  auto hub = std::make_shared<bus::LoopbackHub>();
  auto capture = hub->Connect();
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
  CFrameSender sender(*capture, "Tavrin ORLO", 4242, seconds(3), t0);
  const std::vector<uint8_t> block(2000, 1);

  // The window is not there yet: nothing is delivered, and 3 s are allowed for it to come.
  EXPECT_FALSE(sender.Send(block, t0 + seconds(1)));
  EXPECT_FALSE(sender.PeerGone(t0 + seconds(3)));
  ASSERT_TRUE(window->Publish("Tavrin ORLO"));
  EXPECT_TRUE(sender.Send(block, t0 + seconds(3)));
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0].wParam, 4242);
  EXPECT_EQ(got[0].kind, 1u);
  EXPECT_EQ(got[0].size, 2000u);
  EXPECT_EQ(sender.Delivered(), 1u);

  // Counted from the last delivery, not from the start.
  EXPECT_FALSE(sender.PeerGone(t0 + seconds(5)));
  window.reset();
  EXPECT_FALSE(sender.Send(block, t0 + seconds(4)));
  EXPECT_FALSE(sender.PeerGone(t0 + seconds(6)));
  EXPECT_TRUE(sender.PeerGone(t0 + seconds(6) + milliseconds(1)));
  EXPECT_EQ(sender.Delivered(), 1u);
}

TEST(FrameSenderTest, NeverSeeingTheWindowEndsTheSenderToo) {
  auto hub = std::make_shared<bus::LoopbackHub>();
  auto capture = hub->Connect();
  const TimePoint t0 = TimePoint{} + seconds(50);
  CFrameSender sender(*capture, "Tavrin ORLO", 1, seconds(3), t0);
  for (int ms = 0; ms <= 3000; ms += 10) EXPECT_FALSE(sender.Send({1, 2, 3, 4}, t0 + milliseconds(ms)));
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

  for (const auto& bad : std::vector<std::vector<std::string>>{
           {"--sine"}, {"--sine", "0"}, {"--sine", "-5"}, {"--sine", "20001"}, {"--sine", "1k"},
           {"--sine", ""}, {"--sine", "nan"}, {"--sine", "1e400"}, {"--to"}, {"--to", ""}, {"--loud"}}) {
    error.clear();
    EXPECT_FALSE(ParseOptions(bad, error)) << bad.back();
    EXPECT_FALSE(error.empty()) << bad.back();
  }
}

}  // namespace
}  // namespace orlo::audio
