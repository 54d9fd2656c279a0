#pragma once
// The keyboard's own settings in its profile section:
//   "SystemStages"    {"Repeat", "RepeatDelay", "Key6Flag", "PollingRate", "WFlag", "WinFlag"}
//   "CustomLightMode" {"CustomLightModeGroupIndex": selected group,
//                      "LightColorInfo": [group][light] = {"Red", "Green", "Blue", "Alpha"}}
#include <array>
#include <cstdint>
#include <vector>

#include "profile/BasicProfiledata.h"

namespace orlo {

// Six 16-bit values, handed over packed in three 32-bit words:
//   word 0: Repeat | RepeatDelay << 16;  word 1: Key6Flag | PollingRate << 16;
//   word 2: WFlag | WinFlag << 16
struct KeyboardSystemStages {
  uint16_t repeat = 0, repeatDelay = 0, key6Flag = 0, pollingRate = 0, wFlag = 0, winFlag = 0;

  std::array<uint32_t, 3> Pack() const;
  static KeyboardSystemStages Unpack(uint32_t w0, uint32_t w1, uint32_t w2);
  bool operator==(const KeyboardSystemStages&) const = default;
};

struct LightColor {
  uint8_t red = 0, green = 0, blue = 0, alpha = 0;
  bool operator==(const LightColor&) const = default;
};

class CKeyboardProfiledata : public CBasicProfiledata {
 public:
  // Custom colour groups the profile can hold (the selected group indexes the keyboard's light
  // data area and the stored groups); a stored index outside 0..kCustomGroupCount-1 reads as 0.
  static constexpr int kCustomGroupCount = 8;
  // Most lights a group is read or written with.
  static constexpr int kMaxLights = 512;

  // Three zero words without "SystemStages".
  std::array<uint32_t, 3> GetSystemStages();
  void SetSystemStages(uint32_t w0, uint32_t w1, uint32_t w2);
  const KeyboardSystemStages& SystemStages() const { return systemStages_; }

  // `count` colours of group `group`. Missing groups and lights are completed in the section
  // with zero colours (they reach the file at the next Save); lights beyond count are neither
  // read nor changed. A group outside 0..kCustomGroupCount-1 gives zero colours and leaves the
  // section alone; count is limited to kMaxLights.
  std::vector<LightColor> GetCustomLightColors(int group, int count);
  // Writes colours[i] to light i of group; ignored for a group out of range.
  void SetCustomLightColors(const std::vector<LightColor>& colours, int group);

  int GetCustomLightModeGroupIndex();
  // Ignored for a group out of range.
  void SetCustomLightModeGroupIndex(int group);

 private:
  KeyboardSystemStages systemStages_;
  std::vector<LightColor> customColours_;
  int customGroup_ = 0;
};

}  // namespace orlo
