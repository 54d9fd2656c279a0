#include "device/keyboard/KeyMatrix.h"

#include "device/model/PreviewTables.h"

namespace orlo::keyboard {
namespace {

using Column = std::array<uint8_t, kRows>;
constexpr std::array<Column, kColumns> kMatrix = {{
    {170, 120, 121, 122, 123, 124}, {170, 21, 42, 63, 84, 105}, {0, 22, 43, 64, 102, 106},
    {1, 23, 44, 65, 85, 20},        {2, 24, 45, 66, 86, 107},   {3, 25, 46, 67, 87, 126},
    {4, 26, 47, 68, 88, 127},       {18, 27, 48, 69, 89, 108},  {5, 28, 49, 70, 90, 128},
    {6, 29, 50, 71, 91, 129},       {7, 30, 51, 72, 92, 109},   {8, 31, 52, 73, 93, 125},
    {9, 32, 53, 74, 94, 110},       {10, 33, 54, 62, 100, 111}, {11, 34, 55, 75, 19, 130},
    {12, 101, 103, 79, 95, 112},    {13, 35, 56, 82, 80, 113},  {14, 36, 57, 83, 96, 114},
    {15, 37, 58, 17, 81, 115},      {170, 38, 59, 76, 97, 116}, {170, 39, 60, 77, 98, 104},
    {170, 40, 61, 78, 99, 117},     {170, 41, 16, 119, 118, 131},
}};

template <size_t N>
constexpr std::array<uint8_t, N> Marks() {
  std::array<uint8_t, N> a{};
  for (auto& v : a) v = kNoKey;
  return a;
}

constexpr std::array<uint8_t, kPositions> MakeOrder(bool snake) {
  auto order = Marks<kPositions>();
  size_t n = 0;
  for (int row = 0; row < kRows; ++row) {
    for (int i = 0; i < kColumns; ++i) {
      const int column = snake && row % 2 == 1 ? kColumns - 1 - i : i;
      if (kMatrix[column][row] != kNoKey) order[n++] = kMatrix[column][row];
    }
  }
  return order;
}

// Slanted row of a cell: two columns per row, leaning one column per two matrix rows.
constexpr int SlantOf(int column, int row) {
  const int s = (2 * column + row) / 4;
  return s > 11 ? 11 : s;
}

constexpr std::array<std::array<uint8_t, 12>, 12> MakeSlantedRows() {
  std::array<std::array<uint8_t, 12>, 12> rows{};
  for (auto& r : rows) r = Marks<12>();
  std::array<size_t, 12> used{};
  for (int column = 0; column < kColumns; ++column) {
    for (int row = 0; row < kRows; ++row) {
      if (kMatrix[column][row] == kNoKey) continue;
      const int s = SlantOf(column, row);
      if (used[s] >= 12) throw "a slanted row holds more than 12 keys";  // stops the compile
      rows[s][used[s]++] = kMatrix[column][row];
    }
  }
  return rows;
}

constexpr std::array<std::array<uint8_t, 7>, kColumns> MakeColumnTable() {
  std::array<std::array<uint8_t, 7>, kColumns> t{};
  for (int column = 0; column < kColumns; ++column) {
    t[column] = Marks<7>();
    for (int row = 0; row < kRows; ++row) t[column][row] = kMatrix[column][row];
  }
  return t;
}

// Step t lights the diagonal column + row = t × 27 / 51, so the 28 diagonals spread over 52 steps.
constexpr std::array<std::array<uint8_t, 12>, 52> MakeDiagonalScript() {
  std::array<std::array<uint8_t, 12>, 52> script{};
  for (int t = 0; t < 52; ++t) {
    script[t] = Marks<12>();
    const int diagonal = t * 27 / 51;
    size_t n = 0;
    for (int column = 0; column < kColumns; ++column) {
      const int row = diagonal - column;
      if (row >= 0 && row < kRows && kMatrix[column][row] != kNoKey) script[t][n++] = kMatrix[column][row];
    }
  }
  return script;
}

constexpr std::array<uint8_t, 104> MakeRandomPool() {
  const auto sweep = MakeOrder(true);
  std::array<uint8_t, 104> pool{};
  for (size_t i = 0; i < pool.size(); ++i) pool[i] = sweep[i];
  return pool;
}

constexpr std::array<std::array<uint8_t, 7>, kColumns> MakeStartPhase() {
  std::array<std::array<uint8_t, 7>, kColumns> t{};
  for (int column = 0; column < kColumns; ++column)
    for (int cell = 0; cell < 7; ++cell) t[column][cell] = static_cast<uint8_t>((8 * column + 36 * cell) % 192);
  return t;
}

// Six keys a step along the snake order.
constexpr std::array<std::array<uint8_t, 6>, 20> MakeScriptSixes() {
  const auto sweep = MakeOrder(true);
  std::array<std::array<uint8_t, 6>, 20> script{};
  for (size_t s = 0; s < script.size(); ++s)
    for (size_t k = 0; k < 6; ++k) script[s][k] = sweep[6 * s + k];
  return script;
}

// Pairs of keys one above the other in rows 2 and 3, from column 3 rightwards.
constexpr std::array<std::array<uint8_t, 2>, 16> MakeScriptPairs() {
  std::array<std::array<uint8_t, 2>, 16> pairs{};
  for (int i = 0; i < 16; ++i) pairs[i] = {kMatrix[3 + i][2], kMatrix[3 + i][3]};
  return pairs;
}

constexpr std::array<uint8_t, 25> kPulseRise = {0,   4,   8,   14,  22,  33,  45,  61,  77,  84,  100, 110, 120,
                                                130, 140, 150, 158, 166, 175, 182, 191, 204, 220, 234, 255};

std::array<uint8_t, 192> MakePulse() {
  std::array<uint8_t, 192> t{};
  for (size_t i = 0; i < kPulseRise.size(); ++i) t[i] = kPulseRise[i];
  for (int i = 0; i <= 61; ++i) t[static_cast<size_t>(24 + i)] = preview::kBreathing[static_cast<size_t>(63 - i)];
  t[86] = 2;
  t[87] = 1;
  return t;
}

}  // namespace

const std::array<std::array<uint8_t, kRows>, kColumns> kKeyMatrix = kMatrix;
const std::array<uint8_t, kPositions> kSweepOrder = MakeOrder(true);
const std::array<uint8_t, kPositions> kFillOrder = MakeOrder(false);
// Evaluated while compiling: a row that overflows stops the build.
constexpr auto kSlanted = MakeSlantedRows();
const std::array<std::array<uint8_t, 12>, 12> kSlantedRows = kSlanted;
const std::array<std::array<uint8_t, 7>, kColumns> kColumnTable = MakeColumnTable();
const std::array<std::array<uint8_t, 12>, 52> kDiagonalScript = MakeDiagonalScript();
const std::array<uint8_t, 104> kRandomPool = MakeRandomPool();
const std::array<std::array<uint8_t, 7>, kColumns> kStartPhase = MakeStartPhase();
const std::array<std::array<uint8_t, 6>, 20> kScriptSixes = MakeScriptSixes();
const std::array<std::array<uint8_t, 2>, 16> kScriptPairs = MakeScriptPairs();
// The breathing curve it reads is constant-initialised, so it is ready before this runs.
const std::array<uint8_t, 192> kPulse = MakePulse();

namespace {

constexpr std::array<MatrixCell, kPositions> MakeCells() {
  std::array<MatrixCell, kPositions> cells{};
  for (int column = kColumns - 1; column >= 0; --column)
    for (int row = kRows - 1; row >= 0; --row)
      if (kMatrix[column][row] != kNoKey) cells[kMatrix[column][row]] = {column, row};
  return cells;
}
constexpr std::array<MatrixCell, kPositions> kCells = MakeCells();

}  // namespace

MatrixCell CellOf(int position) {
  return position >= 0 && position < kPositions ? kCells[static_cast<size_t>(position)] : MatrixCell{};
}

uint8_t KeyAt(int column, int row) {
  if (column < 0 || column >= kColumns || row < 0 || row >= kRows) return kNoKey;
  return kMatrix[static_cast<size_t>(column)][static_cast<size_t>(row)];
}

}  // namespace orlo::keyboard
