// The autostart entry: its text, the quoting of the program path in its Exec line, and what a
// folder that cannot be written leaves behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
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

TEST(AutostartEntryTest, AFolderThatCannotBeWrittenLeavesTheFormerEntry) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes anywhere";
  QTemporaryDir dir;
  CAutostartEntry entry(dir.path().toStdString());
  ASSERT_TRUE(entry.Enable("/usr/bin/orlo"));
  const std::string before = Slurp(entry.Path());
  const std::string folder = dir.path().toStdString() + "/autostart";
  ASSERT_EQ(::chmod(folder.c_str(), 0500), 0);
  EXPECT_FALSE(entry.Enable("/opt/other/orlo"));
  EXPECT_FALSE(entry.Disable());
  ::chmod(folder.c_str(), 0700);
  EXPECT_EQ(Slurp(entry.Path()), before);
}

}  // namespace
}  // namespace orlo
