#pragma once
// Lighting records of a profile and the lighting catalogues.
//
//   section "LightInfo"      the effect of the profile (LightInfo)
//   section "AudioLightInfo" the keyboard's music-reactive lighting (AudioLightInfo)
//   section "LightList"      per-LED effect entries, read only
//   DefaultData/default_light.json   built-in effect names, visibility and device codes per kind
//   <device folder>/velko_light.config   custom effects per kind: {"LightName", "Guid"}
//   <device folder>/<Guid>.light     the steps of one custom effect
#include <json/json.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orlo {

// The 16-byte effect record; also the drivers' lightEffect, whose byte numbers other code uses
// (mode 0 ... blue 7, further 8-10, second mode 11, custom group 12, previous mode 13).
struct LightInfo {
  uint8_t mode = 0;        // "SelectItem": index in the kind's mode list
  uint8_t brightness = 0;  // "Light": level 0-4
  uint8_t speed = 0;       // "Speed": index 0 slowest ... 4 fastest
  uint8_t direction = 0;   // "Fx"
  uint8_t multiColor = 0;  // "MultiColor", stored as an integer, read as a flag
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  // Not stored in "LightInfo". In a light list entry further[2] is the entry flag: 1 for an
  // object in the document, 0 for a null element.
  uint8_t further[3] = {0, 0, 0};
  uint8_t secondMode = 0;   // "ZZCCLedMode"
  uint8_t customGroup = 0;  // "CustomGroup"
  uint8_t oldMode = 0;      // "OldLedmode", kept and written back unchanged
  uint8_t reserved[2] = {0, 0};

  bool operator==(const LightInfo&) const = default;
};
static_assert(sizeof(LightInfo) == 16);
static_assert(offsetof(LightInfo, secondMode) == 11 && offsetof(LightInfo, oldMode) == 13);

inline constexpr size_t kLightListEntryFlag = 2;  // index in LightInfo::further

// Music-reactive lighting of the keyboard.
struct AudioLightInfo {
  uint8_t audioMode = 0;  // "AudioMode"
  uint8_t bkRed = 0, bkGreen = 0, bkBlue = 0;  // "BkColorR/G/B"
  uint8_t fgRed = 0, fgGreen = 0, fgBlue = 0;  // "FgColorR/G/B"
  uint8_t sevenColorFlag = 0;  // "7ColorFlags", read as a flag
  uint8_t colorTypeFlag = 0;   // "ColorTypeFlags", read as a flag

  bool operator==(const AudioLightInfo&) const = default;
};
static_assert(sizeof(AudioLightInfo) == 9);

// The record as its nine bytes in field order, and back.
std::array<uint8_t, 9> AudioLightBytes(const AudioLightInfo& info);
AudioLightInfo AudioLightFromBytes(const std::array<uint8_t, 9>& bytes);

// One step of a custom effect (".light" file, "LEDEffectList").
struct LEDEffectStep {
  uint8_t mode = 0, brightness = 0, speed = 0, direction = 0, multiColor = 0;
  uint8_t red = 0, green = 0, blue = 0;
  int32_t time = 0;   // "Time", milliseconds
  int32_t cycle = 0;  // "Cyle", repeat count

  bool operator==(const LEDEffectStep&) const = default;
};

// One built-in effect of a kind ("DefaultLightName"[kind][i]).
struct BuiltInLightEntry {
  std::string name;  // "LightName", a text id or a display name
  bool visible = false;
  int value = 0;  // the device's code for the mode

  bool operator==(const BuiltInLightEntry&) const = default;
};

// One custom effect of a kind ("LightInfo"[kind][i] of velko_light.config).
struct CustomLightEntry {
  std::string name;
  std::string guid;  // names the step file guid + ".light"

  bool operator==(const CustomLightEntry&) const = default;
};

// Profile kind indices (the catalogue element of a device kind).
inline constexpr int kKeyboardKindIndex = 0;
inline constexpr int kMouseKindIndex = 1;
inline constexpr int kMousePadKindIndex = 2;
inline constexpr int kHeadsetKindIndex = 3;

// Custom effects follow the built-in ones in a kind's mode list: mode m >= FirstCustomLightMode
// plays custom entry m - FirstCustomLightMode of element [kind] of velko_light.config, and the
// same position names it. The keyboard counts its custom effects from mode 0 (its effect 0 is
// the custom player), the mouse from 10, the mousepad and the headset from 9. An unknown kind
// counts from 0.
int FirstCustomLightMode(int profileKindIndex);

// The catalogue of built-in effects: program folder + "DefaultData/default_light.json".
std::string DefaultLightCataloguePath();

// Readers of the catalogue forms. Each returns false and leaves out unchanged when the element
// of kind does not exist (callers keep their former list then), and true with out replaced
// otherwise. Elements of the wrong type read as empty entries.
bool ReadBuiltInLightNames(const Json::Value& catalogue, int profileKindIndex,
                           std::vector<BuiltInLightEntry>& out);
bool ReadAreaLightNames(const Json::Value& catalogue, int profileKindIndex,
                        std::vector<std::string>& out);
bool ReadCustomLightEntries(const Json::Value& lightConfig, int profileKindIndex,
                            std::vector<CustomLightEntry>& out);

// JSON forms of the records. The readers use the creating lookup (missing members are added
// as null); nullptr or a value that is no object reads as all zero.
Json::Value LightInfoToJson(const LightInfo& info);
LightInfo LightInfoFromJson(Json::Value* object);
Json::Value AudioLightToJson(const AudioLightInfo& info);
AudioLightInfo AudioLightFromJson(Json::Value* object);
// A "LightList" element: null gives an all-zero record with entry flag 0.
LightInfo LightListEntryFromJson(Json::Value* element);
LEDEffectStep EffectStepFromJson(Json::Value* step);
// The steps of a ".light" document ("LEDEffectList"); empty when it has none.
std::vector<LEDEffectStep> EffectStepsOf(Json::Value document);

}  // namespace orlo
