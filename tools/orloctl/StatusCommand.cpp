// orloctl status: asks the running program (with its window or without one, `orlo --no-window`)
// over the session bus what it holds: whether its window is shown and each connected device with
// its connection and active profile, as one line of JSON.
#ifdef ORLO_HAVE_BUS

#include <cstdio>
#include <string>
#include <vector>

#include "BusClient.h"
#include "CtlCommand.h"
#include "platform/bus/DBusBus.h"
#include "platform/bus/MessageBus.h"

namespace {

constexpr int kAnswerTimeoutMs = 5000;

int RunStatus(const orloctl::GlobalOptions&, const std::vector<std::string>& args) {
  if (args.size() != 1) throw orloctl::UsageError{"usage: orloctl status"};
  orloctl::BusClient client;
  if (!client.Connect()) return 1;
  const auto answer = client.Bus().AskStatus(orlo::bus::kMainWindowTitle, kAnswerTimeoutMs);
  if (!answer) {
    std::fprintf(stderr, "orloctl: the program is not running (or did not answer)\n");
    return 1;
  }
  std::printf("%s\n", answer->c_str());
  return 0;
}

orloctl::CtlCommand statusCommand{
    {"status", "Bus",
     "  orloctl status — the running program's window state and connected devices, as JSON\n",
     RunStatus}};

}  // namespace

#endif  // ORLO_HAVE_BUS
