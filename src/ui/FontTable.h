#pragma once
// The shared font table: numbered fonts that layouts pick with the dynamic property "fontid"
// (no id: the default font). Sizes are in pixels at 96 DPI and scale with the toolkit DPI.
#include <QFont>
#include <map>
#include <optional>
#include <string>
#include <vector>

class QWidget;

namespace orlo::ui {

struct FontEntry {
  std::string face;
  int size = 13;
  bool bold = false;
  bool underline = false;
  bool italic = false;
};

class CFontTable {
 public:
  static CFontTable& GetInstance();

  void SetDefaultFont(const FontEntry& entry) { default_ = entry; }
  void AddFont(int id, const FontEntry& entry) { fonts_[id] = entry; }
  void RemoveAllFonts() { fonts_.clear(); }
  const FontEntry& DefaultFont() const { return default_; }
  // The entry of `id`, or the default font for an id the table does not have.
  const FontEntry& Entry(int id) const;
  // The font of `id` at the current DPI.
  QFont GetFont(int id) const;

  // Replaces every font with the interface table in `face`: default 13; 0:15; 1:14 underlined;
  // 2:18; 3:30; 4:16; 5:20; 6:22; 7:14; 8:12; 9:11; 10:10; 11:28; 50:18 bold.
  void SetInterfaceFonts(const std::string& face);

  // Sets the fonts of a tree from its "fontid" properties (and the default elsewhere).
  void ApplyFonts(QWidget* tree) const;
  // ApplyFonts on every top-level window (after the table changed).
  void ReloadFonts() const;

 private:
  CFontTable();
  FontEntry default_;
  std::map<int, FontEntry> fonts_;
};

inline constexpr const char* kFontIdProperty = "fontid";

// Which face a language needs. Languages listed with a face of their own always switch to it;
// any other language switches to the common face only when coming from a listed language (or
// from none, index -1), and otherwise keeps the fonts in place.
class CLanguageFaces {
 public:
  // <faces common="..."><face index="15" family="..."/>...</faces>; false on malformed input.
  bool LoadFromString(const std::string& xml);
  bool LoadFile(const std::string& path);
  // Null: the fonts stay as they are.
  std::optional<std::string> FaceFor(int newIndex, int currentIndex) const;

 private:
  std::string common_;
  std::map<int, std::string> own_;
};

}  // namespace orlo::ui
