#pragma once
// What the companion updater does for one chosen row: download the package over verified HTTPS
// into the download folder, never more than a size cap, and report as the update list expects
// (progress percentages, then "downloaded" or "failed"). It installs nothing: the package waits
// in its local file for the user.
//
// The file appears only when complete: the bytes go to a temporary file in the same folder that
// is renamed over the package's name at the end and removed on any failure.
#include <cstdint>
#include <functional>
#include <string>

#include "update/HttpClient.h"

namespace orlo::update {

// Packages larger than this are refused unless the caller sets another cap.
inline constexpr uint64_t kDefaultPackageCap = 512ull * 1024 * 1024;

struct DownloadOutcome {
  bool ok = false;
  std::string file;     // where the package is (or would have been)
  std::string failure;  // why not, in words
};

class CPackageDownload {
 public:
  // report(first, second): (kUpdaterProgress, percent), then (kUpdaterDownloaded, 0) or
  // (kUpdaterFailed, 0).
  using Reporter = std::function<void(int64_t first, int64_t second)>;

  CPackageDownload(HttpClient& client, std::string downloadFolder, uint64_t cap = kDefaultPackageCap);
  DownloadOutcome Download(const std::string& name, const std::string& url, const Reporter& report) const;

 private:
  HttpClient& client_;
  std::string folder_;
  uint64_t cap_;
};

}  // namespace orlo::update
