// orloctl's device commands: list the recognised interfaces, read the information block, and
// run one chunked command by its code.
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "CtlCommand.h"
#include "device/Catalogue.h"
#include "device/DeviceLink.h"
#include "platform/hid/HidBackend.h"
#include "sim/SimBackend.h"

namespace orloctl {
namespace {

using orlo::CDeviceLink;
using orlo::InterfaceEntry;

// Raw transfers stay within one 16-bit offset space and a sane size for a terminal.
constexpr unsigned long kMaxRawLength = 4096;
constexpr unsigned long kOffsetSpace = 0x10000;

// A failure after the arguments were understood: one line on stderr, exit 1.
struct CommandFailure {
  std::string message;
};

std::shared_ptr<orlo::hid::HidBackend> SelectBackend(const GlobalOptions& options) {
  if (!options.simulate.empty()) {
    std::shared_ptr<orlo::sim::SimBackend> sim;
    try {
      sim = orlo::sim::MakeSimBackend(options.simulate);
    } catch (const std::invalid_argument& e) {
      throw UsageError{e.what()};
    }
    orlo::hid::SetDefaultBackend(sim);
  }
  return orlo::hid::DefaultBackend();
}

// One scan pass: the slot list with every recognised interface bound.
std::vector<InterfaceEntry> Scan(const std::shared_ptr<orlo::hid::HidBackend>& backend) {
  std::vector<InterfaceEntry> slots = orlo::MakeSlotList();
  auto paths = backend->Enumerate();
  if (!paths) throw CommandFailure{"cannot list the HID interfaces"};
  for (const auto& path : *paths) orlo::RecognizeInterface(slots, path, backend);
  return slots;
}

const char* KindName(uint16_t kind) {
  switch (kind) {
    case orlo::kKindKeyboard: return "keyboard";
    case orlo::kKindMouse: return "mouse";
    case orlo::kKindMousePad: return "mousepad";
    case orlo::kKindMouseReceiver: return "mouse-receiver";
    case orlo::kKindHeadset: return "headset";
    case orlo::kKindKeyboardReceiver: return "keyboard-receiver";
    default: return "unknown";
  }
}

// Strict unsigned number: decimal or 0x-prefixed hexadecimal, nothing trailing.
unsigned long ParseNumber(const std::string& text, const char* what) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text[0])))
    throw UsageError{std::string("bad ") + what + " '" + text + "'"};
  errno = 0;
  char* end = nullptr;
  const unsigned long v = std::strtoul(text.c_str(), &end, 0);
  if (errno != 0 || end == text.c_str() || *end != '\0')
    throw UsageError{std::string("bad ") + what + " '" + text + "'"};
  return v;
}

// Hex bytes, optionally separated by spaces, ':' or '-'; "0x" prefixes allowed per byte.
std::vector<uint8_t> ParseHex(const std::string& text) {
  std::vector<uint8_t> out;
  std::string digits;
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == ' ' || c == ':' || c == '-' || c == ',') continue;
    if (c == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X') &&
        digits.size() % 2 == 0) {
      ++i;
      continue;
    }
    if (!std::isxdigit(static_cast<unsigned char>(c)))
      throw UsageError{"bad hex '" + text + "' (use pairs of hex digits, e.g. 0a1b2c)"};
    digits += c;
  }
  if (digits.empty() || digits.size() % 2 != 0)
    throw UsageError{"bad hex '" + text + "' (use pairs of hex digits, e.g. 0a1b2c)"};
  for (size_t i = 0; i < digits.size(); i += 2)
    out.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
  return out;
}

bool IsWriteCode(unsigned long code) {
  return code == orlo::kCmdWriteSettings || code == orlo::kCmdWriteKeyTable ||
         code == orlo::kCmdWriteLightData || code == orlo::kCmdStreamLightFrame ||
         code == orlo::kCmdWriteMacroData || code == orlo::kCmdWriteShootData;
}
bool IsReadCode(unsigned long code) {
  return code == orlo::kCmdReadDeviceInfo || code == orlo::kCmdReadSettings ||
         code == orlo::kCmdReadKeyTable || code == orlo::kCmdReadRange ||
         code == orlo::kCmdReadKeyByteTable;
}

void PrintHex(const uint8_t* data, size_t length) {
  for (size_t i = 0; i < length; ++i)
    std::printf("%02x%s", data[i], (i + 1) % 16 == 0 || i + 1 == length ? "\n" : " ");
}

// The command interface slot that DEVICE names.
int ResolveDevice(const std::vector<InterfaceEntry>& slots, const std::string& name) {
  auto present = [&](int slot) { return slot >= 0 && slot < static_cast<int>(slots.size()) && slots[slot].present; };
  auto firstOf = [&](std::initializer_list<uint16_t> kinds) {
    for (uint16_t kind : kinds) {
      for (int i = 0; i < static_cast<int>(slots.size()); ++i)
        if (slots[i].kind == kind && slots[i].variant == orlo::kVariantCommand && present(i)) return i;
    }
    return -1;
  };
  int slot = -1;
  if (name == "mouse") {
    slot = firstOf({orlo::kKindMouse, orlo::kKindMouseReceiver});
  } else if (name == "keyboard") {
    slot = firstOf({orlo::kKindKeyboard, orlo::kKindKeyboardReceiver});
  } else if (name == "mousepad") {
    slot = firstOf({orlo::kKindMousePad});
  } else if (name == "headset") {
    slot = firstOf({orlo::kKindHeadset});
  } else if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0]))) {
    const unsigned long n = ParseNumber(name, "slot number");
    if (n >= slots.size())
      throw UsageError{"no slot " + name + " (slots are 0 to " + std::to_string(slots.size() - 1) + ")"};
    slot = static_cast<int>(n);
    if (!present(slot)) throw CommandFailure{"slot " + name + ": no device present"};
    if (slots[slot].variant != orlo::kVariantCommand)
      throw CommandFailure{"slot " + name + " is a companion interface; it takes no commands"};
    return slot;
  } else {
    throw UsageError{"unknown device '" + name + "' (mouse, keyboard, mousepad, headset or a slot number)"};
  }
  if (slot < 0) throw CommandFailure{name + ": no such device present"};
  return slot;
}

// A link on DEVICE's command interface, opened and in the mode of its connection.
std::unique_ptr<CDeviceLink> OpenDevice(const GlobalOptions& options, const std::string& device,
                                        int* slotOut = nullptr) {
  auto backend = SelectBackend(options);
  auto slots = Scan(backend);
  const int slot = ResolveDevice(slots, device);
  const InterfaceEntry& entry = slots[slot];
  auto link = std::make_unique<CDeviceLink>(backend);
  const bool receiver =
      entry.kind == orlo::kKindMouseReceiver || entry.kind == orlo::kKindKeyboardReceiver;
  // Mousepad and headset keep the link's initial state (24-byte chunks, wired channel).
  if (orlo::FoldKind(entry.kind) == orlo::kKindMouse || orlo::FoldKind(entry.kind) == orlo::kKindKeyboard)
    link->SetMode(receiver ? CDeviceLink::kReceiverModeValue : 1);
  if (!link->OpenChannel(receiver, entry.devicePath))
    throw CommandFailure{device + ": cannot open " + entry.devicePath};
  link->SetOpen(true);
  // Receiver mode: nothing is sent unless the device answers through the receiver.
  if (!link->ReceiverGuard()) throw CommandFailure{device + ": the receiver cannot reach the device"};
  if (slotOut) *slotOut = slot;
  return link;
}

void CheckResult(const std::string& device, int result) {
  if (result == orlo::kLinkOk) return;
  throw CommandFailure{device + ": command failed: " + std::to_string(result) + " (" +
                       orlo::LinkResultText(result) + ")"};
}

template <typename Fn>
int Guarded(Fn&& fn) {
  try {
    return fn();
  } catch (const CommandFailure& f) {
    std::fprintf(stderr, "orloctl: %s\n", f.message.c_str());
    return 1;
  }
}

int RunList(const GlobalOptions& options, const std::vector<std::string>& args) {
  if (args.size() != 1) throw UsageError{"list takes no arguments"};
  return Guarded([&] {
    auto slots = Scan(SelectBackend(options));
    int shown = 0;
    for (size_t i = 0; i < slots.size(); ++i) {
      if (!slots[i].present) continue;
      std::printf("%2zu  kind %u %-17s variant 0x%02x  %s\n", i, slots[i].kind, KindName(slots[i].kind),
                  slots[i].variant, slots[i].devicePath.c_str());
      ++shown;
    }
    if (shown == 0) std::fprintf(stderr, "orloctl: no supported device found\n");
    return 0;
  });
}

int RunInfo(const GlobalOptions& options, const std::vector<std::string>& args) {
  if (args.size() != 2) throw UsageError{"usage: info DEVICE"};
  return Guarded([&] {
    auto link = OpenDevice(options, args[1]);
    orlo::DeviceInfo info;
    CheckResult(args[1], link->ReadDeviceInfo(info));
    PrintHex(info.bytes.data(), info.bytes.size());
    return 0;
  });
}

// The block must lie inside the 16-bit offset space of the command reports.
void CheckOffsetRange(unsigned long offset, size_t length) {
  if (offset >= kOffsetSpace || offset + length > kOffsetSpace)
    throw UsageError{"offset " + std::to_string(offset) + " + length runs past 0xffff"};
}

int RunRaw(const GlobalOptions& options, const std::vector<std::string>& args) {
  const char* usage = "usage: raw DEVICE read CODE LENGTH [OFFSET] | raw DEVICE write CODE OFFSET HEX";
  if (args.size() < 5) throw UsageError{usage};
  const std::string& device = args[1];
  const std::string& direction = args[2];
  const unsigned long code = ParseNumber(args[3], "command code");
  if (code > 0xFF) throw UsageError{"command code " + args[3] + " is above 0xff"};

  if (direction == "read") {
    if (args.size() > 6) throw UsageError{usage};
    // A read request carries no payload: sent with a write code it would write zeros.
    if (IsWriteCode(code)) throw UsageError{"command " + args[3] + " is a write command; use raw DEVICE write"};
    const unsigned long length = ParseNumber(args[4], "length");
    const unsigned long offset = args.size() == 6 ? ParseNumber(args[5], "offset") : 0;
    if (length == 0 || length > kMaxRawLength)
      throw UsageError{"length " + args[4] + " is outside 1 to " + std::to_string(kMaxRawLength)};
    CheckOffsetRange(offset, length);
    return Guarded([&] {
      auto link = OpenDevice(options, device);
      std::vector<uint8_t> buffer(length);
      CheckResult(device, link->ChunkedRead(static_cast<uint8_t>(code), buffer.data(), buffer.size(),
                                            static_cast<uint32_t>(offset)));
      PrintHex(buffer.data(), buffer.size());
      return 0;
    });
  }
  if (direction == "write") {
    if (args.size() != 6) throw UsageError{usage};
    if (IsReadCode(code)) throw UsageError{"command " + args[3] + " is a read command; use raw DEVICE read"};
    const unsigned long offset = ParseNumber(args[4], "offset");
    const std::vector<uint8_t> data = ParseHex(args[5]);
    if (data.size() > kMaxRawLength)
      throw UsageError{"data of " + std::to_string(data.size()) + " bytes is above " + std::to_string(kMaxRawLength)};
    CheckOffsetRange(offset, data.size());
    return Guarded([&] {
      auto link = OpenDevice(options, device);
      const int result = link->ChunkedWrite(static_cast<uint8_t>(code), data.data(), data.size(),
                                            static_cast<uint32_t>(offset));
      CheckResult(device, result);
      std::printf("%d (%s)\n", result, orlo::LinkResultText(result));
      return 0;
    });
  }
  throw UsageError{"raw: expected read or write, got '" + direction + "'"};
}

CtlCommand listCommand{{"list", "Device",
                        "  orloctl list — one line per recognised interface: slot, kind, variant, path",
                        RunList}};
CtlCommand infoCommand{{"info", "Device",
                        "  orloctl info DEVICE — the 34-byte information block in hex", RunInfo}};
CtlCommand rawCommand{{"raw", "Device",
                       "  orloctl raw DEVICE read CODE LENGTH [OFFSET] — one chunked read command; "
                       "prints the payload in hex\n"
                       "  orloctl raw DEVICE write CODE OFFSET HEX — one chunked write command; "
                       "prints the result code",
                       RunRaw}};

}  // namespace
}  // namespace orloctl
