#pragma once
// Reading and writing the 1024-byte value and parameter buffers of the chip calls. 32-bit
// values are little-endian, slot n at byte 4n; text is ASCII ended by a 0 byte or by the end of
// the buffer. Nothing here reads or writes outside the buffer: a slot beyond it reads 0 and is
// not written.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/audio/AudioChip.h"

namespace orlo::audio {

inline constexpr size_t kChipBufferSlots = kChipBufferSize / 4;

void PutInt32(ChipBuffer& buffer, size_t slot, int32_t value);
void PutFloat(ChipBuffer& buffer, size_t slot, float value);
int32_t Int32At(const ChipBuffer& buffer, size_t slot);
float FloatAt(const ChipBuffer& buffer, size_t slot);

// Writes text and a 0 byte; text longer than kChipBufferSize - 1 bytes is cut.
void PutText(ChipBuffer& buffer, std::string_view text);
// The text up to the first 0 byte, or the whole buffer when it holds none.
std::string_view TextOf(const ChipBuffer& buffer);

// A zeroed buffer holding values in slots 0, 1, ...; values beyond the buffer are dropped.
ChipBuffer BufferOfInts(const std::vector<int32_t>& values);

// Property names: ASCII to UTF-16 and back. A name with a character outside ASCII comes back as
// an empty string, which no component knows.
std::u16string ToChipName(std::string_view ascii);
std::string FromChipName(std::u16string_view name);

}  // namespace orlo::audio
