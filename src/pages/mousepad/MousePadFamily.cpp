#include "pages/mousepad/MousePadFamily.h"

#include "device/mousepad/TessaroMousePadDevice.h"
#include "pages/common/DeviceFamilies.h"
#include "pages/mousepad/MousePadPageUI.h"

namespace orlo {

void RegisterMousePadFamily() {
  CDevicePageUI::RegisterPage<CMousePadPageUI>(CMousePadPageUI::kClassName);
  RegisterDriver(kKindMousePad, [](std::shared_ptr<hid::HidBackend> backend) {
    return std::make_unique<CTessaroMousePadDevice>(std::move(backend));
  });
}

}  // namespace orlo
