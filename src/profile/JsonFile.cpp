#include "profile/JsonFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <exception>
#include <filesystem>

#include "platform/DebugLog.h"

namespace orlo {

std::string CJsonFile::readjsonFile(const std::string& path) const {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  DebugPrintf("readjsonFile 错误吗：：%d\n", f ? 0 : errno);
  if (!f) return {};
  std::string text;
  char chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) text.append(chunk, n);
  bool failed = std::ferror(f) != 0;
  std::fclose(f);
  if (failed) return {};
  // The text ends at the first 0 byte, as a C string would.
  if (auto zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
  return text;
}

Json::Value CJsonFile::ReadDocument(const std::string& path) const {
  std::string text = readjsonFile(path);
  if (text.empty()) {
    DebugLine(path);
    return Json::Value();
  }
  Json::Reader reader;
  Json::Value root;
  // The reader throws on text nested deeper than its stack limit; such a file is as unreadable
  // as any other malformed one.
  try {
    if (!reader.parse(text, root, true)) return Json::Value();
  } catch (const std::exception&) {
    DebugPrintf("ReadDocument: %s is nested too deeply", path.c_str());
    return Json::Value();
  }
  return root;
}

std::string CJsonFile::DocumentText(const Json::Value& document) {
  Json::StyledWriter writer;
  std::string styled = writer.write(document) + "\n";
  std::string out;
  out.reserve(styled.size() + styled.size() / 16);
  for (char c : styled) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

int CJsonFile::WriteDocument(const std::string& path, const Json::Value& document) const {
  const std::string text = DocumentText(document);
  // One fixed temporary name per document: a save killed half-way leaves at most one stale
  // temporary beside it, which the next save of that document overwrites.
  const std::string tmp = path + ".tmp";
  int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    DebugPrintf("WriteDocument: cannot create a temporary file beside %s (errno %d)", path.c_str(), errno);
    return -1;
  }
  bool ok = true;
  size_t done = 0;
  while (ok && done < text.size()) {
    ssize_t w = ::write(fd, text.data() + done, text.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) ok = false; else done += static_cast<size_t>(w);
  }
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok && std::rename(tmp.c_str(), path.c_str()) == 0) return 0;
  DebugPrintf("WriteDocument: cannot write %s (errno %d)", path.c_str(), errno);
  ::unlink(tmp.c_str());
  return -1;
}

std::string CJsonFile::MakeTimeStamp() { return MakeTimeStamp(std::chrono::system_clock::now()); }

std::string CJsonFile::MakeTimeStamp(std::chrono::system_clock::time_point when) {
  using namespace std::chrono;
  auto sinceEpoch = duration_cast<milliseconds>(when.time_since_epoch()).count();
  auto ms = static_cast<int>(((sinceEpoch % 1000) + 1000) % 1000);
  std::time_t t = system_clock::to_time_t(time_point_cast<seconds>(when - milliseconds(ms)));
  std::tm local{};
  localtime_r(&t, &local);
  char buffer[200];
  std::snprintf(buffer, sizeof buffer, "%d_%02d_%02d_%02d_%02d_%02d_%03d", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, ms);
  return buffer;
}

std::string CJsonFile::MakeUniqueTimeStamp(const std::function<bool(const std::string&)>& isTaken) {
  auto when = std::chrono::time_point_cast<std::chrono::milliseconds>(std::chrono::system_clock::now());
  std::string stamp = MakeTimeStamp(when);
  // Bounded so a predicate that never frees an id cannot hang the caller.
  for (int step = 0; isTaken && isTaken(stamp) && step < 100000; ++step) {
    when += std::chrono::milliseconds(1);
    stamp = MakeTimeStamp(when);
  }
  return stamp;
}

std::string CJsonFile::GetFileTitle(const std::string& path) {
  return std::filesystem::path(path).stem().string();
}

}  // namespace orlo
