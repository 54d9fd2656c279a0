#pragma once
// Where the system keeps its files on this platform.
//   application data: $XDG_DATA_HOME (default ~/.local/share) + "/Tavrin ORLO/"
//   configuration:    $XDG_CONFIG_HOME (default ~/.config) + "/Tavrin ORLO/"
//   state:            $XDG_STATE_HOME (default ~/.local/state) + "/Tavrin ORLO/"
//   cache:            $XDG_CACHE_HOME (default ~/.cache) + "/Tavrin ORLO/"
//   program folder:   holds skin/, Font/ and DefaultData/ (see ProgramFolder()).
// Every folder path returned ends with '/'.
#include <cstdint>
#include <string>

namespace orlo::paths {

std::string AppDataFolder();
std::string ConfigFolder();
std::string StateFolder();
std::string CacheFolder();
// $ORLO_PROGRAM_DIR when set; else FindProgramFolder for the running executable.
std::string ProgramFolder();

// Where a program folder may be, besides the executable's own folder.
struct ProgramFolderHints {
  std::string dataFromBin;     // the data folder relative to the executable's ("../share/tavrin-orlo")
  std::string buildDir;        // the build tree; its executables use the source tree
  std::string sourceDir;
  std::string installDataDir;  // the data folder of the configured install prefix
};
// The first folder holding DefaultData/ of: the executable's folder; the data folder relative to
// it (an installation under any prefix, moved or not); the source tree for an executable inside
// the build tree; the configured install data folder. Else the source tree, else the executable's
// folder. Ends with '/'.
std::string FindProgramFolder(const std::string& executable, const ProgramFolderHints& hints);
// Creates the folder and its parents when missing; true when it exists afterwards.
bool EnsureFolder(const std::string& folder);
// EnsureFolder for the folder a file path lies in; true for a bare file name.
bool EnsureFolderOf(const std::string& path);

// A device family's folder of profiles, macros and light files: AppDataFolder() + its folder
// name (receiver kinds fold into their wired kind). Not created here.
std::string DeviceFolder(uint16_t kind);
// The family's read-only default document: ProgramFolder() + "DefaultData/" + name + ".Json".
std::string DefaultDocumentPath(uint16_t kind);

}  // namespace orlo::paths
