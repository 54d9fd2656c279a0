#include "device/keyboard/KeyboardMusic.h"

#include "device/model/PreviewTables.h"

namespace orlo::keyboard {

using namespace preview;

namespace {

// How far a level is from full scale: 600 for silence, 0 at 2000, negative beyond. 64-bit, so
// any level a program sends is taken without overflow.
int64_t Quietness(int64_t level) { return 600 - level * 600 / 2000; }
// The same where a level beyond full scale counts as almost silent.
int64_t QuietnessCapped(int64_t level) {
  const int64_t x = Quietness(level);
  return x < 0 ? 500 : x;
}

uint8_t Cursor(int value) { return static_cast<uint8_t>(value % 192); }

// Sum of consecutive levels by group, divided by 3.
template <size_t N>
std::array<int64_t, N> GroupValues(const CKeyboardMusic::Levels& levels, const std::array<int, N>& sizes) {
  std::array<int64_t, N> values{};
  size_t at = 0;
  for (size_t g = 0; g < N; ++g) {
    int64_t sum = 0;
    for (int i = 0; i < sizes[g]; ++i) sum += levels[at++];
    values[g] = sum / 3;
  }
  return values;
}

constexpr int kQuiet = 10;       // below this intensity a key shows the background
constexpr uint8_t kAlways = 0xFF;  // "outer neighbour" that always lets a key fade

// Drawing shared by the pictures.
struct Painter {
  KeyEffectField& f;
  CLedState& leds;
  Rgb background, foreground;
  bool sevenColours;
  uint8_t level;

  Rgb LitColour(uint8_t cursor) const { return sevenColours ? kHueWheel[cursor] : foreground; }
  // Fades the key unless its outer neighbour is a key still at or above the threshold.
  void FadeUnlessHeld(uint8_t key, uint8_t outer, int threshold = kQuiet) {
    if (outer == kAlways || outer == kNoKey || f.intensity[outer] < threshold) f.Decay(key, 29);
  }
  void Lit(uint8_t key, uint8_t cursor) {
    f.intensity[key] = 255;
    leds.Set(key, LitColour(cursor), Scale(level, 255));
  }
  void NotLit(uint8_t key, uint8_t cursor) {
    if (f.intensity[key] < kQuiet)
      leds.Set(key, background, level);
    else
      leds.Set(key, LitColour(cursor), Scale(level, f.intensity[key]));
  }
  void Show(uint8_t key, uint8_t cursor, bool lit) { lit ? Lit(key, cursor) : NotLit(key, cursor); }
};

}  // namespace

void CKeyboardMusic::Prepare() { latch_.fill(true); }

int CKeyboardMusic::Loudness(const Levels& levels) {
  int64_t sum = 0;
  for (int32_t v : levels) sum += QuietnessCapped(v);
  const int64_t average = sum / kLevels;
  return static_cast<int>(25 - average * 25 / 600);
}

void CKeyboardMusic::Step(KeyEffectField& f, CLedState& leds, const AudioLightInfo& record, const Levels& levels,
                          const Look& look, CEffectRandom& random) {
  Painter paint{f, leds, Rgb{record.bkRed, record.bkGreen, record.bkBlue},
                Rgb{record.fgRed, record.fgGreen, record.fgBlue}, record.sevenColorFlag != 0, look.level};
  const int mode = record.audioMode;
  if (mode < 0 || mode >= kAudioModes) return;
  if (mode != 2 && mode != 3) f.effectPhase = StepPhaseBy(f.effectPhase, 1, 192, look.direction);
  // The level offset may have been left anywhere by the colour steps that share its byte.
  int offset = f.secondPhase % kLevels;

  switch (mode) {
    case 0: {  // rising columns: louder lights taller columns from the bottom row
      int cursor = f.effectPhase;
      for (int c = 0; c < kColumns; ++c) {
        cursor += 10;
        const int64_t h = (Quietness(levels[static_cast<size_t>(c)]) + 100) * 6 / 600;
        for (int j = 0; j < kRows; ++j) {
          const uint8_t key = KeyAt(c, j);
          if (key == kNoKey) continue;
          paint.FadeUnlessHeld(key, j == 0 ? kAlways : KeyAt(c, j - 1));
          paint.Show(key, Cursor(cursor), j >= h);
        }
      }
      if (++slowSteps_ >= 31) {
        slowSteps_ = 0;
        f.secondPhase = StepPhaseBy(f.secondPhase, 1, kLevels, look.direction);
      }
      break;
    }
    case 1: {  // two bars per row growing outward from columns 8 and 9
      int q = offset;
      for (int r = 0; r < kRows; ++r) {
        q += 3;
        if (q > 24) q -= 25;
        const int64_t a = QuietnessCapped(levels[static_cast<size_t>(q)]) + 100;
        const int64_t b = QuietnessCapped(levels[static_cast<size_t>(2 * r + 1)]) + 100;
        int cursor = f.effectPhase;
        for (int c = 0; c < kColumns; ++c) {
          cursor += 7;
          const uint8_t key = KeyAt(c, r);
          if (key == kNoKey) continue;
          if (c <= 8) {
            paint.FadeUnlessHeld(key, c == 0 ? kAlways : KeyAt(c - 1, r));
            paint.Show(key, Cursor(cursor), c >= a * 12 / 600);
          } else {
            paint.FadeUnlessHeld(key, c >= 21 ? kAlways : KeyAt(c + 1, r));
            paint.Show(key, Cursor(cursor), c - 9 <= 12 - b * 12 / 600);
          }
        }
      }
      f.secondPhase = StepPhaseBy(f.secondPhase, 1, kLevels, look.direction);
      break;
    }
    case 2: {  // ripples started by the beat detector
      f.SeedRing(look.multicolour, random);
      f.SpreadRingDiagonal();
      for (uint8_t key = 0; key < kMatrixKeys; ++key) {
        f.Decay(key, 29);
        f.colourIndex[key] = Cursor(f.colourIndex[key] + 9);
        if (f.intensity[key] > 9)
          leds.Set(key, paint.LitColour(f.colourIndex[key]), Scale(look.level, f.intensity[key]));
        else
          leds.Set(key, paint.background, look.level);
      }
      break;
    }
    case 3: {  // slanted rows lit by loudness, the colours running faster when quiet
      int64_t sum = 0;
      for (int32_t v : levels) sum += QuietnessCapped(v);
      const int u = static_cast<int>((sum / kLevels) * 20 / 600);
      f.effectPhase = StepPhaseBy(f.effectPhase, u, 192, look.direction);
      int cursor = f.effectPhase;
      for (int r = 0; r < 12; ++r) {
        cursor += 9;
        for (uint8_t key : kSlantedRows[static_cast<size_t>(r)]) {
          if (key == kNoKey) continue;
          if (r < 20 - u) {
            f.intensity[key] = 255;
            f.colourIndex[key] = Cursor(cursor);
          } else {
            f.Decay(key, 0);
          }
          leds.Set(key, kHueWheel[f.colourIndex[key]], Scale(look.level, f.intensity[key]));
        }
      }
      break;
    }
    case 4: {  // falling columns: a column lights once, then fades from the top until its bottom key is dark
      int q = offset;
      for (int c = 0; c < kColumns; ++c) {
        if (++q > 24) q -= 25;
        const int64_t h = (Quietness(levels[static_cast<size_t>(q)]) + 100) * 6 / 600;
        bool lighting = false;
        for (int j = 0; j < kRows; ++j) {
          const uint8_t key = KeyAt(c, j);
          if (key == kNoKey) continue;
          bool& latch = latch_[static_cast<size_t>(c)];
          if (latch && f.IntensityOf(KeyAt(c, kRows - 1)) < kQuiet) latch = false;
          paint.FadeUnlessHeld(key, j == 0 ? kAlways : KeyAt(c, j - 1), 5);
          if (f.intensity[key] < kQuiet)
            leds.Set(key, paint.background, look.level);
          else
            leds.Set(key, paint.LitColour(f.colourIndex[key]), Scale(look.level, f.intensity[key]));
          if (j >= h && (!latch || lighting)) {
            f.intensity[key] = 255;  // shown from the next step
            latch = true;
            lighting = true;
          }
        }
      }
      break;
    }
    case 5: {  // one bar per frequency band, from the left edge; the bottom row the lowest band
      const auto groups = GroupValues(levels, std::array<int, 6>{2, 3, 3, 4, 5, 7});
      for (int r = 0; r < kRows; ++r) {
        const int64_t t = (QuietnessCapped(groups[static_cast<size_t>(5 - r)]) + 100) * 23 / 600;
        int cursor = f.effectPhase;
        for (int c = 0; c < kColumns; ++c) {
          cursor += 3;
          const uint8_t key = KeyAt(c, r);
          if (key == kNoKey) continue;
          paint.FadeUnlessHeld(key, c >= 21 ? kAlways : KeyAt(c + 1, r));
          paint.Show(key, Cursor(cursor), c <= 23 - t);
        }
      }
      f.secondPhase = StepPhaseBy(f.secondPhase, 1, 8, look.direction);
      break;
    }
    case 6: {  // bars from the left on odd rows, from the right on even rows
      const auto groups = GroupValues(levels, std::array<int, 6>{2, 2, 3, 4, 5, 5});
      for (int r = 0; r < kRows; ++r) {
        const int64_t w = QuietnessCapped(groups[static_cast<size_t>(r)]) * 23 / 600;
        int cursor = f.effectPhase;
        for (int c = 0; c < kColumns; ++c) {
          const uint8_t key = KeyAt(c, r);
          if (key == kNoKey) continue;
          const bool fromLeft = r % 2 == 1;
          if (fromLeft)
            paint.FadeUnlessHeld(key, c >= 21 ? kAlways : KeyAt(c + 1, r));
          else
            paint.FadeUnlessHeld(key, c <= 1 ? kAlways : KeyAt(c - 1, r));
          const bool lit = fromLeft ? c <= 23 - w : c >= w;
          paint.Show(key, Cursor(cursor), lit);
          if (lit && paint.sevenColours) cursor += 2;
        }
      }
      f.secondPhase = StepPhaseBy(f.secondPhase, 1, kLevels, look.direction);
      break;
    }
    default:
      break;
  }
}

}  // namespace orlo::keyboard
