#pragma once
// The keyboard's animation state behind its lighting effects: per key position an intensity, a
// hue-wheel colour index and a phase, the key ring (four rows of 23 column bytes, bit j marking
// matrix row j, bits 6 and 7 just outside the matrix) whose marks spread as ripples, and the
// effect phases. Only the light thread touches it.
#include <array>
#include <cstdint>

#include "device/keyboard/EffectRandom.h"
#include "device/keyboard/KeyMatrix.h"
#include "device/model/LedState.h"

namespace orlo::keyboard {

// A phase moved by `step` over `period`: up with direction non-zero (0 once it reaches the period),
// down with direction 0 (period - step once it leaves 0 .. period - 1). The result is always
// inside the period.
uint8_t StepPhaseBy(uint8_t phase, int step, int period, int direction);

struct KeyEffectField {
  std::array<uint8_t, kPositions> intensity{};
  std::array<uint8_t, kPositions> colourIndex{};
  std::array<uint8_t, kPositions> phase{};  // per-key state or phase of some effects
  std::array<std::array<uint8_t, kColumns>, 4> ring{};
  uint8_t effectPhase = 0;
  // Colour index of the colour cycle and blink steps, and the music effect's level offset; an
  // effect change leaves it as it is.
  uint8_t secondPhase = 0;
  uint8_t ringStep = 0;

  // An effect change: phases, ring step, every per-key value and the ring become 0.
  void Reset();

  // Lowers a key's intensity by the fading rule of effect `mode` (0, 29, or any other).
  void Decay(int key, int mode);

  // Every keyed matrix cell marked in any ring row gets intensity 255 and, with multicolour, a
  // random colour index 0-191.
  void SeedRing(bool multicolour, CEffectRandom& random);
  // Each row moves its marks one cell along its own diagonal (rows 0 and 1 up, 2 and 3 down; rows
  // 0 and 3 left, 1 and 2 right): a single mark grows into a diamond, one step a cell.
  void SpreadRingDiagonal();
  // Rows 0 and 2 empty; row 1 moves one column right, row 3 one column left.
  void SpreadRingHorizontal();
  // Marks the position's matrix cell in all four rows; nothing unless pressed is 1 or for a
  // position outside the matrix.
  void StartRipple(int position, int pressed = 1);
  // The ring rows' column together (OR of the four rows).
  uint8_t RingColumn(int column) const;
  void SetRingBit(int column, int bit);

  // Intensity of a position, 0 outside 0-169 or for kNoKey.
  uint8_t IntensityOf(int key) const { return key >= 0 && key < kPositions ? intensity[static_cast<size_t>(key)] : 0; }
};

}  // namespace orlo::keyboard
