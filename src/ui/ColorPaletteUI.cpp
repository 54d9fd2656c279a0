#include "ui/ColorPaletteUI.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace orlo::ui {

CColorPaletteUI::CColorPaletteUI(QWidget* parent) : QWidget(parent) {
  setCursor(Qt::CrossCursor);
  setMinimumSize(120, 48);
}

QColor CColorPaletteUI::ColourAt(QPoint at) const {
  const int w = std::max(1, width() - 1), h = std::max(1, height() - 1);
  const double hue = std::clamp(at.x(), 0, w) / static_cast<double>(w) * 359.0;
  // Upper half: white to full colour; lower half: full colour to black.
  const double y = std::clamp(at.y(), 0, h) / static_cast<double>(h);
  const double saturation = y < 0.5 ? y * 2.0 : 1.0;
  const double value = y < 0.5 ? 1.0 : 1.0 - (y - 0.5) * 2.0;
  return QColor::fromHsvF(static_cast<float>(hue / 360.0), static_cast<float>(saturation), static_cast<float>(value));
}

void CColorPaletteUI::SetSelectColor(uint32_t argb) {
  colour_ = argb | 0xFF000000u;
  const QColor c = QColor::fromRgba(colour_);
  const int w = std::max(1, width() - 1), h = std::max(1, height() - 1);
  float hue = 0, saturation = 0, value = 0;
  c.getHsvF(&hue, &saturation, &value);
  if (hue < 0) hue = 0;  // a grey has no hue
  // The palette holds full saturation or full value; the nearer of the two halves is marked.
  const double y = value >= 1.0f - 1e-3f || saturation < value ? saturation / 2.0 : 0.5 + (1.0 - value) / 2.0;
  marker_ = QPoint(static_cast<int>(std::lround(hue * w)), static_cast<int>(std::lround(y * h)));
  update();
}

void CColorPaletteUI::Render() {
  image_ = QImage(size(), QImage::Format_RGB32);
  for (int y = 0; y < height(); ++y)
    for (int x = 0; x < width(); ++x) image_.setPixel(x, y, ColourAt({x, y}).rgb());
}

void CColorPaletteUI::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  Render();
  SetSelectColor(colour_);
}

void CColorPaletteUI::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (image_.size() != size()) Render();
  p.drawImage(0, 0, image_);
  if (!isEnabled()) p.fillRect(rect(), QColor(30, 31, 34, 160));
  if (marker_.x() >= 0) {
    // A marker on the edge is drawn whole, just inside.
    const QPoint at(std::clamp(marker_.x(), 6, std::max(6, width() - 7)),
                    std::clamp(marker_.y(), 6, std::max(6, height() - 7)));
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(Qt::black, 3));
    p.drawEllipse(at, 5, 5);
    p.setPen(QPen(Qt::white, 1.5));
    p.drawEllipse(at, 5, 5);
  }
}

void CColorPaletteUI::Pick(QPoint at) {
  marker_ = QPoint(std::clamp(at.x(), 0, width() - 1), std::clamp(at.y(), 0, height() - 1));
  colour_ = ColourAt(marker_).rgba() | 0xFF000000u;
  update();
}

void CColorPaletteUI::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  dragging_ = true;
  Pick(event->position().toPoint());
}

void CColorPaletteUI::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_) Pick(event->position().toPoint());
}

void CColorPaletteUI::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  dragging_ = false;
  Pick(event->position().toPoint());
  emit colorChanged(QColor::fromRgba(colour_));
}

}  // namespace orlo::ui
