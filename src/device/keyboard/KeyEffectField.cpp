#include "device/keyboard/KeyEffectField.h"

namespace orlo::keyboard {

uint8_t StepPhaseBy(uint8_t phase, int step, int period, int direction) {
  if (period <= 0) return 0;
  int next = direction ? phase + step : phase - step;
  if (next < 0 || next >= period) next = direction ? 0 : period - step;
  if (next < 0 || next >= period) next = period - 1;
  return static_cast<uint8_t>(next);
}

void KeyEffectField::Reset() {
  intensity.fill(0);
  colourIndex.fill(0);
  phase.fill(0);
  for (auto& row : ring) row.fill(0);
  effectPhase = 0;
  ringStep = 0;
}

namespace {

// Fading rules: the first rule whose floor the intensity reaches takes its step off.
struct DecayRule {
  uint8_t floor, step;
};
constexpr DecayRule kDecayPlain[] = {{128, 40}, {64, 30}, {32, 15}, {17, 8}, {1, 1}};
constexpr DecayRule kDecayMusic[] = {{144, 45}, {128, 40}, {112, 35}, {96, 30}, {80, 25},
                                     {64, 20},  {32, 10},  {17, 5},   {1, 1}};
constexpr DecayRule kDecayOther[] = {{128, 40}, {64, 30}, {32, 10}, {17, 8}, {1, 1}};

template <size_t N>
uint8_t Fade(uint8_t v, const DecayRule (&rules)[N]) {
  for (const DecayRule& r : rules)
    if (v >= r.floor) return static_cast<uint8_t>(v - r.step);
  return v;
}

}  // namespace

void KeyEffectField::Decay(int key, int mode) {
  if (key < 0 || key >= kPositions) return;
  uint8_t& v = intensity[static_cast<size_t>(key)];
  v = mode == 0 ? Fade(v, kDecayPlain) : mode == 29 ? Fade(v, kDecayMusic) : Fade(v, kDecayOther);
}

uint8_t KeyEffectField::RingColumn(int column) const {
  if (column < 0 || column >= kColumns) return 0;
  uint8_t bits = 0;
  for (const auto& row : ring) bits |= row[static_cast<size_t>(column)];
  return bits;
}

void KeyEffectField::SetRingBit(int column, int bit) {
  if (column < 0 || column >= kColumns || bit < 0 || bit > 7) return;
  for (auto& row : ring) row[static_cast<size_t>(column)] |= static_cast<uint8_t>(1u << bit);
}

void KeyEffectField::SeedRing(bool multicolour, CEffectRandom& random) {
  for (int column = 0; column < kColumns; ++column) {
    const uint8_t bits = RingColumn(column);
    if (!bits) continue;
    for (int row = 0; row < kRows; ++row) {
      const uint8_t key = KeyAt(column, row);
      if (!(bits & (1u << row)) || key == kNoKey) continue;
      intensity[key] = 255;
      if (multicolour) colourIndex[key] = static_cast<uint8_t>(random.Below(192));
    }
  }
}

void KeyEffectField::SpreadRingDiagonal() {
  const auto old = ring;
  auto at = [](const std::array<uint8_t, kColumns>& row, int column) -> uint8_t {
    return column >= 0 && column < kColumns ? row[static_cast<size_t>(column)] : 0;
  };
  for (int c = 0; c < kColumns; ++c) {
    const size_t i = static_cast<size_t>(c);
    ring[0][i] = static_cast<uint8_t>(old[0][i] >> 1 | at(old[0], c + 1));
    ring[1][i] = static_cast<uint8_t>(old[1][i] >> 1 | at(old[1], c - 1));
    ring[2][i] = static_cast<uint8_t>(old[2][i] << 1 | at(old[2], c - 1));
    ring[3][i] = static_cast<uint8_t>(old[3][i] << 1 | at(old[3], c + 1));
  }
}

void KeyEffectField::SpreadRingHorizontal() {
  ring[0].fill(0);
  ring[2].fill(0);
  for (int c = kColumns - 1; c > 0; --c) ring[1][static_cast<size_t>(c)] = ring[1][static_cast<size_t>(c - 1)];
  ring[1][0] = 0;
  for (int c = 0; c < kColumns - 1; ++c) ring[3][static_cast<size_t>(c)] = ring[3][static_cast<size_t>(c + 1)];
  ring[3][kColumns - 1] = 0;
}

void KeyEffectField::StartRipple(int position, int pressed) {
  if (pressed != 1) return;
  const MatrixCell cell = CellOf(position);
  if (cell.Valid()) SetRingBit(cell.column, cell.row);
}

}  // namespace orlo::keyboard
