// The update list's states: after a check pass, through the user's choice, and through the
// updater's reports; and the last check date file.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <time.h>

#include <filesystem>
#include <fstream>

#include "update/TableRow.h"
#include "update/UpdateList.h"
#include "update/UpdateTimeFile.h"

namespace orlo::update {
namespace {

UpdateResult Newer(const std::string& version) {
  UpdateResult r;
  r.status = kStatusNeedUpdate;
  r.name = "pkg";
  r.currentText = "ignored";
  r.newText = "V" + version;
  r.path = "https://h.test/" + version + ".bin";
  r.localFile = "/c/pkg.bin";
  return r;
}

UpdateResult Current() {
  UpdateResult r;
  r.status = kStatusUpToDate;
  r.name = "pkg";
  r.newText = "V1";
  return r;
}

UpdateResult Failed() {
  UpdateResult r;
  r.failed = true;
  r.failure = "cannot connect to the server";
  return r;
}

// Mouse 0x0105, no keyboard, mousepad 0x0101, application 10: three rows listed.
CUpdateList Listed() {
  CUpdateList list;
  list.BeginCheck({Row(0, 0x0105), Row(1, 0), Row(2, 0x0101), Row(3, 10)}, "2023-1-9");
  return list;
}

TEST(UpdateListTest, RowsListedBeforeTheQueries) {
  CUpdateList list = Listed();
  ASSERT_EQ(list.Rows().size(), 3u);  // the keyboard has no version: not listed, not queried
  EXPECT_EQ(list.Rows()[0].name, "MS");
  EXPECT_EQ(list.Rows()[0].currentText, "V0105");
  EXPECT_EQ(list.Rows()[1].name, "R40");
  EXPECT_EQ(list.Rows()[1].tableRow, 2u);
  EXPECT_EQ(list.Rows()[2].name, "AP");
  EXPECT_EQ(list.Rows()[2].currentText, "V10");  // the installed version, not the table's text
  for (const auto& r : list.Rows()) {
    EXPECT_EQ(r.status, 7);
    EXPECT_FALSE(r.checkEnabled);
  }
  EXPECT_EQ(list.State(), kStateChecking);
  EXPECT_EQ(list.LastCheckDate(), "2023-1-9");
}

TEST(UpdateListTest, FinalStateOfTheCheck) {
  {
    SCOPED_TRACE("a newer package");
    CUpdateList list = Listed();
    list.ApplyResult(0, Newer("0106"));
    list.ApplyResult(1, Failed());
    list.ApplyResult(2, Current());
    list.FinishCheck("2024-3-5");
    EXPECT_EQ(list.State(), kStateHaveUpdate);
    EXPECT_TRUE(list.UpdateButtonEnabled());
    EXPECT_EQ(list.Rows()[0].status, 1);
    EXPECT_EQ(list.Rows()[0].newText, "V0106");
    EXPECT_EQ(list.Rows()[0].currentText, "ignored");
    EXPECT_TRUE(list.Rows()[0].checkEnabled);
    EXPECT_TRUE(list.Rows()[1].failed);
    EXPECT_FALSE(list.Rows()[1].checkEnabled);
    EXPECT_EQ(list.Rows()[2].newText, "");  // up to date: no new version shown
    EXPECT_FALSE(list.Rows()[2].checkEnabled);
    EXPECT_EQ(list.LastCheckDate(), "2024-3-5");
  }
  {
    SCOPED_TRACE("one query failed, the rest up to date: not reported as up to date");
    CUpdateList list = Listed();
    list.ApplyResult(0, Current());
    list.ApplyResult(1, Failed());
    list.ApplyResult(2, Current());
    list.FinishCheck("2024-3-5");
    EXPECT_EQ(list.State(), kStateNoUpdateInfo);
    EXPECT_FALSE(list.UpdateButtonEnabled());
  }
  {
    SCOPED_TRACE("every query failed: the stored date stays");
    CUpdateList list = Listed();
    for (size_t i = 0; i < 3; ++i) list.ApplyResult(i, Failed());
    list.FinishCheck("2024-3-5");
    EXPECT_EQ(list.State(), kStateNoUpdateInfo);
    EXPECT_EQ(list.LastCheckDate(), "2023-1-9");
  }
  {
    SCOPED_TRACE("all answered, nothing newer; a newer version without a package name is not offered");
    CUpdateList list = Listed();
    UpdateResult nameless = Newer("0200");
    nameless.name.clear();
    list.ApplyResult(0, nameless);
    list.ApplyResult(1, Current());
    list.ApplyResult(2, Current());
    list.FinishCheck("2024-3-5");
    EXPECT_EQ(list.State(), kStateUpToDate);
    EXPECT_EQ(list.Rows()[0].status, 7);
    EXPECT_EQ(list.Rows()[0].newText, "");
    EXPECT_EQ(list.LastCheckDate(), "2024-3-5");
  }
}

TEST(UpdateListTest, UpdaterWorksThroughTheChosenRows) {
  CUpdateList list = Listed();
  list.ApplyResult(0, Newer("0106"));
  list.ApplyResult(1, Newer("0102"));
  list.ApplyResult(2, Newer("11"));
  list.FinishCheck("2024-3-5");
  EXPECT_FALSE(list.OnUpdaterMessage(kUpdaterProgress, 10));  // nothing chosen yet

  list.Tick(0, true);
  list.Tick(1, true);
  EXPECT_TRUE(list.UpdateButtonEnabled());
  const std::vector<size_t> waiting = list.Confirm();
  EXPECT_EQ(waiting, (std::vector<size_t>{0, 1}));
  EXPECT_EQ(list.State(), kStateUpdating);
  EXPECT_TRUE(list.UpdateRequested());
  EXPECT_FALSE(list.UpdateButtonEnabled());
  EXPECT_EQ(list.Rows()[2].status, 1);  // not ticked: left as it was
  EXPECT_FALSE(list.CanClose());
  EXPECT_EQ(list.UpdaterRow(), 0);

  EXPECT_TRUE(list.OnUpdaterMessage(kUpdaterProgress, 150));
  EXPECT_EQ(list.Rows()[0].status, 4);
  EXPECT_EQ(list.Rows()[0].progress, 100);
  EXPECT_TRUE(list.OnUpdaterMessage(kUpdaterProgress, -3));
  EXPECT_EQ(list.Rows()[0].progress, 0);

  EXPECT_TRUE(list.OnUpdaterMessage(kUpdaterDone, 0));
  EXPECT_EQ(list.Rows()[0].status, 7);
  EXPECT_EQ(list.Rows()[0].currentText, "V0106");
  EXPECT_EQ(list.Rows()[0].newText, "");
  EXPECT_FALSE(list.Rows()[0].ticked);
  EXPECT_EQ(list.State(), kStateUpdating);  // row 1 still waits
  EXPECT_EQ(list.UpdaterRow(), 1);

  EXPECT_TRUE(list.OnUpdaterMessage(kUpdaterFailedToo, 0));
  EXPECT_EQ(list.Rows()[1].status, 8);
  // Nothing left in progress: rows not up to date can be chosen again.
  EXPECT_EQ(list.State(), kStateHaveUpdate);
  EXPECT_TRUE(list.Rows()[1].checkEnabled);
  EXPECT_TRUE(list.Rows()[2].checkEnabled);
  EXPECT_FALSE(list.UpdateRequested());
  EXPECT_TRUE(list.CanClose());
  EXPECT_FALSE(list.OnUpdaterMessage(kUpdaterDone, 0));
  EXPECT_FALSE(list.OnUpdaterMessage(99, 0));
}

TEST(UpdateListTest, DownloadedPackageWaitsForTheUser) {
  CUpdateList list = Listed();
  list.ApplyResult(0, Newer("0106"));
  list.ApplyResult(1, Current());
  list.ApplyResult(2, Current());
  list.FinishCheck("2024-3-5");
  list.Tick(1, true);  // up to date: cannot be chosen
  EXPECT_FALSE(list.Rows()[1].ticked);
  list.Tick(0, true);
  list.Tick(0, false);
  EXPECT_FALSE(list.UpdateButtonEnabled());
  list.Tick(0, true);
  ASSERT_EQ(list.Confirm(), (std::vector<size_t>{0}));
  EXPECT_FALSE(list.OnUpdaterMessage(kUpdaterProgress + 100, 0));
  EXPECT_TRUE(list.OnUpdaterMessage(kUpdaterDownloaded, 0));
  EXPECT_EQ(list.Rows()[0].status, 5);
  EXPECT_EQ(list.Rows()[0].currentText, "ignored");  // nothing installed yet
  EXPECT_EQ(list.Rows()[0].newText, "V0106");
  EXPECT_EQ(list.State(), kStateHaveUpdate);
  EXPECT_TRUE(list.CanClose());
}

TEST(UpdateListTest, LastCheckDateFile) {
  char pattern[] = "/tmp/orlo-updatetime-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string folder = pattern;
  const CUpdateTimeFile file(folder + "/sub/updatetime.config");
  EXPECT_EQ(file.Stored(), "");
  ASSERT_TRUE(file.Store("2024-3-5"));
  EXPECT_EQ(file.Stored(), "2024-3-5");
  {
    std::ofstream(file.Path(), std::ios::binary) << R"({"other": 4, "updatelasttime": {"value": "2020-1-1"}})";
  }
  ASSERT_TRUE(file.Store("2024-12-31"));
  EXPECT_EQ(file.Stored(), "2024-12-31");
  std::ifstream in(file.Path(), std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("\"other\" : 4"), std::string::npos) << text;

  // A file that is not a document is left as it is.
  { std::ofstream(file.Path(), std::ios::binary) << "{ broken"; }
  EXPECT_FALSE(file.Store("2025-1-1"));
  std::ifstream again(file.Path(), std::ios::binary);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(again)), std::istreambuf_iterator<char>()), "{ broken");

  // Year, month and day of local time, without padding.
  const char* oldTz = getenv("TZ");
  const std::string savedTz = oldTz ? oldTz : "";
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(CUpdateTimeFile::DateText(std::chrono::system_clock::from_time_t(1709640000)), "2024-3-5");  // 12:00 UTC
  setenv("TZ", "ZZZ13", 1);  // 13 hours behind UTC: still the day before
  tzset();
  EXPECT_EQ(CUpdateTimeFile::DateText(std::chrono::system_clock::from_time_t(1709640000)), "2024-3-4");
  if (oldTz) setenv("TZ", savedTz.c_str(), 1); else unsetenv("TZ");
  tzset();
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace orlo::update
