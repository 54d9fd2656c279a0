#include "device/mousepad/TessaroMousePadDevice.h"

#include "base/DeviceKinds.h"

namespace orlo {

CTessaroMousePadDevice::CTessaroMousePadDevice(std::shared_ptr<hid::HidBackend> backend)
    : CLightStripDevice(std::move(backend), kKindMousePad, kLedCount, kMousePadKindIndex, "mousepad",
                        {.hueStride = 7, .curveStride = 7, .curveStep = 1, .curveOffset = 1}) {
  profile_.SetProfileKindIndex(kMousePadKindIndex);
  profile_.SetDefaultPath(DefaultDocumentPath());
}

CTessaroMousePadDevice::~CTessaroMousePadDevice() {
  // The worker and the threads call into this object: stop them before its members go.
  StopStrip();
}

void CTessaroMousePadDevice::OnFirstContact() {
  // The mode list first: the block's mode code is kept as its index.
  LoadCatalogues();
  ReadInformation();
  ReadActiveSettings();
  LoadProfile();
  // Back again (replugged): the lighting goes to it as stored, unless it runs a profile of its own.
  if (MarkContacted()) RestoreSettings();
  StopLightThread();
  StartLightThread();
}

}  // namespace orlo
