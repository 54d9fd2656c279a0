#pragma once
// Where the keyboard's 170 key positions sit, and the fixed tables that shape its lighting
// animations: the key matrix of 23 columns × 6 rows, the orders in which sweeps and fills visit
// the keys, the slanted rows, the diagonal script, the pool of random picks, the start phases of
// the fast random breathing, the scripts of the scripted ripple, and the pulse curve.
//
// Every table holds key positions (0-169) or kNoKey; the orders end in kNoKey marks rather than
// repeating a key, so no key is visited twice in one step.
#include <array>
#include <cstddef>
#include <cstdint>

namespace orlo::keyboard {

inline constexpr int kPositions = 170;
inline constexpr uint8_t kNoKey = 170;
inline constexpr int kColumns = 23;
inline constexpr int kRows = 6;
// Positions 0-131 each have exactly one matrix cell; 132-169 have none.
inline constexpr int kMatrixKeys = 132;

// kKeyMatrix[column][row]; row 0 is the top row.
extern const std::array<std::array<uint8_t, kRows>, kColumns> kKeyMatrix;

struct MatrixCell {
  int column = -1, row = -1;
  bool Valid() const { return column >= 0; }
};
// The first cell holding the position (columns in order, rows within each); invalid when none.
MatrixCell CellOf(int position);
// The key in a cell, kNoKey for a cell without a key or outside the matrix.
uint8_t KeyAt(int column, int row);

// Every keyed cell, rows alternating in direction (snake), then marks.
extern const std::array<uint8_t, kPositions> kSweepOrder;
// Every keyed cell row by row, left to right, then marks.
extern const std::array<uint8_t, kPositions> kFillOrder;
// 12 slanted rows of up to 12 keys each (marks pad them); together they hold every matrix key.
extern const std::array<std::array<uint8_t, 12>, 12> kSlantedRows;
// The matrix columns with a seventh cell (always a mark).
extern const std::array<std::array<uint8_t, 7>, kColumns> kColumnTable;
// 52 steps of 12 keys: the diagonals of the matrix from the top-left corner to the bottom-right.
extern const std::array<std::array<uint8_t, 12>, 52> kDiagonalScript;
// Keys the twinkle effect picks from at random.
extern const std::array<uint8_t, 104> kRandomPool;
// Start phase (0-191 along the pulse curve) of each column-table cell for the fast breathing.
extern const std::array<std::array<uint8_t, 7>, kColumns> kStartPhase;
// Scripted ripple: 20 steps of six keys, then 16 pairs.
extern const std::array<std::array<uint8_t, 6>, 20> kScriptSixes;
extern const std::array<std::array<uint8_t, 2>, 16> kScriptPairs;

// 192 entries: a quick rise to 255 at 24, the breathing curve's fall back to 2 at 85, then 2, 1
// and zeros.
extern const std::array<uint8_t, 192> kPulse;

}  // namespace orlo::keyboard
