#include "platform/FileLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace orlo {
namespace {

bool SameFile(const struct stat& a, const struct stat& b) { return a.st_dev == b.st_dev && a.st_ino == b.st_ino; }

// True when path names the file open on fd.
bool PathNames(const std::string& path, int fd) {
  struct stat open {}, named {};
  return ::fstat(fd, &open) == 0 && ::stat(path.c_str(), &named) == 0 && SameFile(open, named);
}

}  // namespace

CFileLock::CFileLock(const std::string& path) : path_(path) {
  for (;;) {
    bool created = false;
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 && errno == ENOENT) {
      fd = ::open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
      created = fd >= 0;
      if (fd < 0 && errno == EEXIST) continue;  // another locker made it first
    }
    if (fd < 0) {
      error_ = errno;
      return;
    }
    int r;
    while ((r = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (r != 0) {
      error_ = errno;
      ::close(fd);
      return;
    }
    if (PathNames(path, fd)) {
      fd_ = fd;
      created_ = created;
      return;
    }
    // Replaced or removed while we waited: the lock belongs to a file nobody reads any more.
    ::close(fd);
  }
}

CFileLock::~CFileLock() {
  if (fd_ < 0) return;
  // The empty file made to carry the lock goes again unless a write has replaced it; removing
  // it under the lock is safe because every waiter checks the path again.
  struct stat st {};
  if (created_ && PathNames(path_, fd_) && ::fstat(fd_, &st) == 0 && st.st_size == 0) ::unlink(path_.c_str());
  ::close(fd_);
}

}  // namespace orlo
