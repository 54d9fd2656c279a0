// The whole music path: the built orlo-audio on a private session bus feeds the main window on a
// simulated wired keyboard in music lighting; the keyboard's streamed frames show the band.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <functional>
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

// Runs the event loop until `done` holds, looking every 10 ms, for at most 20 s.
bool PumpUntil(const std::function<bool()>& done) {
  QDeadlineTimer deadline(20000);
  QEventLoop loop;
  QTimer look;
  QObject::connect(&look, &QTimer::timeout, &loop, [&] {
    if (done() || deadline.hasExpired()) loop.quit();
  });
  look.start(10);
  if (!done()) loop.exec();
  return done();
}

bool FileHolds(const QString& path, const char* text) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) && f.readAll().contains(text);
}

// The LEDs any of `frames` lights, and how many frames light exactly `leds`.
std::pair<std::set<int>, int> Lit(const std::vector<sim::SimKeyboard::StreamedFrame>& frames, const std::set<int>& leds) {
  std::set<int> all;
  int exact = 0;
  for (const auto& f : frames) {
    std::set<int> lit;
    for (size_t led = 0; led * 3 + 2 < f.bytes.size(); ++led)
      if (f.bytes[led * 3] || f.bytes[led * 3 + 1] || f.bytes[led * 3 + 2]) lit.insert(static_cast<int>(led));
    all.insert(lit.begin(), lit.end());
    exact += lit == leds;
  }
  return {all, exact};
}

// The simulated keyboard's LEDs under the keys of a matrix column, from a row down.
std::set<int> ColumnLeds(int column, int fromRow) {
  const auto& positions = sim::SimKeyboard::PhysicalKeyPositions();
  std::set<int> leds;
  for (int row = fromRow; row < keyboard::kRows; ++row) {
    const auto at = std::find(positions.begin(), positions.end(), keyboard::KeyAt(column, row));
    if (at != positions.end()) leds.insert(sim::SimKeyboard::LedOfKey(static_cast<int>(at - positions.begin())));
  }
  return leds;
}

TEST(MusicLightingPathTest, SilenceLightsNothingAndAOneKilohertzSineLightsItsBandsColumn) {
  PrivateBus bus;
  ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
  QTemporaryDir dir;
  const QByteArray savedData = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
  env.insert("ORLO_SIM_DIR", dir.filePath("sim"));
  env.insert("ORLO_PROGRAM_DIR", ORLO_SOURCE_DIR);

  // Music lighting (effect 29): its default picture lights column c from level c upwards.
  QProcess ctl;
  ctl.setProcessEnvironment(env);
  ctl.start(Built("orloctl"), {"--simulate", "keyboard", "set", "keyboard", "light", "29"});
  ASSERT_TRUE(ctl.waitForFinished(30000));
  ASSERT_EQ(ctl.exitCode(), 0) << ctl.readAllStandardError().constData();

  RegisterCustomControls();
  bus::DBusBus windowBus(QStringLiteral("music-window"), bus.address());
  sim::SimOptions o;
  o.folder = dir.filePath("sim").toStdString();
  DeviceManagerOptions devices;
  devices.backend = sim::MakeSimBackend("keyboard", o);
  auto keyboard = std::dynamic_pointer_cast<sim::SimKeyboard>(
      std::static_pointer_cast<sim::SimBackend>(devices.backend)->Device("keyboard"));
  MainWindowOptions options;
  options.languageIniPath = dir.filePath("settings.ini").toStdString();
  std::unique_ptr<CMainWnd> window(CreateMainWindow(&windowBus, std::make_unique<CDeviceManager>(devices), options));
  ASSERT_TRUE(PumpUntil([&] { return keyboard->StreamedFrameCount() >= 3; })) << "no music frames";

  // The window takes orlo-audio for its capture program and sends it the colour of style 1.
  auto feed = [&](QProcess& capture, const QStringList& args, const QString& log) {
    capture.setProcessEnvironment(env);
    capture.setStandardErrorFile(log);
    capture.start(Built("orlo-audio"), args);
    ASSERT_TRUE(PumpUntil([&] { return window->AudioCaptureId() == capture.processId(); }));
    ASSERT_TRUE(PumpUntil([&] { return FileHolds(log, "music colour 9 3 0"); }));
    keyboard->ClearStreamedFrames();
    const uint64_t from = window->Audio().FrameCount();
    ASSERT_TRUE(PumpUntil([&] { return window->Audio().FrameCount() >= from + 60 && keyboard->StreamedFrameCount() >= 40; }));
  };
  QProcess silence;
  ASSERT_NO_FATAL_FAILURE(feed(silence, {"--silence"}, dir.filePath("silence.log")));
  EXPECT_EQ(Lit(keyboard->StreamedFrames(), {}).first, std::set<int>{});
  silence.terminate();
  ASSERT_TRUE(silence.waitForFinished(10000));

  // 1 kHz is the centre of band 13 (bands centred on 1000 Hz × 2^((j − 13) / 3)). Its level at
  // half full scale, about 1800 of 2000, lights column 13 from row 1 down: rows 1 to 3 here, as
  // this board has no keys in the column's rows 4 and 5. Row 0 would need more than 1833; the
  // neighbouring bands stay below the lowest row.
  const std::set<int> column13 = ColumnLeds(13, 1);
  ASSERT_EQ(column13.size(), 3u);
  QProcess sine;
  ASSERT_NO_FATAL_FAILURE(feed(sine, {"--sine", "1000"}, dir.filePath("sine.log")));
  const auto [everLit, exact] = Lit(keyboard->StreamedFrames(), column13);
  EXPECT_EQ(everLit, column13);
  EXPECT_GT(exact, 0);

  // The window's shutdown tells the capture program to stop.
  window->Exit();
  ASSERT_TRUE(sine.waitForFinished(10000));
  EXPECT_EQ(sine.exitCode(), 0);
  EXPECT_TRUE(FileHolds(dir.filePath("sine.log"), "stop command 2 from the window"));
  qputenv("XDG_DATA_HOME", savedData);
}

}  // namespace
}  // namespace orlo
