#include "platform/bus/SingleInstance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/DebugLog.h"

namespace orlo::bus {

std::string SingleInstance::DefaultLockPath() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime && *runtime) return std::string(runtime) + "/Tavrin ORLO.lock";
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = (tmp && *tmp) ? tmp : "/tmp";
  return folder + "/Tavrin ORLO-" + std::to_string(getuid()) + ".lock";
}

SingleInstance::SingleInstance(const std::string& lockPath)
    : path_(lockPath.empty() ? DefaultLockPath() : lockPath) {
  fd_ = ::open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  if (fd_ < 0) {
    DebugPrintf("single-instance lock %s not made (errno %d)", path_.c_str(), errno);
    state_ = State::NoLock;
    return;
  }
  if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) {
    state_ = State::First;
    return;
  }
  state_ = errno == EWOULDBLOCK ? State::AlreadyRuns : State::NoLock;
  ::close(fd_);
  fd_ = -1;
}

SingleInstance::~SingleInstance() {
  if (fd_ >= 0) ::close(fd_);  // closing drops the lock
}

}  // namespace orlo::bus
