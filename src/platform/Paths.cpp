#include "platform/Paths.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "base/DeviceKinds.h"

namespace fs = std::filesystem;

namespace orlo::paths {
namespace {

std::string WithSlash(std::string p) {
  if (p.empty() || p.back() != '/') p += '/';
  return p;
}

std::string Home() {
  const char* h = std::getenv("HOME");
  return h && *h ? h : "/tmp";
}

std::string XdgFolder(const char* var, const char* fallbackBelowHome) {
  const char* v = std::getenv(var);
  std::string base = (v && *v && v[0] == '/') ? std::string(v) : Home() + "/" + fallbackBelowHome;
  return WithSlash(WithSlash(base) + "Tavrin ORLO");
}

}  // namespace

std::string AppDataFolder() { return XdgFolder("XDG_DATA_HOME", ".local/share"); }
std::string ConfigFolder() { return XdgFolder("XDG_CONFIG_HOME", ".config"); }
std::string StateFolder() { return XdgFolder("XDG_STATE_HOME", ".local/state"); }
std::string CacheFolder() { return XdgFolder("XDG_CACHE_HOME", ".cache"); }

std::string ProgramFolder() {
  if (const char* v = std::getenv("ORLO_PROGRAM_DIR"); v && *v) return WithSlash(v);
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  if (!ec && fs::exists(exe.parent_path() / "DefaultData", ec)) return WithSlash(exe.parent_path().string());
#ifdef ORLO_INSTALL_DATA_DIR
  if (fs::exists(fs::path(ORLO_INSTALL_DATA_DIR) / "DefaultData", ec)) return WithSlash(ORLO_INSTALL_DATA_DIR);
#endif
#ifdef ORLO_SOURCE_DIR
  return WithSlash(ORLO_SOURCE_DIR);
#else
  return "./";
#endif
}

bool EnsureFolder(const std::string& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  return fs::is_directory(folder, ec);
}

std::string DeviceFolder(uint16_t kind) { return AppDataFolder() + DeviceFolderName(kind) + "/"; }

std::string DefaultDocumentPath(uint16_t kind) {
  return ProgramFolder() + "DefaultData/" + DeviceFolderName(kind) + ".Json";
}

}  // namespace orlo::paths
