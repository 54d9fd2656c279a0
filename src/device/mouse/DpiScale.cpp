#include "device/mouse/DpiScale.h"

#include <algorithm>

namespace orlo {

CDpiScale::CDpiScale(int minimum, int step, uint16_t sensor)
    : minimum_(std::max(0, minimum)), step_(step > 0 ? step : 1), sensor_(sensor) {}

CDpiScale CDpiScale::FromInfo(const uint8_t* info, int size) {
  if (info == nullptr || size < 16) return CDpiScale{};
  const auto sensor = static_cast<uint16_t>(info[9] | (info[10] << 8));
  const int minimum = info[14] | (info[15] << 8);
  return CDpiScale(minimum, info[11], sensor);
}

int CDpiScale::ResolutionAt(int position) const {
  const int p = std::clamp(position, 0, kMaxPosition);
  if (TwoSlope() && p > kKnee) return minimum_ + kKnee * step_ + (p - kKnee) * kUpperStep;
  return minimum_ + p * step_;
}

int CDpiScale::PositionOf(int resolution) const {
  const int v = std::max(resolution, minimum_);
  const int knee = minimum_ + kKnee * step_;
  int p;
  if (TwoSlope() && v > knee)
    p = kKnee + (v - knee) / kUpperStep;
  else
    p = (v - minimum_) / step_;
  return std::clamp(p, 0, kMaxPosition);
}

}  // namespace orlo
