// Recording: captured keys and clicks become event rows with the delays of the delay mode, at the
// place of the capture mode; the hook delivers only what its mode asks for and lets go when the
// source is lost.
#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "macro/capture/DeviceHook.h"
#include "macro/capture/EvdevInputCapture.h"
#include "macro/capture/MacroRecorder.h"

namespace orlo {
namespace {

// Rows as plain values: the event and the delay its edit shows.
class Rows : public IMacroRowEditor {
 public:
  struct Row {
    Json::Value event;
    int delay;
  };
  int RowCount() const override { return static_cast<int>(rows.size()); }
  int SelectedRow() const override { return selected; }
  void SelectRow(int row) override { selected = row; }
  void InsertRow(int at, const Json::Value& event) override {
    rows.insert(rows.begin() + at, Row{event, std::stoi(event["Delay"].asString())});
  }
  Json::Value RowEvent(int row) const override { return rows[static_cast<size_t>(row)].event; }
  void SetRowEvent(int row, const Json::Value& event) override {
    rows[static_cast<size_t>(row)] = Row{event, std::stoi(event["Delay"].asString())};
  }
  int RowDelay(int row) const override { return rows[static_cast<size_t>(row)].delay; }
  void SetRowDelay(int row, int delay) override { rows[static_cast<size_t>(row)].delay = delay; }

  // "type/button/down/delay" per row.
  std::vector<std::string> Text() const {
    std::vector<std::string> out;
    for (const Row& r : rows)
      out.push_back(std::to_string(r.event["Type"].asInt()) + "/" + std::to_string(r.event["Button"].asInt()) + "/" +
                    r.event["Action"].asString() + "/" + std::to_string(r.delay));
    return out;
  }

  std::vector<Row> rows;
  int selected = -1;
};

CapturedInput Key(uint8_t scan, bool down, int64_t t, bool extended = false) {
  CapturedInput in;
  in.kind = CapturedInput::kKey;
  in.scanCode = scan;
  in.extended = extended;
  in.down = down;
  in.timeMs = t;
  return in;
}

CapturedInput Click(int button, bool down, int64_t t, int x = 500, int y = 500) {
  CapturedInput in;
  in.kind = CapturedInput::kMouseButton;
  in.button = button;
  in.down = down;
  in.timeMs = t;
  in.x = x;
  in.y = y;
  return in;
}

using Strings = std::vector<std::string>;

TEST(MacroRecorderTest, RecordedDelaysAppendAndContinueTheChainOfAnEarlierRecording) {
  Rows rows;
  CMacroRecorder rec(rows);
  rec.SetIgnoredArea({100, 100, 80, 30});  // the stop button
  rec.Begin(kCaptureAppend, kDelayRecorded, 1000);
  EXPECT_TRUE(rec.Take(Key(0x1E, true, 1120)));    // A down
  EXPECT_FALSE(rec.Take(Key(0x1E, true, 1150)));   // auto-repeat
  EXPECT_TRUE(rec.Take(Key(0x1D, true, 1170, true)));  // right Ctrl: a modifier, bit 0x10
  EXPECT_TRUE(rec.Take(Key(0x1E, false, 1200)));   // A up
  EXPECT_FALSE(rec.Take(Key(0x5E, true, 1210)));   // not in the key table
  EXPECT_TRUE(rec.Take(Click(1, true, 1290)));
  EXPECT_FALSE(rec.Take(Click(1, true, 1295)));    // the same message again
  EXPECT_TRUE(rec.Take(Click(16, false, 1300)));
  EXPECT_FALSE(rec.Take(Click(1, false, 1400, 120, 110)));  // inside the stop button
  EXPECT_FALSE(rec.Take(Click(32, true, 1410)));   // no such button
  EXPECT_EQ(rows.Text(), (Strings{"10/4/down/50", "9/16/down/30", "10/4/up/90", "1/1/down/10", "1/16/up/0"}));
  rec.End();
  EXPECT_FALSE(rec.Take(Key(0x30, true, 1500)));   // nothing after the end

  // A second recording: the formerly last row gets the time from its start to its first event.
  rec.Begin(kCaptureAppend, kDelayRecorded, 5000);
  EXPECT_TRUE(rec.Take(Key(0x30, true, 5075)));    // B
  EXPECT_EQ(rows.rows[4].delay, 75);
  EXPECT_EQ(rows.rows[5].delay, 0);
  // Delays are capped at 65535.
  EXPECT_TRUE(rec.Take(Key(0x30, false, 500000)));
  EXPECT_EQ(rows.rows[5].delay, 65535);
}

TEST(MacroRecorderTest, InsertBeforeAfterAndReplaceTheSelectedRow) {
  Rows rows;
  CMacroRecorder rec(rows);
  for (int i = 0; i < 3; ++i) rows.InsertRow(i, CMacroRecorder::EventJson(kMacroKey, 4 + i, true, 100 + i));
  // Nothing is placed without a selection.
  rec.Begin(kCaptureBefore, kDelayIgnored, 0);
  EXPECT_FALSE(rec.Take(Key(0x2D, true, 10)));
  rows.selected = 1;
  EXPECT_TRUE(rec.Take(Key(0x2C, true, 20)));   // Z down before row 1; the selection follows row 1
  EXPECT_TRUE(rec.Take(Key(0x2C, false, 30)));
  EXPECT_EQ(rows.selected, 3);
  EXPECT_EQ(rows.Text(), (Strings{"10/4/down/100", "10/29/down/0", "10/29/up/0", "10/5/down/101", "10/6/down/102"}));

  rec.SetConstantDelay(70000);  // capped
  EXPECT_EQ(rec.ConstantDelay(), 65535);
  rec.SetConstantDelay(40);
  rec.Begin(kCaptureAfter, kDelayConstant, 0);
  rows.selected = 4;
  EXPECT_TRUE(rec.Take(Click(2, true, 5)));     // after the last row; the new row is selected
  EXPECT_TRUE(rec.Take(Click(2, false, 9)));
  EXPECT_EQ(rows.selected, 6);
  EXPECT_EQ(rows.Text().back(), "1/2/up/40");
  EXPECT_EQ(rows.rows[4].delay, 40);            // the row the new one follows

  // Replacing keeps the row's action and delay; every press and release changes it again.
  rec.Begin(kCaptureReplace, kDelayIgnored, 0);
  rows.selected = 0;
  EXPECT_TRUE(rec.Take(Key(0x2A, true, 1)));    // left Shift
  EXPECT_EQ(rows.Text()[0], "9/2/down/100");
  EXPECT_TRUE(rec.Take(Click(4, true, 2)));
  EXPECT_EQ(rows.Text()[0], "1/4/down/100");
  EXPECT_EQ(rows.RowCount(), 7);

  // Inserting without recording: after the selection, selected, with the constant delay.
  rec.End();
  rows.selected = 0;
  EXPECT_TRUE(rec.InsertAfterSelection(kMacroMoveY, 12, true));
  EXPECT_EQ(rows.selected, 1);
  EXPECT_EQ(rows.Text()[1], "5/12/down/40");
}

TEST(MacroRecorderTest, ConstantAndIgnoredDelaysAndTheRowLimit) {
  Rows rows;
  CMacroRecorder rec(rows);
  rec.SetConstantDelay(25);
  rec.Begin(kCaptureAppend, kDelayConstant, 0);
  rec.Take(Key(0x10, true, 7));
  rec.Take(Key(0x10, false, 9000));
  // The first row of an empty list starts at 0 and takes the constant once followed.
  EXPECT_EQ(rows.Text(), (Strings{"10/20/down/25", "10/20/up/25"}));
  rows.rows.clear();
  rec.Begin(kCaptureAppend, kDelayIgnored, 0);
  rec.Take(Key(0x10, true, 7));
  rec.Take(Key(0x10, false, 9000));
  EXPECT_EQ(rows.Text(), (Strings{"10/20/down/0", "10/20/up/0"}));
  rows.rows.assign(kMacroMaxEvents, Rows::Row{CMacroRecorder::EventJson(kMacroKey, 4, true, 0), 0});
  EXPECT_FALSE(rec.Take(Key(0x11, true, 9100)));
  EXPECT_EQ(rows.RowCount(), kMacroMaxEvents);
}

class FakeSource : public IInputCapture {
 public:
  bool Start(ICaptureSink* s) override {
    if (refuse) return false;
    sink = s;
    ++starts;
    return true;
  }
  void Stop() override {
    sink = nullptr;
    ++stops;
  }
  bool Active() const override { return sink != nullptr; }
  int64_t NowMs() const override { return 0; }
  void Lose() {
    ICaptureSink* s = sink;
    sink = nullptr;
    s->OnCaptureLost();
  }
  ICaptureSink* sink = nullptr;
  bool refuse = false;
  int starts = 0, stops = 0;
};

class Target : public ICaptureSink {
 public:
  void OnCapturedInput(const CapturedInput& in) override { kinds.push_back(in.kind); }
  void OnCaptureLost() override { ++lost; }
  std::vector<CapturedInput::Kind> kinds;
  int lost = 0;
};

TEST(DeviceHookTest, DeliversWhatTheModeAsksAndLetsGoWhenTheSourceIsLost) {
  FakeSource a, b;
  Target t;
  CDeviceHook hook;
  ASSERT_TRUE(hook.Install(kCaptureSingleKey, a, t));
  a.sink->OnCapturedInput(Key(0x1E, true, 0));
  a.sink->OnCapturedInput(Click(1, true, 0));  // single-key capture takes no clicks
  EXPECT_EQ(t.kinds, (std::vector<CapturedInput::Kind>{CapturedInput::kKey}));
  // Installing again stops the source that ran.
  ASSERT_TRUE(hook.Install(kCaptureAppend, b, t));
  EXPECT_EQ(a.stops, 1);
  b.sink->OnCapturedInput(Click(1, true, 0));
  EXPECT_EQ(t.kinds.size(), 2u);
  b.Lose();
  EXPECT_EQ(t.lost, 1);
  EXPECT_FALSE(hook.Installed());
  hook.Stop();  // nothing left to stop
  EXPECT_EQ(b.stops, 0);
  // A source that cannot start leaves nothing installed.
  FakeSource refusing;
  refusing.refuse = true;
  EXPECT_FALSE(hook.Install(kCaptureAppend, refusing, t));
  EXPECT_FALSE(hook.Installed());
  // Modes without a message deliver nothing.
  ASSERT_TRUE(hook.Install(64, a, t));
  a.sink->OnCapturedInput(Key(0x1E, true, 0));
  a.sink->OnCapturedInput(Click(1, true, 0));
  EXPECT_EQ(t.kinds.size(), 2u);
}

TEST(EvdevInputCaptureTest, WithoutAKeyboardToReadTheCaptureEndsItself) {
  const std::string empty = std::filesystem::temp_directory_path() / "orlo-no-input-devices";
  std::filesystem::create_directories(empty);
  EXPECT_FALSE(CEvdevInputCapture::Available(empty));
  std::mutex lock;
  std::condition_variable posted;
  std::vector<std::function<void()>> tasks;
  CEvdevInputCapture capture(
      [&](std::function<void()> task) {
        std::lock_guard guard(lock);
        tasks.push_back(std::move(task));
        posted.notify_all();
      },
      empty);
  Target target;
  ASSERT_TRUE(capture.Start(&target));
  {
    std::unique_lock guard(lock);
    ASSERT_TRUE(posted.wait_for(guard, std::chrono::seconds(10), [&] { return !tasks.empty(); }));
  }
  for (auto& task : tasks) task();  // on the sink's thread
  EXPECT_EQ(target.lost, 1);
  EXPECT_TRUE(target.kinds.empty());
  capture.Stop();
  EXPECT_FALSE(capture.Active());
  std::filesystem::remove_all(empty);
}

}  // namespace
}  // namespace orlo
