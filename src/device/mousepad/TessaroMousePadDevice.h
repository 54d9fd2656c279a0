#pragma once
// The illuminated mousepad's driver: no keys and no macros, only lighting. It reads the pad's
// active lighting block, keeps the profile's light effect as the model the page edits, writes
// it back as the 21-byte block, and animates the preview of its 15 LEDs.
#include "device/model/LightStripDevice.h"
#include "profile/BasicProfiledata.h"

namespace orlo {

class CTessaroMousePadDevice : public CLightStripDevice {
 public:
  static constexpr int kLedCount = 15;

  explicit CTessaroMousePadDevice(std::shared_ptr<hid::HidBackend> backend = hid::DefaultBackend());
  ~CTessaroMousePadDevice() override;

  // Device information and the active block read, the profile loaded, the light thread started.
  void OnFirstContact() override;

  // Callers on another thread than the driver's hold ModelLock() while they use it.
  CBasicProfiledata& Profile() { return profile_; }

 protected:
  CBasicProfiledata& Document() override { return profile_; }

 private:
  CBasicProfiledata profile_;
};

}  // namespace orlo
