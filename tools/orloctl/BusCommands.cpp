// orloctl bus: sends a registered message to the running program (and to every other program on
// the session bus), the way other programs do.
#ifdef ORLO_HAVE_BUS

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "BusClient.h"
#include "CtlCommand.h"
#include "platform/bus/DBusBus.h"
#include "platform/bus/RegisteredMessages.h"

namespace {

// Message names the program knows by a short word; any other NAME is sent as given.
struct Alias {
  const char* word;
  const char* name;
};
constexpr Alias kAliases[] = {
    {"instance", orlo::bus::kInstanceName},
    {"update-status", orlo::bus::kUpdateStatusName},
    {"light-control-notify", orlo::bus::kLightControlNotifyName},
    {"light-control-set", orlo::bus::kLightControlSetName},
    {"divurudo-report", orlo::bus::kDivuRudoReportName},
    {"audio-record", orlo::bus::kAudioRecordName},
};

long long ParseInteger(const std::string& text, const char* what) {
  if (text.empty()) throw orloctl::UsageError{std::string(what) + " is empty"};
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(text.c_str(), &end, 0);
  if (errno != 0 || end == nullptr || *end != '\0') {
    throw orloctl::UsageError{std::string(what) + " '" + text + "' is not an integer"};
  }
  return v;
}

int RunBus(const orloctl::GlobalOptions&, const std::vector<std::string>& args) {
  if (args.size() == 2 && args[1] == "names") {
    for (const auto& a : kAliases) std::printf("%-22s %s\n", a.word, a.name);
    for (size_t i = 6; i < orlo::bus::FixedMessageTable().size(); ++i) {
      std::printf("%-22s %s\n", "", orlo::bus::FixedMessageTable()[i].c_str());
    }
    return 0;
  }
  if (args.size() != 5 || args[1] != "send") {
    throw orloctl::UsageError{"usage: orloctl bus send NAME WPARAM LPARAM | orloctl bus names"};
  }
  std::string name = args[2];
  for (const auto& a : kAliases) {
    if (name == a.word) name = a.name;
  }
  if (name.size() > 256) throw orloctl::UsageError{"NAME is longer than 256 bytes"};
  const long long w = ParseInteger(args[3], "WPARAM");
  const long long l = ParseInteger(args[4], "LPARAM");

  orloctl::BusClient client;
  if (!client.Connect()) return 1;
  orlo::bus::DBusBus& bus = client.Bus();
  const uint32_t id = orlo::bus::RegisterWindowMessage(name);
  if (id == 0 || !bus.Broadcast(id, w, l)) {
    std::fprintf(stderr, "orloctl: could not send %s\n", name.c_str());
    return 1;
  }
  bus.Flush();
  std::printf("sent %s (%lld, %lld)\n", name.c_str(), w, l);
  return 0;
}

orloctl::CtlCommand busCommand{{"bus", "Bus",
                                "  orloctl bus send NAME WPARAM LPARAM — send a registered message to the running program\n"
                                "                                       (NAME: a registered string or instance, light-control-set, ...)\n"
                                "  orloctl bus names — list the short names and the program's registered strings\n",
                                RunBus}};

}  // namespace

#endif  // ORLO_HAVE_BUS
