#include "platform/audio/ChipText.h"

#include <charconv>
#include <cmath>

namespace orlo::audio {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
  return s;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A signed decimal integer over the whole of s (already trimmed), in 64 bits.
std::optional<int64_t> WholeInteger(std::string_view s) {
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  // from_chars would take a second sign; only digits may follow.
  if (s.empty() || !IsDigit(s.front())) return std::nullopt;
  uint64_t magnitude = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), magnitude);
  if (ec != std::errc() || end != s.data() + s.size()) return std::nullopt;
  if (magnitude > (uint64_t{1} << 62)) return std::nullopt;  // far beyond any 32-bit value
  const auto v = static_cast<int64_t>(magnitude);
  return negative ? -v : v;
}

}  // namespace

std::optional<int32_t> ParseChipInt(std::string_view text) {
  return ParseChipIntIn(text, INT32_MIN, INT32_MAX);
}

std::optional<int32_t> ParseChipIntIn(std::string_view text, int32_t lo, int32_t hi) {
  auto v = WholeInteger(Trim(text));
  if (!v || *v < lo || *v > hi) return std::nullopt;
  return static_cast<int32_t>(*v);
}

std::optional<double> ParseChipReal(std::string_view text) {
  std::string_view s = Trim(text);
  bool negative = false;
  if (!s.empty() && (s.front() == '+' || s.front() == '-')) {
    negative = s.front() == '-';
    s.remove_prefix(1);
  }
  // Only a digit or a point may start the number: this keeps out "inf", "nan" and a second sign.
  if (s.empty() || !(IsDigit(s.front()) || s.front() == '.')) return std::nullopt;
  double v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v, std::chars_format::general);
  if (ec != std::errc() || end != s.data() + s.size() || !std::isfinite(v)) return std::nullopt;
  return negative ? -v : v;
}

std::optional<bool> ParseChipFlag(std::string_view text) {
  auto v = ParseChipIntIn(text, 0, 1);
  if (!v) return std::nullopt;
  return *v == 1;
}

std::vector<std::string_view> SplitChipFields(std::string_view text) {
  std::vector<std::string_view> fields;
  if (Trim(text).empty()) return fields;
  for (;;) {
    const size_t comma = text.find(',');
    fields.push_back(Trim(text.substr(0, comma)));
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return fields;
}

std::vector<std::optional<int32_t>> ParseChipIntList(std::string_view text) {
  std::vector<std::optional<int32_t>> values;
  for (std::string_view f : SplitChipFields(text)) values.push_back(ParseChipInt(f));
  return values;
}

std::optional<int> LevelFromChipScalar(std::string_view text) {
  auto v = ParseChipReal(text);
  if (!v || *v < 0.0 || *v > 1.0) return std::nullopt;
  return static_cast<int>(std::lround(*v * 100.0));
}

float ChipScalarFromLevel(int level) {
  if (level < 0) level = 0;
  if (level > 100) level = 100;
  return static_cast<float>(level) / 100.0f;
}

std::string ChipFloatText(float v) {
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

std::optional<std::array<int32_t, 3>> ParseSupportFeature(std::string_view text) {
  const auto fields = SplitChipFields(text);
  if (fields.size() < 7) return std::nullopt;
  std::array<int32_t, 3> out{};
  const size_t used[3] = {0, 4, 6};
  for (size_t i = 0; i < 3; ++i) {
    auto v = WholeInteger(fields[used[i]]);
    if (!v || *v < INT32_MIN || *v > int64_t{UINT32_MAX}) return std::nullopt;
    out[i] = static_cast<int32_t>(static_cast<uint32_t>(*v));
  }
  return out;
}

}  // namespace orlo::audio
