#pragma once
// The device picture: a container whose key and zone buttons can be picked several at a time by
// dragging a rectangle over them. After each drag every CDeviceKeyButtonUI inside gets its
// `selected` flag from whether it meets the rectangle, and "click_select_end" is raised.
#include <QPoint>
#include <QRect>
#include <QWidget>

namespace orlo::ui {

class CSelectPanelUI : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "SelectPanel";

  explicit CSelectPanelUI(QWidget* parent = nullptr);

  bool IsArmed() const { return armed_; }
  bool IsDragging() const { return dragging_; }
  // The rectangle between anchor and current, normalised (left <= right, top <= bottom).
  QRect Selection() const { return selection_; }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  void MarkButtons();
  void ShowBand(bool shown);

  bool armed_ = false;
  bool dragging_ = false;
  QPoint anchor_;
  QPoint current_;
  QRect selection_;
  QWidget* band_ = nullptr;  // drawn above the buttons while dragging
};

}  // namespace orlo::ui
