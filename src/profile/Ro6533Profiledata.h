#pragma once
// The headset's own settings in its profile section:
//   "SystemSetStages"     {"MagicEnable", "MagicType", "EqType", "CustomEqSeletIndex",
//                          "MicInSelect", "MicInValue", "MicMoniterSelect", "MicMoniterValue"}
//   "EQHzValueInfo"       [row][band] = {"value"}: row r holds equaliser type r (1-12); row 0 is
//                          never used (type 0 reads and writes row 1)
//   "CustomEQNameInfo"    [{"Name"}]: the user's custom equalisers, UTF-8
//   "CustomEQHzValueInfo" [slot][band] = {"value"}: the bands of custom equaliser slot
// Member names are kept letter for letter ("CustomEqSeletIndex", "MicMoniter…"): stored files
// use them. The headset also uses the base's lighting members.
//
// Values that come from a document are range-checked before anyone uses them as an index or
// sends them to the chip (see HeadsetSystemSetStages and the accessors).
#include <cstdint>
#include <string>
#include <vector>

#include "profile/BasicProfiledata.h"

namespace orlo {

// The eight values of "SystemSetStages", in this order.
struct HeadsetSystemSetStages {
  int32_t magicEnable = 0;          // voice changer on, 0 / 1
  int32_t magicType = 0;            // voice changer type 1-4; 0 none
  int32_t eqType = 0;               // equaliser type 0-13 (13 = the selected custom equaliser)
  int32_t customEqSelectIndex = 0;  // selected custom equaliser, -1 none
  int32_t micInSelect = 0;          // microphone on, 0 / 1
  int32_t micInValue = 0;           // microphone level 0-100
  int32_t micMonitorSelect = 0;     // monitoring on, 0 / 1
  int32_t micMonitorValue = 0;      // monitoring level 0-100

  bool operator==(const HeadsetSystemSetStages&) const = default;
};

class CRo6533Profiledata : public CBasicProfiledata {
 public:
  static constexpr int kBandCount = 10;
  static constexpr int kCustomEqType = 13;
  static constexpr int kMaxEqType = 13;
  static constexpr int kMaxCustomEq = 20;
  static constexpr int kVoiceChangerTypes = 4;
  static constexpr int kMaxLevel = 100;

  // All zero without "SystemSetStages". Values are brought into range: the on/off values read
  // 1 for anything non-zero, a voice changer type outside 1-4 reads 0, an equaliser type
  // outside 0-13 reads 0, levels are limited to 0-100, and a selected custom equaliser that is
  // not one of the stored names reads -1. Also kept in memory.
  HeadsetSystemSetStages GetSystemSetStages();
  // Writes all eight members, brought into range as above (a selection is only limited to
  // -1..19 here: the driver stores it before the name it selects), and keeps them.
  void SetSystemSetStages(const HeadsetSystemSetStages& stages);
  const HeadsetSystemSetStages& SystemSetStages() const { return stages_; }

  // The equaliser row of a type: types 1-12 their own row, 0 and every other type row 1; -1 for
  // the custom type 13, which has no row.
  static int EqRow(int type);

  // The ten bands of a type's row. Empty for type 13 (the section is left alone). A missing row
  // is added to the section as ten zero bands; a missing band reads 0; band values are limited
  // to the chip's band range. Also kept in memory.
  std::vector<int32_t> GetEQValues(int type);
  // Writes the first ten values (limited to the band range) into the type's row; nothing for
  // type 13.
  void SetEQValues(int type, const std::vector<int32_t>& bands);

  // The same for custom equaliser slot 0-19. Another slot reads ten zeros without touching the
  // section, and is not written.
  std::vector<int32_t> GetCustomEQValues(int slot);
  void SetCustomEQValues(int slot, const std::vector<int32_t>& bands);

  // The custom equaliser names, in order (at most 20; empty when the member is missing). A name
  // that is not valid UTF-8 comes back with U+FFFD in place of the bad bytes.
  std::vector<std::string> GetCustomEQNames();
  // Replaces "CustomEQNameInfo" with one {"Name"} per name (at most 20).
  void SetCustomEQNames(const std::vector<std::string>& names);

  // Back to the default document's settings, keeping the user's custom equalisers
  // ("CustomEQNameInfo" and "CustomEQHzValueInfo"): loads the default section and puts the two
  // members of the current section into it. Returns a copy of the new section; nothing is
  // written until Save.
  Json::Value LoadDefaultSectionKeepingCustomEq();

 private:
  std::vector<int32_t> ReadBands(Json::Value* row);

  HeadsetSystemSetStages stages_;
  std::vector<int32_t> bands_;
};

}  // namespace orlo
