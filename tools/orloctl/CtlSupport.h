#pragma once
// What orloctl's commands share: argument parsing, the failure that exits 1, output helpers and
// the device access every device command starts from.
#include <json/json.h>

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "CtlCommand.h"
#include "device/link/Catalogue.h"
#include "platform/hid/HidBackend.h"

namespace orloctl {

// A failure after the arguments were understood: main prints "orloctl: <message>" on stderr and
// exits 1.
struct CommandFailure {
  std::string message;
};

// Strict unsigned number: decimal or 0x-prefixed hexadecimal, nothing trailing.
unsigned long ParseNumber(const std::string& text, const char* what);
// A number (decimal or 0x hex) within low..high, or a usage error naming `what`.
long ParseInRange(const std::string& text, long low, long high, const char* what);
// Hex bytes, optionally separated by spaces, ':', '-' or ','; "0x" prefixes allowed per byte.
std::vector<uint8_t> ParseHex(const std::string& text);

// "0a 1b 2c".
std::string HexText(const uint8_t* data, size_t length);
// Rows of 16 bytes in hex.
void PrintHex(const uint8_t* data, size_t length);
void PrintJson(const Json::Value& value);

// The simulated devices of --simulate, or the machine's own.
std::shared_ptr<orlo::hid::HidBackend> SelectBackend(const GlobalOptions& options);
// One scan pass: the slot list with every recognised interface bound.
std::vector<orlo::InterfaceEntry> Scan(const std::shared_ptr<orlo::hid::HidBackend>& backend);
// The command interface slot DEVICE names: a family word (wired preferred to the receiver) or a
// slot number.
int ResolveDevice(const std::vector<orlo::InterfaceEntry>& slots, const std::string& name);

// Runs fn; a CommandFailure becomes its message on stderr and exit code 1.
template <typename Fn>
int Guarded(Fn&& fn) {
  try {
    return fn();
  } catch (const CommandFailure& f) {
    std::fprintf(stderr, "orloctl: %s\n", f.message.c_str());
    return 1;
  }
}

}  // namespace orloctl
