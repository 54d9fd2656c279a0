#include "update/UpdateSettings.h"

#include <cstdlib>

#include "platform/Paths.h"

#ifndef ORLO_VERSION
#define ORLO_VERSION "0.0.0"
#endif
#ifndef ORLO_UPDATE_URL_DEFAULT
#define ORLO_UPDATE_URL_DEFAULT ""
#endif
#ifndef ORLO_UPDATE_CHECK_BUILT
#define ORLO_UPDATE_CHECK_BUILT 1
#endif

namespace orlo::update {
namespace {

std::string FirstSet(const std::string& override, const char* variable, const char* fallback) {
  if (!override.empty()) return override;
  if (const char* v = std::getenv(variable); v && *v) return v;
  return fallback;
}

}  // namespace

bool UpdateCheckBuilt() { return ORLO_UPDATE_CHECK_BUILT != 0; }

std::string ServerBase(const std::string& override) {
  return FirstSet(override, "ORLO_UPDATE_URL", ORLO_UPDATE_URL_DEFAULT);
}

std::string CaFile(const std::string& override) { return FirstSet(override, "ORLO_UPDATE_CA", ""); }

int32_t VersionNumber(std::string_view dotted) {
  int64_t value = 0;
  for (char c : dotted) {
    if (c == '.') continue;
    if (c < '0' || c > '9') break;
    value = value * 10 + (c - '0');
    if (value > INT32_MAX) return 0;
  }
  return static_cast<int32_t>(value);
}

std::string ApplicationVersionText() { return ORLO_VERSION; }
int32_t ApplicationVersion() { return VersionNumber(ORLO_VERSION); }
std::string UserAgent() { return std::string("Tavrin ORLO/") + ORLO_VERSION; }
std::string DownloadFolder() { return paths::CacheFolder() + "UpdateData/"; }

}  // namespace orlo::update
