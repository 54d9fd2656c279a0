#include "analysis/LevelScale.h"

#include <cmath>

#include "analysis/Levels.h"

namespace orlo::audio {

int32_t CLevelScale::Level(double power) const {
  // NaN and negative powers (which a damaged input could give) count as silence.
  if (!(power > 0) || !(fullScalePower_ > 0)) return 0;
  const double db = 10.0 * std::log10(power / fullScalePower_);
  const double level = std::round(kLevelMax * (db + kRangeDb) / kRangeDb);
  if (!(level > 0)) return 0;
  if (level >= kLevelMax) return kLevelMax;
  return static_cast<int32_t>(level);
}

}  // namespace orlo::audio
