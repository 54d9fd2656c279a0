#pragma once
// The machine's sound cards as the kernel lists them under /proc/asound:
//   cards          " 1 [Headset        ]: USB-Audio - ..." — one such line per card
//   cardN/usbid    "vvvv:pppp" for a USB card
//   cardN/pcmDp    playback device D;  cardN/pcmDc  capture device D
// The root folder is a parameter, so tests can use a tree of their own.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace orlo::audio {

inline constexpr const char* kProcAsound = "/proc/asound";

// Card numbers listed in root/cards, in order.
std::vector<int> ListSoundCards(const std::string& root);
// The USB id a card gives in root/cardN/usbid; nothing for a card that is not USB or a file
// that does not hold exactly "vvvv:pppp" (four hex digits each).
std::optional<std::pair<uint16_t, uint16_t>> SoundCardUsbId(const std::string& root, int card);
// The first listed card whose USB id is vendor:product. Id 0000:0000 names no device and
// matches nothing.
std::optional<int> FindUsbSoundCard(const std::string& root, uint16_t vendor, uint16_t product);
// The card's playback (capture) device numbers, ascending.
std::vector<int> ListPcmDevices(const std::string& root, int card, bool capture);

}  // namespace orlo::audio
