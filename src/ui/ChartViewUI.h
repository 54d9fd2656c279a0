#pragma once
// A line chart of one series of points, such as an equaliser curve or a recoil pattern. Points
// keep the order they are given in (a recoil pattern is a path, not a function of x) and are
// drawn against fixed ranges so that two charts of the same kind compare at a glance.
#include <QPointF>
#include <QRectF>
#include <QWidget>
#include <vector>

namespace orlo::ui {

class CChartViewUI : public QWidget {
  Q_OBJECT
  Q_PROPERTY(bool fillarea READ FillArea WRITE SetFillArea)
  Q_PROPERTY(bool invertedy READ InvertedY WRITE SetInvertedY)
 public:
  static constexpr const char* kClassName = "ChartView";

  explicit CChartViewUI(QWidget* parent = nullptr);

  // Points that are not finite are dropped; the rest keep their order.
  void SetPoints(std::vector<QPointF> points);
  const std::vector<QPointF>& Points() const { return points_; }
  void Clear() { SetPoints({}); }

  // Ranges given the wrong way round are swapped. Points outside the ranges are drawn at the
  // edge of the plot rather than outside the control.
  void SetXRange(double minimum, double maximum);
  void SetYRange(double minimum, double maximum);
  // Sets both ranges to the bounds of the current points (a flat series gets a unit range).
  void FitToPoints();
  double XMin() const { return xMin_; }
  double XMax() const { return xMax_; }
  double YMin() const { return yMin_; }
  double YMax() const { return yMax_; }

  // Larger y is drawn higher unless inverted (screen-like data: recoil offsets grow downward).
  void SetInvertedY(bool inverted);
  bool InvertedY() const { return invertedY_; }
  void SetFillArea(bool fill);
  bool FillArea() const { return fillArea_; }

  // The area inside the axes margin.
  QRectF PlotRect() const;
  // Where a data point lands in widget coordinates; an empty range maps to the plot's middle.
  QPointF MapToWidget(const QPointF& point) const;

  QSize sizeHint() const override { return {240, 140}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::vector<QPointF> points_;
  double xMin_ = 0.0;
  double xMax_ = 1.0;
  double yMin_ = 0.0;
  double yMax_ = 1.0;
  bool invertedY_ = false;
  bool fillArea_ = true;
};

}  // namespace orlo::ui
