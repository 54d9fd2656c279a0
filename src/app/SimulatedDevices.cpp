#include "app/SimulatedDevices.h"

#if __has_include("sim/SimBackend.h")
#include "platform/hid/HidBackend.h"
#include "sim/SimBackend.h"
#define ORLO_HAVE_SIM 1
#include <exception>
#endif

namespace orlo {

bool InstallSimulatedDevices(const std::string& list, std::string* error) {
#ifdef ORLO_HAVE_SIM
  try {
    hid::SetDefaultBackend(sim::MakeSimBackend(list));
    return true;
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    return false;
  }
#else
  (void)list;
  if (error) *error = "this build has no simulated devices";
  return false;
#endif
}

}  // namespace orlo
