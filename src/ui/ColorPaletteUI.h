#pragma once
// A colour palette: hue from left to right, full colour in the middle row, towards white above
// and towards black below. A click or a drag picks the colour under the pointer; releasing the
// button announces it (colorChanged, which the notify bridge raises as "colorchanged"). The
// selected colour can be set from code without announcing it.
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <cstdint>

namespace orlo::ui {

class CColorPaletteUI : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "CColorPaletteUI";

  explicit CColorPaletteUI(QWidget* parent = nullptr);

  // ARGB (alpha always 0xFF). The marker moves to the closest place of the palette.
  uint32_t GetSelectColor() const { return colour_; }
  void SetSelectColor(uint32_t argb);
  // The palette's colour at a point of the widget.
  QColor ColourAt(QPoint at) const;

 signals:
  void colorChanged(const QColor& colour);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  QSize sizeHint() const override { return {240, 96}; }

 private:
  void Pick(QPoint at);
  void Render();

  uint32_t colour_ = 0xFFFFFFFFu;
  QPoint marker_{-1, -1};
  QImage image_;
  bool dragging_ = false;
};

}  // namespace orlo::ui
