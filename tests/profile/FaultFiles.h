#pragma once
// Files that exist but cannot be read, made so that they fail for root as well, and a catcher
// for the notices the core gives the user.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/UserNotice.h"

namespace orlo::test {

// A Unix socket at path: it exists, yet opening it fails (ENXIO). Bound under a short name (a
// socket address is short) and then moved into place.
inline void MakeSocketFile(const std::string& path) {
  const std::string shortName = "/tmp/orlo-sock-" + std::to_string(::getpid());
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::memcpy(addr.sun_path, shortName.c_str(), shortName.size() + 1);
  ::unlink(shortName.c_str());
  int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0) << shortName;
  ::close(fd);
  ASSERT_EQ(::rename(shortName.c_str(), path.c_str()), 0) << path;
}

// A link to the reading process's own memory at address 0: it opens, and every read fails with
// an I/O error (EIO).
inline void MakeIoErrorFile(const std::string& path) { ASSERT_EQ(::symlink("/proc/self/mem", path.c_str()), 0); }

inline std::string LinkTarget(const std::string& path) {
  char buffer[256] = {};
  ssize_t n = ::readlink(path.c_str(), buffer, sizeof buffer - 1);
  return n > 0 ? std::string(buffer, static_cast<size_t>(n)) : std::string();
}

// Collects the notices given while it lives, starting with no key given yet.
class NoticeCatcher {
 public:
  NoticeCatcher() {
    ForgetUserNotices();
    previous_ = SetUserNoticeSink([this](const std::string& text) { texts.push_back(text); });
  }
  ~NoticeCatcher() {
    SetUserNoticeSink(previous_);
    ForgetUserNotices();
  }
  std::vector<std::string> texts;

 private:
  UserNoticeSink previous_;
};

}  // namespace orlo::test
