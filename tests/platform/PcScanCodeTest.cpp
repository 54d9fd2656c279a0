// Key presses of the window system as the PC scan codes the key table recognises.
#include <gtest/gtest.h>

#include "platform/input/PcScanCode.h"

namespace orlo::platform {
namespace {

TEST(PcScanCode, WindowSystemKeyCodesBecomeSetOneCodes) {
  // xkb key code = Linux key code + 8.
  const std::pair<uint32_t, PcScanCode> keys[] = {
      {38, {0x1E, false}},   // A
      {9, {0x01, false}},    // Esc
      {95, {0x57, false}},   // F11
      {37, {0x1D, false}},   // left Ctrl
      {105, {0x1D, true}},   // right Ctrl
      {77, {0x45, true}},    // Num Lock
      {127, {0x45, false}},  // Pause
      {63, {0x37, false}},   // keypad *
      {107, {0x37, true}},   // Print Screen
      {104, {0x1C, true}},   // keypad Enter
      {133, {0x5B, true}},   // left Windows
      {135, {0x5D, true}},   // menu
      {94, {0x56, false}},   // the key beside left Shift on ISO boards
      {97, {0x73, false}},   // Ro
      {130, {0x72, false}},  // Hangul
  };
  for (const auto& [xkb, pc] : keys) {
    const auto found = PcScanCodeOfXkbKeycode(xkb);
    ASSERT_TRUE(found.has_value()) << xkb;
    EXPECT_EQ(*found, pc) << xkb;
  }
  for (uint32_t none : {0u, 7u, 8u, 121u /* mute */, 500u}) EXPECT_FALSE(PcScanCodeOfXkbKeycode(none).has_value()) << none;
}

}  // namespace
}  // namespace orlo::platform
