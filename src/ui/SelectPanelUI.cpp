#include "ui/SelectPanelUI.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <algorithm>

#include "ui/DeviceKeyButtonUI.h"
#include "ui/NotifyBridge.h"
#include "ui/NotifyUI.h"

namespace orlo::ui {
namespace {

// Paints the dragged rectangle over the panel's children; never takes the mouse.
class SelectBand : public QWidget {
 public:
  SelectBand(CSelectPanelUI* panel) : QWidget(panel), panel_(panel) {
    // "qt_" keeps it out of notifications and DPI scaling, like Qt's own helper widgets.
    setObjectName(QStringLiteral("qt_select_band"));
    setAttribute(Qt::WA_TransparentForMouseEvents, true);
    setAttribute(Qt::WA_NoSystemBackground, true);
    hide();
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    const QColor accent = palette().color(QPalette::Highlight);
    QColor fill = accent;
    fill.setAlpha(48);
    p.setPen(QPen(accent, 1, Qt::DashLine));
    p.setBrush(fill);
    p.drawRect(panel_->Selection().adjusted(0, 0, -1, -1));
  }

 private:
  CSelectPanelUI* panel_;
};

}  // namespace

CSelectPanelUI::CSelectPanelUI(QWidget* parent) : QWidget(parent), band_(new SelectBand(this)) {
  setAttribute(Qt::WA_StyledBackground, true);
}

void CSelectPanelUI::ShowBand(bool shown) {
  if (shown) {
    band_->setGeometry(rect());
    band_->raise();
    band_->show();
    band_->update();
  } else {
    band_->hide();
  }
}

void CSelectPanelUI::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  band_->setGeometry(rect());
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
  ShowBand(true);
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
  ShowBand(false);
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

}  // namespace orlo::ui
