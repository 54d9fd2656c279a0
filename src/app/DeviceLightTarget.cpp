#include "app/DeviceLightTarget.h"

#include "device/model/TessaroUSBDevice.h"

namespace orlo {

void RunLightingUpdate(CTessaroUSBDevice& device, const std::function<void(LightInfo&)>& change,
                       int screenWidth, int screenHeight) {
  device.ChangeLighting(change);
  device.SetScreenSize(screenWidth, screenHeight);
  device.RequestCommit();
}

int CDeviceLightTarget::LightMode() const { return device_.GetLightEffect().mode; }

bool CDeviceLightTarget::HasLightMode(int mode) const { return device_.HasLightMode(mode); }

void CDeviceLightTarget::ApplyLightMode(int mode, int screenWidth, int screenHeight) {
  RunLightingUpdate(device_, [mode](LightInfo& e) { e.mode = static_cast<uint8_t>(mode); },
                    screenWidth, screenHeight);
}

}  // namespace orlo
