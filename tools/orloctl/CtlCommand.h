#pragma once
// orloctl's command groups. Each group lives in its own file and registers here through one
// entry function; main() only parses the global options and picks the group.
#include <string>
#include <vector>

namespace orloctl {

struct GlobalOptions {
  std::string simulate;  // comma-separated simulated devices, empty for real ones
  std::string trace;     // command trace file, empty for none (ORLO_TRACE also works)
};

// Thrown for bad input: main prints "orloctl: <message>" on stderr and exits 2.
struct UsageError {
  std::string message;
};

// Each returns the process exit code. args[0] is the command word.
int RunDeviceCommand(const GlobalOptions& options, const std::vector<std::string>& args);
int RunProfileCommand(const GlobalOptions& options, const std::vector<std::string>& args);

// Help text of each group, one command per line.
std::string DeviceCommandsHelp();
std::string ProfileCommandsHelp();

}  // namespace orloctl
