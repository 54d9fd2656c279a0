#include "device/model/LightSyncEngine.h"

#include <array>

#include "base/DeviceKinds.h"
#include "device/model/LedState.h"
#include "device/model/LightPreview.h"

namespace orlo {

namespace {

// Modes of each family for the types breathing, static, flashing, spectrum and off.
const std::array<int, 5>* ModesOf(int family) {
  static constexpr std::array<int, 5> kKeyboard = {5, 6, 23, 4, 28};
  static constexpr std::array<int, 5> kMouse = {0, 2, 4, 1, 3};
  static constexpr std::array<int, 5> kStrip = {2, 3, 4, 1, 8};
  switch (family) {
    case kKindKeyboard:
    case kKindKeyboardReceiver: return &kKeyboard;
    case kKindMouse:
    case kKindMouseReceiver: return &kMouse;
    case kKindMousePad:
    case kKindHeadset: return &kStrip;
    default: return nullptr;
  }
}

uint8_t NextHue(uint8_t hue, int by) { return static_cast<uint8_t>(hue + by >= 192 ? 0 : hue + by); }

uint32_t Word(preview::Rgb c, uint8_t intensity) { return LedValue{c.r, c.g, c.b, intensity}.Word(); }

}  // namespace

std::optional<int> SyncTypeOf(int family, int mode) {
  const auto* modes = ModesOf(family);
  if (modes == nullptr) return std::nullopt;
  for (int type = 0; type < 5; ++type)
    if ((*modes)[type] == mode) return type;
  return std::nullopt;
}

std::optional<int> SyncModeOf(int family, int type) {
  const auto* modes = ModesOf(family);
  if (modes == nullptr || type < 0 || type > 4) return std::nullopt;
  return (*modes)[type];
}

std::optional<SyncEffect> SyncEffectOf(int family, const LightInfo& e) {
  const auto type = SyncTypeOf(family, e.mode);
  if (!type) return std::nullopt;
  SyncEffect s;
  s.type = *type;
  s.level = e.brightness;
  s.speed = e.speed;
  s.direction = e.direction;
  s.multicolour = e.multiColor;
  s.colour = {e.red, e.green, e.blue};
  return s;
}

std::chrono::milliseconds CLightSyncEngine::StepPeriod(int speed) {
  return std::chrono::milliseconds(preview::kInterval28[preview::SpeedIndex(speed)] * CLightPreview::kMsPerCount);
}

std::optional<uint32_t> CLightSyncEngine::Step(const SyncEffect& e, Clock::time_point now) {
  const uint8_t bright = preview::Brightness(e.level);
  switch (e.type) {
    case SyncEffect::kBreathing: {
      phase_ = preview::StepPhase(phase_, 128, e.direction);
      preview::Rgb colour = e.colour;
      if (e.multicolour != 0) {
        if (phase_ < 2) hue_ = NextHue(hue_, 16);
        colour = preview::kHueWheel[hue_];
      }
      return Word(colour, preview::Scale(bright, preview::kBreathing[phase_]));
    }
    case SyncEffect::kStatic: return Word(e.colour, bright);
    case SyncEffect::kFlashing: {
      const auto hold = std::chrono::milliseconds(preview::kInterval28[preview::SpeedIndex(e.speed)] * 200);
      if (now - lastToggle_ >= hold) {
        flashOn_ = !flashOn_;
        lastToggle_ = now;
        flashHue_ = NextHue(flashHue_, 14);
      }
      if (!flashOn_) return Word({}, 0);
      return Word(e.multicolour != 0 ? preview::kHueWheel[flashHue_] : e.colour, bright);
    }
    case SyncEffect::kSpectrum:
      hue_ = NextHue(hue_, 1);
      return Word(preview::kHueWheel[hue_], bright);
    case SyncEffect::kOff: return Word({}, 0);
    default: return std::nullopt;
  }
}

}  // namespace orlo
