#include "profile/JsonFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <exception>
#include <filesystem>

#include "platform/DebugLog.h"
#include "platform/FileLock.h"
#include "platform/UserNotice.h"

namespace orlo {
namespace {

constexpr int kStaleTemporarySeconds = 600;

// Reads the whole file into text: 0, or the errno of the failure (text is then empty).
int ReadBytes(const std::string& path, std::string& text) {
  text.clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  const int openError = fd < 0 ? errno : 0;
  DebugPrintf("readjsonFile 错误吗：：%d\n", openError);
  if (fd < 0) return openError;
  char chunk[65536];
  for (;;) {
    ssize_t n = ::read(fd, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int e = errno;
      ::close(fd);
      text.clear();
      return e;
    }
    if (n == 0) break;
    text.append(chunk, static_cast<size_t>(n));
  }
  ::close(fd);
  return 0;
}

// The text ends at the first 0 byte, as a C string would.
void CutAtZero(std::string& text) {
  if (auto zero = text.find('\0'); zero != std::string::npos) text.resize(zero);
}

bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    ssize_t w = ::write(fd, text.data() + done, text.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) return false;
    done += static_cast<size_t>(w);
  }
  return true;
}

// Makes a rename in the folder of path durable.
void SyncFolder(const std::string& path) {
  std::string folder = std::filesystem::path(path).parent_path().string();
  int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0 || ::fsync(fd) != 0) DebugPrintf("cannot sync the folder of %s (errno %d)", path.c_str(), errno);
  if (fd >= 0) ::close(fd);
}

// Renames from to to unless to exists. False with errno set otherwise.
bool RenameNoReplace(const std::string& from, const std::string& to) {
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system that cannot refuse to replace in a rename: a hard link can, then unlink.
  if (::link(from.c_str(), to.c_str()) == 0) {
    ::unlink(from.c_str());
    return true;
  }
  if (errno == EEXIST) return false;
  // Nor link (FAT and the like): look first. The callers hold the document's lock, so no other
  // writer of ours can take the name in between.
  struct stat st {};
  if (::lstat(to.c_str(), &st) == 0) {
    errno = EEXIST;
    return false;
  }
  return ::rename(from.c_str(), to.c_str()) == 0;
}

// A name WriteDocument leaves when it is killed: "<file>.tmp-<pid>-<n>", or "<file>.tmp".
bool IsTemporaryName(const std::string& name) {
  const size_t at = name.rfind(".tmp");
  if (at == std::string::npos || at == 0) return false;
  const std::string rest = name.substr(at + 4);
  if (rest.empty()) return true;
  size_t dash = rest.find('-', 1);
  auto digits = [](const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
  };
  return rest[0] == '-' && dash != std::string::npos && digits(rest.substr(1, dash - 1)) &&
         digits(rest.substr(dash + 1));
}

}  // namespace

std::string CJsonFile::readjsonFile(const std::string& path) const {
  std::string text;
  ReadBytes(path, text);
  CutAtZero(text);
  return text;
}

Json::Value CJsonFile::ReadDocument(const std::string& path) const { return Read(path).document; }

CJsonFile::ReadResult CJsonFile::Read(const std::string& path) const {
  ReadResult result;
  std::string text;
  const int error = ReadBytes(path, text);
  if (error == ENOENT || error == ENOTDIR) return result;  // missing
  if (error != 0) {
    result.status = ReadStatus::kUnreadable;
    result.error = error;
    return result;
  }
  const bool hadBytes = !text.empty();
  CutAtZero(text);
  if (text.empty()) DebugLine(path);
  if (!hadBytes) return result;  // a file of no bytes holds nothing to keep
  if (!ParseDocument(text, result.document)) {
    DebugPrintf("ReadDocument: %s is not valid JSON", path.c_str());
    result.status = ReadStatus::kInvalid;
    return result;
  }
  result.status = ReadStatus::kOk;
  return result;
}

bool CJsonFile::ReadForRewrite(const std::string& path, Json::Value& doc) const {
  doc = Json::Value();
  ReadResult r = Read(path);
  switch (r.status) {
    case ReadStatus::kMissing:
      return true;
    case ReadStatus::kUnreadable:
      TellUnreadable(path, r.error);
      return false;
    case ReadStatus::kOk:
      if (r.document.isObject()) {
        doc = std::move(r.document);
        return true;
      }
      break;
    case ReadStatus::kInvalid:
      break;
  }
  const std::string aside = MoveAside(path);
  if (aside.empty()) {
    NotifyUserOnce("unmovable\n" + path, "'" + path + "' holds no valid settings and could not be moved aside (" +
                                             std::strerror(errno) + "); it is left as it is");
    return false;
  }
  NotifyUserOnce("moved\n" + aside, "'" + path + "' held no valid settings; it was kept as '" + aside +
                                        "' and new settings take its place");
  return true;
}

void CJsonFile::TellUnreadable(const std::string& path, int error) {
  NotifyUserOnce("unreadable\n" + path, "cannot read '" + path + "' (" + std::strerror(error) +
                                            "); it is left as it is and its settings are not used");
}

bool CJsonFile::Locked(const CFileLock& lock, const std::string& path) {
  if (lock.Held()) return true;
  if (::access(path.c_str(), F_OK) == 0) {
    TellUnreadable(path, lock.Error());
  } else {
    DebugPrintf("cannot lock %s (errno %d)", path.c_str(), lock.Error());
  }
  return false;
}

int CJsonFile::UpdateDocument(const std::string& path, const std::function<bool(Json::Value&)>& change) const {
  CFileLock lock(path);
  if (!Locked(lock, path)) return -1;
  Json::Value doc;
  if (!ReadForRewrite(path, doc) || !change(doc)) return -1;
  return WriteDocument(path, doc);
}

bool CJsonFile::ParseDocument(std::string_view text, Json::Value& document) {
  document = Json::Value();
  Json::Reader reader;
  // The reader throws on text nested deeper than its stack limit; such a text is as unusable
  // as any other malformed one.
  try {
    if (reader.parse(text.data(), text.data() + text.size(), document, true)) return true;
  } catch (const std::exception&) {
    DebugLine("ParseDocument: the text is nested too deeply");
  }
  document = Json::Value();
  return false;
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
  struct stat target {};
  const bool exists = ::stat(path.c_str(), &target) == 0;
  if (exists && (!S_ISREG(target.st_mode) || ::faccessat(AT_FDCWD, path.c_str(), R_OK | W_OK, AT_EACCESS) != 0)) {
    DebugPrintf("WriteDocument: %s may not be replaced (errno %d)", path.c_str(), errno);
    return -1;
  }
  // A name of its own per write, so two programs saving one document never share a temporary.
  static std::atomic<unsigned> serial{0};
  std::string tmp;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    tmp = path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(serial++);
    fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) {
    DebugPrintf("WriteDocument: cannot create a temporary file beside %s (errno %d)", path.c_str(), errno);
    return -1;
  }
  // A file system without permission bits refuses this; the document is written all the same.
  if (exists && ::fchmod(fd, target.st_mode & 07777) != 0)
    DebugPrintf("WriteDocument: cannot keep the permissions of %s (errno %d)", path.c_str(), errno);
  bool ok = WriteAll(fd, text);
  ok = ok && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok && ::rename(tmp.c_str(), path.c_str()) == 0) {
    SyncFolder(path);
    return 0;
  }
  DebugPrintf("WriteDocument: cannot write %s (errno %d)", path.c_str(), errno);
  ::unlink(tmp.c_str());
  return -1;
}

std::string CJsonFile::MoveAside(const std::string& path) { return MoveAside(path, std::chrono::system_clock::now()); }

std::string CJsonFile::MoveAside(const std::string& path, std::chrono::system_clock::time_point when) {
  const std::string base = path + ".invalid-" + MakeTimeStamp(when);
  for (int n = 1; n <= 1000; ++n) {
    const std::string target = n == 1 ? base : base + "-" + std::to_string(n);
    if (RenameNoReplace(path, target)) {
      SyncFolder(path);
      return target;
    }
    if (errno != EEXIST) break;
  }
  const int error = errno;
  DebugPrintf("MoveAside: cannot move %s (errno %d)", path.c_str(), error);
  errno = error;  // for the caller's message
  return {};
}

int CJsonFile::RemoveStaleTemporaries(const std::string& folder, std::chrono::system_clock::time_point now) {
  DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return 0;
  const std::time_t limit = std::chrono::system_clock::to_time_t(now) - kStaleTemporarySeconds;
  const std::string prefix = folder.empty() || folder.back() == '/' ? folder : folder + "/";
  int removed = 0;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (!IsTemporaryName(name)) continue;
    const std::string path = prefix + name;
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_mtime > limit) continue;
    if (::unlink(path.c_str()) == 0) {
      ++removed;
      DebugPrintf("removed the stale temporary file %s", path.c_str());
    }
  }
  ::closedir(dir);
  return removed;
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
