#include "app/DeviceLightTarget.h"

#include "device/mouse/TessaroMouseDevice.h"

namespace orlo {

void RunLightingUpdate(CTessaroUSBDevice& device, const std::function<void(LightInfo&)>& change,
                       int screenWidth, int screenHeight) {
  device.link().SetLightSyncActive(false);
  LightInfo effect = device.GetLightEffect();
  change(effect);
  device.SetLightEffect(effect);
  device.NotifyProfileChanged();
  device.LoadProfileIntoState();
  device.ApplySettings(0, 0, 1, screenWidth, screenHeight);
}

int CDeviceLightTarget::LightMode() const { return device_.GetLightEffect().mode; }

bool CDeviceLightTarget::HasLightMode(int mode) const {
  // Built-in modes are numbered from 0, the light configuration's custom effects from 10.
  if (const auto* mouse = dynamic_cast<const CTessaroMouseDevice*>(&device_)) {
    if (mode >= 0 && static_cast<size_t>(mode) < mouse->LightModes().size()) return true;
    return mode >= 10 && static_cast<size_t>(mode - 10) < mouse->CustomLightModes().size();
  }
  return false;
}

void CDeviceLightTarget::ApplyLightMode(int mode, int screenWidth, int screenHeight) {
  RunLightingUpdate(device_, [mode](LightInfo& e) { e.mode = static_cast<uint8_t>(mode); },
                    screenWidth, screenHeight);
}

}  // namespace orlo
