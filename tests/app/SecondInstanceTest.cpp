// Runs the real program twice on a private session bus: the second start wakes the first.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QCoreApplication>
#include <vector>

#include "platform/bus/DBusBus.h"
#include "platform/bus/RegisteredMessages.h"
#include "support/PrivateBus.h"

namespace {

QString ProgramPath() { return QDir(ORLO_TEST_BINARY_DIR).absoluteFilePath("../orlo"); }

int CountInFile(const QString& path, const QByteArray& needle) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return 0;
  return static_cast<int>(f.readAll().count(needle));
}

bool WaitForCount(const QString& path, const QByteArray& needle, int count, int ms = 15000) {
  QDeadlineTimer deadline(ms);
  while (CountInFile(path, needle) < count) {
    if (deadline.hasExpired()) return false;
    QThread::msleep(20);
  }
  return true;
}

TEST(SecondInstanceTest, SecondStartExitsZeroAndRaisesTheFirst) {
  if (!QFileInfo::exists(ProgramPath())) GTEST_SKIP() << "orlo not built";
  PrivateBus bus;
  ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
  QTemporaryDir dir;
  const QString log1 = dir.filePath("first.log"), log2 = dir.filePath("second.log");
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_RUNTIME_DIR", dir.path());
  env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
  env.insert("XDG_DATA_HOME", dir.filePath("data"));
  env.insert("ORLO_PROGRAM_DIR", ORLO_SOURCE_DIR);
  env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
  const QByteArray raised = "main window brought to front";

  QProcess first;
  env.insert("ORLO_DEBUG_LOG", log1);
  first.setProcessEnvironment(env);
  first.start(ProgramPath(), {});
  ASSERT_TRUE(first.waitForStarted());
  ASSERT_TRUE(WaitForCount(log1, raised, 1)) << "first instance never showed its window";

  QProcess second;
  env.insert("ORLO_DEBUG_LOG", log2);
  second.setProcessEnvironment(env);
  second.start(ProgramPath(), {});
  ASSERT_TRUE(second.waitForFinished(15000));
  EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(second.exitCode(), 0);
  EXPECT_EQ(CountInFile(log2, "InitWindow"), 0) << "the second instance built a window";
  EXPECT_TRUE(WaitForCount(log1, raised, 2)) << "the first instance was not brought to the front";

  // SIGTERM takes the orderly way out: threads stopped, exit code 0.
  first.terminate();
  ASSERT_TRUE(first.waitForFinished(15000));
  EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(first.exitCode(), 0);
  EXPECT_EQ(CountInFile(log1, "退出测试"), 1);
  EXPECT_GE(CountInFile(log1, "抓取设备线程设定退出"), 1);
}

TEST(SecondInstanceTest, LightControlSetOverTheSessionBusIsAnsweredByTheNotifySignal) {
  if (!QFileInfo::exists(ProgramPath())) GTEST_SKIP() << "orlo not built";
  using namespace orlo::bus;
  PrivateBus bus;
  ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
  QTemporaryDir dir;
  const QString log = dir.filePath("orlo.log");
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_RUNTIME_DIR", dir.path());
  env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
  env.insert("ORLO_PROGRAM_DIR", ORLO_SOURCE_DIR);
  env.insert("ORLO_DEBUG_LOG", log);
  env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());

  DBusBus other(QStringLiteral("light-control-peer"), bus.address());
  ASSERT_TRUE(other.Connected());
  std::vector<std::pair<int64_t, int64_t>> notifies;
  other.SetMessageHandler([&](uint32_t id, int64_t w, int64_t l) {
    if (id == Messages().lightControlNotify) notifies.push_back({w, l});
  });
  auto pumpUntil = [](auto pred) {
    QDeadlineTimer deadline(15000);
    while (!pred() && !deadline.hasExpired()) {
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
      QThread::msleep(5);
    }
    return pred();
  };

  QProcess orlo;
  orlo.setProcessEnvironment(env);
  orlo.start(ProgramPath(), {});
  ASSERT_TRUE(orlo.waitForStarted());
  // At window-init the program announces that it drives the lighting.
  ASSERT_TRUE(pumpUntil([&] { return !notifies.empty(); }));
  EXPECT_EQ(notifies[0], std::make_pair(int64_t{1}, int64_t{1}));
  ASSERT_TRUE(WaitForCount(log, "main window brought to front", 1));

  ASSERT_TRUE(other.Broadcast(Messages().lightControlSet, 1, 0));
  ASSERT_TRUE(pumpUntil([&] { return notifies.size() == 2; }));
  EXPECT_EQ(notifies[1], std::make_pair(int64_t{1}, int64_t{0}));
  // Ignored: wParam other than 1; no further notify.
  ASSERT_TRUE(other.Broadcast(Messages().lightControlSet, 2, 1));
  ASSERT_TRUE(other.Broadcast(Messages().lightControlSet, 1, 1));
  ASSERT_TRUE(pumpUntil([&] { return notifies.size() >= 3; }));
  EXPECT_EQ(notifies.size(), 3u);
  EXPECT_EQ(notifies[2], std::make_pair(int64_t{1}, int64_t{1}));

  orlo.terminate();
  ASSERT_TRUE(orlo.waitForFinished(15000));
  EXPECT_EQ(orlo.exitCode(), 0);
}

QString CtlPath() { return QDir(ORLO_TEST_BINARY_DIR).absoluteFilePath("../orloctl"); }

TEST(SecondInstanceTest, AStartWithoutAWindowFollowsHotPlugAndAnswersOrloctl) {
  if (!QFileInfo::exists(ProgramPath()) || !QFileInfo::exists(CtlPath())) GTEST_SKIP() << "orlo not built";
  PrivateBus bus;
  ASSERT_FALSE(bus.address().isEmpty()) << "dbus-daemon did not start";
  QTemporaryDir dir;
  const QString log = dir.filePath("orlo.log");
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  // No display of any kind: the program needs none without a window.
  for (const char* v : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) env.remove(v);
  env.insert("XDG_RUNTIME_DIR", dir.path());
  env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
  env.insert("XDG_DATA_HOME", dir.filePath("data"));
  env.insert("ORLO_SIM_DIR", dir.filePath("sim"));
  env.insert("ORLO_PROGRAM_DIR", ORLO_SOURCE_DIR);
  env.insert("ORLO_DEBUG_LOG", log);
  env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
  auto ctl = [&](const QStringList& args) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(CtlPath(), args);
    EXPECT_TRUE(p.waitForFinished(15000));
    return std::make_pair(p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()));
  };
  auto devices = [&] {
    const auto [code, out] = ctl({"status"});
    EXPECT_EQ(code, 0);
    const QJsonObject status = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(status["window"].toString(), "none") << out.toStdString();
    EXPECT_TRUE(status["awake"].toBool());
    return status["devices"].toArray();
  };

  QProcess orlo;
  orlo.setProcessEnvironment(env);
  orlo.start(ProgramPath(), {"--no-window", "--simulate", "mouse"});
  ASSERT_TRUE(orlo.waitForStarted());
  // Its command and companion interface arrived (the answer comes after both were handled).
  ASSERT_TRUE(WaitForCount(log, "添加一个鼠标设备", 2));
  QJsonArray list = devices();
  ASSERT_EQ(list.size(), 1);
  EXPECT_EQ(list[0].toObject()["device"].toString(), "mouse");
  EXPECT_EQ(list[0].toObject()["connection"].toString(), "wired");
  EXPECT_EQ(list[0].toObject()["profile"].toString(), "profile1");

  EXPECT_EQ(ctl({"sim", "unplug", "mouse"}).first, 0);
  ASSERT_TRUE(WaitForCount(log, "删除一个鼠标设备", 2));
  EXPECT_EQ(devices().size(), 0);
  EXPECT_EQ(ctl({"sim", "plug", "mouse"}).first, 0);
  ASSERT_TRUE(WaitForCount(log, "添加一个鼠标设备", 4));
  EXPECT_EQ(devices().size(), 1);
  EXPECT_EQ(CountInFile(log, "main window brought to front"), 0);

  orlo.terminate();
  ASSERT_TRUE(orlo.waitForFinished(15000));
  EXPECT_EQ(orlo.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(orlo.exitCode(), 0);
  // Nobody left to ask.
  EXPECT_EQ(ctl({"status"}).first, 1);
}

}  // namespace
