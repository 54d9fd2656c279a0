#include "app/AudioInbox.h"

namespace orlo {

namespace {
int32_t WordAt(const std::vector<uint8_t>& data, size_t index) {
  uint32_t v = 0;
  for (size_t b = 0; b < 4; ++b) v |= static_cast<uint32_t>(data[index * 4 + b]) << (8 * b);
  return static_cast<int32_t>(v);
}
}  // namespace

CAudioInbox::Result CAudioInbox::Accept(uint32_t kind, const std::vector<uint8_t>& data) {
  if (data.empty() || data.size() % 4 != 0) return Result::Refused;
  const size_t count = data.size() / 4;
  if (kind == kFrameKind) {
    if (count > kFrameValues) return Result::Refused;
    previous_ = frame_;
    frame_.fill(0);
    for (size_t i = 0; i < count; ++i) frame_[i] = WordAt(data, i);
    frameLength_ = count;
    ++frames_;
    return Result::Frame;
  }
  if (kind == kStyleKind) {
    if (count != kStyleValues) return Result::Refused;
    for (size_t i = 0; i < count; ++i) style_[i] = WordAt(data, i);
    return Result::Style;
  }
  return Result::Refused;
}

}  // namespace orlo
