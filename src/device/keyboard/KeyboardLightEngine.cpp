#include "device/keyboard/KeyboardLightEngine.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "device/model/PreviewTables.h"

namespace orlo::keyboard {

using namespace preview;

namespace {

constexpr int kCountCap = 1000;  // counting goes on in the custom effect; keep it bounded

// Keys the column-wise effects draw: each column of the column table.
template <typename Body>
void ForEachColumnKey(Body body) {
  for (int c = 0; c < kColumns; ++c)
    for (int cell = 0; cell < 7; ++cell) {
      const uint8_t key = kColumnTable[static_cast<size_t>(c)][static_cast<size_t>(cell)];
      if (key != kNoKey) body(c, cell, key);
    }
}

template <typename Body>
void ForEachMatrixKey(Body body) {
  for (int c = 0; c < kColumns; ++c)
    for (int r = 0; r < kRows; ++r) {
      const uint8_t key = KeyAt(c, r);
      if (key != kNoKey) body(c, r, key);
    }
}

template <typename Body>
void ForEachSlantedKey(Body body) {
  for (int r = 0; r < 12; ++r)
    for (uint8_t key : kSlantedRows[static_cast<size_t>(r)])
      if (key != kNoKey) body(r, key);
}

}  // namespace

CKeyboardLightEngine::CKeyboardLightEngine(CLedState& leds) : leds_(leds) {}

// ---- hand-over from the UI thread ----------------------------------------------------------------

void CKeyboardLightEngine::SetEffect(const LightInfo& effect) {
  std::lock_guard lock(inputLock_);
  if (effect.mode != in_.effect.mode || effect.mode == kPerKeyColours) in_.prepare = true;
  in_.effect = effect;
}

LightInfo CKeyboardLightEngine::Effect() const {
  std::lock_guard lock(inputLock_);
  return in_.effect;
}

void CKeyboardLightEngine::RequestPrepare() {
  std::lock_guard lock(inputLock_);
  in_.prepare = true;
}

void CKeyboardLightEngine::SetAudioLight(const AudioLightInfo& record) {
  std::lock_guard lock(inputLock_);
  in_.audio = record;
}

void CKeyboardLightEngine::SetAudioStyle(std::span<const int32_t> values) {
  if (values.size() < 3) return;
  auto channel = [](int32_t v) { return static_cast<uint8_t>(std::clamp<int32_t>(v, 0, 255)); };
  std::lock_guard lock(inputLock_);
  in_.styleColour = {channel(values[0]), channel(values[1]), channel(values[2])};
}

bool CKeyboardLightEngine::OnAudioLevels(const int32_t* levels, size_t count) {
  if (!levels || count < CKeyboardMusic::kLevels) return false;
  std::lock_guard lock(inputLock_);
  std::copy(levels, levels + CKeyboardMusic::kLevels, in_.levels.begin());
  in_.haveLevels = true;
  if (in_.effect.mode == kMusic && !CKeyboardMusic::ReadsLevels(in_.audio.audioMode)) {
    in_.haveLevels = false;
    in_.beat += CKeyboardMusic::Loudness(in_.levels);
    in_.levels.fill(0);
    if (in_.beat > CKeyboardMusic::kBeatThreshold) {
      in_.beat = 0;
      if (in_.rippleCount < static_cast<int>(in_.ripples.size()))
        in_.ripples[static_cast<size_t>(in_.rippleCount++)] = CKeyboardMusic::kBeatPosition;
    }
  }
  return true;
}

void CKeyboardLightEngine::StartRipple(int position, int pressed) {
  if (pressed != 1 || !CellOf(position).Valid()) return;
  std::lock_guard lock(inputLock_);
  if (in_.rippleCount < static_cast<int>(in_.ripples.size()))
    in_.ripples[static_cast<size_t>(in_.rippleCount++)] = static_cast<uint8_t>(position);
}

void CKeyboardLightEngine::SetLightList(std::vector<LightInfo> list) {
  std::lock_guard lock(inputLock_);
  in_.lightList = std::move(list);
  in_.newLightList = true;
}

void CKeyboardLightEngine::SetCustomSteps(const std::vector<LEDEffectStep>& steps) {
  std::lock_guard lock(customSteps_.lock);
  customSteps_.steps.clear();
  for (const auto& s : steps)
    customSteps_.steps.push_back(
        {s.mode, s.brightness, s.speed, s.direction, s.multiColor, s.red, s.green, s.blue, s.time, s.cycle});
  customSteps_.position = 0;
}

void CKeyboardLightEngine::TakeInputs(uint64_t nowMs) {
  bool prepare = false;
  bool newList = false;
  std::vector<LightInfo> list;
  std::array<uint8_t, 16> ripples{};
  int rippleCount = 0;
  {
    std::lock_guard lock(inputLock_);
    effect_ = in_.effect;
    audio_ = in_.audio;
    styleColour_ = in_.styleColour;
    prepare = std::exchange(in_.prepare, false);
    if (prepare) {  // a new effect starts without an old audio frame
      in_.haveLevels = false;
      in_.levels.fill(0);
    }
    ripples = in_.ripples;
    rippleCount = std::exchange(in_.rippleCount, 0);
    newList = std::exchange(in_.newLightList, false);
    if (newList) list = std::move(in_.lightList);
  }
  level_ = Brightness(effect_.brightness);
  if (prepare) Prepare(effect_.mode);
  for (int i = 0; i < rippleCount; ++i) field_.StartRipple(ripples[static_cast<size_t>(i)]);
  if (newList) perKey_.Restart(std::move(list), nowMs);
}

CKeyboardMusic::Levels CKeyboardLightEngine::TakeLevels() {
  std::lock_guard lock(inputLock_);
  CKeyboardMusic::Levels levels = in_.levels;
  if (!in_.haveLevels) levels.fill(0);
  in_.haveLevels = false;
  in_.levels.fill(0);
  return levels;
}

// ---- preparing an effect -------------------------------------------------------------------------

void CKeyboardLightEngine::Prepare(int mode) {
  counted_ = 0;  // the new effect's first step comes after its own interval
  field_.Reset();
  music_.Prepare();
  fillCursor_ = effect_.direction ? 0 : kPositions - 1;
  scriptStage_ = scriptStep_ = 0;
  if (mode != kPerKeyColours) leds_.Fill({}, 0);
  switch (mode) {
    case 13:
      field_.SetRingBit(9, 6);
      break;
    case 15:
      ForEachColumnKey([this](int c, int cell, uint8_t key) {
        field_.intensity[key] = kStartPhase[static_cast<size_t>(c)][static_cast<size_t>(cell)];
        field_.colourIndex[key] = static_cast<uint8_t>(7 * c);
      });
      break;
    case 16:
      field_.SetRingBit(1, 0);
      break;
    case kPerKeyColours:
      break;
    case 22:
      for (int c = 0; c < kColumns; ++c) {
        uint8_t phase = static_cast<uint8_t>(192 - 8 * c);
        for (uint8_t key : kColumnTable[static_cast<size_t>(c)]) {
          if (key != kNoKey) {
            field_.colourIndex[key] = static_cast<uint8_t>(7 * c);
            field_.phase[key] = phase;
          }
          phase = static_cast<uint8_t>(phase >= 35 ? phase - 35 : phase - 98);
        }
      }
      break;
    default: {  // colour indices spread over the wheel, skipping its top end
      uint8_t sum = 0;
      for (auto& index : field_.colourIndex) {
        sum = static_cast<uint8_t>(sum + (sum >= 160 && sum <= 222 ? 97 : 33));
        index = sum;
      }
      break;
    }
  }
}

// ---- timing ------------------------------------------------------------------------------------------

int CKeyboardLightEngine::IntervalOf(int mode, int speed) {
  const size_t s = static_cast<size_t>(SpeedIndex(speed));
  if (mode == 0 || mode == 19 || mode > kStyleColour) return -1;
  if (mode == 16 || mode == 18) return 3;
  if (mode == kMusic) return 2;
  if (mode == kStyleColour) return s == 0 ? 1 : 0;
  return kInterval10[s];
}

bool CKeyboardLightEngine::Pass(uint64_t nowMs) {
  TakeInputs(nowMs);
  if (nowMs - lastTick_ > 1) {
    uint64_t counts = (nowMs - lastTick_) / 2;
    if (lastTick_ == 0 || nowMs - lastTick_ > kResumeMs) {  // the first pass, or back from a rest
      counts = 1;
      lastTick_ = nowMs;
    } else {
      lastTick_ += 2 * counts;
    }
    counted_ = static_cast<int>(std::min<uint64_t>(counted_ + counts, kCountCap));
  }
  bool stepped = false;
  const int interval = IntervalOf(effect_.mode, effect_.speed);
  if (interval < 0) {
    Step(nowMs);
  } else if (counted_ >= interval) {
    Step(nowMs);
    counted_ = 0;
    stepped = true;
  }
  perKey_.Run(leds_, nowMs);
  return stepped;
}

uint64_t CKeyboardLightEngine::NextPassDue(uint64_t nowMs) const {
  const int interval = IntervalOf(effect_.mode, effect_.speed);
  if (interval < 0 || perKey_.CountsPasses()) return nowMs + 1;
  if (interval == 0) return UINT64_MAX;
  const int remaining = std::max(interval - counted_, 1);
  return std::max(lastTick_ + 2 * static_cast<uint64_t>(remaining), nowMs + 1);
}

void CKeyboardLightEngine::Step(uint64_t nowMs) {
  switch (effect_.mode) {
    case 1:
    case 2: StepColumnWave(effect_.mode); break;
    case 3: StepSweep(); break;
    case 4: StepSpectrum(); break;
    case 5: StepBreathingColumns(); break;
    case 6: StepStatic(); break;
    case 7:
    case 25: StepKeyFade(); break;
    case 8:
    case 9: StepRipple(effect_.mode); break;
    case 10: StepTwinkle(); break;
    case 11: StepColourCycleKeys(); break;
    case 12: StepRowWave(); break;
    case 13: StepRingWave(); break;
    case 14: StepScripted(); break;
    case 15:
    case 22: StepRandomBreathing(effect_.mode); break;
    case 16: StepBouncingRing(); break;
    case 17: StepFixedColour(); break;
    case 18: StepSlantedRows(); break;
    case kPerKeyColours:
      for (int i = 0; i < leds_.Size(); ++i) {
        LedValue v = leds_.Get(i);
        v.brightness = level_;
        leds_.SetWord(i, v.Word());
      }
      break;
    case 21: StepFill(); break;
    case 23: StepBlink(nowMs, false); break;
    case 24: StepDiagonal(); break;
    case 26: StepColourCycle(); break;
    case 27: StepBlink(nowMs, true); break;
    case 28: leds_.Fill({}, 0); break;
    case kMusic: StepMusic(); break;
    case kStyleColour: leds_.Fill(styleColour_, level_); break;
    default:  // 0, 19 and above 30: the user's custom effect
      player_.Pass(customSteps_, leds_, effect_.speed,
                   CCustomEffectPlayer::Clock::time_point(std::chrono::milliseconds(nowMs)));
      break;
  }
}

// ---- the effects ---------------------------------------------------------------------------------------

Rgb CKeyboardLightEngine::KeyColour(int key) const {
  return effect_.multiColor ? kHueWheel[field_.colourIndex[static_cast<size_t>(key)]]
                            : Rgb{effect_.red, effect_.green, effect_.blue};
}

void CKeyboardLightEngine::DrawByIntensity(int key) {
  leds_.Set(key, KeyColour(key), Scale(level_, field_.intensity[static_cast<size_t>(key)]));
}

void CKeyboardLightEngine::StepColumnWave(int mode) {
  const bool multi = effect_.multiColor;
  const Rgb colour{effect_.red, effect_.green, effect_.blue};
  const uint8_t phase = StepPhase(field_.effectPhase, multi ? 192 : 96, effect_.direction);
  field_.effectPhase = phase;
  ForEachColumnKey([&](int c, int, uint8_t key) {
    if (mode == 1) {
      if (multi)
        leds_.Set(key, kHueWheel[(phase + 1 + 7 * c) % 192], level_);
      else
        leds_.Set(key, colour, Scale(level_, kWave[static_cast<size_t>((phase + 1 + 7 * c) % 96)]));
    } else {
      if (multi)
        leds_.Set(key, kHueWheel[(phase + 2 * c) % 192], level_);
      else
        leds_.Set(key, colour, Scale(level_, kPulse[static_cast<size_t>((phase + c) % 192)]));
    }
  });
}

void CKeyboardLightEngine::StepSweep() {
  const bool multi = effect_.multiColor;
  const uint8_t phase = StepPhase(field_.effectPhase, multi ? 192 : 96, effect_.direction);
  field_.effectPhase = phase;
  for (size_t i = 0; i < kSweepOrder.size(); ++i) {
    const uint8_t key = kSweepOrder[i];
    if (key == kNoKey) continue;
    const int at = phase + 5 * static_cast<int>(i);
    if (multi)
      leds_.Set(key, kHueWheel[at % 192], level_);
    else
      leds_.Set(key, {effect_.red, effect_.green, effect_.blue}, Scale(level_, kWave[static_cast<size_t>(at % 96)]));
  }
}

void CKeyboardLightEngine::StepBreathingColumns() {
  field_.effectPhase = StepPhase(field_.effectPhase, 128, effect_.direction);
  const uint8_t brightness = Scale(level_, kBreathing[field_.effectPhase]);
  const Rgb colour{effect_.red, effect_.green, effect_.blue};
  ForEachColumnKey([&](int c, int, uint8_t key) {
    leds_.Set(key, effect_.multiColor ? kHueWheel[static_cast<size_t>(7 * c)] : colour, brightness);
  });
}

void CKeyboardLightEngine::StepStatic() {
  if (!effect_.multiColor) {
    leds_.Fill({effect_.red, effect_.green, effect_.blue}, level_);
    return;
  }
  ForEachSlantedKey([this](int r, uint8_t key) { leds_.Set(key, kHueWheel[static_cast<size_t>(138 - 12 * r)], level_); });
}

void CKeyboardLightEngine::StepKeyFade() {
  ForEachMatrixKey([this](int, int, uint8_t key) {
    uint8_t& v = field_.intensity[key];
    if (field_.phase[key] == 1) v = static_cast<uint8_t>(std::min(255, v + 15));
    if (field_.phase[key] == 2) v = static_cast<uint8_t>(std::max(0, v - 5));
    DrawByIntensity(key);
  });
}

void CKeyboardLightEngine::StepRipple(int mode) {
  field_.SeedRing(effect_.multiColor, random_);
  if (mode == 8)
    field_.SpreadRingDiagonal();
  else
    field_.SpreadRingHorizontal();
  ForEachMatrixKey([this, mode](int, int, uint8_t key) {
    field_.Decay(key, mode);
    if (mode == 8) field_.colourIndex[key] = static_cast<uint8_t>((field_.colourIndex[key] + 7) % 192);
    DrawByIntensity(key);
  });
}

void CKeyboardLightEngine::StepTwinkle() {
  for (int n = 0; n < 6; ++n) {
    const uint8_t key = kRandomPool[static_cast<size_t>(random_.Below(static_cast<int>(kRandomPool.size())))];
    field_.intensity[key] = 255;
    field_.colourIndex[key] = static_cast<uint8_t>(random_.Below(192));
  }
  ForEachMatrixKey([this](int, int, uint8_t key) {
    field_.Decay(key, 10);
    DrawByIntensity(key);
  });
}

void CKeyboardLightEngine::StepColourCycleKeys() {
  ForEachMatrixKey([this](int, int, uint8_t key) {
    uint8_t& index = field_.colourIndex[key];
    index = static_cast<uint8_t>((index + 1) % 192);
    leds_.Set(key, kHueWheel[index], level_);
  });
}

void CKeyboardLightEngine::StepRowWave() {
  const uint8_t phase = StepPhase(field_.effectPhase, 192, effect_.direction);
  field_.effectPhase = phase;
  ForEachMatrixKey([&](int, int r, uint8_t key) { leds_.Set(key, kHueWheel[(phase + 1 + 24 * r) % 192], level_); });
}

void CKeyboardLightEngine::StepRingWave() {
  // A wave that reached the top row starts again downwards, one that reached the row below the
  // matrix upwards.
  const uint8_t centre = field_.RingColumn(9);
  if (centre == 0x01) field_.SetRingBit(9, 0);
  if (centre == 0x40) field_.SetRingBit(9, 6);
  if (field_.ringStep > 1) {
    field_.ringStep = 0;
    field_.SeedRing(effect_.multiColor, random_);
    field_.SpreadRingDiagonal();
  }
  ++field_.ringStep;
  ForEachMatrixKey([this](int, int, uint8_t key) {
    field_.Decay(key, 13);
    DrawByIntensity(key);
  });
}

void CKeyboardLightEngine::StepScripted() {
  auto light = [this](uint8_t key) {
    if (key == kNoKey) return;
    field_.intensity[key] = 255;
    if (effect_.multiColor) field_.colourIndex[key] = static_cast<uint8_t>(random_.Below(192));
  };
  constexpr uint8_t kWaitKey = 72, kRippleKey = 52, kEdgeKey = 124;
  switch (scriptStage_) {
    case 0:  // six keys a step
      for (uint8_t key : kScriptSixes[static_cast<size_t>(scriptStep_)]) light(key);
      if (++scriptStep_ >= static_cast<int>(kScriptSixes.size())) scriptStage_ = 1, scriptStep_ = 0;
      break;
    case 1:  // pairs out and back, then wait for the middle to go dark
      if (scriptStep_ < 31) {
        const int pair = scriptStep_ < 16 ? scriptStep_ : 30 - scriptStep_;
        for (uint8_t key : kScriptPairs[static_cast<size_t>(pair)]) light(key);
        ++scriptStep_;
      } else if (field_.intensity[kWaitKey] == 0) {
        scriptStage_ = 2;
      }
      break;
    case 2:
      field_.StartRipple(kRippleKey);
      scriptStage_ = 3;
      break;
    default:
      break;
  }
  field_.SeedRing(effect_.multiColor, random_);
  if (scriptStage_ == 3 && field_.intensity[kEdgeKey] == 255) scriptStage_ = 4;
  field_.SpreadRingDiagonal();
  ForEachMatrixKey([this](int, int, uint8_t key) {
    field_.Decay(key, 14);
    DrawByIntensity(key);
  });
  if (scriptStage_ == 4 && field_.intensity[kEdgeKey] == 0) scriptStage_ = 0, scriptStep_ = 0;
}

void CKeyboardLightEngine::StepRandomBreathing(int mode) {
  // Effect 15 keeps each key's phase in its intensity and runs twice as fast; 22 in its phase.
  auto& phases = mode == 15 ? field_.intensity : field_.phase;
  const int step = mode == 15 ? 2 : 1;
  ForEachColumnKey([&](int, int, uint8_t key) {
    int phase = phases[key] + step;
    if (phase >= 192) {
      phase = 0;
      field_.colourIndex[key] = static_cast<uint8_t>(random_.Below(192));
    }
    phases[key] = static_cast<uint8_t>(phase);
    leds_.Set(key, KeyColour(key), Scale(level_, kPulse[static_cast<size_t>(phase)]));
  });
}

void CKeyboardLightEngine::StepBouncingRing() {
  if (field_.RingColumn(1) == 0x01) field_.SetRingBit(1, 0);
  if (field_.RingColumn(22) == 0x40) field_.SetRingBit(22, 6);
  field_.SeedRing(effect_.multiColor, random_);
  field_.SpreadRingDiagonal();
  for (uint8_t key : kSweepOrder) {
    if (key == kNoKey) continue;
    field_.Decay(key, 16);
    DrawByIntensity(key);
  }
}

void CKeyboardLightEngine::StepFixedColour() {
  static constexpr uint8_t kEntries[4] = {174, 25, 70, 95};
  const uint8_t second = effect_.secondMode;
  leds_.Fill(kHueWheel[kEntries[second >= 1 && second <= 3 ? second : 0]], level_);
}

void CKeyboardLightEngine::StepSlantedRows() {
  const uint8_t phase = StepPhase(field_.effectPhase, 192, effect_.direction);
  field_.effectPhase = phase;
  ForEachSlantedKey([&](int r, uint8_t key) { leds_.Set(key, kHueWheel[(phase + 7 * r) % 192], level_); });
}

void CKeyboardLightEngine::StepFill() {
  // Forwards: entries 0 .. 169, then one dark step. Backwards: 169 .. 1, then two dark steps.
  const bool forward = effect_.direction != 0;
  if (forward && (fillCursor_ < 0 || fillCursor_ > kPositions)) fillCursor_ = 0;
  if (!forward && (fillCursor_ < -1 || fillCursor_ > kPositions - 1)) fillCursor_ = kPositions - 1;
  const bool lights = forward ? fillCursor_ < kPositions : fillCursor_ >= 1;
  if (lights) {
    const uint8_t key = kFillOrder[static_cast<size_t>(fillCursor_)];
    if (key != kNoKey) field_.intensity[key] = 254;
  }
  if (forward)
    fillCursor_ = fillCursor_ >= kPositions ? 0 : fillCursor_ + 1;
  else
    fillCursor_ = fillCursor_ <= -1 ? kPositions - 1 : fillCursor_ - 1;
  for (uint8_t key : kSweepOrder) {
    if (key == kNoKey) continue;
    field_.Decay(key, 21);
    DrawByIntensity(key);
  }
}

void CKeyboardLightEngine::StepDiagonal() {
  field_.effectPhase = StepPhase(field_.effectPhase, static_cast<int>(kDiagonalScript.size()), effect_.direction);
  for (uint8_t key : kDiagonalScript[field_.effectPhase]) {
    if (key == kNoKey) continue;
    field_.intensity[key] = 255;
    field_.colourIndex[key] = 0;
  }
  const Rgb colour{effect_.red, effect_.green, effect_.blue};
  ForEachMatrixKey([&](int, int, uint8_t key) {
    uint8_t& v = field_.intensity[key];
    v = static_cast<uint8_t>(v >= 5 ? v - 5 : 0);
    if (effect_.multiColor) {
      uint8_t& index = field_.colourIndex[key];
      index = static_cast<uint8_t>(std::min(255, index + 3));
      leds_.Set(key, kHueWheel[index], level_);
    } else {
      leds_.Set(key, colour, Scale(level_, v));
    }
  });
}

void CKeyboardLightEngine::StepSpectrum() {
  field_.effectPhase = StepPhase(field_.effectPhase, 192, effect_.direction);
  leds_.Fill(kHueWheel[field_.effectPhase], level_);
}

void CKeyboardLightEngine::StepBlink(uint64_t nowMs, bool cycleColours) {
  const uint64_t period = kInterval28[static_cast<size_t>(SpeedIndex(effect_.speed))] * 200u;
  uint8_t& index = field_.secondPhase;
  if (nowMs - lastBlinkMs_ >= period) {
    lastBlinkMs_ = nowMs;
    blinkOn_ = !blinkOn_;
    if (cycleColours)
      index = static_cast<uint8_t>((index + 1) % 4);
    else
      index = static_cast<uint8_t>(index + 16 >= 192 ? 0 : index + 16);
  }
  if (!blinkOn_) {
    leds_.Fill({}, 0);
    return;
  }
  const Rgb colour = cycleColours        ? kCycleColours[index % 4]
                     : effect_.multiColor ? kHueWheel[index]
                                          : Rgb{effect_.red, effect_.green, effect_.blue};
  leds_.Fill(colour, level_);
}

void CKeyboardLightEngine::StepColourCycle() {
  field_.effectPhase = StepPhase(field_.effectPhase, 128, effect_.direction);
  if (field_.effectPhase == 0) field_.secondPhase = static_cast<uint8_t>((field_.secondPhase + 1) % 4);
  leds_.Fill(kCycleColours[field_.secondPhase % 4], Scale(level_, kBreathing[field_.effectPhase]));
}

void CKeyboardLightEngine::StepMusic() {
  CKeyboardMusic::Levels levels{};
  if (CKeyboardMusic::ReadsLevels(audio_.audioMode)) levels = TakeLevels();
  music_.Step(field_, leds_, audio_, levels, {level_, effect_.direction, effect_.multiColor != 0}, random_);
}

}  // namespace orlo::keyboard
