#pragma once
// orloctl's commands. Each command group lives in its own file and registers its commands with a
// static CtlCommand object; main() parses the global options and dispatches by command word.
#include <functional>
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

// args[0] is the command word; the result is the process exit code.
using CommandFn = std::function<int(const GlobalOptions&, const std::vector<std::string>& args)>;

struct CommandInfo {
  std::string word;      // "list", "profile", ...
  std::string group;     // heading in --help: "Device", "Profile", ...
  std::string synopsis;  // lines for --help, each "  orloctl ... — what it does"
  CommandFn run;
};

// Registers a command at static initialisation: `static CtlCommand c{{"list", "Device", "...", Run}};`
class CtlCommand {
 public:
  explicit CtlCommand(CommandInfo info);
  static const std::vector<CommandInfo>& All();
};

}  // namespace orloctl
