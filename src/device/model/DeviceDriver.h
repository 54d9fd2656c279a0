#pragma once
// What the shell needs of any device's driver: the few operations that run a device's life,
// whatever its kind. Each runs on the device session's worker thread in the application (it may
// wait for the device); tools and tests call them directly.
#include <cstdint>
#include <string>

#include "device/link/Catalogue.h"

namespace orlo {

// What RestoreSettings did.
enum class RestoreResult {
  kWritten,     // the device runs the profile this program writes: the active profile went to it
  kRead,        // the device runs a profile of its own (switched on the device): taken, not written
  kNotReached,  // the device did not answer (asleep, gone); nothing was written
  kFailed,      // the device answered the reads, but the write failed
};

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
  // The device came back to this program: after a suspend, or on a return of its connection
  // (replugged, woken behind its receiver). It reads which profile the device runs; the active
  // profile is written once when that is the profile this program writes to (0), else the
  // device's own settings are read into the model and nothing is written.
  virtual RestoreResult RestoreSettings() { return RestoreResult::kNotReached; }
  // Reads the power state and reports it to the observer.
  virtual void PollBattery() = 0;
  // A companion interface (events the device sends on its own) came or went.
  virtual void OpenEvents(const InterfaceEntry& companion) { (void)companion; }
  virtual void CloseEvents(uint16_t kind) { (void)kind; }
};

}  // namespace orlo
