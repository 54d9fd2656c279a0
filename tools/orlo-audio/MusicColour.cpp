#include "MusicColour.h"

#include <algorithm>

namespace orlo::audio {

namespace {
int32_t Step(int64_t value) { return static_cast<int32_t>(std::clamp<int64_t>(value, 0, CMusicColour::kSteps)); }
}  // namespace

bool CMusicColour::TakeBlock(const std::vector<uint8_t>& block) {
  if (block.size() != kColourBytes) return false;
  for (size_t c = 0; c < steps_.size(); ++c) {
    uint32_t v = 0;
    for (size_t b = 0; b < 4; ++b) v |= static_cast<uint32_t>(block[c * 4 + b]) << (8 * b);
    steps_[c] = Step(static_cast<int32_t>(v));
  }
  known_ = true;
  return true;
}

bool CMusicColour::TakeCommand(int64_t command, int64_t value) {
  const int64_t c = command - kFirstComponentCommand;
  if (c < 0 || c >= static_cast<int64_t>(steps_.size())) return false;
  steps_[static_cast<size_t>(c)] = Step(value);
  known_ = true;
  return true;
}

std::vector<uint8_t> CMusicColour::StyleBlock() const {
  std::vector<uint8_t> block(24, 0);
  for (size_t c = 0; c < steps_.size(); ++c) {
    const auto v = static_cast<uint32_t>(steps_[c] * 255 / kSteps);
    for (size_t b = 0; b < 4; ++b) block[c * 4 + b] = static_cast<uint8_t>(v >> (8 * b));
  }
  return block;
}

}  // namespace orlo::audio
