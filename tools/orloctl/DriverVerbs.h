#pragma once
// The driver commands (read, apply, set) of the device kinds other than the mouse: each kind's
// file registers its own handler per verb, and the driver commands hand a DEVICE word they do
// not serve themselves to it. Also the session start every driver command shares.
#include <memory>
#include <string>
#include <vector>

#include "CtlCommand.h"
#include "CtlSupport.h"
#include "device/link/Catalogue.h"
#include "device/model/LightStripDevice.h"
#include "device/model/TessaroUSBDevice.h"

namespace orloctl {

// Registers at static initialisation: `static DriverVerb v{"read", "headset", RunRead};`
class DriverVerb {
 public:
  DriverVerb(std::string verb, std::string device, CommandFn run);
  // The handler of a verb for a device word, or null.
  static const CommandFn* Find(const std::string& verb, const std::string& device);
};

// The command interface a driver command talks to. The mousepad shares the keyboard's
// placeholder identity, so the catalogue may list a simulated pad under the keyboard: a device
// word names the simulated device of that name first.
struct DriverTarget {
  std::shared_ptr<orlo::hid::HidBackend> backend;
  orlo::InterfaceEntry entry;
};
DriverTarget FindDriverTarget(const GlobalOptions& options, const std::string& word, uint16_t family);
// Connects the driver and opens its profile list (the list's selection is the active profile).
void ConnectDriver(orlo::CTessaroUSBDevice& driver, const DriverTarget& target, const std::string& word);

// The strip devices' shared steps: connect, read the active block (for the bytes a write keeps),
// load the selected profile. Throws CommandFailure.
void StartStripDevice(orlo::CLightStripDevice& driver, const DriverTarget& target, const std::string& word);
// Writes the block for profile 0 as `apply` and `set` do.
void WriteStripBlock(orlo::CLightStripDevice& driver, const std::string& word);
// The block image and the profile's light effect as JSON.
Json::Value StripState(orlo::CLightStripDevice& driver);
// "light MODE [LEVEL SPEED DIR R G B]" from args[first] on: checked (UsageError) and applied to
// the effect.
void CheckLightArgs(const std::vector<std::string>& args, size_t first, const std::string& usage);
orlo::LightInfo LightFromArgs(const std::vector<std::string>& args, size_t first, orlo::LightInfo effect);

}  // namespace orloctl
