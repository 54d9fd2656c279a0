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

std::string FindProgramFolder(const std::string& executable, const ProgramFolderHints& hints) {
  std::error_code ec;
  const fs::path bin = fs::path(executable).parent_path();
  auto holdsData = [&ec](const fs::path& folder) { return !folder.empty() && fs::is_directory(folder / "DefaultData", ec); };
  auto inside = [](const fs::path& file, const fs::path& folder) {
    const fs::path rel = file.lexically_normal().lexically_relative(folder.lexically_normal());
    return !folder.empty() && !rel.empty() && *rel.begin() != "..";
  };
  if (holdsData(bin)) return WithSlash(bin.string());
  if (!hints.dataFromBin.empty()) {
    const fs::path data = (bin / hints.dataFromBin).lexically_normal();
    if (holdsData(data)) return WithSlash(data.string());
  }
  if (inside(executable, hints.buildDir) && holdsData(hints.sourceDir)) return WithSlash(hints.sourceDir);
  if (holdsData(hints.installDataDir)) return WithSlash(hints.installDataDir);
  return WithSlash(!hints.sourceDir.empty() ? hints.sourceDir : bin.string());
}

std::string ProgramFolder() {
  if (const char* v = std::getenv("ORLO_PROGRAM_DIR"); v && *v) return WithSlash(v);
  ProgramFolderHints hints;
#ifdef ORLO_DATA_FROM_BIN
  hints.dataFromBin = ORLO_DATA_FROM_BIN;
#endif
#ifdef ORLO_BINARY_DIR
  hints.buildDir = ORLO_BINARY_DIR;
#endif
#ifdef ORLO_SOURCE_DIR
  hints.sourceDir = ORLO_SOURCE_DIR;
#endif
#ifdef ORLO_INSTALL_DATA_DIR
  hints.installDataDir = ORLO_INSTALL_DATA_DIR;
#endif
  std::error_code ec;
  const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return FindProgramFolder(ec ? std::string() : exe.string(), hints);
}

bool EnsureFolder(const std::string& folder) {
  std::error_code ec;
  fs::create_directories(folder, ec);
  return fs::is_directory(folder, ec);
}

bool EnsureFolderOf(const std::string& path) {
  const std::string folder = fs::path(path).parent_path().string();
  return folder.empty() || EnsureFolder(folder);
}

std::string DeviceFolder(uint16_t kind) { return AppDataFolder() + DeviceFolderName(kind) + "/"; }

std::string DefaultDocumentPath(uint16_t kind) {
  return ProgramFolder() + "DefaultData/" + DeviceFolderName(kind) + ".Json";
}

}  // namespace orlo::paths
