#pragma once
// The random source of the lighting effects (twinkles, random colours): a small xorshift
// generator, so that a light thread needs no lock and a test can seed it and replay a run.
#include <cstdint>

namespace orlo::keyboard {

class CEffectRandom {
 public:
  explicit CEffectRandom(uint32_t seed = 0x2545F491u) { Seed(seed); }
  void Seed(uint32_t seed) { state_ = seed ? seed : 0x2545F491u; }
  // A value in 0 .. bound - 1 (0 for a bound below 1).
  int Below(int bound) {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return bound > 0 ? static_cast<int>(state_ % static_cast<uint32_t>(bound)) : 0;
  }

 private:
  uint32_t state_ = 1;
};

}  // namespace orlo::keyboard
