#pragma once
// Linux input key codes (linux/input-event-codes.h; an X11 or Wayland key code is the same
// number plus 8) as PC scan code set 1 make codes with the extended-key flag, the form the key
// table recognises a key press by.
#include <cstdint>
#include <optional>

namespace orlo {

struct SetOneScanCode {
  uint8_t code = 0;
  bool extended = false;
  bool operator==(const SetOneScanCode&) const = default;
};

// Nothing for a key code without a set 1 form the key table could name.
std::optional<SetOneScanCode> ScanCodeOfLinuxKey(int keyCode);

}  // namespace orlo
