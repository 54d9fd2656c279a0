#pragma once
// The headset's built-in equaliser presets, types 1-12: ten band values each, in the order of
// the bands "EQ_Slider1" ... "EQ_Slider10". Choosing a preset sends these bands to the chip and
// stores them in the profile's row of that type; the default document holds the same rows.
#include <array>
#include <cstdint>
#include <optional>

namespace orlo {

inline constexpr int kEqPresetCount = 12;
using EqBands = std::array<int32_t, 10>;

// The bands of preset type 1-12; nothing for any other type.
std::optional<EqBands> EqPresetBands(int type);

}  // namespace orlo
