#pragma once
// The status block sent to the program that publishes itself as "DivuRudo": 1024 bytes read as
// 256 little-endian 32-bit words, zero where nothing is set. Words 0-3 are 2, 3, 0, 2; word 4 the
// number of update rows; from word 5 on, the three integers of each row in order.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orlo {


inline constexpr const char* kDivuRudoTitle = "DivuRudo";
inline constexpr uint32_t kDivuRudoDataKind = 5;
inline constexpr size_t kDivuRudoBlockSize = 1024;

using UpdateRowIntegers = std::array<int32_t, 3>;

// Rows that would not fit in the block are left out (and not counted).
std::vector<uint8_t> BuildDivuRudoBlock(const std::vector<UpdateRowIntegers>& rows);

// The three integers of each row of the update table, in table order (the third is 0 there).
std::vector<UpdateRowIntegers> UpdateTableIntegers();

}  // namespace orlo
