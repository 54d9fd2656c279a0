#pragma once
// Builds the data block of kind 1 that carries 25 levels to the main window: 500 signed 32-bit
// values, little-endian (2000 bytes).
//
// The main window turns frames into levels by their change: for level j it takes the distances
// |now − before| of values 5j … 5j+3 between this frame and the previous one, and keeps
// level := (level + their sum) / 4. So each level is written into its four values as ±a, the
// sign flipping from one frame to the next: a steady level L gives four distances of 2a per
// frame, and with a = 3L/8 the window's level settles at 8a/3 = L. Value 5j+4 and values
// 125 … 499 are 0.
//
// Levels are clamped to 0 … 2000 before they are written, so the block never carries a value
// the window's arithmetic could overflow on.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "analysis/Levels.h"

namespace orlo::audio {

class CLevelFrameEncoder {
 public:
  static constexpr uint32_t kKind = 1;
  static constexpr size_t kFrameValues = 500;
  static constexpr size_t kFrameBytes = kFrameValues * 4;
  static constexpr size_t kValuesPerBand = 5;
  static constexpr size_t kUsedPerBand = 4;

  // The next block; empty when `levels` is not 25 values (and the sign does not flip).
  std::vector<uint8_t> Encode(std::span<const int32_t> levels);

 private:
  bool negative_ = false;
};

}  // namespace orlo::audio
