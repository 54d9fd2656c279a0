#pragma once
// The keyboard's music effect: seven pictures of the sound the computer plays, drawn from frames
// of 25 audio levels (0 is silence, about 2000 full scale; any 32-bit value is taken safely),
// and the beat detector that starts ripples from the centre of the keyboard.
#include <array>
#include <cstdint>

#include "device/keyboard/EffectRandom.h"
#include "device/keyboard/KeyEffectField.h"
#include "device/model/LedState.h"
#include "profile/LightData.h"

namespace orlo::keyboard {

class CKeyboardMusic {
 public:
  static constexpr int kLevels = 25;
  static constexpr int kAudioModes = 7;
  static constexpr int kBeatPosition = 51;
  using Levels = std::array<int32_t, kLevels>;

  // Pictures: 0 rising columns, 1 bars from the centre, 2 ripples, 3 loudness rows, 4 falling
  // columns, 5 bars by frequency band, 6 alternating bars.
  // Whether a picture consumes the level frame (the ripples do not: the beat detector does).
  static bool ReadsLevels(int audioMode) { return audioMode != 2; }

  // The effect starts: every column latch is set.
  void Prepare();

  struct Look {
    uint8_t level = 0;     // brightness table value of the effect's level
    int direction = 0;     // the effect's direction
    bool multicolour = false;  // the effect's multicolour flag (colours of seeded ripples)
  };
  // One step of the record's picture with the frame taken for it (zeros when none came). An
  // audio mode outside 0-6 draws nothing.
  void Step(KeyEffectField& field, CLedState& leds, const AudioLightInfo& record, const Levels& levels,
            const Look& look, CEffectRandom& random);

  // Loudness of a frame, 0 (silence) to 25 (every level at full scale), for the beat detector:
  // a ripple is due each time the summed loudness passes kBeatThreshold.
  static int Loudness(const Levels& levels);
  static constexpr int kBeatThreshold = 70;

  bool Latch(int column) const { return column >= 0 && column < kColumns && latch_[static_cast<size_t>(column)]; }

 private:
  std::array<bool, kColumns> latch_{};
  uint8_t slowSteps_ = 0;  // steps of picture 0 since its level offset last moved
};

}  // namespace orlo::keyboard
