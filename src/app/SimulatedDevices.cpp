#include "app/SimulatedDevices.h"

#if __has_include("sim/SimBackend.h")
#include "platform/hid/HidBackend.h"
#include "sim/SimBackend.h"
#define ORLO_HAVE_SIM 1
#endif

namespace orlo {

bool InstallSimulatedDevices(const std::string& list, std::string* error) {
#ifdef ORLO_HAVE_SIM
  auto backend = sim::MakeSimBackend(list);
  if (!backend) {
    if (error) *error = "unknown device in the list";
    return false;
  }
  hid::SetDefaultBackend(std::move(backend));
  return true;
#else
  (void)list;
  if (error) *error = "this build has no simulated devices";
  return false;
#endif
}

}  // namespace orlo
