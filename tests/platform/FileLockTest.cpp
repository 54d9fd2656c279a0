// The document lock: what it leaves in the folder, what it refuses, and that a second process
// cannot take it while it is held.
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <memory>
#include <string>

#include "platform/FileLock.h"

namespace orlo {
namespace {

namespace fs = std::filesystem;

// Ends a child that a failed assertion left behind.
struct Reaper {
  pid_t pid;
  ~Reaper() {
    if (pid <= 0) return;
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
};

class FileLockTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = "/tmp/orlo-lock-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    dir_ = pattern + "/";
  }
  void TearDown() override { fs::remove_all(dir_); }
  // True when another open of path can take the lock at once (and gives it back).
  static bool Free(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return true;
    bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
  }
  // True when the kernel lists a process waiting for a flock on the file with inode ino.
  static bool SomeoneWaitsOn(ino_t ino) {
    std::ifstream locks("/proc/locks");
    std::string line;
    const std::string tail = ":" + std::to_string(ino) + " ";
    while (std::getline(locks, line))
      if (line.find("-> FLOCK") != std::string::npos && line.find(tail) != std::string::npos) return true;
    return false;
  }
  static ino_t InodeOf(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
  }
  static bool Readable(int fd) {
    pollfd p{fd, POLLIN, 0};
    return ::poll(&p, 1, 0) == 1;
  }
  std::string dir_;
};

TEST_F(FileLockTest, AMissingFileCarriesTheLockAndGoesAgainUnlessReplaced) {
  const std::string path = dir_ + "p.Json";
  {
    CFileLock lock(path);
    ASSERT_TRUE(lock.Held());
    EXPECT_TRUE(fs::exists(path));
    EXPECT_EQ(fs::file_size(path), 0u);
    EXPECT_FALSE(Free(path));
  }
  EXPECT_FALSE(fs::exists(path));

  // Replaced under the lock, as a write does: the new file stays.
  {
    CFileLock lock(path);
    ASSERT_TRUE(lock.Held());
    std::ofstream(dir_ + "new") << "{}";
    ASSERT_EQ(::rename((dir_ + "new").c_str(), path.c_str()), 0);
  }
  ASSERT_TRUE(fs::exists(path));
  EXPECT_EQ(fs::file_size(path), 2u);

  // A file that was there before stays, empty or not.
  std::ofstream(dir_ + "empty");
  { CFileLock lock(dir_ + "empty"); }
  EXPECT_TRUE(fs::exists(dir_ + "empty"));
  EXPECT_TRUE(Free(path));
}

TEST_F(FileLockTest, NotHeldWhenTheFileCannotBeOpenedOrMade) {
  CFileLock noFolder(dir_ + "missing/p.Json");
  EXPECT_FALSE(noFolder.Held());
  EXPECT_EQ(noFolder.Error(), ENOENT);
  EXPECT_FALSE(fs::exists(dir_ + "missing"));
}

TEST_F(FileLockTest, AWaiterWhoseFileWasReplacedLocksTheNewOne) {
  const std::string path = dir_ + "p.Json";
  std::ofstream(path) << "old";
  const ino_t oldInode = InodeOf(path);

  // The child is made before any lock is taken here (a child shares the locks of the open
  // files it inherits) and starts on a handshake.
  int start[2], got[2], release[2];
  ASSERT_EQ(::pipe(start), 0);
  ASSERT_EQ(::pipe(got), 0);
  ASSERT_EQ(::pipe(release), 0);
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    char c;
    if (::read(start[0], &c, 1) != 1) ::_exit(2);
    {
      CFileLock mine(path);
      c = mine.Held() ? 1 : 0;
      if (::write(got[1], &c, 1) != 1) ::_exit(2);
      (void)!::read(release[0], &c, 1);
    }
    ::_exit(0);
  }
  Reaper reaper{child};
  auto lock = std::make_unique<CFileLock>(path);
  ASSERT_TRUE(lock->Held());
  char c = 1;
  ASSERT_EQ(::write(start[1], &c, 1), 1);

  // The child waits on the old file. It is replaced, as a write does, and the new file locked
  // by a third party; then the old lock goes. The child must now wait on the new file, not
  // take the lock of the file nobody reads any more.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!SomeoneWaitsOn(oldInode)) ASSERT_LT(std::chrono::steady_clock::now(), deadline);
  std::ofstream(dir_ + "new") << "new";
  ASSERT_EQ(::rename((dir_ + "new").c_str(), path.c_str()), 0);
  const ino_t newInode = InodeOf(path);
  int third = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(third, LOCK_EX | LOCK_NB), 0);
  lock.reset();
  for (;;) {
    ASSERT_FALSE(Readable(got[0])) << "the child took the lock of the replaced file";
    if (SomeoneWaitsOn(newInode)) break;
    ASSERT_LT(std::chrono::steady_clock::now(), deadline);
  }
  ::close(third);
  ASSERT_EQ(::read(got[0], &c, 1), 1);
  EXPECT_EQ(c, 1);
  ASSERT_EQ(::write(release[1], &c, 1), 1);
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  reaper.pid = -1;
  EXPECT_EQ(WEXITSTATUS(status), 0);
  for (int fd : {start[0], start[1], got[0], got[1], release[0], release[1]}) ::close(fd);
}

}  // namespace
}  // namespace orlo
