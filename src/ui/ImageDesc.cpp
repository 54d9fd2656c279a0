#include "ui/ImageDesc.h"

#include <QCache>
#include <QHash>
#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QString>
#include <QSvgRenderer>
#include <algorithm>
#include <cctype>
#include <charconv>

#include "ui/ResourceManager.h"

namespace orlo::ui {
namespace {

std::string_view Trim(std::string_view s) {
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
  while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
  return s;
}

std::optional<int> ParseInt(std::string_view s) {
  s = Trim(s);
  int v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc() || end != s.data() + s.size() || s.empty()) return std::nullopt;
  return v;
}

bool ParseBool(std::string_view s) { return Trim(s) == "true"; }

}  // namespace

std::optional<QRect> ParseRectValue(std::string_view text) {
  int v[4];
  for (int i = 0; i < 4; ++i) {
    const auto comma = text.find(',');
    if ((i < 3) == (comma == std::string_view::npos)) return std::nullopt;
    auto n = ParseInt(text.substr(0, comma));
    if (!n) return std::nullopt;
    v[i] = *n;
    text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
  }
  return QRect(QPoint(v[0], v[1]), QPoint(v[2] - 1, v[3] - 1));
}

std::optional<std::uint32_t> ParseHexColour(std::string_view text) {
  text = Trim(text);
  if (!text.empty() && text.front() == '#') {
    text.remove_prefix(1);
  } else if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
  }
  if (text.empty() || text.size() > 8) return std::nullopt;
  std::uint32_t v = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v, 16);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (text.size() <= 6) v |= 0xFF000000u;  // no alpha byte given: opaque
  return v;
}

std::optional<CImageDesc> ParseImageDesc(std::string_view text) {
  CImageDesc desc;
  text = Trim(text);
  if (text.empty()) return desc;
  if (text.find('=') == std::string_view::npos) {
    desc.file = std::string(text);
    return desc;
  }
  while (true) {
    text = Trim(text);
    if (text.empty()) break;
    const auto eq = text.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    const std::string_view key = Trim(text.substr(0, eq));
    if (key.empty()) return std::nullopt;
    text = Trim(text.substr(eq + 1));
    if (text.empty() || (text.front() != '\'' && text.front() != '"')) return std::nullopt;
    const char quote = text.front();
    const auto close = text.find(quote, 1);
    if (close == std::string_view::npos) return std::nullopt;
    const std::string_view value = text.substr(1, close - 1);
    text = text.substr(close + 1);

    if (key == "file" || key == "res") {
      desc.file = std::string(value);
    } else if (key == "source" || key == "dest") {
      auto r = ParseRectValue(value);
      if (!r) return std::nullopt;
      (key == "source" ? desc.source : desc.dest) = *r;
    } else if (key == "corner") {
      auto r = ParseRectValue(value);
      if (!r) return std::nullopt;
      desc.corner = QMargins(r->left(), r->top(), r->right() + 1, r->bottom() + 1);
    } else if (key == "mask") {
      auto c = ParseHexColour(value);
      if (!c) return std::nullopt;
      desc.mask = *c;
    } else if (key == "fade") {
      auto f = ParseInt(value);
      if (!f || *f < 0 || *f > 255) return std::nullopt;
      desc.fade = *f;
    } else if (key == "hole") {
      desc.hole = ParseBool(value);
    } else if (key == "xtiled") {
      desc.xtiled = ParseBool(value);
    } else if (key == "ytiled") {
      desc.ytiled = ParseBool(value);
    }
    // Other keys (restype, ...) have no meaning here and are skipped.
  }
  return desc;
}

namespace {

const QImage* LoadRaster(const QString& path, std::uint32_t mask) {
  static QHash<QString, QImage> cache;
  const QString key = path + QLatin1Char('|') + QString::number(mask, 16);
  auto it = cache.find(key);
  if (it == cache.end()) {
    QImage image(path);
    if (image.isNull()) return nullptr;
    image = image.convertToFormat(QImage::Format_ARGB32);
    if ((mask >> 24) != 0) {
      const QRgb maskKey = mask | 0xFF000000u;
      for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
          if ((line[x] | 0xFF000000u) == maskKey) line[x] = 0;
        }
      }
    }
    it = cache.insert(key, image);
  }
  return &it.value();
}

// Rendered SVG images, keyed by file and pixel size, bounded by their size in KiB. Parsing the
// file on every paint made each repaint of a lit button cost more than the rest of the frame.
constexpr qsizetype kSvgCacheKiB = 8 * 1024;

QCache<QString, QImage>& SvgCache() {
  static QCache<QString, QImage> cache(kSvgCacheKiB);
  return cache;
}

QString SvgKey(const QString& path, const QSize& pixels) {
  return path + QLatin1Char('|') + QString::number(pixels.width()) + QLatin1Char('x') +
         QString::number(pixels.height());
}

void DrawPiece(QPainter& p, const QRect& dst, const QImage& img, const QRect& src, bool xt, bool yt) {
  if (dst.isEmpty() || src.isEmpty()) return;
  if (!xt && !yt) {
    p.drawImage(dst, img, src);
    return;
  }
  const int stepX = xt ? src.width() : dst.width();
  const int stepY = yt ? src.height() : dst.height();
  p.save();
  p.setClipRect(dst, Qt::IntersectClip);
  for (int y = dst.top(); y <= dst.bottom(); y += stepY) {
    for (int x = dst.left(); x <= dst.right(); x += stepX) {
      p.drawImage(QRect(x, y, stepX, stepY), img, src);
    }
  }
  p.restore();
}

}  // namespace

QImage CachedSvgImage(const QString& path, const QSize& pixels) {
  if (pixels.isEmpty()) return {};
  const QString key = SvgKey(path, pixels);
  if (const QImage* hit = SvgCache().object(key)) return *hit;
  QSvgRenderer svg(path);
  if (!svg.isValid()) return {};  // not cached: the file may appear later
  auto* image = new QImage(pixels, QImage::Format_ARGB32_Premultiplied);
  image->fill(Qt::transparent);
  {
    QPainter p(image);
    p.setRenderHint(QPainter::Antialiasing);
    svg.render(&p, QRectF(QPointF(0, 0), QSizeF(pixels)));
  }
  const QImage result = *image;
  const qsizetype cost = std::max<qsizetype>(1, image->sizeInBytes() / 1024);
  if (cost > kSvgCacheKiB) {
    delete image;  // larger than the whole cache: draw it once, keep nothing
    return result;
  }
  SvgCache().insert(key, image, cost);
  return result;
}

bool DrawImage(QPainter& painter, const QRect& target, const CImageDesc& desc, int opacity) {
  if (desc.empty()) return true;
  QRect dst = target;
  if (!desc.dest.isNull()) dst = desc.dest.translated(target.topLeft());
  if (dst.isEmpty()) return true;
  const QString path = QString::fromStdString(CResourceManager::GetInstance().ResolveFile(desc.file));

  painter.save();
  painter.setOpacity(painter.opacity() * (desc.fade / 255.0) * (qBound(0, opacity, 255) / 255.0));
  bool ok = true;
  if (path.endsWith(QLatin1String(".svg"), Qt::CaseInsensitive)) {
    // Rendered at the device's pixel size so the cached image is drawn 1:1.
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    const QSize pixels = (QSizeF(dst.size()) * ratio).toSize();
    QImage image = CachedSvgImage(path, pixels);
    ok = !image.isNull();
    if (ok) {
      image.setDevicePixelRatio(ratio);
      painter.drawImage(QRectF(dst), image);
    }
  } else if (const QImage* img = LoadRaster(path, desc.mask)) {
    QRect src = desc.source.isNull() ? img->rect() : desc.source.intersected(img->rect());
    const QMargins c = desc.corner;
    if (c.isNull()) {
      DrawPiece(painter, dst, *img, src, desc.xtiled, desc.ytiled);
    } else {
      // Nine-slice: corners keep their size, edges stretch one way, the centre both.
      const int sx[4] = {src.left(), src.left() + c.left(), src.right() + 1 - c.right(), src.right() + 1};
      const int sy[4] = {src.top(), src.top() + c.top(), src.bottom() + 1 - c.bottom(), src.bottom() + 1};
      const int dx[4] = {dst.left(), dst.left() + c.left(), dst.right() + 1 - c.right(), dst.right() + 1};
      const int dy[4] = {dst.top(), dst.top() + c.top(), dst.bottom() + 1 - c.bottom(), dst.bottom() + 1};
      for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
          if (desc.hole && row == 1 && col == 1) continue;
          const QRect s(QPoint(sx[col], sy[row]), QPoint(sx[col + 1] - 1, sy[row + 1] - 1));
          const QRect d(QPoint(dx[col], dy[row]), QPoint(dx[col + 1] - 1, dy[row + 1] - 1));
          DrawPiece(painter, d, *img, s, desc.xtiled && row == 1, desc.ytiled && col == 1);
        }
      }
    }
  } else {
    ok = false;
  }
  painter.restore();
  return ok;
}

}  // namespace orlo::ui
