// orloctl: the command-line front end over the same core as the application.
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "CtlCommand.h"
#include "platform/DebugLog.h"

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
      "DEVICE is mouse, keyboard, mousepad, headset or a slot number.\n"
      "\n"
      "Device commands:\n%s\n"
      "Profile commands (need no device):\n%s",
      orloctl::DeviceCommandsHelp().c_str(), orloctl::ProfileCommandsHelp().c_str());
}

}  // namespace

int main(int argc, char** argv) {
  orloctl::GlobalOptions options;
  std::vector<std::string> args;
  try {
    for (int i = 1; i < argc; ++i) {
      std::string a = argv[i];
      if (a == "--help" || a == "-h" || a == "help") {
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
    if (args[0] == "profile") return orloctl::RunProfileCommand(options, args);
    return orloctl::RunDeviceCommand(options, args);
  } catch (const orloctl::UsageError& e) {
    std::fprintf(stderr, "orloctl: %s\n", e.message.c_str());
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "orloctl: %s\n", e.what());
    return 1;
  }
}
