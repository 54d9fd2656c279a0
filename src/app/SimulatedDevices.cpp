#include "app/SimulatedDevices.h"

#include "platform/hid/HidBackend.h"
#if __has_include("sim/SimBackend.h")
#include "sim/SimBackend.h"
#define ORLO_HAVE_SIM 1
#include <exception>
#endif

namespace orlo {

std::shared_ptr<hid::HidBackend> MakeSimulatedDevices(const std::string& list, std::string* error) {
#ifdef ORLO_HAVE_SIM
  try {
    return sim::MakeSimBackend(list);
  } catch (const std::exception& e) {
    if (error) *error = e.what();
    return nullptr;
  }
#else
  (void)list;
  if (error) *error = "this build has no simulated devices";
  return nullptr;
#endif
}

}  // namespace orlo
