#pragma once
// Where the headset driver finds its audio chip: a simulated headset's own chip when the
// headset is one of the simulated devices, else the USB sound card with the headset's USB id.
#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "platform/audio/AudioChip.h"
#include "platform/hid/HidBackend.h"

namespace orlo::sim {

// The chip of the headset at `path`, or null and the reason there is none.
std::pair<std::shared_ptr<audio::IAudioChip>, std::string> FindHeadsetChip(
    const std::shared_ptr<hid::HidBackend>& backend, const std::string& path, uint16_t vendor, uint16_t product);

}  // namespace orlo::sim
