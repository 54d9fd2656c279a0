// The built orlo-audio on a private session bus, with a test window in place of the main one:
// its blocks arrive, the window's colour and slider commands come back as style values, the
// window's stop command and SIGTERM end it, a second one refuses to run, and without its window
// it ends by itself.
#include <gtest/gtest.h>

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProcess>
#include <QTimer>
#include <functional>
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

  // Runs the event loop until `done` holds after a block came (the handler ends the loop) or
  // 10 s pass.
  bool WaitUntil(std::function<bool()> done) {
    if (done()) return true;
    QEventLoop loop;
    done_ = std::move(done);
    loop_ = &loop;
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    loop_ = nullptr;
    return done_();
  }
  bool WaitForBlocks(size_t count) {
    return WaitUntil([this, count] { return blocks_.size() >= count; });
  }
  std::vector<QByteArray> Blocks(uint32_t kind) const {
    std::vector<QByteArray> out;
    for (const Block& b : blocks_)
      if (b.kind == kind) out.push_back(b.data);
    return out;
  }

  void OpenWindow(bus::DBusBus& window) {
    ASSERT_TRUE(window.Connected());
    ASSERT_TRUE(window.Publish("Level Receiver"));
    window.SetDataHandler([this](int64_t w, uint32_t kind, const std::vector<uint8_t>& d) {
      blocks_.push_back({w, kind, QByteArray(reinterpret_cast<const char*>(d.data()), static_cast<qsizetype>(d.size()))});
      if (loop_ && done_()) loop_->quit();
    });
  }

  PrivateBus bus_;
  QProcessEnvironment env_;
  std::vector<Block> blocks_;
  std::function<bool()> done_;
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

QByteArray StyleValues(uint8_t r, uint8_t g, uint8_t b) {
  QByteArray v(24, '\0');
  v[0] = static_cast<char>(r), v[4] = static_cast<char>(g), v[8] = static_cast<char>(b);
  return v;
}

TEST_F(CaptureBusTest, TheColourAndTheSliderValuesComeBackAsStyleValuesAndSigtermEndsIt) {
  bus::DBusBus window(QStringLiteral("level-receiver-2"), bus_.address());
  OpenWindow(window);
  QProcess capture;
  Start(capture, {"--sine", "100", "--to", "Level Receiver"});
  ASSERT_TRUE(WaitForBlocks(1));
  // Red 2, green 1, blue 9 in steps of 0 to 9; then green 4 from its slider, and a red beyond
  // the last step. A block of another size is no colour.
  std::vector<uint8_t> colour(40, 0);
  colour[0] = 2, colour[4] = 1, colour[8] = 9;
  ASSERT_TRUE(window.SendData("Tavrin ORLOAUDIORECORD", 0, 10, colour));
  ASSERT_TRUE(window.Broadcast(bus::Messages().audioRecord, 7, 4));
  ASSERT_TRUE(window.SendData("Tavrin ORLOAUDIORECORD", 0, 10, std::vector<uint8_t>(12, 1)));
  ASSERT_TRUE(window.Broadcast(bus::Messages().audioRecord, 6, 200));
  ASSERT_TRUE(WaitUntil([this] { return Blocks(2).size() >= 3; }));
  EXPECT_EQ(Blocks(2), (std::vector<QByteArray>{StyleValues(56, 28, 255), StyleValues(56, 113, 255),
                                                StyleValues(255, 113, 255)}));
  EXPECT_EQ(capture.state(), QProcess::Running);

  capture.terminate();
  ASSERT_TRUE(capture.waitForFinished(10000));
  EXPECT_EQ(capture.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(capture.exitCode(), 0);
  const QByteArray log = capture.readAllStandardError();
  for (const char* line : {"music colour 2 1 9", "green 4", "colour block of 12 bytes ignored", "red 9"})
    EXPECT_TRUE(log.contains(line)) << line << "\n" << log.constData();
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
