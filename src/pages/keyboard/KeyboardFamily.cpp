#include "pages/keyboard/KeyboardFamily.h"

#include "device/keyboard/TessaroKeyboardDevice.h"
#include "pages/common/DeviceFamilies.h"
#include "pages/keyboard/KeyboardPageUI.h"

namespace orlo {

void RegisterKeyboardFamily() {
  CDevicePageUI::RegisterPage<CKeyboardPageUI>(CKeyboardPageUI::kClassName);
  RegisterDriver(kKindKeyboard, [](std::shared_ptr<hid::HidBackend> backend) {
    return std::make_unique<CTessaroKeyboardDevice>(std::move(backend));
  });
}

}  // namespace orlo
