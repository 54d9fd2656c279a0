#pragma once
// The 25 levels music lighting shows, reduced from the audio frames the capture program sends.
// Each frame's change against the frame before it is summed in 25 bands of four values; a band's
// level is (its last level + that sum) / 4, so a level carries a quarter of its history. The
// keyboard hears every third frame, as a 500-value block: the 25 levels, then zeros.
#include <array>
#include <cstddef>
#include <cstdint>

namespace orlo {

class CAudioLevels {
 public:
  static constexpr size_t kFrameValues = 500;
  static constexpr size_t kLevels = 25;

  // Reduces one frame against the previous one; true when the keyboard is due a block.
  bool OnFrame(const std::array<int32_t, kFrameValues>& current,
               const std::array<int32_t, kFrameValues>& previous);

  const std::array<uint32_t, kLevels>& Levels() const { return levels_; }
  // The block for the keyboard: the levels as signed values, then zeros.
  const std::array<int32_t, kFrameValues>& Block() const { return block_; }

 private:
  std::array<uint32_t, kLevels> levels_{};
  std::array<int32_t, kFrameValues> block_{};
  int frames_ = 0;
};

}  // namespace orlo
