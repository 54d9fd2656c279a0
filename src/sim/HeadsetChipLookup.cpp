#include "sim/HeadsetChipLookup.h"

#include <cstdio>

#include "platform/audio/AudioChipLoader.h"
#include "sim/SimBackend.h"
#include "sim/SimHeadset.h"

namespace orlo::sim {

std::pair<std::shared_ptr<audio::IAudioChip>, std::string> FindHeadsetChip(
    const std::shared_ptr<hid::HidBackend>& backend, const std::string& path, uint16_t vendor, uint16_t product) {
  if (auto simulated = std::dynamic_pointer_cast<SimBackend>(backend)) {
    for (const auto& node : simulated->Nodes()) {
      if (path.rfind("sim:" + node + "#", 0) != 0) continue;
      if (auto headset = std::dynamic_pointer_cast<SimHeadset>(simulated->Device(node))) return {headset->AudioChip(), {}};
    }
    return {nullptr, "the simulated device has no audio chip"};
  }
  if (auto chip = audio::LoadUsbAudioChip(vendor, product)) return {chip, {}};
  char reason[96];
  std::snprintf(reason, sizeof reason, "no sound card with the headset's USB id %04x:%04x", vendor, product);
  return {nullptr, reason};
}

}  // namespace orlo::sim
