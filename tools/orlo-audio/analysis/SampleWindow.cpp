#include "analysis/SampleWindow.h"

#include <algorithm>

namespace orlo::audio {

void CSampleWindow::Append(std::span<const float> samples, TimePoint now) {
  std::lock_guard lock(mutex_);
  const size_t n = ring_.size();
  if (n == 0) return;
  // Only the last n samples can stay.
  if (samples.size() > n) samples = samples.subspan(samples.size() - n);
  for (float s : samples) {
    ring_[next_] = s;
    next_ = (next_ + 1) % n;
  }
  heard_ = true;
  last_ = now;
}

void CSampleWindow::CopyLatest(std::span<float> out, TimePoint now, std::chrono::nanoseconds maxAge) {
  std::lock_guard lock(mutex_);
  if (out.size() != ring_.size()) return;
  if (!heard_ || now - last_ > maxAge) {
    // Stale sound is not kept.
    std::fill(ring_.begin(), ring_.end(), 0.0f);
    heard_ = false;
    std::fill(out.begin(), out.end(), 0.0f);
    return;
  }
  const auto split = ring_.begin() + static_cast<std::ptrdiff_t>(next_);
  std::copy(split, ring_.end(), out.begin());
  std::copy(ring_.begin(), split, out.begin() + (ring_.end() - split));
}

}  // namespace orlo::audio
