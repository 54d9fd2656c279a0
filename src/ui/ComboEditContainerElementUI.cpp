#include "ui/ComboEditContainerElementUI.h"

#include <QEnterEvent>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/ControlColours.h"
#include "ui/NotifyBridge.h"
#include "ui/NotifyUI.h"

namespace orlo::ui {

CComboEditContainerElementUI::CComboEditContainerElementUI(QWidget* parent) : QWidget(parent) {
  edit_ = new QLineEdit(this);
  // "qt_": the bridge leaves the editor alone; its notifications are the element's.
  edit_->setObjectName(QStringLiteral("qt_element_edit"));
  edit_->setFrame(false);
  edit_->setStyleSheet(QStringLiteral("background: transparent; border: none; padding: 0;"));
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(10, 2, 10, 2);
  row->addWidget(edit_);

  connect(edit_, &QLineEdit::textEdited, this, [this] { CNotifyBridge::SendNotify(this, notify::kTextChanged); });
  connect(edit_, &QLineEdit::returnPressed, this, [this] { CNotifyBridge::SendNotify(this, notify::kReturn); });
}

void CComboEditContainerElementUI::SetText(const QString& text) { edit_->setText(text); }
QString CComboEditContainerElementUI::Text() const { return edit_->text(); }

void CComboEditContainerElementUI::SetMaxChars(int count) { edit_->setMaxLength(std::max(1, count)); }
int CComboEditContainerElementUI::MaxChars() const { return edit_->maxLength(); }

void CComboEditContainerElementUI::SetReadOnly(bool readOnly) {
  edit_->setReadOnly(readOnly);
  // A read-only element is picked by a press anywhere on it, the editor included.
  edit_->setAttribute(Qt::WA_TransparentForMouseEvents, readOnly);
}
bool CComboEditContainerElementUI::IsReadOnly() const { return edit_->isReadOnly(); }

void CComboEditContainerElementUI::SetSelected(bool selected) {
  if (selected_ == selected) return;
  selected_ = selected;
  update();
}

void CComboEditContainerElementUI::paintEvent(QPaintEvent* /*event*/) {
  if (!selected_ && !hot_) return;
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(Qt::NoPen);
  QColor fill = selected_ ? colours::Accent() : colours::RaisedHover();
  if (selected_) fill.setAlpha(hot_ ? 90 : 64);
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 4, 4);
  if (selected_) {
    p.setBrush(colours::Accent());
    p.drawRoundedRect(QRectF(1, height() * 0.25, 3, height() * 0.5), 1.5, 1.5);
  }
}

void CComboEditContainerElementUI::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !isEnabled()) {
    QWidget::mousePressEvent(event);
    return;
  }
  SetSelected(true);
  CNotifyBridge::SendNotify(this, notify::kItemClick, index_);
  event->accept();
}

void CComboEditContainerElementUI::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  hot_ = true;
  update();
}

void CComboEditContainerElementUI::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  hot_ = false;
  update();
}

}  // namespace orlo::ui
