#include "platform/audio/AudioChipLoader.h"

#include "platform/DebugLog.h"
#include "platform/audio/AlsaMixer.h"
#include "platform/audio/MixerAudioChip.h"

namespace orlo::audio {

std::shared_ptr<IAudioChip> LoadUsbAudioChip(uint16_t vendor, uint16_t product, const std::string& procRoot) {
  const auto card = FindUsbSoundCard(procRoot, vendor, product);
  if (!card) {
    DebugPrintf("audio chip: no sound card with USB id %04x:%04x", vendor, product);
    return nullptr;
  }
  DebugPrintf("audio chip: USB id %04x:%04x is sound card %d", vendor, product, *card);
  return std::make_shared<MixerAudioChip>(*card, procRoot,
                                          [](int c) -> std::unique_ptr<IMixer> { return AlsaMixer::Open(c); });
}

}  // namespace orlo::audio
