#include "ui/ChartViewUI.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <algorithm>
#include <cmath>

#include "ui/ControlColours.h"

namespace orlo::ui {
namespace {

constexpr double kMargin = 8.0;
constexpr int kGridLines = 4;

// Position of v inside [lo, hi] as 0..1, clamped; the middle for an empty range.
double Unit(double v, double lo, double hi) {
  if (!(hi > lo)) return 0.5;
  return std::clamp((v - lo) / (hi - lo), 0.0, 1.0);
}

}  // namespace

CChartViewUI::CChartViewUI(QWidget* parent) : QWidget(parent) {}

void CChartViewUI::SetPoints(std::vector<QPointF> points) {
  std::erase_if(points, [](const QPointF& pt) { return !std::isfinite(pt.x()) || !std::isfinite(pt.y()); });
  points_ = std::move(points);
  update();
}

void CChartViewUI::SetXRange(double minimum, double maximum) {
  if (!std::isfinite(minimum) || !std::isfinite(maximum)) return;
  if (maximum < minimum) std::swap(minimum, maximum);
  xMin_ = minimum;
  xMax_ = maximum;
  update();
}

void CChartViewUI::SetYRange(double minimum, double maximum) {
  if (!std::isfinite(minimum) || !std::isfinite(maximum)) return;
  if (maximum < minimum) std::swap(minimum, maximum);
  yMin_ = minimum;
  yMax_ = maximum;
  update();
}

void CChartViewUI::FitToPoints() {
  if (points_.empty()) return;
  auto [xl, xh] = std::minmax_element(points_.begin(), points_.end(),
                                      [](const QPointF& a, const QPointF& b) { return a.x() < b.x(); });
  auto [yl, yh] = std::minmax_element(points_.begin(), points_.end(),
                                      [](const QPointF& a, const QPointF& b) { return a.y() < b.y(); });
  const auto widen = [](double lo, double hi) { return hi > lo ? std::pair{lo, hi} : std::pair{lo - 0.5, lo + 0.5}; };
  const auto [x0, x1] = widen(xl->x(), xh->x());
  const auto [y0, y1] = widen(yl->y(), yh->y());
  SetXRange(x0, x1);
  SetYRange(y0, y1);
}

void CChartViewUI::SetInvertedY(bool inverted) {
  invertedY_ = inverted;
  update();
}

void CChartViewUI::SetFillArea(bool fill) {
  fillArea_ = fill;
  update();
}

QRectF CChartViewUI::PlotRect() const {
  const QRectF r = QRectF(rect()).adjusted(kMargin, kMargin, -kMargin, -kMargin);
  return r.isValid() ? r : QRectF(QRectF(rect()).center(), QSizeF(0, 0));
}

QPointF CChartViewUI::MapToWidget(const QPointF& point) const {
  const QRectF plot = PlotRect();
  const double ux = Unit(point.x(), xMin_, xMax_);
  double uy = Unit(point.y(), yMin_, yMax_);
  if (!invertedY_) uy = 1.0 - uy;
  return {plot.left() + ux * plot.width(), plot.top() + uy * plot.height()};
}

void CChartViewUI::paintEvent(QPaintEvent* /*event*/) {
  const QRectF plot = PlotRect();
  if (plot.width() < 2 || plot.height() < 2) return;

  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  p.setBrush(colours::Surface());
  p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);

  // Grid: quarters both ways, plus the zero line when zero lies inside the y range.
  p.setPen(QPen(colours::Line(), 1, Qt::DotLine));
  for (int i = 0; i <= kGridLines; ++i) {
    const double x = plot.left() + plot.width() * i / kGridLines;
    const double y = plot.top() + plot.height() * i / kGridLines;
    p.drawLine(QPointF(x, plot.top()), QPointF(x, plot.bottom()));
    p.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
  }
  if (yMin_ < 0.0 && yMax_ > 0.0) {
    const double y0 = MapToWidget({xMin_, 0.0}).y();
    p.setPen(QPen(colours::MutedText(), 1));
    p.drawLine(QPointF(plot.left(), y0), QPointF(plot.right(), y0));
  }
  if (points_.empty()) return;

  const QColor accent = isEnabled() ? colours::Accent() : colours::Disabled();
  QPainterPath line;
  line.moveTo(MapToWidget(points_.front()));
  for (std::size_t i = 1; i < points_.size(); ++i) line.lineTo(MapToWidget(points_[i]));

  if (fillArea_ && points_.size() > 1) {
    // Shade down to the baseline (or up, when inverted) to read the curve's level at a glance.
    const double base = invertedY_ ? plot.top() : plot.bottom();
    QPainterPath area = line;
    area.lineTo(QPointF(line.currentPosition().x(), base));
    area.lineTo(QPointF(MapToWidget(points_.front()).x(), base));
    area.closeSubpath();
    QLinearGradient shade(QPointF(0, invertedY_ ? plot.bottom() : plot.top()), QPointF(0, base));
    QColor top = accent;
    top.setAlpha(90);
    QColor bottom = accent;
    bottom.setAlpha(0);
    shade.setColorAt(0, top);
    shade.setColorAt(1, bottom);
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawPath(area);
  }

  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(accent, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.drawPath(line);

  // Dots only while they stay apart; a dense series reads better as a plain line.
  if (plot.width() / static_cast<double>(points_.size()) >= 8.0) {
    p.setPen(QPen(colours::Surface(), 1.5));
    p.setBrush(accent);
    for (const QPointF& pt : points_) p.drawEllipse(MapToWidget(pt), 3.0, 3.0);
  }
}

}  // namespace orlo::ui
