// The whole music path: the built orlo-audio on a private session bus feeds the main window,
// which runs on a simulated wired keyboard in music lighting; the keyboard's streamed frames show
// which band the sound is in.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <functional>
#include <memory>
#include <set>

#include "app/Application.h"
#include "app/CustomControls.h"
#include "app/DeviceManager.h"
#include "app/MainWnd.h"
#include "device/keyboard/KeyMatrix.h"
#include "platform/bus/DBusBus.h"
#include "sim/SimBackend.h"
#include "sim/SimKeyboard.h"
#include "support/PrivateBus.h"

namespace orlo {
namespace {

QString Built(const char* name) { return QDir(ORLO_TEST_BINARY_DIR).absoluteFilePath(QString("../") + name); }

// Runs the event loop until `done` holds, looking every 10 ms, for at most `ms`.
bool PumpUntil(const std::function<bool()>& done, int ms = 20000) {
  QDeadlineTimer deadline(ms);
  if (done()) return true;
  QEventLoop loop;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, &loop, [&] {
    if (done() || deadline.hasExpired()) loop.quit();
  });
  look.start(10);
  loop.exec();
  return done();
}

bool FileHolds(const QString& path, const QByteArray& text) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) && f.readAll().contains(text);
}

// The LEDs a frame lights (any colour byte not 0).
std::set<int> LitLeds(const std::vector<uint8_t>& frame) {
  std::set<int> lit;
  for (size_t led = 0; led * 3 + 2 < frame.size(); ++led)
    if (frame[led * 3] || frame[led * 3 + 1] || frame[led * 3 + 2]) lit.insert(static_cast<int>(led));
  return lit;
}

// The simulated keyboard's LEDs under the keys of one column of the key matrix, from a row down.
std::set<int> ColumnLeds(int column, int fromRow) {
  const auto& positions = sim::SimKeyboard::PhysicalKeyPositions();
  std::set<int> leds;
  for (int row = fromRow; row < keyboard::kRows; ++row) {
    const auto at = std::find(positions.begin(), positions.end(), keyboard::KeyAt(column, row));
    if (at != positions.end()) leds.insert(sim::SimKeyboard::LedOfKey(static_cast<int>(at - positions.begin())));
  }
  return leds;
}

class MusicLightingPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!QFileInfo::exists(Built("orlo-audio")) || !QFileInfo::exists(Built("orloctl")))
      GTEST_SKIP() << "orlo-audio or orloctl not built";
    ASSERT_FALSE(bus_.address().isEmpty()) << "dbus-daemon did not start";
    savedData_ = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", dir_.filePath("data").toUtf8());
    env_ = QProcessEnvironment::systemEnvironment();
    env_.insert("DBUS_SESSION_BUS_ADDRESS", bus_.address());
    env_.insert("XDG_DATA_HOME", dir_.filePath("data"));
    env_.insert("ORLO_SIM_DIR", dir_.filePath("sim"));
    env_.insert("ORLO_PROGRAM_DIR", ORLO_SOURCE_DIR);

    // The keyboard's profile in music lighting: effect 29, whose default picture (rising
    // columns) lights column c from level c upwards over a black background.
    QProcess ctl;
    ctl.setProcessEnvironment(env_);
    ctl.start(Built("orloctl"), {"--simulate", "keyboard", "set", "keyboard", "light", "29"});
    ASSERT_TRUE(ctl.waitForFinished(30000));
    ASSERT_EQ(ctl.exitCode(), 0) << ctl.readAllStandardError().constData();

    RegisterCustomControls();
    windowBus_ = std::make_unique<bus::DBusBus>(QStringLiteral("music-window"), bus_.address());
    ASSERT_TRUE(windowBus_->Connected());
    sim::SimOptions o;
    o.folder = dir_.filePath("sim").toStdString();
    const auto backend = sim::MakeSimBackend("keyboard", o);
    keyboard_ = std::dynamic_pointer_cast<sim::SimKeyboard>(backend->Device("keyboard"));
    DeviceManagerOptions devices;
    devices.backend = backend;
    ASSERT_NE(keyboard_, nullptr);
    MainWindowOptions options;
    options.languageIniPath = dir_.filePath("config/settings.ini").toStdString();
    options.systemLocale = "en_US";
    options.aux.skinIniPath = dir_.filePath("data/main.ini").toStdString();
    window_.reset(CreateMainWindow(windowBus_.get(), std::make_unique<CDeviceManager>(devices), options));
    ASSERT_NE(window_, nullptr);
    ASSERT_TRUE(PumpUntil([this] { return keyboard_->StreamedFrameCount() >= 3; })) << "no music frames";
  }
  void TearDown() override {
    if (window_) window_->Exit();
    window_.reset();
    qputenv("XDG_DATA_HOME", savedData_);
  }

  // Starts orlo-audio with `args`; once the window has taken it for the capture program, the
  // program has been sent the selected style's colour (style 1 of the default file: 9, 3, 0).
  void Feed(QProcess& capture, const QStringList& args, const QString& log) {
    capture.setProcessEnvironment(env_);
    capture.setStandardErrorFile(log);
    capture.start(Built("orlo-audio"), args);
    ASSERT_TRUE(capture.waitForStarted(5000));
    ASSERT_TRUE(PumpUntil([&] { return window_->AudioCaptureId() == capture.processId(); }));
    ASSERT_TRUE(PumpUntil([&] { return FileHolds(log, "music colour 9 3 0"); }));
  }
  // Frames streamed from now on, while at least `blocks` more level blocks arrive.
  std::vector<sim::SimKeyboard::StreamedFrame> FramesOver(uint64_t blocks, size_t frames) {
    keyboard_->ClearStreamedFrames();
    const uint64_t from = window_->Audio().FrameCount();
    EXPECT_TRUE(PumpUntil([&] {
      return window_->Audio().FrameCount() >= from + blocks && keyboard_->StreamedFrameCount() >= frames;
    }));
    return keyboard_->StreamedFrames();
  }

  PrivateBus bus_;
  QTemporaryDir dir_;
  QByteArray savedData_;
  QProcessEnvironment env_;
  std::unique_ptr<bus::DBusBus> windowBus_;
  std::shared_ptr<sim::SimKeyboard> keyboard_;
  std::unique_ptr<CMainWnd> window_;
};

TEST_F(MusicLightingPathTest, SilenceLightsNothingAndAOneKilohertzSineLightsItsBandsColumn) {
  QProcess silence;
  ASSERT_NO_FATAL_FAILURE(Feed(silence, {"--silence"}, dir_.filePath("silence.log")));
  for (const auto& f : FramesOver(30, 30)) EXPECT_EQ(LitLeds(f.bytes), std::set<int>{});
  silence.terminate();
  ASSERT_TRUE(silence.waitForFinished(10000));

  // 1 kHz is the centre of band 13 (the bands are centred on 1000 Hz × 2^((j − 13) / 3)). At
  // half full scale its level is about 1800 of 2000, which lights matrix column 13 from row 1
  // down (rows 1 to 3 here: this board has no key in its rows 4 and 5); the neighbouring bands
  // stay below the lowest row, and row 0 needs a level above 1833.
  const std::set<int> column13 = ColumnLeds(13, 1);
  ASSERT_EQ(column13.size(), 3u);
  ASSERT_EQ(ColumnLeds(13, 0).size(), 4u);
  QProcess sine;
  ASSERT_NO_FATAL_FAILURE(Feed(sine, {"--sine", "1000"}, dir_.filePath("sine.log")));
  std::set<int> everLit;
  size_t whole = 0;
  for (const auto& f : FramesOver(60, 40)) {
    const std::set<int> lit = LitLeds(f.bytes);
    everLit.insert(lit.begin(), lit.end());
    if (lit == column13) ++whole;
  }
  EXPECT_EQ(everLit, column13);
  EXPECT_GT(whole, 0u);

  // The window's shutdown tells the capture program to stop.
  window_->Exit();
  ASSERT_TRUE(sine.waitForFinished(10000));
  EXPECT_EQ(sine.exitCode(), 0);
  EXPECT_TRUE(FileHolds(dir_.filePath("sine.log"), "stop command 2 from the window"));
}

}  // namespace
}  // namespace orlo
