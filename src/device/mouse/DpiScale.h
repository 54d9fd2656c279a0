#pragma once
// Resolution scale of the mouse page's stage sliders. Position p (0..149) shows min + p × step;
// on the two-slope sensor positions above 48 climb by 200 instead. The device supplies min, step
// and the sensor model in its information block.
#include <cstdint>

namespace orlo {

class CDpiScale {
 public:
  static constexpr int kMaxPosition = 149;
  static constexpr int kMaxTyped = 15000;
  static constexpr uint16_t kTwoSlopeSensor = 0x3325;
  static constexpr int kKnee = 48;
  static constexpr int kUpperStep = 200;

  CDpiScale() = default;
  // A step of 0 (a device that did not report one) counts as 1.
  CDpiScale(int minimum, int step, uint16_t sensor);
  // From the 34-byte information block (bytes 9-10 sensor, 11 step, 14-15 minimum).
  static CDpiScale FromInfo(const uint8_t* info, int size);

  // Resolution shown at position p; p is clamped to 0..149 first.
  int ResolutionAt(int position) const;
  // Position of a typed resolution: the highest position whose resolution does not exceed it
  // (values below the minimum count as the minimum), so that a shown value maps back to itself.
  int PositionOf(int resolution) const;

  int Minimum() const { return minimum_; }
  int Step() const { return step_; }
  uint16_t Sensor() const { return sensor_; }
  bool TwoSlope() const { return sensor_ == kTwoSlopeSensor; }

 private:
  int minimum_ = 0;
  int step_ = 1;
  uint16_t sensor_ = 0;
};

}  // namespace orlo
