#include "macro/capture/ScanCodeMap.h"

#include <array>
#include <utility>

namespace orlo {
namespace {

// Codes above the range where the Linux code is the set 1 code itself.
constexpr std::array<std::pair<int, SetOneScanCode>, 31> kOtherKeys = {{
    {69, {0x45, true}},    // Num Lock
    {86, {0x56, false}},   // the key left of Z on ISO keyboards
    {89, {0x73, false}},   // Ro
    {92, {0x79, false}},   // Henkan
    {93, {0x70, false}},   // Katakana/Hiragana
    {94, {0x7B, false}},   // Muhenkan
    {96, {0x1C, true}},    // keypad Enter
    {97, {0x1D, true}},    // right Ctrl
    {98, {0x35, true}},    // keypad /
    {99, {0x37, true}},    // Print Screen
    {100, {0x38, true}},   // right Alt
    {102, {0x47, true}},   // Home
    {103, {0x48, true}},   // Up
    {104, {0x49, true}},   // Page Up
    {105, {0x4B, true}},   // Left
    {106, {0x4D, true}},   // Right
    {107, {0x4F, true}},   // End
    {108, {0x50, true}},   // Down
    {109, {0x51, true}},   // Page Down
    {110, {0x52, true}},   // Insert
    {111, {0x53, true}},   // Delete
    {119, {0x45, false}},  // Pause
    {121, {0x7E, false}},  // keypad comma
    {122, {0x72, false}},  // Hangul
    {123, {0x71, false}},  // Hanja
    {124, {0x7D, false}},  // Yen
    {125, {0x5B, true}},   // left Windows
    {126, {0x5C, true}},   // right Windows
    {127, {0x5D, true}},   // Application
    {87, {0x57, false}},   // F11
    {88, {0x58, false}},   // F12
}};

}  // namespace

std::optional<SetOneScanCode> ScanCodeOfLinuxKey(int keyCode) {
  for (const auto& [linux, scan] : kOtherKeys)
    if (linux == keyCode) return scan;
  // Escape (1) to keypad . (83): the Linux code is the set 1 make code.
  if (keyCode >= 1 && keyCode <= 83) return SetOneScanCode{static_cast<uint8_t>(keyCode), false};
  return std::nullopt;
}

}  // namespace orlo
