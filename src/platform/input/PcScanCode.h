#pragma once
// Key presses as PC scan codes (set 1 make codes with the extended-key flag), the form in which
// the key table recognises a pressed key. Linux reports a key by its input key code; the window
// systems (X11, and Wayland through xkb) report that code plus 8.
#include <cstdint>
#include <optional>

namespace orlo::platform {

struct PcScanCode {
  uint8_t code = 0;
  bool extended = false;
  bool operator==(const PcScanCode&) const = default;
};

// The scan code of a Linux input key code; nullopt for a key the PC keyboard has no code for.
std::optional<PcScanCode> PcScanCodeOfLinuxKey(uint32_t linuxKey);
// The scan code of a window system's key code (an xkb key code: the Linux key code + 8).
std::optional<PcScanCode> PcScanCodeOfXkbKeycode(uint32_t keycode);

}  // namespace orlo::platform
