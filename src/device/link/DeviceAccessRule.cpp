#include "device/link/DeviceAccessRule.h"

#include <algorithm>
#include <cstdio>

#include "device/link/Catalogue.h"

namespace orlo {

std::vector<AccessInterface> AccessInterfaces() {
  std::vector<AccessInterface> out;
  for (const auto& row : kInterfaceTable) {
    if (row.vendorId == 0) continue;
    const AccessInterface i{row.vendorId, row.productId, row.interfaceNumber};
    if (std::find(out.begin(), out.end(), i) == out.end()) out.push_back(i);
  }
  return out;
}

std::string InterfaceModaliasPattern(const AccessInterface& i) {
  char text[40];
  std::snprintf(text, sizeof text, "usb:v%04Xp%04Xd*in%02X", i.vendorId, i.productId, i.interfaceNumber & 0xFFu);
  return text;
}

std::string UdevRuleText() {
  // udev compares every ATTRS key of a rule against one and the same parent device. The USB
  // device holds idVendor, its interfaces hold bInterfaceNumber, so a rule pairing the two never
  // matches; the interface's modalias holds vendor, product and interface number together.
  std::string text =
      "# Tavrin ORLO: lets the user at the seat open the HID interfaces the program talks to, and\n"
      "# no other interface of these devices. Written by `orloctl udev-rule` from the program's\n"
      "# table of supported interfaces.\n";
  for (const auto& i : AccessInterfaces()) {
    text += "SUBSYSTEM==\"hidraw\", ATTRS{modalias}==\"" + InterfaceModaliasPattern(i) + "\", TAG+=\"uaccess\"\n";
  }
  return text;
}

}  // namespace orlo
