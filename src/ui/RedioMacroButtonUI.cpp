#include "ui/RedioMacroButtonUI.h"

#include <QEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "ui/ControlColours.h"

namespace orlo::ui {

CRedioMacroButtonUI::CRedioMacroButtonUI(QWidget* parent) : QAbstractButton(parent) {
  setCheckable(true);
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
  pulse_ = new QTimer(this);
  pulse_->setInterval(kPulseIntervalMs);
  connect(pulse_, &QTimer::timeout, this, [this] {
    phase_ = (phase_ + 1) % kPulseSteps;
    update();
  });
  connect(this, &QAbstractButton::toggled, this, [this] {
    phase_ = 0;
    UpdatePulse();
    update();
  });
}

bool CRedioMacroButtonUI::IsPulsing() const { return pulse_->isActive(); }

void CRedioMacroButtonUI::UpdatePulse() {
  if (IsRecording() && isVisible()) {
    if (!pulse_->isActive()) pulse_->start();
  } else {
    pulse_->stop();
  }
}

void CRedioMacroButtonUI::SetRecordText(const QString& text) {
  recordText_ = text;
  updateGeometry();
  update();
}

void CRedioMacroButtonUI::SetStopText(const QString& text) {
  stopText_ = text;
  updateGeometry();
  update();
}

QSize CRedioMacroButtonUI::sizeHint() const {
  const QFontMetrics fm = fontMetrics();
  const int text = std::max(fm.horizontalAdvance(recordText_), fm.horizontalAdvance(stopText_));
  const int h = std::max(32, fm.height() + 12);
  return {h + text + (text > 0 ? 14 : 0), h};
}

void CRedioMacroButtonUI::showEvent(QShowEvent* event) {
  QAbstractButton::showEvent(event);
  UpdatePulse();
}

void CRedioMacroButtonUI::hideEvent(QHideEvent* event) {
  QAbstractButton::hideEvent(event);
  UpdatePulse();
}

bool CRedioMacroButtonUI::event(QEvent* event) {
  if (event->type() == QEvent::Enter || event->type() == QEvent::Leave) {
    hot_ = event->type() == QEvent::Enter;
    update();
  }
  return QAbstractButton::event(event);
}

void CRedioMacroButtonUI::paintEvent(QPaintEvent* /*event*/) {
  if (width() < 4 || height() < 4) return;
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF face = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
  const qreal radius = std::min(face.height(), face.width()) / 2;

  QColor fill = hot_ ? colours::RaisedHover() : colours::Raised();
  QColor border = colours::Line();
  if (IsRecording()) {
    fill = QColor(0x3F, 0x23, 0x25);
    border = colours::Recording();
  }
  if (isDown()) fill = colours::Surface();
  if (hasFocus()) border = colours::Accent();
  p.setPen(QPen(border, 1));
  p.setBrush(fill);
  p.drawRoundedRect(face, radius, radius);

  // The dot sits in a square at the left end; alone it is centred.
  const QString label = CurrentText();
  const qreal side = std::min(face.height(), face.width());
  const QPointF centre = label.isEmpty() ? face.center() : QPointF(face.left() + side / 2, face.center().y());
  const qreal dot = side * 0.2;
  QColor red = isEnabled() ? colours::Recording() : colours::Disabled();
  if (IsRecording()) {
    // Breathing halo around a steady core.
    const double t = std::sin(2.0 * std::numbers::pi * phase_ / kPulseSteps) * 0.5 + 0.5;
    QColor halo = red;
    halo.setAlphaF(static_cast<float>(0.15 + 0.35 * t));
    p.setPen(Qt::NoPen);
    p.setBrush(halo);
    p.drawEllipse(centre, dot * (1.4 + 0.5 * t), dot * (1.4 + 0.5 * t));
  } else {
    red = red.darker(115);
  }
  p.setPen(Qt::NoPen);
  p.setBrush(red);
  p.drawEllipse(centre, dot, dot);

  if (!label.isEmpty()) {
    p.setPen(isEnabled() ? colours::Text() : colours::Disabled());
    p.setFont(font());
    const QRectF textArea = face.adjusted(side, 0, -radius / 2, 0);
    p.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft, label);
  }
}

}  // namespace orlo::ui
