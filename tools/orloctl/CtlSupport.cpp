#include "CtlSupport.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <stdexcept>

#include "base/DeviceKinds.h"
#include "sim/SimBackend.h"

namespace orloctl {

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

long ParseInRange(const std::string& text, long low, long high, const char* what) {
  char* end = nullptr;
  const bool hex = text.rfind("0x", 0) == 0 || text.rfind("0X", 0) == 0;
  errno = 0;
  const long v = text.empty() ? -1 : std::strtol(text.c_str(), &end, hex ? 16 : 10);
  if (text.empty() || errno != 0 || *end != '\0' || v < low || v > high)
    throw UsageError{std::string(what) + " must be a number from " + std::to_string(low) + " to " +
                     std::to_string(high) + ", not '" + text + "'"};
  return v;
}

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

std::string HexText(const uint8_t* data, size_t length) {
  static const char* digits = "0123456789abcdef";
  std::string s;
  for (size_t i = 0; i < length; ++i) {
    if (i) s += ' ';
    s += digits[data[i] >> 4];
    s += digits[data[i] & 15];
  }
  return s;
}

void PrintHex(const uint8_t* data, size_t length) {
  for (size_t i = 0; i < length; ++i)
    std::printf("%02x%s", data[i], (i + 1) % 16 == 0 || i + 1 == length ? "\n" : " ");
}

void PrintJson(const Json::Value& value) {
  Json::StreamWriterBuilder w;
  w["indentation"] = "  ";
  std::printf("%s\n", Json::writeString(w, value).c_str());
}

std::shared_ptr<orlo::hid::HidBackend> SelectBackend(const GlobalOptions& options) {
  if (options.simulate.empty()) return orlo::hid::DefaultBackend();
  try {
    return orlo::sim::MakeSimBackend(options.simulate);
  } catch (const std::invalid_argument& e) {
    throw UsageError{e.what()};
  }
}

std::vector<orlo::InterfaceEntry> Scan(const std::shared_ptr<orlo::hid::HidBackend>& backend) {
  auto slots = orlo::ScanSlots(backend);
  if (!slots) throw CommandFailure{"cannot list the HID interfaces"};
  return *slots;
}

int ResolveDevice(const std::vector<orlo::InterfaceEntry>& slots, const std::string& name) {
  if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0]))) {
    const unsigned long n = ParseNumber(name, "slot number");
    if (n >= slots.size())
      throw UsageError{"no slot " + name + " (slots are 0 to " + std::to_string(slots.size() - 1) + ")"};
    const auto& e = slots[n];
    if (!e.present) throw CommandFailure{"slot " + name + ": no device present"};
    if (e.variant != orlo::kVariantCommand)
      throw CommandFailure{"slot " + name + " is a companion interface; it takes no commands"};
    return static_cast<int>(n);
  }
  const auto family = orlo::FamilyOfWord(name);
  if (!family || orlo::KindWord(*family) != name)
    throw UsageError{"unknown device '" + name + "' (mouse, keyboard, mousepad, headset or a slot number)"};
  const int slot = orlo::FindCommandSlot(slots, *family);
  if (slot < 0) throw CommandFailure{name + ": no such device present"};
  return slot;
}

}  // namespace orloctl
