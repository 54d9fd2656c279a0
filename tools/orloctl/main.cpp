// orloctl: the command-line front end over the same core as the application.
#include <cstdio>
#include <exception>
#include <map>
#include <string>
#include <vector>

#include "CtlCommand.h"
#include "platform/DebugLog.h"

namespace orloctl {

namespace {
std::vector<CommandInfo>& Registry() {
  static std::vector<CommandInfo> commands;
  return commands;
}
}  // namespace

CtlCommand::CtlCommand(CommandInfo info) { Registry().push_back(std::move(info)); }
const std::vector<CommandInfo>& CtlCommand::All() { return Registry(); }

}  // namespace orloctl

namespace {

void PrintHelp() {
  std::printf(
      "usage: orloctl [--simulate LIST] [--trace FILE] COMMAND ...\n"
      "\n"
      "Global options:\n"
      "  --simulate LIST   use simulated devices instead of real ones; LIST is comma-separated\n"
      "                    from mouse, mouse-receiver, mouse-receiver-asleep, keyboard,\n"
      "                    mousepad, headset\n"
      "  --trace FILE      write the command trace to FILE (also ORLO_TRACE=FILE)\n"
      "\n"
      "DEVICE is mouse, keyboard, mousepad, headset or a slot number.\n");
  // Groups in the order their first command registered.
  std::vector<std::string> groups;
  std::map<std::string, std::string> text;
  for (const auto& c : orloctl::CtlCommand::All()) {
    if (!text.count(c.group)) groups.push_back(c.group);
    text[c.group] += c.synopsis;
    if (!c.synopsis.empty() && c.synopsis.back() != '\n') text[c.group] += '\n';
  }
  for (const auto& g : groups) std::printf("\n%s commands:\n%s", g.c_str(), text[g].c_str());
}

}  // namespace

int main(int argc, char** argv) {
  orloctl::GlobalOptions options;
  std::vector<std::string> args;
  try {
    for (int i = 1; i < argc; ++i) {
      std::string a = argv[i];
      if (args.empty() && (a == "--help" || a == "-h" || a == "help")) {
        PrintHelp();
        return 0;
      }
      if (args.empty() && (a == "--simulate" || a == "--trace")) {
        if (i + 1 >= argc) throw orloctl::UsageError{a + " needs a value"};
        (a == "--simulate" ? options.simulate : options.trace) = argv[++i];
        continue;
      }
      if (args.empty() && a.rfind("--", 0) == 0) throw orloctl::UsageError{"unknown option " + a};
      args.push_back(a);
    }
    if (args.empty()) {
      PrintHelp();
      return 2;
    }
    if (!options.trace.empty()) orlo::SetTracePath(options.trace);
    for (const auto& c : orloctl::CtlCommand::All()) {
      if (c.word == args[0]) return c.run(options, args);
    }
    throw orloctl::UsageError{"unknown command '" + args[0] + "' (see orloctl --help)"};
  } catch (const orloctl::UsageError& e) {
    std::fprintf(stderr, "orloctl: %s\n", e.message.c_str());
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orloctl: %s\n", e.what());
    return 1;
  }
}
