#include "device/keyboard/KeyLightGroup.h"

namespace orlo::keyboard {

std::vector<uint8_t> BuildLightGroup(const CKeyPositionMap& map, std::span<const LightColor> colours,
                                     FrameColours how) {
  std::vector<uint8_t> block(static_cast<size_t>(map.TableBytes()));
  const auto entryOf = [colours](int p) {
    if (p < 0 || static_cast<size_t>(p) >= colours.size()) return LedValue{};
    const LightColor& c = colours[static_cast<size_t>(p)];
    return LedValue{c.red, c.green, c.blue, c.alpha};
  };
  LayOutKeyFrame(map, entryOf, how, block);
  return block;
}

}  // namespace orlo::keyboard
