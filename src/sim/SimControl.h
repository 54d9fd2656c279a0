#pragma once
// Plugging and unplugging the simulated devices of a running program from outside: the command
// travels as a short text ("plug mouse-receiver") in a data block of its own kind.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orlo::sim {

class SimBackend;

// Data block kind of a simulated-device command.
inline constexpr uint32_t kSimControlKind = 0x53494D01;
inline constexpr size_t kMaxSimCommand = 64;

struct SimCommand {
  enum class Verb { Plug, Unplug, Wake, Sleep };
  Verb verb = Verb::Plug;
  std::string node;  // node name of the backend: "mouse", "mouse-receiver", "keyboard-2" ...
};

// "VERB NODE" with VERB plug, unplug, wake or sleep and NODE of letters, digits and '-';
// nullopt for anything else or for more than kMaxSimCommand bytes.
std::optional<SimCommand> ParseSimCommand(std::string_view text);
std::string FormatSimCommand(const SimCommand& command);
// False when the backend has no such node.
bool ApplySimCommand(SimBackend& backend, const SimCommand& command);

}  // namespace orlo::sim
