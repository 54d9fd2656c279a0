// The autostart entry: its text, the quoting of the program path in its Exec line, and the
// failures that leave what was there.
#include <gtest/gtest.h>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "app/AutostartEntry.h"

namespace orlo {
namespace {

std::string Slurp(const std::string& path) {
  QFile f(QString::fromStdString(path));
  if (!f.open(QIODevice::ReadOnly)) return "<unreadable>";
  return f.readAll().toStdString();
}

TEST(AutostartEntryTest, WritesTheEntryThatStartsTheProgramMinimisedAndRemovesIt) {
  QTemporaryDir dir;
  CAutostartEntry entry(dir.path().toStdString());
  EXPECT_EQ(entry.Path(), dir.path().toStdString() + "/autostart/org.tavrin.orlo.desktop");
  EXPECT_FALSE(entry.Enabled());
  EXPECT_TRUE(entry.Disable());  // nothing there: nothing left

  ASSERT_TRUE(entry.Enable("/usr/bin/orlo"));
  EXPECT_TRUE(entry.Enabled());
  EXPECT_EQ(Slurp(entry.Path()),
            "[Desktop Entry]\n"
            "Type=Application\n"
            "Name=Tavrin ORLO\n"
            "Comment=Keeps the mouse, keyboard, mousepad and headset settings applied\n"
            "Exec=/usr/bin/orlo --minimized\n"
            "Icon=org.tavrin.orlo\n"
            "Terminal=false\n"
            "X-GNOME-Autostart-enabled=true\n");
  EXPECT_TRUE(entry.Disable());
  EXPECT_FALSE(entry.Enabled());
  EXPECT_FALSE(QFile::exists(QString::fromStdString(entry.Path())));
}

TEST(AutostartEntryTest, APathWithReservedCharactersIsQuotedForTheExecLine) {
  EXPECT_EQ(CAutostartEntry::ExecArgument("/home/ana/Apps/orlo"), "/home/ana/Apps/orlo");
  EXPECT_EQ(CAutostartEntry::ExecArgument("/home/ana/My Apps/orlo"), "\"/home/ana/My Apps/orlo\"");
  // In the file: a backslash before each of " ` $, each backslash doubled for the string value;
  // a literal backslash is four; a percent sign is doubled.
  EXPECT_EQ(CAutostartEntry::ExecArgument("/a$b/\"c\"/`d`/e\\f/100%"),
            "\"/a\\\\$b/\\\\\"c\\\\\"/\\\\`d\\\\`/e\\\\\\\\f/100%%\"");
}

TEST(AutostartEntryTest, FailuresAreReportedAndLeaveWhatWasThere) {
  QTemporaryDir dir;
  CAutostartEntry entry(dir.path().toStdString());
  // "autostart" is a file, not a folder: nothing can be written below it.
  QFile blocker(dir.filePath("autostart"));
  ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
  blocker.write("not a folder");
  blocker.close();
  EXPECT_FALSE(entry.Enable("/usr/bin/orlo"));
  EXPECT_FALSE(entry.Enabled());
  EXPECT_EQ(Slurp(dir.filePath("autostart").toStdString()), "not a folder");
  // An entry that cannot be removed (a folder of that name holding a file) is reported.
  ASSERT_TRUE(QFile::remove(dir.filePath("autostart")));
  ASSERT_TRUE(QDir(dir.path()).mkpath("autostart/org.tavrin.orlo.desktop/keep"));
  EXPECT_FALSE(entry.Disable());
  EXPECT_FALSE(entry.Enable("/usr/bin/orlo"));
  EXPECT_TRUE(QFileInfo(QString::fromStdString(entry.Path())).isDir());
}

}  // namespace
}  // namespace orlo
