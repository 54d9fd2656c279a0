#pragma once
// The mouse's 78-byte settings block of one profile (written at profile × 128), as pure encode
// and decode functions. Bytes the block holds but the profile does not (the unlisted ones) are
// taken from the block last read from the mouse.
//
//   0 profile byte   1 light mode code   2 brightness   3 4 − speed index   4 direction
//   5 multicolour    6-8 colour          9 always 0     11 wired report rate  12 active stage
//   14 + 9 × s: stage s (enabled, separate X/Y, X and Y little-endian, colour), s = 0..4
//   59 byte 59       60-61 screen width  62-63 screen height
//   64 lift-off minimum   65 lift-off threshold   77 receiver report rate
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "profile/MouseProfiledata.h"

namespace orlo {

constexpr int kMouseSettingsSize = 78;
constexpr int kMouseProfileStride = 128;
constexpr int kMouseStageCount = 5;
using MouseSettingsBytes = std::array<uint8_t, kMouseSettingsSize>;

struct MouseSettings {
  uint8_t profileByte = 0;
  uint8_t modeCode = 0;
  uint8_t brightness = 0;
  uint8_t speedIndex = 0;  // 0 slowest .. 4 fastest; the block holds 4 − index
  uint8_t direction = 0;
  uint8_t multicolour = 0;
  uint8_t red = 0, green = 0, blue = 0;
  uint8_t reportRate = 0;          // on the cable (byte 11)
  uint8_t receiverReportRate = 0;  // through the receiver (byte 77)
  uint8_t activeStage = 0;
  std::vector<DPIStage> stages;  // at most five are written
  uint8_t byte59 = 0;
  uint16_t screenWidth = 0, screenHeight = 0;
  uint8_t liftMinSq = 0, liftPixThresh = 0;
};

// The block for `settings`, over `previous` for the unlisted bytes. On the receiver only the
// receiver's report rate is written (byte 11 keeps the cable's), on the cable only byte 11.
MouseSettingsBytes EncodeMouseSettings(const MouseSettingsBytes& previous, const MouseSettings& settings,
                                       bool receiver);
// What a block read from the mouse says; the speed index is clamped to 0..4 and all five
// stages are returned.
MouseSettings DecodeMouseSettings(const MouseSettingsBytes& block);

}  // namespace orlo
