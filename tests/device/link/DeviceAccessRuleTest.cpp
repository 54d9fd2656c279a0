#include "device/link/DeviceAccessRule.h"

#include <gtest/gtest.h>

using namespace orlo;

// The rule opens exactly the interfaces the program talks to: interface 1 (command and companion
// collections) of the wired mouse and of its receiver. Interface 0, where the pointer and a
// keyboard's typing reports live, is never named.
TEST(DeviceAccessRule, NamesOnlyTheCommandInterfacesOfTheTable) {
  EXPECT_EQ(AccessInterfaces(), (std::vector<AccessInterface>{{0x320F, 0x222E, 1}, {0x320F, 0x222F, 1}}));
  EXPECT_EQ(UdevRuleText(),
            "# Tavrin ORLO: lets the user at the seat open the HID interfaces the program talks to, and\n"
            "# no other interface of these devices. Written by `orloctl udev-rule` from the program's\n"
            "# table of supported interfaces.\n"
            "SUBSYSTEM==\"hidraw\", ATTRS{modalias}==\"usb:v320Fp222Ed*in01\", TAG+=\"uaccess\"\n"
            "SUBSYSTEM==\"hidraw\", ATTRS{modalias}==\"usb:v320Fp222Fd*in01\", TAG+=\"uaccess\"\n");
  // No line matches a node through attributes of two different parents (idVendor sits on the
  // USB device, bInterfaceNumber on its interface; such a line would never match).
  EXPECT_EQ(UdevRuleText().find("idVendor"), std::string::npos);
  EXPECT_EQ(UdevRuleText().find("bInterfaceNumber"), std::string::npos);
}

TEST(DeviceAccessRule, ModaliasPatternIsUpperCaseHexWithTheInterfaceLast) {
  EXPECT_EQ(InterfaceModaliasPattern({0x320F, 0x222E, 1}), "usb:v320Fp222Ed*in01");
  EXPECT_EQ(InterfaceModaliasPattern({0x00AB, 0xC0DE, 0x0C}), "usb:v00ABpC0DEd*in0C");
  EXPECT_EQ(InterfaceModaliasPattern({0xFFFF, 0x0001, 0}), "usb:vFFFFp0001d*in00");
}
