#pragma once
// The single-instance guard: an exclusive lock on a file in $XDG_RUNTIME_DIR (the temporary
// folder when that is unset). The kernel drops the lock when the process ends, however it ends,
// so a crashed instance never blocks the next start.
#include <string>

namespace orlo::bus {

class SingleInstance {
 public:
  enum class State {
    First,         // we hold the lock
    AlreadyRuns,   // another process holds it
    NoLock,        // the lock file could not be made; we run as the first instance
  };

  // lockPath empty: DefaultLockPath().
  explicit SingleInstance(const std::string& lockPath = {});
  ~SingleInstance();
  SingleInstance(const SingleInstance&) = delete;
  SingleInstance& operator=(const SingleInstance&) = delete;

  State state() const { return state_; }
  const std::string& path() const { return path_; }

  static std::string DefaultLockPath();

 private:
  std::string path_;
  int fd_ = -1;
  State state_ = State::NoLock;
};

}  // namespace orlo::bus
