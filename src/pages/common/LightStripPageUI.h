#pragma once
// Base of the pages whose device is a strip of LEDs with one lighting block (mousepad,
// headset): the device picture's light buttons "light_" + n, and the lighting panel.
#include <vector>

#include "pages/common/DevicePageUI.h"

namespace orlo {

namespace ui {
class CDeviceKeyButtonUI;
}
class CLightStripDevice;

class CLightStripPageUI : public CDevicePageUI {
  Q_OBJECT
 public:
  explicit CLightStripPageUI(QWidget* parent = nullptr);

  CLightStripDevice* Strip() const;

  void BuildPage() override;
  void ApplyProfileToPage() override;
  void PaintLeds() override;
  void ShowCatalogues() override;
  ui::CDeviceKeyButtonUI* LightButton(int i) const;
  int LightButtonCount() const { return static_cast<int>(lights_.size()); }

 protected:
  bool Built() const { return built_; }

 private:
  std::vector<ui::CDeviceKeyButtonUI*> lights_;
  bool built_ = false;
};

}  // namespace orlo
