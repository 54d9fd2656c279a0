#pragma once
// Device kinds and the names every layer gives them: the folder a kind's documents live in, the
// word the command line uses, the receiver kinds that stand for a wired kind. The one place that
// knows them; nothing here depends on anything else of the program.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orlo {

enum DeviceKind : uint16_t {
  kKindKeyboard = 1,
  kKindMouse = 2,
  kKindMousePad = 3,
  kKindHeadsetIcons = 4,  // only chooses icons
  kKindHub = 5,           // only chooses icons
  kKindMouseReceiver = 6,
  kKindHeadset = 7,
  kKindKeyboardReceiver = 9,
};

// Receiver kinds share the device object, tab, page and documents of their wired kind.
uint16_t FoldKind(uint16_t kind);
bool IsReceiverKind(uint16_t kind);
// The four device families a device object is made for.
bool IsDeviceFamily(uint16_t kind);

// The device's folder below the application-data folder and the file title of its default
// document: "mouse", "keyboard", "MousePad", "HD"; empty for other kinds.
std::string DeviceFolderName(uint16_t kind);
// The word for a family on the command line and in messages: "mouse", "keyboard", "mousepad",
// "headset"; receivers "mouse-receiver", "keyboard-receiver"; "unknown" otherwise.
std::string KindWord(uint16_t kind);
// The family a command-line word names (case-insensitive), receivers folded; none when unknown.
std::optional<uint16_t> FamilyOfWord(std::string_view word);

}  // namespace orlo
