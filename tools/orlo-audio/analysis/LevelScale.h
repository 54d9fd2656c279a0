#pragma once
// Turns a band's power into its level: 2000 for a full-scale sine that lies wholly in the band,
// falling linearly with the decibels below that, and 0 from 60 dB below full scale down to
// silence. The result is always within 0 … 2000.
#include <cstdint>

namespace orlo::audio {

class CLevelScale {
 public:
  static constexpr double kRangeDb = 60.0;

  // fullScalePower: the band power a full-scale sine gives.
  explicit CLevelScale(double fullScalePower) : fullScalePower_(fullScalePower) {}
  int32_t Level(double power) const;

 private:
  double fullScalePower_;
};

}  // namespace orlo::audio
