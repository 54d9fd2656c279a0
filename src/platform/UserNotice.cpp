#include "platform/UserNotice.h"

#include <errno.h>

#include <cstdio>
#include <mutex>
#include <set>

namespace orlo {
namespace {

struct NoticeState {
  std::mutex mutex;
  UserNoticeSink sink;
  std::set<std::string> given;
};

NoticeState& State() {
  static NoticeState state;
  return state;
}

void WriteToStderr(const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", program_invocation_short_name, text.c_str());
}

}  // namespace

UserNoticeSink SetUserNoticeSink(UserNoticeSink sink) {
  std::lock_guard lock(State().mutex);
  UserNoticeSink previous = std::move(State().sink);
  State().sink = std::move(sink);
  return previous;
}

bool NotifyUserOnce(const std::string& key, const std::string& text) {
  UserNoticeSink sink;
  {
    std::lock_guard lock(State().mutex);
    if (!State().given.insert(key).second) return false;
    sink = State().sink;
  }
  if (sink) {
    sink(text);
  } else {
    WriteToStderr(text);
  }
  return true;
}

void ForgetUserNotices() {
  std::lock_guard lock(State().mutex);
  State().given.clear();
}

}  // namespace orlo
