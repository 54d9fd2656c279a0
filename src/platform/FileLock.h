#pragma once
// An exclusive advisory lock (flock) on one file, held from construction to destruction, for a
// read-modify-write of that file by cooperating programs (the window and the command-line front
// end) and threads.
//
// Writers replace a file by renaming a new one over it, which leaves a waiting locker holding
// the old, unlinked file. So once the lock is granted it checks that the path still names the
// locked file, and starts again on the current one when it does not. A missing file is created
// empty to carry the lock and removed again by the destructor when nothing has replaced it by
// then (readers take a zero-length document for a missing one).
//
// A lock is not re-entrant: a second CFileLock on the same file in the same process waits for
// the first, also on the same thread.
#include <string>

namespace orlo {

class CFileLock {
 public:
  explicit CFileLock(const std::string& path);
  ~CFileLock();
  CFileLock(const CFileLock&) = delete;
  CFileLock& operator=(const CFileLock&) = delete;

  bool Held() const { return fd_ >= 0; }
  // The errno of the failure when the lock is not held (for instance EACCES when the file may
  // not be opened, ENOENT when its folder is missing).
  int Error() const { return error_; }

 private:
  std::string path_;
  int fd_ = -1;
  int error_ = 0;
  bool created_ = false;
};

}  // namespace orlo
