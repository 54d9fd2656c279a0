#pragma once
// What a driver tells its view. The driver is the model and controller; the page is a view that
// implements this interface and pulls the driver's state when told. Every notification may come
// from any of the driver's threads: the view moves it to its own thread before it touches a
// widget. The driver never calls the view for anything else.
#include <cstdint>

namespace orlo {

class IDeviceObserver {
 public:
  virtual ~IDeviceObserver() = default;

  // Active profile, stages, settings or light state changed.
  virtual void OnProfileStateChanged() {}
  // The preview LEDs were recomputed (the view paints on its own timer as well).
  virtual void OnLedsChanged() {}
  // The key list or the key map changed.
  virtual void OnKeyAssignmentsChanged() {}
  // The macro catalogue and the light name lists were (re)loaded.
  virtual void OnCataloguesLoaded() {}
  // The six power-state bytes (byte 4: battery level, byte 3: on the receiver).
  virtual void OnPowerChanged(const uint8_t* bytes, int count) { (void)bytes, (void)count; }
  // The device asks to be read again after `delayMs` (it changed its own settings).
  virtual void OnReloadRequested(int delayMs) { (void)delayMs; }
};

}  // namespace orlo
