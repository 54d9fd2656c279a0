#include "pages/mouse/MouseFamily.h"

#include "device/mouse/TessaroMouseDevice.h"
#include "pages/common/DeviceFamilies.h"
#include "pages/mouse/MousePageUI.h"
#include "pages/keyset/KeySetControlUI.h"
#include "pages/shoot/ShootControlUI.h"

namespace orlo {

void RegisterMouseFamily() {
  CDevicePageUI::RegisterPage<CMousePageUI>(CMousePageUI::kClassName);
  CKeySetControlUI::RegisterControl();
  CShootControlUI::RegisterControl();
  RegisterDriver(kKindMouse, [](std::shared_ptr<hid::HidBackend> backend) {
    return std::make_unique<CTessaroMouseDevice>(std::move(backend));
  });
}

}  // namespace orlo
