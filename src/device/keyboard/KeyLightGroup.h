#pragma once
// Colour groups of the per-key colour effect. The keyboard keeps each group in its light data
// area, group g in the 512 bytes from g × 512, in the per-key frame layout (KeyLightFrame.h);
// the profile keeps the same group as one colour and brightness ("Alpha") per key position.
#include <cstdint>
#include <span>
#include <vector>

#include "device/keyboard/KeyLightFrame.h"
#include "profile/KeyboardProfiledata.h"

namespace orlo::keyboard {

inline constexpr int kLightGroupBytes = 512;
inline constexpr int kLightGroupCount = CKeyboardProfiledata::kCustomGroupCount;

// The light data offset of group g; -1 for a group outside 0 .. kLightGroupCount - 1.
constexpr int LightGroupOffset(int group) {
  return group >= 0 && group < kLightGroupCount ? group * kLightGroupBytes : -1;
}

// The block of a stored group (colours[p] belongs to key position p; positions past the list
// are black). A frame is at most 510 bytes, so it always fits its group.
std::vector<uint8_t> BuildLightGroup(const CKeyPositionMap& map, std::span<const LightColor> colours,
                                     FrameColours how);

}  // namespace orlo::keyboard
