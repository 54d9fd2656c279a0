#include "app/AudioLevels.h"

namespace orlo {

bool CAudioLevels::OnFrame(const std::array<int32_t, kFrameValues>& current,
                           const std::array<int32_t, kFrameValues>& previous) {
  ++frames_;
  for (size_t band = 0; band < kLevels; ++band) {
    // Four values per band (the fifth takes no part); the sums wrap as unsigned 32-bit values,
    // as the capture program's full-scale differences may.
    uint32_t sum = 0;
    for (size_t k = 0; k < 4; ++k) {
      const int32_t a = current[band * 5 + k];
      const int32_t b = previous[band * 5 + k];
      sum += a > b ? static_cast<uint32_t>(a) - static_cast<uint32_t>(b)
                   : static_cast<uint32_t>(b) - static_cast<uint32_t>(a);
    }
    levels_[band] = (levels_[band] + sum) / 4;
  }
  if (frames_ <= 2) return false;
  frames_ = 0;
  for (size_t band = 0; band < kLevels; ++band) block_[band] = static_cast<int32_t>(levels_[band]);
  return true;
}

}  // namespace orlo
