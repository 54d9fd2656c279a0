#include "device/model/LightPreview.h"

#include "platform/DebugLog.h"

namespace orlo {

using namespace preview;
using Clock = std::chrono::steady_clock;

CLightPreview::CLightPreview(int ledCount) : leds_(ledCount) {
  for (auto& v : intensity_) v.store(0);
  for (auto& v : ring_) v.store(0);
}

CLightPreview::~CLightPreview() { Stop(); }

// ---- the effect --------------------------------------------------------------------------

void CLightPreview::SetEffect(const LightInfo& effect) {
  {
    std::lock_guard lock(effectLock_);
    effect_ = effect;
    params_ = Params{effect.mode, effect.brightness, effect.speed, effect.direction, effect.multiColor,
                     Rgb{effect.red, effect.green, effect.blue}};
  }
  // A sleeping light thread re-plans at once for the new mode or speed.
  thread_.Nudge();
}

LightInfo CLightPreview::Effect() const {
  std::lock_guard lock(effectLock_);
  return effect_;
}

CLightPreview::Params CLightPreview::Snapshot() const {
  std::lock_guard lock(effectLock_);
  return params_;
}

void CLightPreview::SetKeyPositionMap(const std::map<int, int>& map) {
  std::lock_guard lock(mapLock_);
  keyPositionMap_ = map;
}

std::map<int, int> CLightPreview::KeyPositionMap() const {
  std::lock_guard lock(mapLock_);
  return keyPositionMap_;
}

// ---- base preview steps -----------------------------------------------------------------

void CLightPreview::StepBreathing() {
  const Params p = Snapshot();
  const uint8_t phase = StepPhase(effectPhase_, 128, p.direction);
  effectPhase_ = phase;
  if (phase == 0) {
    const int next = effectColourIndex_ + 16;
    effectColourIndex_ = static_cast<uint8_t>(next > 192 ? 0 : next);
  }
  const Rgb colour = p.multicolour ? kHueWheel[effectColourIndex_] : p.colour;
  leds_.Fill(colour, Scale(Brightness(p.level), kBreathing[phase % 128]));
}

void CLightPreview::StepColourCycle() {
  const Params p = Snapshot();
  const uint8_t phase = StepPhase(effectPhase_, 128, p.direction);
  effectPhase_ = phase;
  if (phase == 0) effectColourIndex_ = static_cast<uint8_t>((effectColourIndex_ + 1) % 4);
  leds_.Fill(kCycleColours[effectColourIndex_ % 4], Scale(Brightness(p.level), kBreathing[phase % 128]));
}

void CLightPreview::StepStatic() {
  const Params p = Snapshot();
  leds_.Fill(p.colour, Brightness(p.level));
}

void CLightPreview::StepSpectrum() {
  const Params p = Snapshot();
  const uint8_t phase = StepPhase(effectPhase_, 192, p.direction);
  effectPhase_ = phase;
  leds_.Fill(kHueWheel[phase], Brightness(p.level));
}

void CLightPreview::StepBlink() {
  const Params p = Snapshot();
  const auto now = Clock::now();
  if (now - lastBlinkToggle_ >= std::chrono::milliseconds(kInterval28[SpeedIndex(p.speed)] * 200)) {
    lastBlinkToggle_ = now;
    blinkOn_ = !blinkOn_;
    const int next = effectColourIndex_ + 16;
    effectColourIndex_ = static_cast<uint8_t>(next >= 192 ? 0 : next);
  }
  if (blinkOn_)
    leds_.Fill(p.multicolour ? kHueWheel[effectColourIndex_] : p.colour, Brightness(p.level));
  else
    leds_.Fill({}, 0);
}

void CLightPreview::StepColourBlink() {
  const Params p = Snapshot();
  const auto now = Clock::now();
  if (now - lastBlinkToggle_ >= std::chrono::milliseconds(kInterval28[SpeedIndex(p.speed)] * 200)) {
    lastBlinkToggle_ = now;
    blinkOn_ = !blinkOn_;
    effectColourIndex_ = static_cast<uint8_t>((effectColourIndex_ + 1) % 4);
  }
  if (blinkOn_)
    leds_.Fill(kCycleColours[effectColourIndex_ % 4], Brightness(p.level));
  else
    leds_.Fill({}, 0);
}

void CLightPreview::StepOff() { leds_.Fill({}, 0); }

// ---- key effects --------------------------------------------------------------------------

uint8_t CLightPreview::Intensity(int index) const {
  return index >= 1 && index <= kKeyPositions ? intensity_[index].load() : 0;
}

void CLightPreview::SetIntensity(int index, uint8_t value) {
  if (index >= 1 && index <= kKeyPositions) intensity_[index] = value;
}

uint8_t CLightPreview::Ring(int position) const {
  return position >= 0 && position < kRingLength ? ring_[position].load() : 0;
}

void CLightPreview::SetRing(int position, uint8_t value) {
  if (position >= 0 && position < kRingLength) ring_[position] = value;
}

void CLightPreview::KeyEffectDecay(int index, int effectMode) {
  const int at = index + 1;
  if (at < 1 || at > kKeyPositions) return;
  int v = intensity_[at];
  if (effectMode == 0) {
    if (v >= 128) v -= 40;
    else if (v >= 64) v -= 30;
    else if (v >= 32) v -= 15;
    else if (v > 16) v -= 8;
    else if (v > 0) v -= 1;
  } else if (effectMode == 29) {
    if (v >= 144) v -= 45;
    else if (v >= 128) v -= 40;
    else if (v >= 112) v -= 35;
    else if (v >= 96) v -= 30;
    else if (v >= 80) v -= 25;
    else if (v >= 64) v -= 20;
    else if (v >= 32) v -= 10;
    else if (v > 16) v -= 5;
    else if (v > 0) v -= 1;
  } else {
    if (v >= 128) v -= 40;
    else if (v >= 64) v -= 30;
    else if (v >= 32) v -= 10;
    else if (v > 16) v -= 8;
    else if (v > 0) v -= 1;
  }
  intensity_[at] = static_cast<uint8_t>(v);
}

void CLightPreview::KeyEffectSeed() {
  for (int pos = 0; pos <= 8; ++pos)
    if (ring_[pos] != 0) intensity_[pos + 1] = 255;
}

void CLightPreview::KeyEffectRotate(bool forward) { RotateRing(kRingLength, forward); }

void CLightPreview::RotateRing(int length, bool forward) {
  if (length > kRingLength) length = kRingLength;
  if (length < 2) return;
  if (forward) {
    const uint8_t last = ring_[length - 1];
    for (int i = length - 1; i > 0; --i) ring_[i] = ring_[i - 1].load();
    ring_[0] = last;
  } else {
    const uint8_t first = ring_[0];
    for (int i = 0; i < length - 1; ++i) ring_[i] = ring_[i + 1].load();
    ring_[length - 1] = first;
  }
}

void CLightPreview::ClearKeyEffects() {
  for (auto& v : intensity_) v = 0;
  for (auto& v : ring_) v = 0;
}

void CLightPreview::TakeCustomSteps(const std::vector<LEDEffectStep>& steps) {
  std::lock_guard lock(customSteps_.lock);
  customSteps_.steps.clear();
  for (const auto& s : steps)
    customSteps_.steps.push_back({s.mode, s.brightness, s.speed, s.direction, s.multiColor, s.red, s.green, s.blue,
                                  s.time, s.cycle});
  customSteps_.position = 0;
}

CLightPreview::StepPlan CLightPreview::PlanFor(int mode, int speed) const {
  const int s = SpeedIndex(speed);
  using D = CLightPreview;
  switch (mode) {
    case 0: return {&D::StepBreathing, kInterval20[s]};
    case 1: return {&D::StepSpectrum, kInterval20[s]};
    case 2: return {&D::StepStatic, kInterval20[s]};
    case 3: return {&D::StepOff, kInterval20[s]};
    case 4: return {&D::StepBlink, kInterval20[s]};
    case 5: return {&D::StepRipple, kInterval28[s]};
    case 6: return {&D::StepFade, kInterval28[s]};
    case 7: return {&D::StepColourCycle, kInterval20[s]};
    case 8: return {&D::StepColourBlink, kInterval20[s]};
    case 20: return {&D::StepRainbow, kInterval10[s]};
    default: return {nullptr, 0};
  }
}

void CLightPreview::Start(CCustomEffectPlayer* player, const char* exitTrace) {
  thread_.Start([this, player, exitTrace](const CStopEvent& stop) { Loop(stop, player, exitTrace); });
}

void CLightPreview::Stop() {
  // The stop event is set before this runs: a thread asleep while hidden wakes and sees it.
  thread_.Stop([this] { gate_.Wake(); });
}

void CLightPreview::SetShown(bool shown) { gate_.SetShown(shown); }

void CLightPreview::PaintSynchronised(uint32_t word) {
  for (int i = 0; i < leds_.Size(); ++i) leds_.SetWord(i, word);
  if (hooks_.ledsChanged) hooks_.ledsChanged();
}

void CLightPreview::Loop(const CStopEvent& stop, CCustomEffectPlayer* player, const char* exitTrace) {
  using std::chrono::milliseconds;
  auto running = [this] { return !hooks_.running || hooks_.running(); };
  auto synchronised = [this] { return hooks_.synchronised && hooks_.synchronised(); };
  auto changed = [this] {
    if (hooks_.ledsChanged) hooks_.ledsChanged();
  };
  auto lastStep = Clock::now();
  while (!stop.IsSet()) {
    if (!gate_.Shown() && !FeedsDevice()) {
      if (gate_.Rest(stop)) break;
      // Shown again: the effect goes on from its phase, without catching up on missed steps.
      lastStep = Clock::now();
    }
    passes_.fetch_add(1, std::memory_order_relaxed);
    if (!running()) {
      stop.WaitFor(milliseconds(100));
      lastStep = Clock::now();
      continue;
    }
    const Params p = Snapshot();
    const StepPlan plan = PlanFor(p.mode, p.speed);
    if (plan.step == nullptr) {
      // Custom effects: the player keeps its own counters, one pass per millisecond.
      if (!synchronised() && player) {
        player->Pass(customSteps_, leds_, p.speed);
        changed();
      }
      stop.WaitFor(milliseconds(1));
      continue;
    }
    const milliseconds period = StepPeriod(p.mode, p.speed);
    const auto due = lastStep + period;
    if (Clock::now() < due) {
      // Sleep until the step is due; a mode or speed change wakes the wait early to re-plan.
      if (stop.WaitUntil(due)) break;
      if (Clock::now() < due) continue;
    }
    // Keep the cadence unless the thread fell far behind (a step took longer than a period).
    const auto now = Clock::now();
    lastStep = now - due > period ? now : due;
    if (!synchronised()) {
      (this->*plan.step)();
      changed();
    }
  }
  if (exitTrace) DebugLine(exitTrace);
}

}  // namespace orlo
