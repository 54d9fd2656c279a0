#pragma once
// A device's wireless power indicator: battery percentage and bar, charging state image, the
// wireless logo of a mouse on its receiver and, for a mousepad, the phone on its charging area.
// Built from the power indicator layout; one page of the tab layout "device_power_switch".
#include <QPointer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <string>

class QLabel;
class QProgressBar;

namespace orlo {

class CMpDevicePowerUI : public QWidget {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "CMpDevicePowerUI";
  static constexpr int kStateSize = 64;

  explicit CMpDevicePowerUI(QWidget* parent = nullptr);

  void SetKind(int kind, int variant);
  int Kind() const { return kind_; }
  int Variant() const { return variant_; }
  // Visibility of "device_power_Layout".
  void ShowPower(bool shown);
  // The power state bytes (percentage, charging state, -, connection, -, phone); a longer state
  // is cut to 64 bytes and a shorter one read as zero-padded.
  void Update(const uint8_t* state, int length);

  // The image description last given to a child ("file='power/...'"), empty when none.
  static std::string ImageOf(const QWidget* control);

 private:
  void FindChildren();
  static void SetImage(QWidget* control, const std::string& desc);

  int kind_ = 0;
  int variant_ = 0;
  bool childrenFound_ = false;
  bool updated_ = false;
  QPointer<QWidget> layout_;
  QPointer<QLabel> value_;
  QPointer<QWidget> wirelessLogo_;
  QPointer<QProgressBar> progress_;
  QPointer<QWidget> status_;
  QPointer<QWidget> phone_;
};

}  // namespace orlo
