#include "pages/headset/HeadsetFamily.h"

#include <functional>

#include "device/headset/TessaroRO6533Device.h"
#include "pages/common/DeviceFamilies.h"
#include "pages/headset/HeadsetPageUI.h"
#include "sim/HeadsetChipLookup.h"

namespace orlo {

void RegisterHeadsetFamily() {
  CDevicePageUI::RegisterPage<CHeadsetPageUI>(CHeadsetPageUI::kClassName);
  RegisterDriver(kKindHeadset, [](std::shared_ptr<hid::HidBackend> backend) {
    auto headset = std::make_unique<CTessaroRO6533Device>(backend);
    headset->SetChipSource(std::bind_front(&sim::FindHeadsetChip, backend));
    return headset;
  });
}

}  // namespace orlo
