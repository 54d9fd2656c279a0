#pragma once
// The mouse's own settings in its profile section:
//   "DPIStages"       {"StageActive", "StageDPIs": [{"StageActive", "StageXY", "StageDPIX",
//                      "StageDPIY", "StageColorR", "StageColorG", "StageColorB"}, ...]}
//   "SystemStages"    {"DoubleClickTime", "MouseSpeed", "PointerPrecision", "ScorllPage",
//                      "WheelScorlllinse"}
//   "ReportStages"    {"StageActive"}      wired report-rate index
//   "ReportStages24g" {"StageActive24g"}   receiver report-rate index
//   "CorrectInfo"     [{"CorrectPixThresh", "CorrectMinSq", "CorrectSelect", "CorrectName"}]
//                     read only; comes from the default document
// Member names are kept letter for letter ("ScorllPage", "WheelScorlllinse"): stored files use them.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "profile/BasicProfiledata.h"

namespace orlo {

struct DPIStage {
  uint8_t active = 0;   // stage enabled
  uint8_t xy = 0;       // separate X/Y resolution
  uint16_t dpiX = 0;
  uint16_t dpiY = 0;
  uint8_t red = 0, green = 0, blue = 0;

  bool operator==(const DPIStage&) const = default;
};

// Seven 16-bit values, handed over packed in four 32-bit words:
//   word 0: DoubleClickTime | MouseSpeed << 16
//   word 1: PointerPrecision | ScorllPage << 16
//   word 2: WheelScorlllinse | ReportStages.StageActive << 16
//   word 3: ReportStages24g.StageActive24g
struct MouseSystemStages {
  uint16_t doubleClickTime = 0, mouseSpeed = 0, pointerPrecision = 0, scrollPage = 0,
           wheelScrollLines = 0, reportRate = 0, reportRate24g = 0;

  std::array<uint32_t, 4> Pack() const;
  static MouseSystemStages Unpack(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3);
  bool operator==(const MouseSystemStages&) const = default;
};

struct CorrectEntry {
  uint8_t pixThresh = 0;  // "CorrectPixThresh"
  uint8_t minSq = 0;      // "CorrectMinSq"
  uint8_t select = 0;     // "CorrectSelect"
  std::string name;       // "CorrectName", UTF-8

  bool operator==(const CorrectEntry&) const = default;
};

class CMouseProfiledata : public CBasicProfiledata {
 public:
  // Merges the section's stages into the kept list (element j of the section overwrites
  // element j; the list never shrinks, so stages beyond a shorter profile's list stay from the
  // former one) and returns a copy; also takes the active stage. Without "DPIStages" the kept
  // list and active stage stay as they were.
  std::vector<DPIStage> GetDPIStages();
  // Replaces the kept list and writes each element to "DPIStages"."StageDPIs"[i]; elements
  // beyond the list stay in the document.
  void SetDPIStages(const std::vector<DPIStage>& stages);
  int GetActiveDPIStage() const { return activeStage_; }
  void SetActiveDPIStage(int index);

  // All zero without "SystemStages"; the report rates read 0 when their objects are missing.
  std::array<uint32_t, 4> GetSystemStages();
  void SetSystemStages(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3);
  const MouseSystemStages& SystemStages() const { return systemStages_; }

  // The section's correction list; empty when missing.
  std::vector<CorrectEntry> GetCorrectInfo();

 private:
  std::vector<DPIStage> stages_;
  int activeStage_ = 0;
  MouseSystemStages systemStages_;
  std::vector<CorrectEntry> correctInfo_;
};

}  // namespace orlo
