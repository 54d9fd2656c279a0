#pragma once
// A level meter of one audio frame: 25 bars, one per level, with a peak mark that falls back
// slowly so that short beats stay readable.
#include <QWidget>
#include <array>
#include <cstdint>
#include <span>

namespace orlo::ui {

class CAudioRecordUI : public QWidget {
  Q_OBJECT
  Q_PROPERTY(int minimum READ Minimum WRITE SetMinimum)
  Q_PROPERTY(int maximum READ Maximum WRITE SetMaximum)
 public:
  static constexpr const char* kClassName = "AudioRecord";
  static constexpr std::size_t kLevelCount = 25;
  // Levels of the audio frame run 0..2000 (loudest); the range can be changed.
  static constexpr int kDefaultMaximum = 2000;

  explicit CAudioRecordUI(QWidget* parent = nullptr);

  // Takes the first 25 values, each clamped into the range; a shorter frame leaves the missing
  // bars at the minimum.
  void SetLevels(std::span<const std::int32_t> levels);
  const std::array<int, kLevelCount>& Levels() const { return levels_; }
  const std::array<int, kLevelCount>& Peaks() const { return peaks_; }
  void Reset();

  // A range given the wrong way round is swapped; kept levels are clamped into the new one.
  void SetRange(int minimum, int maximum);
  void SetMinimum(int minimum) { SetRange(minimum, maximum_); }
  void SetMaximum(int maximum) { SetRange(minimum_, maximum); }
  int Minimum() const { return minimum_; }
  int Maximum() const { return maximum_; }

  QSize sizeHint() const override { return {260, 80}; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  double Unit(int level) const;

  std::array<int, kLevelCount> levels_{};
  std::array<int, kLevelCount> peaks_{};
  int minimum_ = 0;
  int maximum_ = kDefaultMaximum;
};

}  // namespace orlo::ui
