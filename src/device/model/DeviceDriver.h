#pragma once
// What the shell needs of any device's driver: the few operations that run a device's life,
// whatever its kind. Each runs on the device session's worker thread in the application (it may
// wait for the device); tools and tests call them directly.
#include <cstdint>
#include <string>

#include "device/link/Catalogue.h"

namespace orlo {

class IDeviceDriver {
 public:
  virtual ~IDeviceDriver() = default;

  // First contact after the command interface opened: read the device, load the active
  // profile into the model and write it to the device.
  virtual void OnFirstContact() = 0;
  // Loads the active profile's document into the model. 1 on success.
  virtual int LoadProfile() = 0;
  // Saves the model into the active profile's document and writes it to the device. 1 on
  // success, else the failing link code.
  virtual int Commit() = 0;
  // Makes `id` (an id of the device's profile list) the active profile, loads and writes it.
  virtual int SelectProfile(const std::string& id) = 0;
  // The device changed something on its own (a profile key, a stage button): read it again.
  virtual void ReloadFromDevice() = 0;
  // Receiver connection: whether the device answers through it (1) or not (0).
  virtual int IsReachable() = 0;
  // Reads the power state and reports it to the observer.
  virtual void PollBattery() = 0;
  // A companion interface (events the device sends on its own) came or went.
  virtual void OpenEvents(const InterfaceEntry& companion) { (void)companion; }
  virtual void CloseEvents(uint16_t kind) { (void)kind; }
};

}  // namespace orlo
