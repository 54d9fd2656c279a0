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

#include "CtlSupport.h"
#include "base/DeviceKinds.h"
#include "device/link/Catalogue.h"
#include "device/link/DeviceLink.h"
#include "device/link/DeviceSession.h"

namespace orloctl {
namespace {

using orlo::CDeviceLink;
using orlo::InterfaceEntry;

// Raw transfers stay within one 16-bit offset space and a sane size for a terminal.
constexpr unsigned long kMaxRawLength = 4096;
constexpr unsigned long kOffsetSpace = 0x10000;

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

// A session on DEVICE's command interface, connected in the mode of its connection.
std::unique_ptr<orlo::CDeviceSession> OpenDevice(const GlobalOptions& options, const std::string& device) {
  auto backend = SelectBackend(options);
  auto slots = Scan(backend);
  const InterfaceEntry& entry = slots[ResolveDevice(slots, device)];
  auto session = std::make_unique<orlo::CDeviceSession>(backend);
  if (session->Connect(entry) != 1) throw CommandFailure{device + ": cannot open " + entry.devicePath};
  // Receiver mode: nothing is sent unless the device answers through the receiver.
  if (!session->Link().ReceiverGuard()) throw CommandFailure{device + ": the receiver cannot reach the device"};
  return session;
}

void CheckResult(const std::string& device, int result) {
  if (result == orlo::kLinkOk) return;
  throw CommandFailure{device + ": command failed: " + std::to_string(result) + " (" +
                       orlo::LinkResultText(result) + ")"};
}

int RunList(const GlobalOptions& options, const std::vector<std::string>& args) {
  if (args.size() != 1) throw UsageError{"list takes no arguments"};
  return Guarded([&] {
    auto slots = Scan(SelectBackend(options));
    int shown = 0;
    for (size_t i = 0; i < slots.size(); ++i) {
      if (!slots[i].present) continue;
      std::printf("%2zu  kind %u %-17s variant 0x%02x  %s\n", i, slots[i].kind, orlo::KindWord(slots[i].kind).c_str(),
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
    auto session = OpenDevice(options, args[1]);
    orlo::DeviceInfo info;
    CheckResult(args[1], session->Link().ReadDeviceInfo(info));
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
      auto session = OpenDevice(options, device);
      std::vector<uint8_t> buffer(length);
      CheckResult(device, session->Link().ChunkedRead(static_cast<uint8_t>(code), buffer.data(), buffer.size(),
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
      auto session = OpenDevice(options, device);
      const int result = session->Link().ChunkedWrite(static_cast<uint8_t>(code), data.data(), data.size(),
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
