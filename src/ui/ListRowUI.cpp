#include "ui/ListRowUI.h"

#include <QEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "ui/ControlColours.h"
#include "ui/NotifyBridge.h"
#include "ui/NotifyUI.h"

namespace orlo::ui {

CListRowUI::CListRowUI(QWidget* parent) : QWidget(parent) {
  // The parts are named "qt_…" so the notification bridge leaves them to the row: the list sees
  // one control per row.
  title_ = new QLabel(this);
  title_->setObjectName(QStringLiteral("qt_row_title"));
  details_ = new QLabel(this);
  details_->setObjectName(QStringLiteral("qt_row_details"));
  details_->setProperty("role", QStringLiteral("muted"));
  button_ = new QPushButton(this);
  button_->setObjectName(QStringLiteral("qt_row_button"));
  button_->setCursor(Qt::PointingHandCursor);

  QFont bold = title_->font();
  bold.setBold(true);
  title_->setFont(bold);
  QPalette muted = details_->palette();
  muted.setColor(QPalette::WindowText, colours::MutedText());
  details_->setPalette(muted);
  title_->setTextFormat(Qt::PlainText);
  details_->setTextFormat(Qt::PlainText);

  auto* texts = new QVBoxLayout;
  texts->setContentsMargins(0, 0, 0, 0);
  texts->setSpacing(2);
  texts->addWidget(title_);
  texts->addWidget(details_);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(12, 6, 10, 6);
  row->addLayout(texts, 1);
  row->addWidget(button_, 0, Qt::AlignVCenter);

  connect(button_, &QPushButton::clicked, this, [this] { CNotifyBridge::SendNotify(this, notify::kClick); });
}

void CListRowUI::SetTitle(const QString& text) { title_->setText(text); }
QString CListRowUI::Title() const { return title_->text(); }
void CListRowUI::SetDetails(const QString& text) { details_->setText(text); }
QString CListRowUI::Details() const { return details_->text(); }
void CListRowUI::SetButtonText(const QString& text) { button_->setText(text); }
QString CListRowUI::ButtonText() const { return button_->text(); }
void CListRowUI::SetButtonEnabled(bool enabled) { button_->setEnabled(enabled); }
bool CListRowUI::IsButtonEnabled() const { return button_->isEnabled(); }

void CListRowUI::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(colours::Line(), 1));
  p.setBrush(hot_ ? colours::Raised() : colours::Surface());
  p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

void CListRowUI::enterEvent(QEnterEvent* event) {
  QWidget::enterEvent(event);
  hot_ = true;
  update();
}

void CListRowUI::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  hot_ = false;
  update();
}

}  // namespace orlo::ui
