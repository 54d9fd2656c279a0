// Host cost of one per-key frame of the keyboard: one lighting effect step over the 170 key
// positions plus the frame laid out through the keyboard's LED table (104 keys, 312 bytes), the
// work the light thread does for every frame it streams. Reported as CPU microseconds per frame
// (us_per_frame; 1 µs is 0.1 % of one 1 ms full-speed USB frame). CPU time, because the build
// machine is shared and the wall time then includes waiting for a core.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <vector>

#include "device/keyboard/KeyLightFrame.h"
#include "device/keyboard/KeyPositionMap.h"
#include "device/keyboard/KeyboardLightEngine.h"
#include "sim/SimKeyboard.h"

namespace {

using namespace orlo;
using namespace orlo::keyboard;

// The position maps of the simulated keyboard's own tables.
CKeyPositionMap SimKeyboardMap() {
  const auto memory = sim::SimKeyboard::MakeMemory();
  CKeyPositionMap map;
  map.Build(sim::SimKeyboard::kKeyCount, memory->Snapshot(sim::Area::KeyTable), memory->Snapshot(sim::Area::KeyBytes));
  return map;
}

// CPU microseconds per frame.
void Report(benchmark::State& state) {
  state.counters["us_per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * 1e-6,
                                                      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// range(0): effect; range(1): audio mode for the music effect.
void BM_EffectFrame(benchmark::State& state) {
  const CKeyPositionMap map = SimKeyboardMap();
  CLedState leds(170);
  CKeyboardLightEngine engine(leds);
  LightInfo effect;
  effect.mode = static_cast<uint8_t>(state.range(0));
  effect.brightness = 4, effect.speed = 4, effect.direction = 1, effect.multiColor = 1, effect.red = 200;
  AudioLightInfo audio;
  audio.audioMode = static_cast<uint8_t>(state.range(1));
  audio.fgRed = 255, audio.sevenColorFlag = 1;
  engine.SetAudioLight(audio);
  engine.SetEffect(effect);
  engine.StartRipple(51, 1);
  uint64_t tick = 10;
  engine.Pass(tick);
  std::array<int32_t, 25> levels{};
  std::array<uint8_t, 512> frame{};
  int n = 0;
  for (auto _ : state) {
    tick += 2;
    if (effect.mode == CKeyboardLightEngine::kMusic) {
      for (size_t i = 0; i < levels.size(); ++i) levels[i] = static_cast<int32_t>((n * 37 + i * 80) % 2400);
      engine.OnAudioLevels(levels.data(), levels.size());
    }
    if (++n % 64 == 0) engine.StartRipple(51, 1);
    engine.Step(tick);
    BuildKeyFrame(map, leds, FrameColours::Scaled, std::span<uint8_t>(frame.data(), map.TableBytes()));
    benchmark::DoNotOptimize(frame.data());
    benchmark::ClobberMemory();
  }
  Report(state);
}
BENCHMARK(BM_EffectFrame)
    ->ArgNames({"effect", "audio"})
    ->Args({1, 0})    // column wave
    ->Args({8, 0})    // ripple
    ->Args({14, 0})   // scripted ripple
    ->Args({22, 0})   // random breathing
    ->Args({29, 0})   // music: rising columns
    ->Args({29, 2})   // music: ripples
    ->Args({29, 4})   // music: falling columns
    ->Args({30, 0});  // colour given by another program

// A whole light-thread pass (hand-over from the UI thread, tick counting, step) plus the layout.
void BM_PassFrame(benchmark::State& state) {
  const CKeyPositionMap map = SimKeyboardMap();
  CLedState leds(170);
  CKeyboardLightEngine engine(leds);
  LightInfo effect;
  effect.mode = 1, effect.brightness = 4, effect.speed = 4, effect.direction = 1, effect.multiColor = 1;
  engine.SetEffect(effect);
  uint64_t tick = 10;
  std::array<uint8_t, 512> frame{};
  for (auto _ : state) {
    tick += 2;
    engine.Pass(tick);
    BuildKeyFrame(map, leds, FrameColours::Scaled, std::span<uint8_t>(frame.data(), map.TableBytes()));
    benchmark::DoNotOptimize(frame.data());
  }
  Report(state);
}
BENCHMARK(BM_PassFrame);

// The layout alone.
void BM_LayoutOnly(benchmark::State& state) {
  const CKeyPositionMap map = SimKeyboardMap();
  CLedState leds(170);
  for (int i = 0; i < 170; ++i) leds.Set(i, {static_cast<uint8_t>(i), 20, 30}, 200);
  std::array<uint8_t, 512> frame{};
  for (auto _ : state) {
    BuildKeyFrame(map, leds, FrameColours::Scaled, std::span<uint8_t>(frame.data(), map.TableBytes()));
    benchmark::DoNotOptimize(frame.data());
  }
  Report(state);
}
BENCHMARK(BM_LayoutOnly);

}  // namespace

BENCHMARK_MAIN();
