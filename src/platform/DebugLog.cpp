#include "platform/DebugLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

namespace orlo {
namespace {

// One output file that is opened lazily from an environment variable or set explicitly.
class Sink {
 public:
  explicit Sink(const char* envName) {
    if (const char* v = std::getenv(envName); v && *v) Open(v);
  }
  ~Sink() { CloseLocked(); }

  void Open(const std::string& target) {
    std::lock_guard lock(mutex_);
    CloseLocked();
    if (target.empty()) return;
    if (target == "stderr") {
      file_ = stderr;
      owned_ = false;
    } else {
      file_ = std::fopen(target.c_str(), "a");
      owned_ = file_ != nullptr;
    }
  }
  bool Enabled() {
    std::lock_guard lock(mutex_);
    return file_ != nullptr;
  }
  void Write(const std::string& text) {
    std::lock_guard lock(mutex_);
    if (!file_) return;
    std::fwrite(text.data(), 1, text.size(), file_);
    if (text.empty() || text.back() != '\n') std::fputc('\n', file_);
    std::fflush(file_);
  }

 private:
  void CloseLocked() {
    if (owned_ && file_) std::fclose(file_);
    file_ = nullptr;
    owned_ = false;
  }
  std::mutex mutex_;
  std::FILE* file_ = nullptr;
  bool owned_ = false;
};

Sink& DebugSink() {
  static Sink sink("ORLO_DEBUG_LOG");
  return sink;
}
Sink& TraceSink() {
  static Sink sink("ORLO_TRACE");
  return sink;
}

}  // namespace

void DebugLine(const std::string& text) { DebugSink().Write(text); }

void DebugPrintf(const char* format, ...) {
  if (!DebugSink().Enabled()) return;
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n >= 0) {
    std::vector<char> buffer(static_cast<size_t>(n) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    DebugSink().Write(std::string(buffer.data(), static_cast<size_t>(n)));
  }
  va_end(args);
}

bool TraceEnabled() { return TraceSink().Enabled(); }
void TraceLine(const std::string& text) { TraceSink().Write(text); }
void SetTracePath(const std::string& path) { TraceSink().Open(path); }
void SetDebugLogTarget(const std::string& target) { DebugSink().Open(target); }

}  // namespace orlo
