#include "device/model/TessaroUSBDevice.h"

#include <thread>

#include "platform/DebugLog.h"
#include "platform/Paths.h"

namespace orlo {

using namespace preview;
using Clock = std::chrono::steady_clock;

CTessaroUSBDevice::CTessaroUSBDevice(std::shared_ptr<hid::HidBackend> backend, int ledCount,
                                     int keyCount)
    : link_(std::make_unique<CDeviceLink>(backend)),
      companionLink_(std::make_unique<CDeviceLink>(backend)),
      keyCount_(keyCount),
      ledState_(ledCount) {
  for (auto& v : intensity_) v.store(0);
  for (auto& v : ring_) v.store(0);
}

CTessaroUSBDevice::~CTessaroUSBDevice() { lightThread_.Stop(); }

void CTessaroUSBDevice::SetSlotEntry(int kind, int variant, const std::string& path) {
  connectionKind_ = kind;
  variantOfSlot_ = variant;
  slotPath_ = path;
  isReceiverConnection_ = kind == 6 || kind == 9;
}

void CTessaroUSBDevice::SetNames(const std::string& displayName, const std::string& lightConfigName) {
  displayName_ = displayName;
  lightConfigName_ = lightConfigName;
}

void CTessaroUSBDevice::SetActiveProfileId(const std::string& id) {
  std::lock_guard lock(idLock_);
  activeProfileId_ = id;
}

std::string CTessaroUSBDevice::ActiveProfileId() const {
  std::lock_guard lock(idLock_);
  return activeProfileId_;
}

bool CTessaroUSBDevice::OpenProfileList() {
  if (displayName_.empty()) return false;  // no folder to keep the list in yet
  profileList_.SetDeviceKind(FoldKind(static_cast<uint16_t>(connectionKind_)));
  profileList_.SetPaths(DeviceFolder(), DefaultDocumentPath());
  profileList_.Init();
  const std::string id = profileList_.GetSelectedUUID();
  if (id.empty()) {
    DebugPrintf("%s: the profile list names no profile", displayName_.c_str());
    return false;
  }
  SetActiveProfileId(id);
  return true;
}

std::string CTessaroUSBDevice::DeviceFolder() const {
  const std::string folder = paths::AppDataFolder() + displayName_ + "/";
  paths::EnsureFolder(folder);
  return folder;
}

std::string CTessaroUSBDevice::DefaultDataFolder() const { return paths::ProgramFolder() + "DefaultData/"; }

std::string CTessaroUSBDevice::DefaultDocumentPath() const {
  return DefaultDataFolder() + displayName_ + ".Json";
}

// ---- page-side operations ------------------------------------------------------------------

void CTessaroUSBDevice::InitPage() {
  if (observer_) observer_->InitPage();
}

void CTessaroUSBDevice::BuildPage() {
  // The list first: the page's profile controls show it, and first contact loads its selection.
  OpenProfileList();
  if (observer_) observer_->BuildPage();
}

void CTessaroUSBDevice::PaintLeds() {
  if (observer_) observer_->PaintLeds();
}

void CTessaroUSBDevice::ApplyProfileToPage() {
  if (observer_) observer_->ApplyProfileToPage();
}

void CTessaroUSBDevice::SelectKey(int index) {
  selectedKeyIndex_ = index;
  if (observer_) observer_->SelectKey(index);
}

void CTessaroUSBDevice::ShowFunctionTab(int n) {
  tabIndexOfFunctionSwitch_ = n;
  int f = 0, k = 0;
  switch (n) {
    case 2: case 6: f = 0; k = 1; break;
    case 3: case 8: f = 1; k = -1; break;
    case 4:
      if (connectionKind_ == 1 || connectionKind_ == 2) {
        f = 3;
        k = -1;
      } else {
        f = 0;
        k = 2;
      }
      break;
    case 7: f = 0; k = 2; break;
    case 5: f = 2; k = -1; break;
    default: break;
  }
  if (observer_) observer_->ShowFunctionTab(f, k);
}

void CTessaroUSBDevice::SetLedValue(int index, uint32_t value) { ledState_.SetWord(index, value); }

uint32_t CTessaroUSBDevice::GetLedValue(int index) const { return ledState_.GetWord(index); }

int CTessaroUSBDevice::LoadProfileIntoState() { return 0; }

void CTessaroUSBDevice::SetKeyMap(const std::map<int, int>& map) { keyMap3_ = map; }

void CTessaroUSBDevice::SetAudioLightSettings(uint32_t a, uint32_t b, uint32_t c) {
  for (int i = 0; i < 4; ++i) {
    audioLight_[i] = static_cast<uint8_t>(a >> (8 * i));
    audioLight_[4 + i] = static_cast<uint8_t>(b >> (8 * i));
  }
  audioLight_[8] = static_cast<uint8_t>(c);
  if (observer_) observer_->ShowAudioLightSettings(audioLight_.data());
}

std::array<uint8_t, 9> CTessaroUSBDevice::GetAudioLightSettings() {
  std::array<uint8_t, 9> taken{};
  if (observer_ && observer_->TakeAudioLightSettings(taken.data())) audioLight_ = taken;
  return audioLight_;
}

// ---- light effect -----------------------------------------------------------------------

void CTessaroUSBDevice::SetLightEffect(const LightInfo& effect) {
  {
    std::lock_guard lock(effectLock_);
    lightEffect_ = effect;
    params_ = EffectParams{effect.mode, effect.brightness, effect.speed, effect.direction,
                           effect.multiColor, Rgb{effect.red, effect.green, effect.blue}};
  }
  NudgeLightThread();
}

LightInfo CTessaroUSBDevice::GetLightEffect() const {
  std::lock_guard lock(effectLock_);
  return lightEffect_;
}

CTessaroUSBDevice::EffectParams CTessaroUSBDevice::Params() const {
  std::lock_guard lock(effectLock_);
  return params_;
}

void CTessaroUSBDevice::SetParams(const EffectParams& p) {
  {
    std::lock_guard lock(effectLock_);
    params_ = p;
  }
  NudgeLightThread();
}

// ---- base preview steps -----------------------------------------------------------------

void CTessaroUSBDevice::StepBreathing() {
  const EffectParams p = Params();
  const uint8_t phase = StepPhase(effectPhase_, 128, p.direction);
  effectPhase_ = phase;
  if (phase == 0) {
    const int next = effectColourIndex_ + 16;
    effectColourIndex_ = static_cast<uint8_t>(next > 192 ? 0 : next);
  }
  const Rgb colour = p.multicolour ? kHueWheel[effectColourIndex_] : p.colour;
  ledState_.Fill(colour, Scale(Brightness(p.level), kBreathing[phase % 128]));
}

void CTessaroUSBDevice::StepColourCycle() {
  const EffectParams p = Params();
  const uint8_t phase = StepPhase(effectPhase_, 128, p.direction);
  effectPhase_ = phase;
  if (phase == 0) effectColourIndex_ = static_cast<uint8_t>((effectColourIndex_ + 1) % 4);
  ledState_.Fill(kCycleColours[effectColourIndex_ % 4], Scale(Brightness(p.level), kBreathing[phase % 128]));
}

void CTessaroUSBDevice::StepStatic() {
  const EffectParams p = Params();
  ledState_.Fill(p.colour, Brightness(p.level));
}

void CTessaroUSBDevice::StepSpectrum() {
  const EffectParams p = Params();
  const uint8_t phase = StepPhase(effectPhase_, 192, p.direction);
  effectPhase_ = phase;
  ledState_.Fill(kHueWheel[phase], Brightness(p.level));
}

void CTessaroUSBDevice::StepBlink() {
  const EffectParams p = Params();
  const auto now = Clock::now();
  if (now - lastBlinkToggle_ >= std::chrono::milliseconds(kInterval28[SpeedIndex(p.speed)] * 200)) {
    lastBlinkToggle_ = now;
    blinkOn_ = !blinkOn_;
    const int next = effectColourIndex_ + 16;
    effectColourIndex_ = static_cast<uint8_t>(next >= 192 ? 0 : next);
  }
  if (blinkOn_)
    ledState_.Fill(p.multicolour ? kHueWheel[effectColourIndex_] : p.colour, Brightness(p.level));
  else
    ledState_.Fill({}, 0);
}

void CTessaroUSBDevice::StepColourBlink() {
  const EffectParams p = Params();
  const auto now = Clock::now();
  if (now - lastBlinkToggle_ >= std::chrono::milliseconds(kInterval28[SpeedIndex(p.speed)] * 200)) {
    lastBlinkToggle_ = now;
    blinkOn_ = !blinkOn_;
    effectColourIndex_ = static_cast<uint8_t>((effectColourIndex_ + 1) % 4);
  }
  if (blinkOn_)
    ledState_.Fill(kCycleColours[effectColourIndex_ % 4], Brightness(p.level));
  else
    ledState_.Fill({}, 0);
}

void CTessaroUSBDevice::StepOff() { ledState_.Fill({}, 0); }

// ---- key effects --------------------------------------------------------------------------

uint8_t CTessaroUSBDevice::Intensity(int index) const {
  return index >= 1 && index <= kKeyPositions ? intensity_[index].load() : 0;
}

void CTessaroUSBDevice::SetIntensity(int index, uint8_t value) {
  if (index >= 1 && index <= kKeyPositions) intensity_[index] = value;
}

uint8_t CTessaroUSBDevice::Ring(int position) const {
  return position >= 0 && position < kRingLength ? ring_[position].load() : 0;
}

void CTessaroUSBDevice::SetRing(int position, uint8_t value) {
  if (position >= 0 && position < kRingLength) ring_[position] = value;
}

void CTessaroUSBDevice::KeyEffectDecay(int index, int effectMode) {
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

void CTessaroUSBDevice::KeyEffectSeed() {
  for (int pos = 0; pos <= 8; ++pos)
    if (ring_[pos] != 0) intensity_[pos + 1] = 255;
}

void CTessaroUSBDevice::KeyEffectRotate(bool forward) { RotateRing(kRingLength, forward); }

void CTessaroUSBDevice::RotateRing(int length, bool forward) {
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

void CTessaroUSBDevice::ClearKeyEffects() {
  for (auto& v : intensity_) v = 0;
  for (auto& v : ring_) v = 0;
}

// ---- light thread -------------------------------------------------------------------------

CTessaroUSBDevice::StepPlan CTessaroUSBDevice::PlanFor(int mode, int speed) const {
  const int s = SpeedIndex(speed);
  using D = CTessaroUSBDevice;
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

void CTessaroUSBDevice::RunLightLoop(const CStopEvent& stop, CCustomEffectPlayer* player,
                                     const char* exitTrace) {
  using std::chrono::milliseconds;
  auto lastStep = Clock::now();
  while (!stop.IsSet()) {
    lightPasses_.fetch_add(1, std::memory_order_relaxed);
    if (!link_->IsOpen()) {
      stop.WaitFor(milliseconds(100));
      lastStep = Clock::now();
      continue;
    }
    const EffectParams p = Params();
    const StepPlan plan = PlanFor(p.mode, p.speed);
    if (plan.step == nullptr) {
      // Custom effects: the player keeps its own counters, one pass per millisecond.
      if (!link_->LightSyncActive() && player) {
        player->Pass(customSteps_, ledState_, p.speed);
        if (observer_) observer_->OnLedsChanged();
      }
      stop.WaitFor(milliseconds(1));
      continue;
    }
    const auto due = lastStep + milliseconds(plan.interval);
    if (Clock::now() < due) {
      // Sleep until the step is due; a mode or speed change wakes the wait early to re-plan.
      if (stop.WaitUntil(due)) break;
      if (Clock::now() < due) continue;
    }
    // Keep the cadence unless the thread fell far behind (a step took longer than a period).
    const auto now = Clock::now();
    lastStep = now - due > milliseconds(plan.interval) ? now : due;
    if (!link_->LightSyncActive()) {
      (this->*plan.step)();
      if (observer_) observer_->OnLedsChanged();
    }
  }
  if (exitTrace) DebugLine(exitTrace);
}

}  // namespace orlo
