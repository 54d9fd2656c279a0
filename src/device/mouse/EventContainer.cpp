#include "device/mouse/EventContainer.h"

#include <algorithm>

#include "base/ByteOrder.h"
#include "macro/MacroCatalogue.h"
#include "macro/MacroFile.h"

namespace orlo {

size_t EventContainerSize(const std::vector<std::vector<MacroEvent>>& entries) {
  size_t total = 16 + 6 * entries.size();
  for (const auto& e : entries) total += 4 * e.size();
  return total;
}

std::vector<uint8_t> BuildEventContainer(const std::vector<std::vector<MacroEvent>>& entries) {
  const size_t total = EventContainerSize(entries);
  if (total > 0xFFFF) return {};
  std::vector<uint8_t> block(total, 0);
  block[0] = 0xAA;
  block[1] = 0x55;
  PutLe16(&block[2], static_cast<int>(total));
  PutLe16(&block[4], static_cast<int>(entries.size()));
  size_t at = 16 + 2 * entries.size();
  for (size_t i = 0; i < entries.size(); ++i) {
    PutLe16(&block[16 + 2 * i], static_cast<int>(at));
    PutLe16(&block[at], static_cast<int>(entries[i].size()));
    at += 4;
    for (const MacroEvent& ev : entries[i]) {
      const auto bytes = MacroEventBytes(ev);
      std::copy(bytes.begin(), bytes.end(), block.begin() + static_cast<std::ptrdiff_t>(at));
      at += 4;
    }
  }
  return block;
}

std::vector<std::vector<MacroEvent>> LoadMacroEvents(const std::string& deviceFolder, const std::vector<int>& macros) {
  CMacroCatalogue catalogue(deviceFolder);
  const std::vector<MacroEntry> entries = catalogue.LoadCatalogue();
  std::vector<std::vector<MacroEvent>> events;
  for (int m : macros) {
    std::vector<MacroEvent> list;
    if (m >= 0 && m < static_cast<int>(entries.size())) {
      const std::string path = catalogue.MacroPath(entries[static_cast<size_t>(m)]);
      if (!path.empty()) list = CMacroFile::Read(path).events;
    }
    events.push_back(std::move(list));
  }
  return events;
}

}  // namespace orlo
