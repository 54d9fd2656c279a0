#pragma once
// The music style colour the main window gives the capture program: the colour block (data kind
// 10, 40 bytes: red, green and blue as little-endian 32-bit values in slider steps of 0 to 9,
// then zeros) when the window learns of the program or the user confirms a style, and single
// components from the lighting page's R, G and B sliders (commands 6, 7 and 8).
//
// The capture program has no picture of its own to colour; it hands the colour back to the
// window as the style values (data kind 2: red, green, blue scaled to 0 … 255, then three
// zeros), which the keyboard shows in its "colour from another program" effect.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orlo::audio {

class CMusicColour {
 public:
  static constexpr uint32_t kColourKind = 10;
  static constexpr size_t kColourBytes = 40;
  static constexpr uint32_t kStyleKind = 2;
  static constexpr int64_t kFirstComponentCommand = 6;  // 6 red, 7 green, 8 blue
  static constexpr int kSteps = 9;

  // A colour block; false, and the colour kept, when it is not 40 bytes.
  bool TakeBlock(const std::vector<uint8_t>& block);
  // Commands 6, 7 and 8 set red, green and blue; false for any other command.
  bool TakeCommand(int64_t command, int64_t value);
  // True once a block or a command has given a colour.
  bool Known() const { return known_; }
  // Red, green and blue in steps, each within 0 … 9 (a larger value counts as 9, a negative
  // one as 0).
  const std::array<int32_t, 3>& Steps() const { return steps_; }
  // The style values for the window: six little-endian 32-bit values (24 bytes).
  std::vector<uint8_t> StyleBlock() const;

 private:
  std::array<int32_t, 3> steps_{};
  bool known_ = false;
};

}  // namespace orlo::audio
