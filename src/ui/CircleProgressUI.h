#pragma once
// A circular progress indicator: a ring whose accent arc runs clockwise from twelve o'clock in
// proportion to the value, with the percentage in the middle.
#include <QWidget>

namespace orlo::ui {

class CCircleProgressUI : public QWidget {
  Q_OBJECT
  Q_PROPERTY(int value READ Value WRITE SetValue)
  Q_PROPERTY(int minimum READ Minimum WRITE SetMinimum)
  Q_PROPERTY(int maximum READ Maximum WRITE SetMaximum)
  Q_PROPERTY(bool showtext READ ShowText WRITE SetShowText)
 public:
  static constexpr const char* kClassName = "CircleProgress";

  explicit CCircleProgressUI(QWidget* parent = nullptr);

  // The value is kept inside [minimum, maximum]; a range given the wrong way round is swapped.
  void SetRange(int minimum, int maximum);
  void SetMinimum(int minimum) { SetRange(minimum, maximum_); }
  void SetMaximum(int maximum) { SetRange(minimum_, maximum); }
  void SetValue(int value);
  int Value() const { return value_; }
  int Minimum() const { return minimum_; }
  int Maximum() const { return maximum_; }

  // 0..100, rounded down; 0 for an empty range.
  int Percent() const;
  // 0.0..1.0 of the ring that is filled.
  double Fraction() const;

  void SetShowText(bool show);
  bool ShowText() const { return showText_; }

  QSize sizeHint() const override { return {64, 64}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int minimum_ = 0;
  int maximum_ = 100;
  int value_ = 0;
  bool showText_ = true;
};

}  // namespace orlo::ui
