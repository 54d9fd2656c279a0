#include "app/DivuRudoReport.h"

#include <algorithm>

#include "device/link/Catalogue.h"

namespace orlo {

namespace {
void PutWord(std::vector<uint8_t>& block, size_t word, int32_t value) {
  auto v = static_cast<uint32_t>(value);
  for (size_t b = 0; b < 4; ++b) block[word * 4 + b] = static_cast<uint8_t>(v >> (8 * b));
}
}  // namespace

std::vector<uint8_t> BuildDivuRudoBlock(const std::vector<UpdateRowIntegers>& rows) {
  std::vector<uint8_t> block(kDivuRudoBlockSize, 0);
  constexpr size_t kWords = kDivuRudoBlockSize / 4;
  constexpr size_t kFirstRowWord = 5;
  const size_t fit = std::min(rows.size(), (kWords - kFirstRowWord) / 3);
  PutWord(block, 0, 2);
  PutWord(block, 1, 3);
  PutWord(block, 2, 0);
  PutWord(block, 3, 2);
  PutWord(block, 4, static_cast<int32_t>(fit));
  for (size_t r = 0; r < fit; ++r) {
    for (size_t i = 0; i < 3; ++i) PutWord(block, kFirstRowWord + r * 3 + i, rows[r][i]);
  }
  return block;
}

}  // namespace orlo

namespace orlo {

std::vector<UpdateRowIntegers> UpdateTableIntegers() {
  std::vector<UpdateRowIntegers> rows;
  for (const UpdateEntry& e : kUpdateTable) rows.push_back({e.rowType, e.rowFlag, e.rowVersion});
  return rows;
}

}  // namespace orlo
