#include "analysis/LevelFrameEncoder.h"

#include <algorithm>

namespace orlo::audio {

std::vector<uint8_t> CLevelFrameEncoder::Encode(std::span<const int32_t> levels) {
  if (levels.size() != kBandCount) return {};
  std::vector<uint8_t> block(kFrameBytes, 0);
  for (size_t j = 0; j < kBandCount; ++j) {
    const int32_t level = std::clamp(levels[j], int32_t{0}, kLevelMax);
    const int32_t a = (3 * level + 4) / 8;  // 3L/8, rounded
    const auto v = static_cast<uint32_t>(negative_ ? -a : a);
    for (size_t k = 0; k < kUsedPerBand; ++k) {
      const size_t at = (j * kValuesPerBand + k) * 4;
      for (size_t b = 0; b < 4; ++b) block[at + b] = static_cast<uint8_t>(v >> (8 * b));
    }
  }
  negative_ = !negative_;
  return block;
}

}  // namespace orlo::audio
