#include "pages/keyboard/KeyboardFamily.h"

#include "device/keyboard/TessaroKeyboardDevice.h"
#include "pages/common/DeviceFamilies.h"
#include "pages/keyboard/KeyboardPageUI.h"
#include "pages/keyset/KeySetControlUI.h"

namespace orlo {

void RegisterKeyboardFamily() {
  CDevicePageUI::RegisterPage<CKeyboardPageUI>(CKeyboardPageUI::kClassName);
  CKeySetControlUI::RegisterControl();
  RegisterDriver(kKindKeyboard, [](std::shared_ptr<hid::HidBackend> backend) {
    return std::make_unique<CTessaroKeyboardDevice>(std::move(backend));
  });
}

}  // namespace orlo
