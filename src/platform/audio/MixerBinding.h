#pragma once
// Which mixer control of a USB headset's sound card stands for which chip property. A card
// names its controls as its maker chose, so each property lists the names to try, in order;
// the first control that has what the property needs is used. Properties without a binding
// (equaliser, voice changer, surround and the other effects) are not on such a card.
#include <array>
#include <span>
#include <string_view>

#include "platform/audio/AudioChip.h"
#include "platform/audio/Mixer.h"

namespace orlo::audio {

enum class MixerAspect {
  kLevel,     // the control's volume as a scalar 0.0-1.0 of its range
  kMute,      // the control's switch, inverted: 1 = muted = switch off
  kMaxLevel,  // get only: the top of the volume range (its presence says the control exists)
};

struct MixerBinding {
  std::string_view property;
  Flow flow;  // the endpoint the property lives on
  MixerAspect aspect;
  MixerDirection direction;
  std::array<std::string_view, 3> controls;  // names to try; empty names are skipped
};

std::span<const MixerBinding> MixerBindings();
// nullptr for a property the card has no control for.
const MixerBinding* FindMixerBinding(std::string_view property);

}  // namespace orlo::audio
