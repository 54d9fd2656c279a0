#include "update/PackageDownload.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Paths.h"
#include "update/UpdateList.h"
#include "update/UpdateQuery.h"

namespace orlo::update {
namespace {

// The temporary file: created new, owner-only, closed and removed unless kept.
class PartFile {
 public:
  explicit PartFile(const std::string& target) : path_(target + ".XXXXXX") {
    fd_ = mkostemp(path_.data(), O_CLOEXEC);
  }
  ~PartFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!kept_) ::unlink(path_.c_str());
  }
  bool Open() const { return fd_ >= 0; }
  bool Write(const char* data, size_t length) {
    while (length > 0) {
      const ssize_t n = ::write(fd_, data, length);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      data += n;
      length -= static_cast<size_t>(n);
    }
    return true;
  }
  // Flushed, closed and renamed over target.
  bool Keep(const std::string& target) {
    if (::fsync(fd_) != 0 || ::close(fd_) != 0) {
      fd_ = -1;
      return false;
    }
    fd_ = -1;
    if (::rename(path_.c_str(), target.c_str()) != 0) return false;
    kept_ = true;
    return true;
  }

 private:
  std::string path_;
  int fd_ = -1;
  bool kept_ = false;
};

}  // namespace

CPackageDownload::CPackageDownload(HttpClient& client, std::string downloadFolder, uint64_t cap)
    : client_(client), folder_(std::move(downloadFolder)), cap_(cap) {}

DownloadOutcome CPackageDownload::Download(const std::string& name, const std::string& url,
                                           const Reporter& report) const {
  DownloadOutcome out;
  out.file = CUpdateQuery::LocalFile(folder_, name, url);
  auto fail = [&](const std::string& why) {
    out.failure = why;
    report(kUpdaterFailed, 0);
    return out;
  };
  if (!paths::EnsureFolder(folder_)) return fail("cannot create " + folder_);
  PartFile part(out.file);
  if (!part.Open()) return fail("cannot create a file in " + folder_ + ": " + std::strerror(errno));

  HttpRequest request;
  request.method = HttpMethod::Get;
  request.url = url;
  request.replyLimit = static_cast<size_t>(cap_);
  request.cutIsFailure = true;
  bool writeFailed = false;
  request.sink = [&](const char* data, size_t length) {
    if (part.Write(data, length)) return true;
    writeFailed = true;
    return false;
  };
  int lastPercent = -1;
  request.progress = [&](uint64_t received, uint64_t total) {
    if (total == 0) return;
    const int percent = static_cast<int>(received >= total ? 100 : received * 100 / total);
    if (percent == lastPercent) return;
    lastPercent = percent;
    report(kUpdaterProgress, percent);
  };
  report(kUpdaterProgress, 0);
  lastPercent = 0;
  const HttpReply reply = client_.Send(request);
  if (writeFailed) return fail("cannot write " + out.file);
  if (!reply.Ok()) return fail(std::string(HttpFailureText(reply.failure)) + (reply.detail.empty() ? "" : ": " + reply.detail));
  if (!part.Keep(out.file)) return fail("cannot store " + out.file);
  if (lastPercent != 100) report(kUpdaterProgress, 100);
  report(kUpdaterDownloaded, 0);
  out.ok = true;
  return out;
}

}  // namespace orlo::update
