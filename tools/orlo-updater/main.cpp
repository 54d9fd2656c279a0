// orlo-updater: the companion updater. It downloads the packages of the rows the user chose into
// the user's cache folder, one after the other, and reports each row's progress as the update
// status message that the running window follows. It installs nothing: it prints where each
// package is, and the user installs it.
//
//   orlo-updater [--ca FILE] [--max-bytes N] NAME URL [NAME URL ...]
//
// NAME is the package name the update check returned and URL its https download location; the
// pairs come in the order of the rows in the update list. Exit code 0 when every package was
// downloaded, 1 when any failed, 2 for bad arguments.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "update/CurlHttpClient.h"
#include "update/PackageDownload.h"
#include "update/UpdateList.h"
#include "update/UpdateSettings.h"

#ifdef ORLO_HAVE_BUS
#include <QCoreApplication>

#include "platform/bus/DBusBus.h"
#include "platform/bus/RegisteredMessages.h"
#endif

namespace {

namespace up = orlo::update;

int Usage(const char* why) {
  std::fprintf(stderr, "orlo-updater: %s\nusage: orlo-updater [--ca FILE] [--max-bytes N] NAME URL [NAME URL ...]\n", why);
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string ca;
  uint64_t cap = up::kDefaultPackageCap;
  std::vector<std::string> pairs;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help" || a == "-h") {
      std::printf("usage: orlo-updater [--ca FILE] [--max-bytes N] NAME URL [NAME URL ...]\n"
                  "Downloads each package into %s and says where it is; installs nothing.\n",
                  up::DownloadFolder().c_str());
      return 0;
    }
    if ((a == "--ca" || a == "--max-bytes") && pairs.empty()) {
      if (i + 1 >= argc) return Usage((a + " needs a value").c_str());
      const std::string v = argv[++i];
      if (a == "--ca") {
        ca = v;
      } else {
        char* end = nullptr;
        errno = 0;
        cap = std::strtoull(v.c_str(), &end, 10);
        if (v.empty() || v[0] == '-' || errno != 0 || *end != '\0' || cap == 0) return Usage("bad --max-bytes");
      }
      continue;
    }
    pairs.push_back(a);
  }
  if (pairs.empty() || pairs.size() % 2 != 0) return Usage("give NAME URL pairs");

#ifdef ORLO_HAVE_BUS
  int qtArgc = 1;
  char qtName[] = "orlo-updater";
  char* qtArgv[] = {qtName, nullptr};
  QCoreApplication app(qtArgc, qtArgv);
  orlo::bus::DBusBus bus;
  const uint32_t statusId = orlo::bus::RegisterWindowMessage(orlo::bus::kUpdateStatusName);
  auto send = [&](int64_t first, int64_t second) {
    if (!bus.Connected()) return;
    bus.Broadcast(statusId, first, second);
    bus.Flush();
  };
#else
  auto send = [](int64_t, int64_t) {};
#endif

  up::CurlClientOptions options;
  options.caFile = up::CaFile(ca);
  options.userAgent = up::UserAgent();
  options.timeouts.totalMs = 0;  // packages may be large; the idle time-out still applies
  up::CCurlHttpClient client(options);
  const up::CPackageDownload download(client, up::DownloadFolder(), cap);

  int failed = 0;
  for (size_t i = 0; i < pairs.size(); i += 2) {
    const std::string& name = pairs[i];
    const std::string& url = pairs[i + 1];
    const up::DownloadOutcome out = download.Download(name, url, [&](int64_t first, int64_t second) {
      if (first == up::kUpdaterProgress) std::printf("%s: %lld%%\n", name.c_str(), static_cast<long long>(second));
      std::fflush(stdout);
      send(first, second);
    });
    if (out.ok) {
      std::printf("%s: downloaded to %s (not installed)\n", name.c_str(), out.file.c_str());
    } else {
      std::fprintf(stderr, "orlo-updater: %s: %s\n", name.c_str(), out.failure.c_str());
      ++failed;
    }
  }
  return failed == 0 ? 0 : 1;
}
