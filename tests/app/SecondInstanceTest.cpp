// Runs the real program twice on a private session bus: the second start wakes the first.
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

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
  if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no session bus";
  if (!QFileInfo::exists(ProgramPath())) GTEST_SKIP() << "orlo not built";
  QTemporaryDir dir;
  const QString log1 = dir.filePath("first.log"), log2 = dir.filePath("second.log");
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  env.insert("XDG_RUNTIME_DIR", dir.path());
  env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
  env.insert("XDG_DATA_HOME", dir.filePath("data"));
  env.insert("ORLO_PROGRAM_DIR", ORLO_SOURCE_DIR);
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

}  // namespace
