// The built orlo-audio on a private session bus, with a test window in place of the main one:
// its blocks arrive, the window's stop command and SIGTERM end it, a second one refuses to run,
// and without its window it ends by itself.
#include <gtest/gtest.h>

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <vector>

#include "platform/bus/DBusBus.h"
#include "platform/bus/RegisteredMessages.h"
#include "support/PrivateBus.h"

namespace orlo::audio {
namespace {

QString ProgramPath() { return QDir(ORLO_TEST_BINARY_DIR).absoluteFilePath("../orlo-audio"); }

int32_t ValueAt(const QByteArray& block, int i) {
  uint32_t v = 0;
  for (int b = 0; b < 4; ++b) v |= static_cast<uint32_t>(static_cast<uint8_t>(block[i * 4 + b])) << (8 * b);
  return static_cast<int32_t>(v);
}

struct Block {
  int64_t wParam;
  uint32_t kind;
  QByteArray data;
};

class CaptureBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFileInfo::exists(ProgramPath())) GTEST_SKIP() << "orlo-audio not built";
    ASSERT_FALSE(bus_.address().isEmpty()) << "dbus-daemon did not start";
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert("DBUS_SESSION_BUS_ADDRESS", bus_.address());
  }

  void Start(QProcess& p, const QStringList& args) {
    p.setProcessEnvironment(env_);
    p.start(ProgramPath(), args);
    ASSERT_TRUE(p.waitForStarted(5000));
  }

  // Runs the event loop until `count` blocks have come (the handler ends the loop) or 10 s pass.
  bool WaitForBlocks(size_t count) {
    if (blocks_.size() >= count) return true;
    QEventLoop loop;
    wanted_ = count;
    loop_ = &loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    loop_ = nullptr;
    return blocks_.size() >= count;
  }

  void OpenWindow(bus::DBusBus& window) {
    ASSERT_TRUE(window.Connected());
    ASSERT_TRUE(window.Publish("Level Receiver"));
    window.SetDataHandler([this](int64_t w, uint32_t kind, const std::vector<uint8_t>& d) {
      blocks_.push_back({w, kind, QByteArray(reinterpret_cast<const char*>(d.data()), static_cast<qsizetype>(d.size()))});
      if (loop_ && blocks_.size() >= wanted_) loop_->quit();
    });
  }

  PrivateBus bus_;
  QProcessEnvironment env_;
  std::vector<Block> blocks_;
  size_t wanted_ = 0;
  QEventLoop* loop_ = nullptr;
};

TEST_F(CaptureBusTest, SineLevelsReachTheWindowUntilItSaysStop) {
  bus::DBusBus window(QStringLiteral("level-receiver"), bus_.address());
  OpenWindow(window);
  QProcess capture;
  Start(capture, {"--sine", "1000", "--to", "Level Receiver"});
  ASSERT_TRUE(WaitForBlocks(6)) << capture.readAllStandardError().constData();

  for (size_t i = 0; i < blocks_.size(); ++i) {
    const Block& b = blocks_[i];
    EXPECT_EQ(b.kind, 1u);
    EXPECT_EQ(b.wParam, capture.processId());
    ASSERT_EQ(b.data.size(), 2000);
    // Band 13 (values 65 … 68) carries ±675, level 1799 of a sine at half full scale; the sign
    // flips from block to block.
    const int32_t v = ValueAt(b.data, 65);
    EXPECT_NEAR(std::abs(v), 675, 2) << "block " << i;
    for (int k = 66; k <= 68; ++k) EXPECT_EQ(ValueAt(b.data, k), v);
    if (i > 0) {
      EXPECT_EQ(v > 0, ValueAt(blocks_[i - 1].data, 65) < 0) << "block " << i;
    }
    for (int k : {0, 5, 50, 55, 69, 75, 80, 120, 125, 499}) EXPECT_EQ(ValueAt(b.data, k), 0) << k;
  }

  // Only one capture program at a time.
  QProcess second;
  Start(second, {"--sine", "500", "--to", "Level Receiver"});
  ASSERT_TRUE(second.waitForFinished(10000));
  EXPECT_EQ(second.exitCode(), 1);
  EXPECT_TRUE(second.readAllStandardError().contains("another audio-capture program is running"));

  // The window's shutdown commands begin with 2; the first one ends the program.
  ASSERT_TRUE(window.Broadcast(bus::Messages().audioRecord, 2, 0));
  ASSERT_TRUE(capture.waitForFinished(10000));
  EXPECT_EQ(capture.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(capture.exitCode(), 0);
}

TEST_F(CaptureBusTest, SliderCommandsLeaveItRunningAndSigtermEndsIt) {
  bus::DBusBus window(QStringLiteral("level-receiver-2"), bus_.address());
  OpenWindow(window);
  QProcess capture;
  Start(capture, {"--sine", "100", "--to", "Level Receiver"});
  ASSERT_TRUE(WaitForBlocks(1));
  // The R, G and B slider values and the colour block are not commands to stop.
  ASSERT_TRUE(window.Broadcast(bus::Messages().audioRecord, 6, 200));
  ASSERT_TRUE(window.Broadcast(bus::Messages().audioRecord, 8, 10));
  ASSERT_TRUE(window.SendData("Tavrin ORLOAUDIORECORD", 0, 10, std::vector<uint8_t>(40, 7)));
  const size_t before = blocks_.size();
  ASSERT_TRUE(WaitForBlocks(before + 5));
  EXPECT_EQ(capture.state(), QProcess::Running);

  capture.terminate();
  ASSERT_TRUE(capture.waitForFinished(10000));
  EXPECT_EQ(capture.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(capture.exitCode(), 0);
}

TEST_F(CaptureBusTest, WithoutItsWindowItEndsByItself) {
  QProcess capture;
  Start(capture, {"--sine", "1000", "--to", "Nobody Here"});
  // It gives the window 3 s to appear.
  ASSERT_TRUE(capture.waitForFinished(15000));
  EXPECT_EQ(capture.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(capture.exitCode(), 0);
  EXPECT_TRUE(capture.readAllStandardError().contains("is gone"));
}

}  // namespace
}  // namespace orlo::audio
