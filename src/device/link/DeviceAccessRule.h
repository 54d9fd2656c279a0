#pragma once
// The udev rule that lets the user at the seat open the HID interfaces this program talks to —
// the command and companion interfaces of the supported-interface table — and no other interface
// of the same devices (a keyboard's typing interface stays closed to the session's programs).
// Built from the table, so the rule cannot miss or outgrow it.
#include <cstdint>
#include <string>
#include <vector>

namespace orlo {

struct AccessInterface {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t interfaceNumber = 0;
  bool operator==(const AccessInterface&) const = default;
};

// The distinct USB interfaces of the table's rows, in table order; rows without a vendor id
// (devices not supported yet) are left out.
std::vector<AccessInterface> AccessInterfaces();

// "usb:v320Fp222Ed*in01": the modalias pattern of a USB interface, as the kernel writes it in
// the interface's sysfs "modalias" file (upper-case hex, the interface number last).
std::string InterfaceModaliasPattern(const AccessInterface& i);

// The rule file: one line per interface, matching the hidraw node whose USB interface has that
// modalias, tagged "uaccess".
std::string UdevRuleText();

}  // namespace orlo
