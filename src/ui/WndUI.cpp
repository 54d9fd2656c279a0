#include "ui/WndUI.h"

#include <QResizeEvent>
#include <QWindow>

namespace orlo::ui {

CWndUI::CWndUI(QWidget* parent) : QWidget(parent) {}

void CWndUI::SetWindow(QWindow* window) {
  if (window != nullptr && window == window_) return;
  if (container_ != nullptr) {
    // The container owns the embedded window and takes it along.
    container_->hide();
    delete container_.data();
  }
  window_ = window;
  if (window == nullptr) return;
  // Qt's "qt_" prefix keeps the notification bridge from treating the container as a control.
  container_ = QWidget::createWindowContainer(window, this);
  container_->setObjectName(QStringLiteral("qt_wnd_container"));
  container_->setGeometry(rect());
  container_->show();
}

void CWndUI::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (container_ != nullptr) container_->setGeometry(rect());
}

}  // namespace orlo::ui
