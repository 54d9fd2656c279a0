#include "device/keyboard/KeyLightFrame.h"

namespace orlo::keyboard {

std::vector<uint8_t> BuildKeyFrame(const CKeyPositionMap& map, const CLedState& leds, FrameColours how) {
  std::vector<uint8_t> frame(static_cast<size_t>(map.TableBytes()));
  BuildKeyFrame(map, leds, how, frame);
  return frame;
}

}  // namespace orlo::keyboard
