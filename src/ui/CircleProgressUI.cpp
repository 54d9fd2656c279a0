#include "ui/CircleProgressUI.h"

#include <QFont>
#include <QPainter>
#include <QPen>
#include <algorithm>
#include <cmath>

#include "ui/ControlColours.h"

namespace orlo::ui {

CCircleProgressUI::CCircleProgressUI(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_TranslucentBackground);
}

void CCircleProgressUI::SetRange(int minimum, int maximum) {
  if (maximum < minimum) std::swap(minimum, maximum);
  minimum_ = minimum;
  maximum_ = maximum;
  value_ = std::clamp(value_, minimum_, maximum_);
  update();
}

void CCircleProgressUI::SetValue(int value) {
  const int clamped = std::clamp(value, minimum_, maximum_);
  if (clamped == value_) return;
  value_ = clamped;
  update();
}

double CCircleProgressUI::Fraction() const {
  if (maximum_ <= minimum_) return 0.0;
  // In 64 bits: the span of a full int range does not fit in an int.
  const double span = static_cast<double>(static_cast<long long>(maximum_) - minimum_);
  return static_cast<double>(static_cast<long long>(value_) - minimum_) / span;
}

int CCircleProgressUI::Percent() const {
  if (maximum_ <= minimum_) return 0;
  const long long span = static_cast<long long>(maximum_) - minimum_;
  return static_cast<int>((static_cast<long long>(value_) - minimum_) * 100 / span);
}

void CCircleProgressUI::SetShowText(bool show) {
  showText_ = show;
  update();
}

void CCircleProgressUI::paintEvent(QPaintEvent* /*event*/) {
  const int side = std::min(width(), height());
  const qreal pen = std::max<qreal>(2.0, side / 10.0);
  if (side < pen * 2 + 2) return;  // nothing sensible fits

  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF ring(QPointF((width() - side) / 2.0 + pen / 2, (height() - side) / 2.0 + pen / 2),
                    QSizeF(side - pen, side - pen));

  p.setPen(QPen(colours::Line(), pen, Qt::SolidLine, Qt::FlatCap));
  p.drawEllipse(ring);

  const QColor accent = isEnabled() ? colours::Accent() : colours::Disabled();
  const int span = static_cast<int>(std::lround(-Fraction() * 360.0 * 16.0));  // clockwise
  if (span != 0) {
    p.setPen(QPen(accent, pen, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(ring, 90 * 16, span);
  }

  if (showText_ && side >= 24) {
    QFont f = font();
    f.setPixelSize(std::max(8, static_cast<int>(side / 4.5)));
    f.setBold(true);
    p.setFont(f);
    p.setPen(isEnabled() ? colours::Text() : colours::Disabled());
    p.drawText(rect(), Qt::AlignCenter, QStringLiteral("%1%").arg(Percent()));
  }
}

}  // namespace orlo::ui
