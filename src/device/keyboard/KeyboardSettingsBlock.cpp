#include "device/keyboard/KeyboardSettingsBlock.h"

namespace orlo::keyboard {
namespace {

constexpr int kHostDrawnFirst = 29;  // music
constexpr int kHostDrawnLast = 30;   // colour given by another program

}  // namespace

uint8_t EffectCodeOf(int mode, std::span<const BuiltInLightEntry> builtIns) {
  const int value = mode >= 0 && static_cast<size_t>(mode) < builtIns.size() ? builtIns[static_cast<size_t>(mode)].value
                                                                               : mode;
  if (value == kHostDrawnFirst || value == kHostDrawnLast) return kHostDrivenCode;
  return static_cast<uint8_t>(value);
}

int EffectIndexOf(uint8_t code, std::span<const BuiltInLightEntry> builtIns) {
  for (size_t i = 0; i < builtIns.size(); ++i)
    if (builtIns[i].value == code) return static_cast<int>(i);
  return code;
}

SettingsBlock EncodeSettingsBlock(uint8_t byte0, const LightInfo& effect, const KeyboardSystemStages& stages,
                                  std::span<const BuiltInLightEntry> builtIns) {
  SettingsBlock b{};
  b[0] = byte0;
  b[1] = EffectCodeOf(effect.mode, builtIns);
  b[2] = effect.brightness;
  b[3] = static_cast<uint8_t>(4 - (effect.speed > 4 ? 4 : effect.speed));
  b[4] = effect.direction;
  b[5] = effect.multiColor;
  b[6] = effect.red;
  b[7] = effect.green;
  b[8] = effect.blue;
  b[18] = effect.secondMode;
  b[19] = static_cast<uint8_t>(stages.wFlag);
  b[20] = static_cast<uint8_t>(stages.key6Flag);
  b[21] = static_cast<uint8_t>(stages.winFlag);
  b[22] = static_cast<uint8_t>(stages.pollingRate);
  b[25] = effect.customGroup;
  return b;
}

DecodedSettings DecodeSettingsBlock(const SettingsBlock& block, const LightInfo& shown,
                                    const KeyboardSystemStages& kept, std::span<const BuiltInLightEntry> builtIns) {
  DecodedSettings d;
  d.profile = block[0];
  d.hostDriven = block[1] == kHostDrivenCode;
  d.effect = shown;
  if (!d.hostDriven) d.effect.mode = static_cast<uint8_t>(EffectIndexOf(block[1], builtIns));
  d.effect.brightness = block[2];
  d.effect.speed = static_cast<uint8_t>(block[3] <= 4 ? 4 - block[3] : 0);
  d.effect.direction = block[4];
  d.effect.multiColor = block[5];
  d.effect.red = block[6];
  d.effect.green = block[7];
  d.effect.blue = block[8];
  d.effect.secondMode = block[18];
  d.effect.customGroup = block[25];
  d.stages = kept;
  d.stages.wFlag = block[19];
  d.stages.key6Flag = block[20];
  d.stages.winFlag = block[21];
  return d;
}

}  // namespace orlo::keyboard
