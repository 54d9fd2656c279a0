// orloctl sim: plugs and unplugs the simulated devices of a running `orlo --simulate ...`, so that
// hot-plug and the cable/receiver switch can be shown without hardware.
#ifdef ORLO_HAVE_BUS

#include <cstdio>
#include <string>
#include <vector>

#include "BusClient.h"
#include "CtlCommand.h"
#include "platform/bus/RegisteredMessages.h"
#include "sim/SimControl.h"

namespace {

int RunSim(const orloctl::GlobalOptions&, const std::vector<std::string>& args) {
  constexpr const char* kUsage = "usage: orloctl sim plug|unplug|wake|sleep NAME  (NAME: mouse, mouse-receiver, keyboard, ...)";
  if (args.size() != 3) throw orloctl::UsageError{kUsage};
  const auto command = orlo::sim::ParseSimCommand(args[1] + " " + args[2]);
  if (!command) throw orloctl::UsageError{kUsage};
  const std::string text = orlo::sim::FormatSimCommand(*command);

  orloctl::BusClient client;
  if (!client.Connect()) return 1;
  orlo::bus::DBusBus& bus = client.Bus();
  if (!bus.PeerPresent(orlo::bus::kInstanceName)) {
    std::fprintf(stderr, "orloctl: the program is not running\n");
    return 1;
  }
  if (!bus.SendData(orlo::bus::kInstanceName, 0, orlo::sim::kSimControlKind,
                    std::vector<uint8_t>(text.begin(), text.end()))) {
    std::fprintf(stderr, "orloctl: could not send '%s'\n", text.c_str());
    return 1;
  }
  bus.Flush();
  std::printf("sent: %s\n", text.c_str());
  return 0;
}

orloctl::CtlCommand simCommand{
    {"sim", "Simulated devices",
     "  orloctl sim plug|unplug NAME — plug or unplug a simulated device of the running program\n"
     "                                 (NAME: mouse, mouse-receiver, keyboard, keyboard-receiver, ...)\n"
     "  orloctl sim wake|sleep NAME  — the device behind a simulated receiver answers, or not\n",
     RunSim}};

}  // namespace

#endif  // ORLO_HAVE_BUS
