// Files that are missing, unreadable or invalid, moved-aside names, and what a write leaves in
// the folder.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <set>

#include "FaultFiles.h"
#include "ProfileTestDir.h"
#include "profile/JsonFile.h"

namespace orlo {
namespace {

namespace fs = std::filesystem;
using Status = CJsonFile::ReadStatus;

class JsonFileFaultTest : public test::ProfileTestDir {
 protected:
  std::set<std::string> Names() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.insert(e.path().filename().string());
    return names;
  }
  // The one file whose name starts with prefix, or "".
  std::string OnlyFileStartingWith(const std::string& prefix) const {
    std::string found;
    int count = 0;
    for (const std::string& n : Names())
      if (n.rfind(prefix, 0) == 0) found = n, ++count;
    return count == 1 ? Path(found) : std::string();
  }
  void SetAge(const std::string& name, std::time_t mtime) {
    timespec times[2] = {{mtime, 0}, {mtime, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, Path(name).c_str(), times, AT_SYMLINK_NOFOLLOW), 0) << name;
  }
};

TEST_F(JsonFileFaultTest, ReadTellsMissingFromUnreadableFromInvalid) {
  WriteText(Path("ok.Json"), "{\"a\": 1}");
  WriteText(Path("array.Json"), "[1]");
  WriteText(Path("empty.Json"), "");
  WriteText(Path("cut.Json"), "{\"a\": ");
  WriteText(Path("zeros.Json"), std::string(16, '\0'));
  fs::create_directory(Path("dir.Json"));
  test::MakeSocketFile(Path("sock.Json"));
  test::MakeIoErrorFile(Path("eio.Json"));
  struct Case {
    const char* name;
    Status status;
    int error;
  };
  const Case cases[] = {
      {"ok.Json", Status::kOk, 0},          {"array.Json", Status::kOk, 0},
      {"missing.Json", Status::kMissing, 0}, {"no-folder/x.Json", Status::kMissing, 0},
      {"empty.Json", Status::kMissing, 0},   {"cut.Json", Status::kInvalid, 0},
      {"zeros.Json", Status::kInvalid, 0},   {"dir.Json", Status::kUnreadable, EISDIR},
      {"sock.Json", Status::kUnreadable, ENXIO}, {"eio.Json", Status::kUnreadable, EIO},
  };
  CJsonFile file;
  for (const Case& c : cases) {
    CJsonFile::ReadResult r = file.Read(Path(c.name));
    EXPECT_EQ(r.status, c.status) << c.name;
    EXPECT_EQ(r.error, c.error) << c.name;
    EXPECT_EQ(r.document.isNull(), c.status != Status::kOk) << c.name;
  }
  EXPECT_EQ(file.Read(Path("ok.Json")).document["a"].asInt(), 1);
}

TEST_F(JsonFileFaultTest, RewriteKeepsUnreadableFilesAndMovesInvalidOnesAside) {
  test::NoticeCatcher notices;
  CJsonFile file;
  Json::Value doc(5);

  test::MakeIoErrorFile(Path("eio.Json"));
  EXPECT_FALSE(file.ReadForRewrite(Path("eio.Json"), doc));
  EXPECT_FALSE(file.ReadForRewrite(Path("eio.Json"), doc));
  EXPECT_TRUE(doc.isNull());
  EXPECT_EQ(test::LinkTarget(Path("eio.Json")), "/proc/self/mem");
  ASSERT_EQ(notices.texts.size(), 1u) << "told once per file";
  EXPECT_EQ(notices.texts[0], "cannot read '" + Path("eio.Json") +
                                  "' (Input/output error); it is left as it is and its settings are not used");

  // Not JSON: moved aside byte for byte, the caller starts from nothing.
  WriteText(Path("bad.Json"), "{\"profilename\": \"Mine\", ");
  EXPECT_TRUE(file.ReadForRewrite(Path("bad.Json"), doc));
  EXPECT_TRUE(doc.isNull());
  EXPECT_FALSE(Exists(Path("bad.Json")));
  const std::string aside = OnlyFileStartingWith("bad.Json.invalid-");
  ASSERT_FALSE(aside.empty());
  EXPECT_EQ(ReadText(aside), "{\"profilename\": \"Mine\", ");
  ASSERT_EQ(notices.texts.size(), 2u);
  EXPECT_EQ(notices.texts[1], "'" + Path("bad.Json") + "' held no valid settings; it was kept as '" + aside +
                                  "' and new settings take its place");

  // JSON whose root is no object is no document either; the earlier moved-aside file stays.
  WriteText(Path("bad.Json"), "[1, 2]");
  EXPECT_TRUE(file.ReadForRewrite(Path("bad.Json"), doc));
  EXPECT_EQ(ReadText(aside), "{\"profilename\": \"Mine\", ");
  EXPECT_EQ(Names().size(), 3u);
  EXPECT_EQ(notices.texts.size(), 3u);

  // Missing: nothing to keep and nothing to tell. A document comes back as it is.
  EXPECT_TRUE(file.ReadForRewrite(Path("bad.Json"), doc));
  EXPECT_TRUE(doc.isNull());
  WriteText(Path("good.Json"), "{\"a\": [1]}");
  EXPECT_TRUE(file.ReadForRewrite(Path("good.Json"), doc));
  EXPECT_EQ(doc["a"][0].asInt(), 1);
  EXPECT_EQ(notices.texts.size(), 3u);
}

TEST_F(JsonFileFaultTest, MoveAsideNamesTheTimeAndNeverReplacesAnEarlierFile) {
  const char* oldTz = std::getenv("TZ");
  const std::string savedTz = oldTz ? oldTz : "";
  setenv("TZ", "UTC", 1);
  tzset();
  // 2024-03-05 14:07:09.042 UTC
  const auto when = std::chrono::system_clock::from_time_t(1709647629) + std::chrono::milliseconds(42);
  const std::string p = Path("p.Json");
  std::vector<std::string> moved;
  for (const char* text : {"one", "two", "three"}) {
    WriteText(p, text);
    moved.push_back(CJsonFile::MoveAside(p, when));
  }
  EXPECT_EQ(CJsonFile::MoveAside(p, when), "");  // nothing left to move
  if (oldTz) setenv("TZ", savedTz.c_str(), 1); else unsetenv("TZ");
  tzset();

  EXPECT_EQ(moved, (std::vector<std::string>{p + ".invalid-2024_03_05_14_07_09_042",
                                              p + ".invalid-2024_03_05_14_07_09_042-2",
                                              p + ".invalid-2024_03_05_14_07_09_042-3"}));
  EXPECT_EQ(ReadText(moved[0]), "one");
  EXPECT_EQ(ReadText(moved[1]), "two");
  EXPECT_EQ(ReadText(moved[2]), "three");
}

TEST_F(JsonFileFaultTest, WriteUsesATemporaryOfItsOwnAndKeepsThePermissions) {
  // Temporaries of other writers, by the older fixed name and by the current form, survive.
  WriteText(Path("p.Json.tmp"), "theirs");
  WriteText(Path("p.Json.tmp-1-0"), "theirs too");
  Json::Value doc;
  doc["a"] = 1;
  CJsonFile file;
  ASSERT_EQ(file.WriteDocument(Path("p.Json"), doc), 0);
  EXPECT_EQ(Names(), (std::set<std::string>{"p.Json", "p.Json.tmp", "p.Json.tmp-1-0"}));
  EXPECT_EQ(ReadText(Path("p.Json.tmp")), "theirs");
  EXPECT_EQ(ReadText(Path("p.Json.tmp-1-0")), "theirs too");

  ASSERT_EQ(::chmod(Path("p.Json").c_str(), 0600), 0);
  doc["a"] = 2;
  ASSERT_EQ(file.WriteDocument(Path("p.Json"), doc), 0);
  struct stat st {};
  ASSERT_EQ(::stat(Path("p.Json").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 07777, 0600u);
  EXPECT_EQ(file.ReadDocument(Path("p.Json"))["a"].asInt(), 2);
}

TEST_F(JsonFileFaultTest, WriteNeverReplacesWhatIsNoRegularFile) {
  Json::Value doc;
  doc["a"] = 1;
  CJsonFile file;
  fs::create_directory(Path("dir.Json"));
  test::MakeSocketFile(Path("sock.Json"));
  EXPECT_EQ(file.WriteDocument(Path("dir.Json"), doc), -1);
  EXPECT_EQ(file.WriteDocument(Path("sock.Json"), doc), -1);
  EXPECT_TRUE(fs::is_directory(Path("dir.Json")));
  EXPECT_TRUE(fs::is_socket(Path("sock.Json")));
  EXPECT_EQ(Names(), (std::set<std::string>{"dir.Json", "sock.Json"}));
}

TEST_F(JsonFileFaultTest, WriteNeverReplacesAFileThatMayNotBeWritten) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write any file; this case needs another user";
  Json::Value doc;
  doc["a"] = 1;
  CJsonFile file;
  WriteText(Path("ro.Json"), "read-only");
  ASSERT_EQ(::chmod(Path("ro.Json").c_str(), 0444), 0);
  EXPECT_EQ(file.WriteDocument(Path("ro.Json"), doc), -1);
  EXPECT_EQ(ReadText(Path("ro.Json")), "read-only");
}

TEST_F(JsonFileFaultTest, StaleTemporariesGoAfterTenMinutes) {
  const std::time_t now = 2000000000;
  for (const char* name : {"a.Json.tmp-123-4", "ProfileList.ini.tmp", "b.Json.tmp-5-6", "a.Json", "notes.tmpx",
                           "c.Json.tmp-x-1", "d.Json.tmp-12", ".tmp"}) {
    WriteText(Path(name), "x");
    SetAge(name, now - 3600);
  }
  SetAge("b.Json.tmp-5-6", now - 540);  // nine minutes: a save may still be under way
  EXPECT_EQ(CJsonFile::RemoveStaleTemporaries(dir_.string(), std::chrono::system_clock::from_time_t(now)), 2);
  EXPECT_EQ(Names(), (std::set<std::string>{"b.Json.tmp-5-6", "a.Json", "notes.tmpx", "c.Json.tmp-x-1",
                                            "d.Json.tmp-12", ".tmp"}));
}

}  // namespace
}  // namespace orlo
