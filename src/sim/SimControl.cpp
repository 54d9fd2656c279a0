#include "sim/SimControl.h"

#include "sim/SimBackend.h"

namespace orlo::sim {

namespace {
constexpr struct {
  SimCommand::Verb verb;
  std::string_view word;
} kVerbs[] = {
    {SimCommand::Verb::Plug, "plug"},
    {SimCommand::Verb::Unplug, "unplug"},
    {SimCommand::Verb::Wake, "wake"},
    {SimCommand::Verb::Sleep, "sleep"},
};

bool NodeChar(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'; }
}  // namespace

std::optional<SimCommand> ParseSimCommand(std::string_view text) {
  if (text.empty() || text.size() > kMaxSimCommand) return std::nullopt;
  const size_t space = text.find(' ');
  if (space == std::string_view::npos) return std::nullopt;
  const std::string_view word = text.substr(0, space);
  const std::string_view node = text.substr(space + 1);
  if (node.empty()) return std::nullopt;
  for (char c : node)
    if (!NodeChar(c)) return std::nullopt;
  for (const auto& v : kVerbs) {
    if (v.word == word) return SimCommand{v.verb, std::string(node)};
  }
  return std::nullopt;
}

std::string FormatSimCommand(const SimCommand& command) {
  for (const auto& v : kVerbs) {
    if (v.verb == command.verb) return std::string(v.word) + " " + command.node;
  }
  return {};
}

bool ApplySimCommand(SimBackend& backend, const SimCommand& command) {
  switch (command.verb) {
    case SimCommand::Verb::Plug:
      return backend.Plug(command.node);
    case SimCommand::Verb::Unplug:
      return backend.Unplug(command.node);
    case SimCommand::Verb::Wake:
    case SimCommand::Verb::Sleep: {
      auto device = backend.Device(command.node);
      if (!device) return false;
      device->SetAsleep(command.verb == SimCommand::Verb::Sleep);
      return true;
    }
  }
  return false;
}

}  // namespace orlo::sim
