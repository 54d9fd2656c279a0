#include "base/DeviceKinds.h"

#include <algorithm>
#include <cctype>

namespace orlo {

uint16_t FoldKind(uint16_t kind) {
  if (kind == kKindMouseReceiver) return kKindMouse;
  if (kind == kKindKeyboardReceiver) return kKindKeyboard;
  return kind;
}

bool IsReceiverKind(uint16_t kind) { return kind == kKindMouseReceiver || kind == kKindKeyboardReceiver; }

bool IsDeviceFamily(uint16_t kind) {
  const uint16_t f = FoldKind(kind);
  return f == kKindKeyboard || f == kKindMouse || f == kKindMousePad || f == kKindHeadset;
}

std::string DeviceFolderName(uint16_t kind) {
  switch (FoldKind(kind)) {
    case kKindMouse: return "mouse";
    case kKindKeyboard: return "keyboard";
    case kKindMousePad: return "MousePad";
    case kKindHeadset: return "HD";
    default: return {};
  }
}

std::string KindWord(uint16_t kind) {
  switch (kind) {
    case kKindKeyboard: return "keyboard";
    case kKindMouse: return "mouse";
    case kKindMousePad: return "mousepad";
    case kKindMouseReceiver: return "mouse-receiver";
    case kKindHeadset: return "headset";
    case kKindKeyboardReceiver: return "keyboard-receiver";
    default: return "unknown";
  }
}

std::optional<uint16_t> FamilyOfWord(std::string_view word) {
  std::string lower(word);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (uint16_t kind : {kKindMouse, kKindKeyboard, kKindMousePad, kKindHeadset, kKindMouseReceiver,
                        kKindKeyboardReceiver})
    if (lower == KindWord(kind)) return FoldKind(kind);
  return std::nullopt;
}

}  // namespace orlo
