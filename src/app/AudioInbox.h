#pragma once
// Data blocks the audio-capture program sends to the main window: kind 1 is an audio frame of up
// to 500 signed 32-bit values, kind 2 the six 32-bit style values. A block of another kind, of a
// size that does not fit its kind, or not a whole number of values is refused and leaves the
// buffers as they were.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orlo {

class CAudioInbox {
 public:
  static constexpr uint32_t kFrameKind = 1;
  static constexpr uint32_t kStyleKind = 2;
  static constexpr size_t kFrameValues = 500;
  static constexpr size_t kStyleValues = 6;

  enum class Result { Frame, Style, Refused };

  Result Accept(uint32_t kind, const std::vector<uint8_t>& data);

  // The last frame (values past its length are zero), and the frame before it.
  const std::array<int32_t, kFrameValues>& Frame() const { return frame_; }
  const std::array<int32_t, kFrameValues>& PreviousFrame() const { return previous_; }
  size_t FrameLength() const { return frameLength_; }
  const std::array<int32_t, kStyleValues>& Style() const { return style_; }
  uint64_t FrameCount() const { return frames_; }

 private:
  std::array<int32_t, kFrameValues> frame_{};
  std::array<int32_t, kFrameValues> previous_{};
  std::array<int32_t, kStyleValues> style_{};
  size_t frameLength_ = 0;
  uint64_t frames_ = 0;
};

}  // namespace orlo
