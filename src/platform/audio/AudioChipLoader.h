#pragma once
// Loads the chip component of a real headset: the USB sound card whose USB id is the headset's.
// nullptr means the component cannot be loaded (no such card): the driver then calls nothing on
// the chip and keeps the profile's values.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/audio/AudioChip.h"
#include "platform/audio/SoundCardList.h"

namespace orlo::audio {

std::shared_ptr<IAudioChip> LoadUsbAudioChip(uint16_t vendor, uint16_t product,
                                             const std::string& procRoot = kProcAsound);

}  // namespace orlo::audio
