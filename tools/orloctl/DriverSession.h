#pragma once
// A driver of one device kind on the present device (wired preferred), connected the way the
// application connects it, its profile the selected one of the profile list. The driver
// commands of each kind (DriverCommands.cpp, KeyboardCommands.cpp) start from here and do the
// kind's own first contact.
#include <memory>
#include <string>
#include <vector>

#include "CtlSupport.h"
#include "base/DeviceKinds.h"
#include "device/link/Catalogue.h"
#include "device/model/RecordingObserver.h"
#include "profile/LightData.h"

namespace orloctl {

// `set DEVICE light MODE [LEVEL SPEED DIR R G B]`: args[3] onwards taken into an effect (usage
// errors for values out of range).
inline orlo::LightInfo LightFromArgs(orlo::LightInfo e, const std::vector<std::string>& args) {
  e.mode = static_cast<uint8_t>(ParseInRange(args[3], 0, 255, "MODE"));
  if (args.size() == 10) {
    e.brightness = static_cast<uint8_t>(ParseInRange(args[4], 0, 4, "LEVEL"));
    e.speed = static_cast<uint8_t>(ParseInRange(args[5], 0, 4, "SPEED"));
    e.direction = static_cast<uint8_t>(ParseInRange(args[6], 0, 1, "DIR"));
    e.red = static_cast<uint8_t>(ParseInRange(args[7], 0, 255, "R"));
    e.green = static_cast<uint8_t>(ParseInRange(args[8], 0, 255, "G"));
    e.blue = static_cast<uint8_t>(ParseInRange(args[9], 0, 255, "B"));
  }
  return e;
}

template <class Driver>
struct DriverSession {
  std::shared_ptr<orlo::hid::HidBackend> backend;
  orlo::CRecordingObserver observer;
  std::unique_ptr<Driver> driver;
  std::string companionPath;
  bool receiver = false;

  // `kind` names the device in messages ("mouse", "keyboard").
  DriverSession(const GlobalOptions& options, const std::string& device, const std::string& kind) {
    backend = SelectBackend(options);
    const auto slots = Scan(backend);
    const int command = ResolveDevice(slots, device);
    const auto& entry = slots[command];
    receiver = orlo::IsReceiverKind(entry.kind);
    if (const int companion = orlo::FindCompanionSlot(slots, command); companion >= 0)
      companionPath = slots[companion].devicePath;

    driver = std::make_unique<Driver>(backend);
    driver->SetObserver(&observer);
    if (!driver->Connect(entry)) throw CommandFailure{kind + ": cannot open " + entry.devicePath};
    if (!driver->link().ReceiverGuard()) throw CommandFailure{kind + ": the receiver cannot reach the " + kind};
    // As the application does: the profile list's selection is the active profile.
    if (!driver->OpenProfileList())
      throw CommandFailure{kind + ": the profile list names no profile in " + driver->DeviceFolder()};
    driver->LoadCatalogues();
  }
};

}  // namespace orloctl
