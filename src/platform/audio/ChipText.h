#pragma once
// Reading the chip's answers. An answer comes from outside the program and is taken only when
// it is exactly what the property gives: a helper returns nothing for an empty answer, a
// missing field, text that is not a number, trailing characters, or a value outside the range,
// so that the caller keeps the value it had (the profile's value). Blanks (spaces, tabs, line
// breaks) around a number or a field do not count.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orlo::audio {

// A decimal integer ("-12", "+3", " 40 ") within the 32-bit signed range.
std::optional<int32_t> ParseChipInt(std::string_view text);
// The same, and only when lo <= value <= hi.
std::optional<int32_t> ParseChipIntIn(std::string_view text, int32_t lo, int32_t hi);
// A finite decimal number ("0.35", "-1.5e-2", "1", ".5"); no hex, no inf or nan.
std::optional<double> ParseChipReal(std::string_view text);
// "0" or "1".
std::optional<bool> ParseChipFlag(std::string_view text);

// Comma-separated fields, blanks around each removed. An empty or blank text has no field;
// "1,,3" has three fields, the second empty.
std::vector<std::string_view> SplitChipFields(std::string_view text);
// Each field as ParseChipInt reads it (nothing for a field that is no integer).
std::vector<std::optional<int32_t>> ParseChipIntList(std::string_view text);

// Microphone and monitoring levels travel as scalars 0.0-1.0. The level is the scalar times 100,
// rounded to the nearest whole number (truncating would read 0.29 back as 28); nothing for a
// scalar outside 0.0-1.0.
std::optional<int> LevelFromChipScalar(std::string_view text);
// level / 100 for a level limited to 0-100.
float ChipScalarFromLevel(int level);
// The shortest decimal text that reads back as v ("0.35" for 0.35f), as a chip answers a float.
std::string ChipFloatText(float v);

// The "GetSupportFeature" answer: at least seven comma-separated fields, of which fields 0, 4
// and 6 are the three feature values. Feature values are bit sets, so a field may also be
// written unsigned (up to 4294967295) and is then taken as the same 32 bits. Nothing when there
// are fewer than seven fields or one of the three is no such number.
std::optional<std::array<int32_t, 3>> ParseSupportFeature(std::string_view text);

}  // namespace orlo::audio
