#include "pages/shoot/ShootPatternViewUI.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "ui/ControlFactory.h"

namespace orlo {

CShootPatternViewUI::CShootPatternViewUI(QWidget* parent) : QWidget(parent) { setMinimumSize(160, 160); }

void CShootPatternViewUI::RegisterControl() {
  ui::CControlFactory::GetInstance().RegistControl(kClassName,
                                                   [](QWidget* parent) { return new CShootPatternViewUI(parent); });
}

void CShootPatternViewUI::SetPattern(std::vector<shoot::Bullet> bullets, int selected) {
  bullets_ = std::move(bullets);
  selected_ = selected;
  update();
}

void CShootPatternViewUI::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF area = QRectF(rect()).adjusted(14, 14, -14, -14);
  p.setPen(QPen(QColor(0x3A, 0x3D, 0x43), 1, Qt::DashLine));
  p.drawLine(QPointF(area.center().x(), area.top()), QPointF(area.center().x(), area.bottom()));
  if (bullets_.empty()) return;
  // The pointer's position after each bullet, with the first at the origin.
  std::vector<QPointF> points{{0, 0}};
  for (const shoot::Bullet& b : bullets_) {
    const QPointF last = points.back();
    points.emplace_back(last.x() + (b.left ? -b.x : b.x), last.y() + (b.up ? -b.y : b.y));
  }
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
  for (const QPointF& q : points) {
    minX = std::min(minX, q.x()), maxX = std::max(maxX, q.x());
    minY = std::min(minY, q.y()), maxY = std::max(maxY, q.y());
  }
  const double spanX = std::max({maxX, -minX, 1.0}) * 2, spanY = std::max(maxY - minY, 1.0);
  const double scale = std::min(area.width() / spanX, area.height() / spanY);
  auto at = [&](const QPointF& q) {
    return QPointF(area.center().x() + q.x() * scale, area.top() + (q.y() - minY) * scale);
  };
  QPainterPath path(at(points.front()));
  for (size_t i = 1; i < points.size(); ++i) path.lineTo(at(points[i]));
  p.setPen(QPen(QColor(0x2F, 0xB5, 0xA8), 2));
  p.setBrush(Qt::NoBrush);
  p.drawPath(path);
  p.setPen(Qt::NoPen);
  for (size_t i = 1; i < points.size(); ++i) {
    const bool chosen = static_cast<int>(i) - 1 == selected_;
    p.setBrush(chosen ? QColor(0xE6, 0xE7, 0xE9) : QColor(0x2F, 0xB5, 0xA8));
    p.drawEllipse(at(points[i]), chosen ? 5.0 : 2.5, chosen ? 5.0 : 2.5);
  }
}

}  // namespace orlo
