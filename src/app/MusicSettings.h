#pragma once
// The four music styles of music lighting and the file that keeps them, "AudioFile.json": a
// read-only default copy in the program's DefaultData folder and the user's copy in the user
// data folder. The document is an object whose member "Device" holds "AudioLightInfo" with the
// selected style ("nAudioStyle"), the four names ("nStyleName1" … "nStyleName4") and the four
// colours ("nStyleR0", "nStyleG0", "nStyleB0" … "nStyleB3"). The "Device" member of the user's
// copy is the music document kept in memory; every other member of the file is left as it is.
//
// A user copy that exists but cannot be read is never written over: the defaults serve from
// memory and a save fails. One that holds no JSON is moved aside (kept, never deleted) before
// the default takes its place. A valid user copy without a usable "Device" gets the default's
// "Device" and keeps its other members.
#include <json/json.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "profile/JsonFile.h"

namespace orlo {

struct MusicStyleColour {
  uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const MusicStyleColour&) const = default;
};

// The selected style (0-3), the names of styles 1 to 4 (UTF-8) and the colour of styles 0 to 3.
// The colour components are steps of the music window's sliders, 0 to 9.
struct MusicStyleSettings {
  static constexpr size_t kStyles = 4;
  uint8_t style = 0;
  std::array<std::string, kStyles> names;
  std::array<MusicStyleColour, kStyles> colours{};
  // The colour of the selected style; style 0's for a style above 3, which has none.
  const MusicStyleColour& SelectedColour() const { return colours[style < kStyles ? style : 0]; }
  bool operator==(const MusicStyleSettings&) const = default;
};

class CMusicSettings {
 public:
  static constexpr const char* kFileName = "AudioFile.json";
  // The colour block sent to the audio-capture program: data kind 10, 40 bytes.
  static constexpr uint32_t kColourKind = 10;
  static constexpr size_t kColourBlockBytes = 40;

  CMusicSettings(std::string defaultPath, std::string userPath);

  // At window-init: the user copy's "Device", or the default copy put in its place; then the
  // styles are read from it.
  void Load();
  // Profile reset: the default copy replaces the user copy whole (unless the user copy cannot be
  // read); the styles are read again. With no default copy nothing changes.
  void Reset();
  // The styles in the music document: style 0, empty names and black colours where it holds
  // none. The result is also kept as Style().
  MusicStyleSettings ReadStyle();
  // The styles into the music document ("AudioLightInfo" replaced whole) and into Style().
  void WriteStyle(const MusicStyleSettings& settings);
  // The music document into the user copy's "Device"; false when it could not be written.
  bool Save();

  // Red, green and blue of the selected style as three little-endian 32-bit values, a green
  // of 0 sent as 1, then 28 zero bytes.
  static std::vector<uint8_t> ColourBlock(const MusicStyleSettings& settings);

  const MusicStyleSettings& Style() const { return style_; }
  const Json::Value& Document() const { return document_; }
  const std::string& UserPath() const { return userPath_; }

 private:
  std::string defaultPath_;
  std::string userPath_;
  CJsonFile file_;
  Json::Value document_;
  MusicStyleSettings style_;
};

}  // namespace orlo
