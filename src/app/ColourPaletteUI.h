#pragma once
// The colour picker's palette: a field of hue (left to right) and saturation (top to bottom)
// beside a strip of brightness. Pressing or dragging in either part picks a colour and raises
// colorChanged, which the toolkit delivers as "colorchanged"; SetColour shows a colour quietly.
#include <QColor>
#include <QImage>
#include <QWidget>

namespace orlo {

class CColourPaletteUI : public QWidget {
  Q_OBJECT
 public:
  explicit CColourPaletteUI(QWidget* parent = nullptr);

  QColor Colour() const { return QColor::fromHsv(hue_, saturation_, value_); }
  // Shows argb (its alpha is ignored) without raising colorChanged. A grey keeps the hue shown
  // before, so the marker does not jump to red.
  void SetColour(const QColor& colour);

  QSize sizeHint() const override { return {300, 200}; }
  QSize minimumSizeHint() const override { return {160, 120}; }

 Q_SIGNALS:
  void colorChanged(const QColor& colour);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  enum class Part { kNone, kField, kStrip };
  QRect FieldRect() const;
  QRect StripRect() const;
  void PickAt(const QPoint& at);

  int hue_ = 0, saturation_ = 255, value_ = 255;
  Part dragging_ = Part::kNone;
  QImage field_;  // the hue/saturation field at full brightness, rebuilt on resize
};

}  // namespace orlo
