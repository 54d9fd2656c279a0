#include "pages/common/DeviceFamilies.h"

#include <map>
#include <mutex>

#include "base/DeviceKinds.h"
#include "device/model/TessaroUSBDevice.h"
#include "pages/common/DevicePageUI.h"
#include "pages/headset/HeadsetFamily.h"
#include "pages/keyboard/KeyboardFamily.h"
#include "pages/macro/MacroControlUI.h"
#include "pages/mouse/MouseFamily.h"
#include "pages/mousepad/MousePadFamily.h"

namespace orlo {

namespace {
std::mutex g_lock;
std::map<uint16_t, DriverFactory>& Drivers() {
  static std::map<uint16_t, DriverFactory> drivers;
  return drivers;
}
}  // namespace

void RegisterDriver(uint16_t family, DriverFactory factory) {
  std::lock_guard lock(g_lock);
  Drivers()[FoldKind(family)] = std::move(factory);
}

std::unique_ptr<CTessaroUSBDevice> MakeDriver(uint16_t kind, std::shared_ptr<hid::HidBackend> backend) {
  DriverFactory factory;
  {
    std::lock_guard lock(g_lock);
    auto it = Drivers().find(FoldKind(kind));
    if (it == Drivers().end()) return nullptr;
    factory = it->second;
  }
  return factory(std::move(backend));
}

void RegisterDeviceFamilies() {
  CDevicePageUI::RegisterPageControls();
  CMacroControlUI::RegisterControl();
  // One line per family folder.
  RegisterMouseFamily();
  RegisterMousePadFamily();
  RegisterHeadsetFamily();
  RegisterKeyboardFamily();
}

}  // namespace orlo
