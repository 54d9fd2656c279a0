#pragma once
// A container for a native child window. Given a QWindow it embeds it through a window container
// that fills the control; without one it is a plain container for child controls.
#include <QPointer>
#include <QWidget>
#include <QWindow>

namespace orlo::ui {

class CWndUI : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "Wnd";

  explicit CWndUI(QWidget* parent = nullptr);

  // Embeds `window`, taking ownership of it; a window embedded before is destroyed with its
  // container. Null removes the current one.
  void SetWindow(QWindow* window);
  QWindow* Window() const { return window_; }
  QWidget* Container() const { return container_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  QPointer<QWindow> window_;
  QPointer<QWidget> container_;
};

}  // namespace orlo::ui
