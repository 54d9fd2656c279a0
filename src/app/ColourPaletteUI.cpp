#include "app/ColourPaletteUI.h"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace orlo {
namespace {

constexpr int kStripWidth = 22;
constexpr int kGap = 10;

}  // namespace

CColourPaletteUI::CColourPaletteUI(QWidget* parent) : QWidget(parent) {
  setCursor(Qt::CrossCursor);
  setAttribute(Qt::WA_OpaquePaintEvent, false);
}

QRect CColourPaletteUI::FieldRect() const {
  return QRect(0, 0, std::max(1, width() - kStripWidth - kGap), std::max(1, height()));
}

QRect CColourPaletteUI::StripRect() const {
  return QRect(width() - kStripWidth, 0, kStripWidth, std::max(1, height()));
}

void CColourPaletteUI::SetColour(const QColor& colour) {
  const QColor hsv = colour.toHsv();
  if (hsv.hsvHue() >= 0) hue_ = hsv.hsvHue();
  saturation_ = hsv.hsvSaturation();
  value_ = hsv.value();
  update();
}

void CColourPaletteUI::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const QRect r = FieldRect();
  field_ = QImage(r.size(), QImage::Format_RGB32);
  for (int y = 0; y < r.height(); ++y) {
    const int s = r.height() > 1 ? 255 - y * 255 / (r.height() - 1) : 255;
    auto* line = reinterpret_cast<QRgb*>(field_.scanLine(y));
    for (int x = 0; x < r.width(); ++x) {
      const int h = r.width() > 1 ? x * 359 / (r.width() - 1) : 0;
      line[x] = QColor::fromHsv(h, s, 255).rgb();
    }
  }
}

void CColourPaletteUI::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRect field = FieldRect();
  const QRect strip = StripRect();
  p.drawImage(field.topLeft(), field_);

  QLinearGradient shade(strip.topLeft(), strip.bottomLeft());
  shade.setColorAt(0, QColor::fromHsv(hue_, saturation_, 255));
  shade.setColorAt(1, Qt::black);
  p.fillRect(strip, shade);

  // Markers: a ring on the field at hue and saturation, a bar on the strip at brightness.
  const int x = field.left() + hue_ * (field.width() - 1) / 359;
  const int y = field.top() + (255 - saturation_) * (field.height() - 1) / 255;
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(Qt::black, 3));
  p.drawEllipse(QPoint(x, y), 6, 6);
  p.setPen(QPen(Qt::white, 1.5));
  p.drawEllipse(QPoint(x, y), 6, 6);
  const int v = strip.top() + (255 - value_) * (strip.height() - 1) / 255;
  const QRect bar(strip.left() - 2, v - 3, strip.width() + 4, 6);
  p.setPen(QPen(Qt::black, 2));
  p.drawRect(bar);
  p.setPen(QPen(Qt::white, 1));
  p.drawRect(bar);
}

void CColourPaletteUI::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  const QPoint at = event->position().toPoint();
  dragging_ = StripRect().adjusted(-kGap / 2, 0, 0, 0).contains(at) ? Part::kStrip
              : FieldRect().contains(at)                            ? Part::kField
                                                                    : Part::kNone;
  PickAt(at);
  event->accept();  // not a drag of the frameless window
}

void CColourPaletteUI::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton) PickAt(event->position().toPoint());
}

void CColourPaletteUI::PickAt(const QPoint& at) {
  if (dragging_ == Part::kNone) return;
  if (dragging_ == Part::kField) {
    const QRect r = FieldRect();
    const int x = std::clamp(at.x() - r.left(), 0, r.width() - 1);
    const int y = std::clamp(at.y() - r.top(), 0, r.height() - 1);
    hue_ = r.width() > 1 ? x * 359 / (r.width() - 1) : 0;
    saturation_ = r.height() > 1 ? 255 - y * 255 / (r.height() - 1) : 255;
  } else {
    const QRect r = StripRect();
    const int y = std::clamp(at.y() - r.top(), 0, r.height() - 1);
    value_ = r.height() > 1 ? 255 - y * 255 / (r.height() - 1) : 255;
  }
  update();
  Q_EMIT colorChanged(Colour());
}

}  // namespace orlo
