#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QObject>
#include <QTemporaryDir>
#include <QThread>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "app/AudioInbox.h"
#include "app/AudioLevels.h"
#include "app/IDeviceManager.h"
#include "app/DivuRudoReport.h"
#include "app/GameLighting.h"
#include "app/LanguageSetting.h"
#include "app/LightControl.h"
#include "app/QtUiDispatcher.h"
#include "app/WorkerRecords.h"

namespace orlo {
namespace {

class FakeLight : public ILightTarget {
 public:
  explicit FakeLight(int mode, int modes = 10) : mode_(mode), modes_(modes) {}
  int LightMode() const override { return mode_; }
  bool HasLightMode(int mode) const override { return mode >= 0 && mode < modes_; }
  void ApplyLightMode(int mode, int w, int h) override {
    mode_ = mode;
    ++applies;
    lastW = w;
    lastH = h;
  }
  int applies = 0;
  int lastW = 0, lastH = 0;

 private:
  int mode_;
  int modes_;
};

TEST(GameLightingTest, RestoreGoesToTheChangedDeviceWithItsEarlierMode) {
  int armed = 0, armedMs = 0;
  CGameLighting game([&](int ms) {
    ++armed;
    armedMs = ms;
  });
  game.SetScreenSize(1920, 1080);
  FakeLight mouse(4), keyboard(7);

  ASSERT_TRUE(game.OnGameMessage(&mouse, 0, 2));
  EXPECT_EQ(mouse.LightMode(), 2);
  EXPECT_EQ(mouse.lastW, 1920);
  EXPECT_EQ(armedMs, CGameLighting::kRestoreMs);
  // A second event within the five seconds keeps the mode from before the first one.
  ASSERT_TRUE(game.OnGameMessage(&mouse, 1, 3));
  EXPECT_EQ(armed, 2);
  game.OnRestoreTimer();
  EXPECT_EQ(mouse.LightMode(), 4);
  EXPECT_EQ(keyboard.applies, 0);
  EXPECT_FALSE(game.Pending());
  // A late timer with nothing pending changes nothing.
  game.OnRestoreTimer();
  EXPECT_EQ(mouse.applies, 3);

  // The selection moves to another device during an event: the first gets its mode back at once.
  ASSERT_TRUE(game.OnGameMessage(&mouse, 2, 1));
  ASSERT_TRUE(game.OnGameMessage(&keyboard, 0, 5));
  EXPECT_EQ(mouse.LightMode(), 4);
  game.OnRestoreTimer();
  EXPECT_EQ(keyboard.LightMode(), 7);
}

TEST(GameLightingTest, UnknownModesAndOtherParametersAreDropped) {
  int armed = 0;
  CGameLighting game([&](int) { ++armed; });
  FakeLight mouse(4, 6);
  EXPECT_FALSE(game.OnGameMessage(&mouse, 0, 6));       // not a mode of this device
  EXPECT_FALSE(game.OnGameMessage(&mouse, 0, -1));
  EXPECT_FALSE(game.OnGameMessage(&mouse, 0, 0x103));   // beyond a byte: not mode 3
  EXPECT_FALSE(game.OnGameMessage(nullptr, 0, 1));      // no selected device
  EXPECT_FALSE(game.OnGameMessage(&mouse, 3, 1));       // other wParam, nothing running
  EXPECT_EQ(mouse.applies, 0);
  EXPECT_EQ(armed, 0);
  EXPECT_FALSE(game.Pending());
  ASSERT_TRUE(game.OnGameMessage(&mouse, 0, 5));
  EXPECT_FALSE(game.OnGameMessage(&mouse, 9, 1));       // only extends the running event
  EXPECT_EQ(armed, 2);
  EXPECT_EQ(mouse.LightMode(), 5);
}

TEST(LightControlTest, ChangesReachDevicesAndOtherProgramsAndSleepHandsBack) {
  std::vector<int> devices, announced, texts;
  CLightControl light([&](int s) { devices.push_back(s); }, [&](int s) { announced.push_back(s); },
                      [&](int s) { texts.push_back(s); });
  light.AnnounceStart();
  EXPECT_EQ(announced, std::vector<int>{1});
  EXPECT_TRUE(devices.empty());

  EXPECT_TRUE(light.OnSetMessage(1, 0));
  EXPECT_EQ(light.State(), 0);
  EXPECT_EQ(devices, std::vector<int>{0});
  EXPECT_EQ(announced, (std::vector<int>{1, 0}));
  EXPECT_FALSE(light.OnSetMessage(0, 1));  // wParam must be 1
  EXPECT_FALSE(light.OnSetMessage(1, 2));  // only 0 and 1 are states
  EXPECT_FALSE(light.Set(-1));
  EXPECT_EQ(light.State(), 0);
  EXPECT_EQ(announced.size(), 2u);

  light.Set(1);
  light.Suspend();
  EXPECT_FALSE(light.Awake());
  EXPECT_EQ(devices.back(), 0);
  // A change while asleep is kept and reaches the devices at the resume, not before.
  light.Set(0);
  light.Set(1);
  EXPECT_EQ(devices.back(), 0);
  light.Resume();
  EXPECT_EQ(devices.back(), 1);
  EXPECT_EQ(texts.back(), 1);
}

uint32_t Word(const std::vector<uint8_t>& b, size_t i) {
  return b[i * 4] | (b[i * 4 + 1] << 8) | (b[i * 4 + 2] << 16) | (uint32_t(b[i * 4 + 3]) << 24);
}

TEST(DivuRudoReportTest, BlockLayoutIsExact) {
  const auto block = BuildDivuRudoBlock(UpdateTableIntegers());
  ASSERT_EQ(block.size(), 1024u);
  const uint32_t expected[] = {2, 3, 0, 2, 4, 1, 1, 0, 1, 1, 0, 2, 1, 0, 0, 1, 0};
  for (size_t i = 0; i < std::size(expected); ++i) EXPECT_EQ(Word(block, i), expected[i]) << "word " << i;
  for (size_t i = std::size(expected); i < 256; ++i) ASSERT_EQ(Word(block, i), 0u) << "word " << i;
  // Negative values keep their two's-complement bytes; rows that do not fit are not counted.
  const auto neg = BuildDivuRudoBlock({{-1, 0x01020304, 0}});
  EXPECT_EQ(neg[20], 0xFF);
  EXPECT_EQ(neg[24], 0x04);
  EXPECT_EQ(neg[27], 0x01);
  const auto many = BuildDivuRudoBlock(std::vector<UpdateRowIntegers>(200, {9, 9, 9}));
  EXPECT_EQ(many.size(), 1024u);
  EXPECT_EQ(Word(many, 4), 83u);  // (256 - 5) / 3 rows fit
  EXPECT_EQ(Word(many, 255), 0u);
}

std::vector<uint8_t> Words(std::initializer_list<int32_t> values) {
  std::vector<uint8_t> out;
  for (int32_t v : values) {
    for (int b = 0; b < 4; ++b) out.push_back(static_cast<uint8_t>(static_cast<uint32_t>(v) >> (8 * b)));
  }
  return out;
}

TEST(AudioLevelsTest, BandDifferencesAddUpAsUnsignedWords) {
  // The largest difference a frame can carry, four times in one band, wraps: 4 × 0xFFFFFFFF is
  // 0xFFFFFFFC in 32 bits, and a quarter of that is the level.
  CAudioLevels levels;
  std::array<int32_t, 500> high{}, low{};
  for (size_t i = 0; i < 4; ++i) high[i] = INT32_MAX, low[i] = INT32_MIN;
  EXPECT_FALSE(levels.OnFrame(high, low));
  EXPECT_EQ(levels.Levels()[0], 0x3FFFFFFFu);
  EXPECT_EQ(levels.Levels()[1], 0u);
  EXPECT_FALSE(levels.OnFrame(high, high));  // no change: a quarter of the history remains
  EXPECT_EQ(levels.Levels()[0], 0x0FFFFFFFu);
  EXPECT_TRUE(levels.OnFrame(high, high));
  EXPECT_EQ(levels.Block()[0], 0x03FFFFFF);
  EXPECT_EQ(levels.Block()[25], 0);
}

TEST(AudioInboxTest, BlocksOfTheWrongSizeLeaveTheBuffersAlone) {
  CAudioInbox inbox;
  EXPECT_EQ(inbox.Accept(2, Words({1, 2, 3, 4, 5, -6})), CAudioInbox::Result::Style);
  EXPECT_EQ(inbox.Style()[5], -6);
  EXPECT_EQ(inbox.Accept(1, Words({10, -20, 30})), CAudioInbox::Result::Frame);
  EXPECT_EQ(inbox.FrameLength(), 3u);

  const auto style = inbox.Style();
  const auto frame = inbox.Frame();
  EXPECT_EQ(inbox.Accept(2, Words({1, 2, 3, 4, 5})), CAudioInbox::Result::Refused);        // short
  EXPECT_EQ(inbox.Accept(2, Words({1, 2, 3, 4, 5, 6, 7})), CAudioInbox::Result::Refused);  // long
  EXPECT_EQ(inbox.Accept(1, std::vector<uint8_t>(2004, 1)), CAudioInbox::Result::Refused); // 501 values
  EXPECT_EQ(inbox.Accept(1, std::vector<uint8_t>(7, 1)), CAudioInbox::Result::Refused);    // partial value
  EXPECT_EQ(inbox.Accept(1, {}), CAudioInbox::Result::Refused);
  EXPECT_EQ(inbox.Accept(5, Words({1})), CAudioInbox::Result::Refused);
  EXPECT_EQ(inbox.Style(), style);
  EXPECT_EQ(inbox.Frame(), frame);
  EXPECT_EQ(inbox.FrameCount(), 1u);

  // A full frame, then a shorter one: the tail of the longer frame does not linger.
  std::vector<uint8_t> full(2000, 0x11);
  EXPECT_EQ(inbox.Accept(1, full), CAudioInbox::Result::Frame);
  EXPECT_EQ(inbox.Frame()[499], 0x11111111);
  EXPECT_EQ(inbox.Accept(1, Words({7})), CAudioInbox::Result::Frame);
  EXPECT_EQ(inbox.Frame()[1], 0);
  EXPECT_EQ(inbox.PreviousFrame()[499], 0x11111111);
}

class LanguageSettingTest : public ::testing::Test {
 protected:
  void WriteConfig(const char* text) {
    QFile f(dir.filePath("Language.config"));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(text);
  }
  std::string Ini() const { return dir.filePath("cfg/settings.ini").toStdString(); }
  std::string Config() const { return dir.filePath("Language.config").toStdString(); }
  QTemporaryDir dir;
};

TEST_F(LanguageSettingTest, StartupIndexFollowsTheStoredIdElseTheSystemLanguage) {
  WriteConfig(R"({"Language":[{"Language_ID":2052,"Language_file":"a.xml","Language_name":"A"},
                 7, {"Language_ID":1033,"Language_file":"b.xml","Language_name":"B"}]})");
  CLanguageSetting s(Ini());
  ASSERT_TRUE(s.LoadConfig(Config()));
  ASSERT_EQ(s.Languages().size(), 3u);  // a broken entry keeps its position
  EXPECT_EQ(s.ReadValue(), CLanguageSetting::kUnreadValue);
  // Nothing stored: Chinese for a zh locale, English for any other.
  EXPECT_EQ(s.StartupIndex("zh_CN.UTF-8"), 0);
  EXPECT_EQ(s.StartupIndex("zh_TW"), 0);
  EXPECT_EQ(s.StartupIndex("C"), 2);
  EXPECT_EQ(s.StartupIndex("en_GB.UTF-8"), 2);
  EXPECT_EQ(s.StartupIndex("zha_CN"), 2);  // another language whose code starts with "zh"
  EXPECT_EQ(s.StartupIndex(""), 2);
  // Writing creates the file and the entry; a stored choice wins over the system's language.
  ASSERT_TRUE(s.WriteValue(1033));
  EXPECT_TRUE(QFile::exists(QString::fromStdString(Ini())));
  EXPECT_EQ(s.ReadValue(), 1033);
  EXPECT_EQ(s.StartupIndex("zh_CN.UTF-8"), 2);
  ASSERT_TRUE(s.WriteValue(2052));
  EXPECT_EQ(s.StartupIndex("C"), 0);
  // A stored id that is not in the list is no choice.
  ASSERT_TRUE(s.WriteValue(99));
  EXPECT_EQ(s.StartupIndex("zh_CN"), 0);
  EXPECT_EQ(s.StartupIndex("en_US"), 2);
  EXPECT_EQ(s.At(3), nullptr);
  EXPECT_EQ(s.At(-1), nullptr);
  EXPECT_EQ(s.At(2)->file, "b.xml");
}

TEST_F(LanguageSettingTest, MissingOrBrokenConfigGivesAnEmptyList) {
  CLanguageSetting s(Ini());
  EXPECT_FALSE(s.LoadConfig(Config()));
  EXPECT_EQ(s.StartupIndex("en_US"), 0);
  WriteConfig("{\"Language\": [");
  EXPECT_FALSE(s.LoadConfig(Config()));
  WriteConfig("{\"Language\": {}}");
  EXPECT_FALSE(s.LoadConfig(Config()));
  EXPECT_TRUE(s.Languages().empty());
  // Only Chinese in the list: an English system starts in it.
  WriteConfig(R"({"Language":[{"Language_ID":2052,"Language_file":"a.xml","Language_name":"A"}]})");
  ASSERT_TRUE(s.LoadConfig(Config()));
  EXPECT_EQ(s.StartupIndex("en_US"), 0);
}

TEST(UiHandoffTest, SendRunsOnTheUiThreadAndGivesUpWhenStopped) {
  QObject context;
  CQtUiDispatcher handoff(&context);
  CWorkerRecords records;
  std::atomic<int> ranOn{0};
  std::atomic<bool> firstResult{false}, secondResult{true}, secondRan{false};
  const auto uiThread = QThread::currentThread();
  std::atomic<bool> firstDone{false}, uiStopping{false}, secondSending{false};
  records.Start(0, [&](const CStopEvent& stop) {
    firstResult = handoff.Send([&] { ranOn = QThread::currentThread() == uiThread ? 1 : 2; }, stop);
    firstDone = true;
    // The UI thread now stops this worker without pumping events: Send must not block it.
    while (!uiStopping) std::this_thread::yield();
    secondSending = true;
    secondResult = handoff.Send([&] { secondRan = true; }, stop);
  });
  QDeadlineTimer deadline(3000);
  while (!firstDone && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  ASSERT_TRUE(firstDone);
  EXPECT_TRUE(firstResult);
  EXPECT_EQ(ranOn, 1);
  uiStopping = true;
  // Busy without pumping events until the worker is on its way into Send, then stop it.
  while (!secondSending) std::this_thread::yield();
  const auto outcome = records.StopAll(std::chrono::milliseconds(1000));
  EXPECT_EQ(outcome[0], CWorkerRecords::Outcome::Ended);
  EXPECT_FALSE(secondResult);
  // The abandoned work is skipped when the UI thread gets to it.
  QCoreApplication::processEvents();
  EXPECT_FALSE(secondRan);
}

}  // namespace
}  // namespace orlo
