#include "ui/SelectPanelUI.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/DeviceKeyButtonUI.h"
#include "ui/NotifyBridge.h"
#include "ui/NotifyUI.h"

namespace orlo::ui {

CSelectPanelUI::CSelectPanelUI(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_StyledBackground, true);
}

void CSelectPanelUI::mousePressEvent(QMouseEvent* event) {
  QWidget::mousePressEvent(event);
  if (event->button() != Qt::LeftButton || !isEnabled()) return;
  armed_ = true;
  dragging_ = false;
  anchor_ = event->position().toPoint();
  current_ = anchor_;
}

void CSelectPanelUI::mouseMoveEvent(QMouseEvent* event) {
  QWidget::mouseMoveEvent(event);
  if (!armed_) return;
  dragging_ = true;
  current_ = event->position().toPoint();
  const int left = std::min(anchor_.x(), current_.x());
  const int top = std::min(anchor_.y(), current_.y());
  selection_ = QRect(left, top, std::max(anchor_.x(), current_.x()) - left,
                     std::max(anchor_.y(), current_.y()) - top);
  update();
}

void CSelectPanelUI::mouseReleaseEvent(QMouseEvent* event) {
  QWidget::mouseReleaseEvent(event);
  if (event->button() != Qt::LeftButton) return;
  armed_ = false;
  // A click without movement keeps every button's flag: the last rectangle is stale by now.
  if (!dragging_) return;
  dragging_ = false;
  anchor_ = current_;
  MarkButtons();
  update();
  CNotifyBridge::SendNotify(this, notify::kClickSelectEnd);
}

void CSelectPanelUI::MarkButtons() {
  const auto buttons = findChildren<CDeviceKeyButtonUI*>();
  for (CDeviceKeyButtonUI* button : buttons) {
    // A hidden zone cannot be picked by dragging over the picture.
    const QRect area(button->mapTo(this, QPoint(0, 0)), button->size());
    const bool hit = button->isVisibleTo(this) && selection_.intersects(area);
    button->SetSelected(hit ? 1 : 0);
  }
}

void CSelectPanelUI::paintEvent(QPaintEvent* event) {
  QWidget::paintEvent(event);
  if (!dragging_) return;
  QPainter p(this);
  const QColor accent = palette().color(QPalette::Highlight);
  QColor fill = accent;
  fill.setAlpha(48);
  p.setPen(QPen(accent, 1, Qt::DashLine));
  p.setBrush(fill);
  p.drawRect(selection_.adjusted(0, 0, -1, -1));
}

}  // namespace orlo::ui
