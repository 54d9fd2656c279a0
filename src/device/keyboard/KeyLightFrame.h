#pragma once
// A per-key colour frame: K × 3 bytes, the red, green and blue of LED l at bytes 3l to 3l + 2,
// zero where no key position lights an LED. Each physical key takes the colour of the position
// that owns it (KeyPositionMap.h) and shows it at its LED. The same layout is streamed while the
// host draws the keyboard's lights and written as a colour group of the per-key colour effect.
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "device/keyboard/KeyPositionMap.h"
#include "device/model/LedState.h"

namespace orlo::keyboard {

enum class FrameColours {
  AsStored,  // red, green, blue as held
  Scaled,    // each scaled by the entry's brightness: value × brightness, high byte
};

// The colour an entry sends.
inline std::array<uint8_t, 3> FrameColour(const LedValue& v, FrameColours how) {
  if (how == FrameColours::AsStored) return {v.r, v.g, v.b};
  return {static_cast<uint8_t>(v.r * v.brightness >> 8), static_cast<uint8_t>(v.g * v.brightness >> 8),
          static_cast<uint8_t>(v.b * v.brightness >> 8)};
}

// Lays out the frame into `frame` (its first K × 3 bytes, zero-filled first) from
// entryOf(position) → LedValue. False, nothing written, when frame is shorter than K × 3.
template <typename EntryOf>
bool LayOutKeyFrame(const CKeyPositionMap& map, EntryOf entryOf, FrameColours how, std::span<uint8_t> frame) {
  const size_t bytes = static_cast<size_t>(map.TableBytes());
  if (frame.size() < bytes) return false;
  std::fill(frame.begin(), frame.begin() + static_cast<std::ptrdiff_t>(bytes), uint8_t{0});
  uint8_t* out = frame.data();
  for (const CKeyPositionMap::Light& light : map.Lights()) {
    const auto rgb = FrameColour(entryOf(light.position), how);
    std::memcpy(out + 3 * light.led, rgb.data(), 3);
  }
  return true;
}

// The frame of the LED state (entry p is key position p), into a caller's buffer: no allocation,
// for the light path that streams every frame.
inline bool BuildKeyFrame(const CKeyPositionMap& map, const CLedState& leds, FrameColours how,
                          std::span<uint8_t> frame) {
  return LayOutKeyFrame(map, [&leds](int p) { return leds.Get(p); }, how, frame);
}

std::vector<uint8_t> BuildKeyFrame(const CKeyPositionMap& map, const CLedState& leds, FrameColours how);

}  // namespace orlo::keyboard
