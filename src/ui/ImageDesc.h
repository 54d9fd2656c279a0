#pragma once
// Image descriptions as layouts and code write them: "file='power/powered.png'" with optional
// source='l,t,r,b', dest='l,t,r,b', corner='l,t,r,b', mask='#AARRGGBB', fade='0..255',
// hole='true', xtiled='true', ytiled='true'. A description without any key=value is a file name.
#include <QImage>
#include <QMargins>
#include <QRect>
#include <QString>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class QPainter;

namespace orlo::ui {

struct CImageDesc {
  std::string file;       // relative to the skin folder
  QRect source;           // null: the whole image
  QRect dest;             // relative to the target rectangle; null: the whole target
  QMargins corner;        // nine-slice borders in source pixels
  std::uint32_t mask = 0; // colour made transparent (alpha byte must be non-zero to apply)
  int fade = 255;
  bool hole = false;      // nine-slice: leave the centre out
  bool xtiled = false;
  bool ytiled = false;

  bool empty() const { return file.empty(); }
};

// Null for a malformed description (unterminated quote, bad number, fade outside 0..255).
// An empty or blank text gives an empty description.
std::optional<CImageDesc> ParseImageDesc(std::string_view text);

// Parses "l,t,r,b" (right and bottom exclusive) into a QRect.
std::optional<QRect> ParseRectValue(std::string_view text);

// Hexadecimal colour with an optional leading "#" (or "0x"). Up to six digits are an opaque
// RGB colour; seven or eight carry the alpha byte first. Null for anything else.
std::optional<std::uint32_t> ParseHexColour(std::string_view text);

// Draws the description into `target`; `opacity` (0..255) multiplies its own fade. False when
// the image file cannot be read.
bool DrawImage(QPainter& painter, const QRect& target, const CImageDesc& desc, int opacity = 255);

// The SVG file `path` rendered at `pixels`, from a process-wide cache: the file is read once per
// size. Null for an unreadable file or an empty size. GUI thread only.
QImage CachedSvgImage(const QString& path, const QSize& pixels);

}  // namespace orlo::ui
