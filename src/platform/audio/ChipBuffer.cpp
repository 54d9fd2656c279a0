#include "platform/audio/ChipBuffer.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace orlo::audio {

void PutInt32(ChipBuffer& buffer, size_t slot, int32_t value) {
  if (slot >= kChipBufferSlots) return;
  const auto u = static_cast<uint32_t>(value);
  for (size_t i = 0; i < 4; ++i) buffer[slot * 4 + i] = static_cast<uint8_t>(u >> (8 * i));
}

void PutFloat(ChipBuffer& buffer, size_t slot, float value) {
  PutInt32(buffer, slot, std::bit_cast<int32_t>(value));
}

int32_t Int32At(const ChipBuffer& buffer, size_t slot) {
  if (slot >= kChipBufferSlots) return 0;
  uint32_t u = 0;
  for (size_t i = 0; i < 4; ++i) u |= uint32_t{buffer[slot * 4 + i]} << (8 * i);
  return static_cast<int32_t>(u);
}

float FloatAt(const ChipBuffer& buffer, size_t slot) { return std::bit_cast<float>(Int32At(buffer, slot)); }

void PutText(ChipBuffer& buffer, std::string_view text) {
  const size_t n = std::min(text.size(), kChipBufferSize - 1);
  std::memcpy(buffer.data(), text.data(), n);
  buffer[n] = 0;
}

std::string_view TextOf(const ChipBuffer& buffer) {
  const auto* begin = reinterpret_cast<const char*>(buffer.data());
  const void* end = std::memchr(begin, 0, buffer.size());
  const size_t n = end ? static_cast<size_t>(static_cast<const char*>(end) - begin) : buffer.size();
  return {begin, n};
}

ChipBuffer BufferOfInts(const std::vector<int32_t>& values) {
  ChipBuffer b{};
  for (size_t i = 0; i < values.size() && i < kChipBufferSlots; ++i) PutInt32(b, i, values[i]);
  return b;
}

std::u16string ToChipName(std::string_view ascii) {
  std::u16string out;
  out.reserve(ascii.size());
  for (char c : ascii) {
    if (static_cast<unsigned char>(c) >= 0x80) return {};
    out += static_cast<char16_t>(c);
  }
  return out;
}

std::string FromChipName(std::u16string_view name) {
  std::string out;
  out.reserve(name.size());
  for (char16_t c : name) {
    if (c >= 0x80) return {};
    out += static_cast<char>(c);
  }
  return out;
}

}  // namespace orlo::audio
