#pragma once
// The keyboard's 26-byte settings block: its lighting effect and its switches.
//
//   0      active profile number       18     second mode ("ZZCCLedMode")
//   1      effect code (device value)  19     "WFlag"
//   2      brightness level            20     "Key6Flag"
//   3      4 - speed index             21     "WinFlag"
//   4      direction                   22     report rate index ("PollingRate")
//   5      multicolour flag            23-24  0
//   6-8    red, green, blue            25     custom colour group
//   9-17   0
//
// The settings area starts with the active profile number, and profile p's block is the 26
// bytes at p × 25 with that number in its byte 0. The page knows an effect by its index in the
// built-in effect list; the block carries the device's value for it. The two effects the host
// draws itself (values 29 and 30) go out as 0xFE, and a block holding 0xFE leaves the page on
// the effect it shows.
#include <array>
#include <cstdint>
#include <span>

#include "profile/KeyboardProfiledata.h"
#include "profile/LightData.h"

namespace orlo::keyboard {

inline constexpr int kSettingsBlockSize = 26;
inline constexpr int kSettingsStride = 25;
inline constexpr uint8_t kHostDrivenCode = 0xFE;
using SettingsBlock = std::array<uint8_t, kSettingsBlockSize>;

// Offset of profile p's block in the settings area.
constexpr int SettingsOffset(int profile) { return profile * kSettingsStride; }

// The device value of the page's effect index: the built-in list's value at that index, the
// index itself when the list has no such entry; 29 and 30 become 0xFE.
uint8_t EffectCodeOf(int mode, std::span<const BuiltInLightEntry> builtIns);
// The page's effect index of a device value: the index of the first built-in entry with that
// value, the value itself when none has it.
int EffectIndexOf(uint8_t code, std::span<const BuiltInLightEntry> builtIns);

// The block of an effect and the switches; byte 0 is the caller's value. Speeds beyond 4 are
// sent as 4 (stored 0); the switches are cut to 8 bits.
SettingsBlock EncodeSettingsBlock(uint8_t byte0, const LightInfo& effect, const KeyboardSystemStages& stages,
                                  std::span<const BuiltInLightEntry> builtIns);

struct DecodedSettings {
  uint8_t profile = 0;
  LightInfo effect;               // the shown effect with the block's fields
  KeyboardSystemStages stages;    // the kept stages with the block's three flags
  bool hostDriven = false;        // the block held 0xFE: the effect index is the shown one
};

// Reads a block. The effect takes mode, brightness, speed, direction, multicolour, colour, second
// mode and custom group from it and keeps the shown effect's other fields; a stored speed beyond
// 4 reads as speed index 0. The stages take WFlag, Key6Flag and WinFlag; the report rate and the
// repeat values stay as kept (the page is their source).
DecodedSettings DecodeSettingsBlock(const SettingsBlock& block, const LightInfo& shown,
                                    const KeyboardSystemStages& kept, std::span<const BuiltInLightEntry> builtIns);

}  // namespace orlo::keyboard
