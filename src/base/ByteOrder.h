#pragma once
// Little-endian 16-bit fields of device blocks.
#include <cstdint>

namespace orlo {

inline void PutLe16(uint8_t* at, int value) {
  at[0] = static_cast<uint8_t>(value);
  at[1] = static_cast<uint8_t>(value >> 8);
}

inline uint16_t GetLe16(const uint8_t* at) { return static_cast<uint16_t>(at[0] | at[1] << 8); }

}  // namespace orlo
