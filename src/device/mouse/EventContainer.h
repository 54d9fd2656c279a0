#pragma once
// The container the mouse's macro block and shooting block share: a header (0xAA 0x55, total
// length, entry count), a table of 16-bit entry offsets, and per entry its event count and four
// bytes per event (delay, type with bit 7 for "down", button).
#include <cstdint>
#include <string>
#include <vector>

#include "macro/MacroEvent.h"

namespace orlo {

// Empty when longer than 0xFFFF bytes: the length and the offsets are 16-bit fields.
std::vector<uint8_t> BuildEventContainer(const std::vector<std::vector<MacroEvent>>& entries);
// Bytes the container of these entries takes (whether or not it fits 16 bits).
size_t EventContainerSize(const std::vector<std::vector<MacroEvent>>& entries);
// The events of the listed macros (indexes into the device folder's macro catalogue), one entry
// per listed number; a number the catalogue does not hold, or an unreadable file, gives none.
std::vector<std::vector<MacroEvent>> LoadMacroEvents(const std::string& deviceFolder, const std::vector<int>& macros);

}  // namespace orlo
