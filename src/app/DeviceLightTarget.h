#pragma once
// The lighting update the main window runs on a device (a game event): the link's light-sync
// flag is cleared, one change is made to the device's effect record, which is then stored in the
// profile, taken into the driver's state and committed (saved and written on the device's
// worker).
#include <functional>

#include "app/IDeviceManager.h"
#include "profile/LightData.h"

namespace orlo {

class CTessaroUSBDevice;

void RunLightingUpdate(CTessaroUSBDevice& device, const std::function<void(LightInfo&)>& change,
                       int screenWidth, int screenHeight);

// A device seen as the target of game lighting. Lives as long as its device.
class CDeviceLightTarget : public ILightTarget {
 public:
  explicit CDeviceLightTarget(CTessaroUSBDevice& device) : device_(device) {}
  int LightMode() const override;
  bool HasLightMode(int mode) const override;
  void ApplyLightMode(int mode, int screenWidth, int screenHeight) override;

 private:
  CTessaroUSBDevice& device_;
};

}  // namespace orlo
