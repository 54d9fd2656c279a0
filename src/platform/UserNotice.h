#pragma once
// Messages for the user about their own files (a profile that cannot be read, one that was moved
// aside), raised by the core, which has no window of its own. One process-wide sink shows them:
// by default one line on stderr ("<program>: <text>"), which is what the command-line front end
// wants; the window installs a sink that shows its message box.
#include <functional>
#include <string>

namespace orlo {

using UserNoticeSink = std::function<void(const std::string& text)>;

// Installs sink for every later notice; an empty function restores the stderr line. Returns the
// sink that was installed before (empty for the default).
UserNoticeSink SetUserNoticeSink(UserNoticeSink sink);

// Hands text to the sink unless a notice with the same key was given before in this process, so
// that a file read again and again is reported once. The sink runs on the caller's thread,
// outside any lock of this module. True when the text was handed on. Thread-safe.
bool NotifyUserOnce(const std::string& key, const std::string& text);

// Forgets the keys given so far (for tests).
void ForgetUserNotices();

}  // namespace orlo
