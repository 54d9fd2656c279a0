#pragma once
// Pieces the simulated devices share when they build their factory memory and answer their own
// profile keys: byte helpers, the common head of the info block, the lighting head of a profile
// block, the empty macro/shoot container and the power area.
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/DescriptorWriter.h"
#include "sim/SimMemory.h"

namespace orlo::sim {

class SimDevice;

// Little-endian 16-bit value at v[at], v[at + 1].
void Put16(std::vector<uint8_t>& v, size_t at, uint16_t value);

// An info block whose first bytes are set: firmware version, device class, profile count and
// LED count; the rest is zero for the device to fill in.
std::vector<uint8_t> FactoryInfoBlock(uint16_t firmware, uint8_t deviceClass, uint8_t profiles, uint8_t leds);

// The factory lighting of one profile block starting at `base`: mode code 1, brightness 4, speed
// index 2 (stored inverted), multicolour on, and the block's colour.
void PutFactoryLight(std::vector<uint8_t>& area, size_t base, const std::array<uint8_t, 3>& colour);

// An empty macro/shoot container: marker, total length 16, no entries.
std::vector<uint8_t> EmptyContainer(size_t size);

// The power area (not kept between runs): battery percentage in byte 0.
void DefinePowerArea(SimMemory& memory, uint8_t percent);

// Interface 1 of the keyboard-like devices, in descriptor order: keyboard (report id 1), system
// control (2), consumer control (the companion events) and the vendor command collection.
InterfaceDescriptor KeyboardCommandInterface(uint8_t companionReportId);

// Block `profile` of `profiles` blocks of `size` bytes, `stride` bytes apart in the settings
// area; empty when the profile is out of range.
std::vector<uint8_t> ReadSettingsBlock(SimMemory& memory, int profile, int profiles, size_t stride, size_t size);

// What the device's own profile key does: the active profile byte changes and the companion
// event goes out. False for a profile out of range or an event that could not be sent.
bool SwitchActiveProfile(SimDevice& device, uint8_t profile, int profiles);

}  // namespace orlo::sim
