#pragma once
// The colour picker's swatches on disk: twenty preset colours, twenty collected colours the user
// filled, and which of each is selected. The file is "color_option_info.config" in the user data
// folder; the program's DefaultData copy stands in for a missing or broken one and is saved over
// it (an invalid file is moved aside first, an unreadable one is never touched).
//
//   "coloroptioninfo": {
//     "palletDialogcoloroption": [ { "color": "FFFF0000" }, ... ],          twenty presets
//     "palletDialogcoloroption_selectitem": 4,
//     "palletDialogcollectcoloroption": [ { "color": "FF00FF00", "UserData": "1" }, ... ],
//     "palletDialogcollectcoloroption_selectitem": 0 }
//
// Colours are ARGB written as exactly eight uppercase hexadecimal digits; a collected entry
// holds a colour only when its "UserData" is "1".
#include <json/json.h>

#include <array>
#include <cstdint>
#include <string>

namespace orlo {

struct CollectedColour {
  uint32_t argb = 0xFFFFFFFFu;  // white while empty
  bool marked = false;          // "UserData" "1": the user stored a colour here
};

struct ColourOptions {
  static constexpr int kCount = 20;
  std::array<uint32_t, kCount> presets{};
  int presetIndex = 4;
  std::array<CollectedColour, kCount> collected{};
  int collectedIndex = 0;

  ColourOptions() { presets.fill(0xFFFFFFFFu); }
};

class CColourOptionFile {
 public:
  // The user data folder's file and the program's default copy.
  CColourOptionFile();
  CColourOptionFile(std::string userPath, std::string defaultPath);

  const std::string& UserPath() const { return userPath_; }

  // The user's swatches. A file that is missing, holds no valid JSON or has no colour section
  // is replaced by the default copy (moved aside first when it had bytes); one that cannot be
  // read is left alone and the defaults serve from memory. Entries that are missing or do not
  // parse take the default's value at that place.
  ColourOptions Load() const;
  // Writes every swatch and both selections into the user's file, keeping its other members.
  // False when nothing was written (the file is unreadable, or the write failed).
  bool Save(const ColourOptions& options) const;

  // "FF2FB5A8" for 0xFF2FB5A8.
  static std::string FormatArgb(uint32_t argb);
  // One to eight hexadecimal digits (either case); false for anything else.
  static bool ParseArgb(const std::string& text, uint32_t& argb);

  // The document's colour section over `base`: what the section lacks keeps base's value.
  // False when the document has no "coloroptioninfo" object.
  static bool FromDocument(const Json::Value& document, const ColourOptions& base, ColourOptions& out);
  // Puts the colour section into document (an object afterwards), leaving other members.
  static void ToDocument(const ColourOptions& options, Json::Value& document);

 private:
  ColourOptions Defaults() const;

  std::string userPath_;
  std::string defaultPath_;
};

}  // namespace orlo
