#include "platform/input/PcScanCode.h"

#include <linux/input-event-codes.h>

namespace orlo::platform {
namespace {

// Linux numbers the keys of the main block and the keypad by their set 1 make codes; the keys
// below are the exceptions: extended keys and the international keys.
struct Exception {
  uint32_t linuxKey;
  PcScanCode pc;
};
constexpr Exception kExceptions[] = {
    {KEY_NUMLOCK, {0x45, true}},   {KEY_KPENTER, {0x1C, true}},  {KEY_RIGHTCTRL, {0x1D, true}},
    {KEY_KPSLASH, {0x35, true}},   {KEY_SYSRQ, {0x37, true}},    {KEY_RIGHTALT, {0x38, true}},
    {KEY_HOME, {0x47, true}},      {KEY_UP, {0x48, true}},       {KEY_PAGEUP, {0x49, true}},
    {KEY_LEFT, {0x4B, true}},      {KEY_RIGHT, {0x4D, true}},    {KEY_END, {0x4F, true}},
    {KEY_DOWN, {0x50, true}},      {KEY_PAGEDOWN, {0x51, true}}, {KEY_INSERT, {0x52, true}},
    {KEY_DELETE, {0x53, true}},    {KEY_PAUSE, {0x45, false}},   {KEY_LEFTMETA, {0x5B, true}},
    {KEY_RIGHTMETA, {0x5C, true}}, {KEY_COMPOSE, {0x5D, true}},  {KEY_RO, {0x73, false}},
    {KEY_HENKAN, {0x79, false}},   {KEY_KATAKANAHIRAGANA, {0x70, false}},
    {KEY_MUHENKAN, {0x7B, false}}, {KEY_KPCOMMA, {0x7E, false}}, {KEY_HANGEUL, {0x72, false}},
    {KEY_HANJA, {0x71, false}},    {KEY_YEN, {0x7D, false}},
};

constexpr uint32_t kXkbOffset = 8;

}  // namespace

std::optional<PcScanCode> PcScanCodeOfLinuxKey(uint32_t linuxKey) {
  for (const Exception& e : kExceptions)
    if (e.linuxKey == linuxKey) return e.pc;
  if (linuxKey >= KEY_ESC && linuxKey <= KEY_F12) return PcScanCode{static_cast<uint8_t>(linuxKey), false};
  return std::nullopt;
}

std::optional<PcScanCode> PcScanCodeOfXkbKeycode(uint32_t keycode) {
  if (keycode < kXkbOffset) return std::nullopt;
  return PcScanCodeOfLinuxKey(keycode - kXkbOffset);
}

}  // namespace orlo::platform
