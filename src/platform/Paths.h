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
// $ORLO_PROGRAM_DIR when set; else the executable's folder when it holds DefaultData/; else the
// installed data folder when it exists; else the source tree (a developer build run in place).
std::string ProgramFolder();
// Creates the folder and its parents when missing; true when it exists afterwards.
bool EnsureFolder(const std::string& folder);

// A device family's folder of profiles, macros and light files: AppDataFolder() + its folder
// name (receiver kinds fold into their wired kind). Not created here.
std::string DeviceFolder(uint16_t kind);
// The family's read-only default document: ProgramFolder() + "DefaultData/" + name + ".Json".
std::string DefaultDocumentPath(uint16_t kind);

}  // namespace orlo::paths
