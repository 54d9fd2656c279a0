#include "ui/AudioRecordUI.h"

#include <QLinearGradient>
#include <QPainter>
#include <algorithm>

#include "ui/ControlColours.h"

namespace orlo::ui {
namespace {

constexpr int kPeakFallDivisor = 40;  // a peak falls 1/40 of the range per frame

}  // namespace

CAudioRecordUI::CAudioRecordUI(QWidget* parent) : QWidget(parent) { Reset(); }

void CAudioRecordUI::Reset() {
  levels_.fill(minimum_);
  peaks_.fill(minimum_);
  update();
}

void CAudioRecordUI::SetLevels(std::span<const std::int32_t> levels) {
  // In 64 bits: a range as wide as int itself must not overflow.
  const long long fall = std::max(1LL, (static_cast<long long>(maximum_) - minimum_) / kPeakFallDivisor);
  for (std::size_t i = 0; i < kLevelCount; ++i) {
    const int v = i < levels.size() ? std::clamp<std::int32_t>(levels[i], minimum_, maximum_) : minimum_;
    levels_[i] = v;
    const long long fallen = std::max<long long>(minimum_, peaks_[i] - fall);
    peaks_[i] = std::max(v, static_cast<int>(fallen));
  }
  update();
}

void CAudioRecordUI::SetRange(int minimum, int maximum) {
  if (maximum < minimum) std::swap(minimum, maximum);
  minimum_ = minimum;
  maximum_ = maximum;
  for (std::size_t i = 0; i < kLevelCount; ++i) {
    levels_[i] = std::clamp(levels_[i], minimum_, maximum_);
    peaks_[i] = std::clamp(peaks_[i], minimum_, maximum_);
  }
  update();
}

double CAudioRecordUI::Unit(int level) const {
  if (maximum_ <= minimum_) return 0.0;
  return static_cast<double>(static_cast<long long>(level) - minimum_) /
         static_cast<double>(static_cast<long long>(maximum_) - minimum_);
}

void CAudioRecordUI::paintEvent(QPaintEvent* /*event*/) {
  const QRectF area = QRectF(rect()).adjusted(4, 4, -4, -4);
  if (area.width() < kLevelCount || area.height() < 4) return;  // less than a pixel per bar

  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const double slot = area.width() / kLevelCount;
  const double gap = std::max(1.0, slot * 0.25);
  const double barWidth = slot - gap;
  const QColor accent = isEnabled() ? colours::Accent() : colours::Disabled();

  QLinearGradient shade(area.bottomLeft(), area.topLeft());
  shade.setColorAt(0.0, accent.darker(140));
  shade.setColorAt(0.7, accent);
  shade.setColorAt(1.0, isEnabled() ? colours::AccentHover() : accent);

  for (std::size_t i = 0; i < kLevelCount; ++i) {
    const double x = area.left() + slot * static_cast<double>(i) + gap / 2;
    // A faint track shows the full height of each bar.
    p.setPen(Qt::NoPen);
    p.setBrush(colours::Raised());
    p.drawRoundedRect(QRectF(x, area.top(), barWidth, area.height()), 1.5, 1.5);

    const double h = area.height() * Unit(levels_[i]);
    if (h > 0.5) {
      p.setBrush(shade);
      p.drawRoundedRect(QRectF(x, area.bottom() - h, barWidth, h), 1.5, 1.5);
    }
    const double peak = area.height() * Unit(peaks_[i]);
    if (peak > 0.5) {
      p.setBrush(colours::Text());
      p.drawRect(QRectF(x, area.bottom() - peak - 1.0, barWidth, 2.0));
    }
  }
}

}  // namespace orlo::ui
