#include "device/mouse/MouseKeyTable.h"

#include <algorithm>

namespace orlo {

namespace {
constexpr std::array<std::array<uint8_t, 3>, kMouseButtons> kFactory = {{
    {0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00}, {0x10, 0x10, 0x00},
    {0x10, 0x08, 0x00}, {0x13, 0x01, 0x00}, {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00}, {0x16, 0x90, 0x01}, {0x14, 0x78, 0x02},
}};
}  // namespace

const std::array<uint8_t, 3>& MouseFactoryCode(int button) {
  return kFactory[static_cast<size_t>(std::clamp(button, 0, kMouseButtons - 1))];
}

MouseKeyMap BuildMouseKeyMap(const KeyTableBytes& table, int entries) {
  // Only entries the device reported and that fit the table count.
  const int searched = std::clamp(entries, 0, static_cast<int>(table.size() / 3));
  MouseKeyMap map;
  map.fill(kMouseNoEntry);
  std::array<bool, kMouseButtons> claimed{};
  for (int j = 0; j < kMouseButtons; ++j) {
    for (int k = 0; k < searched; ++k) {
      if (std::equal(kFactory[j].begin(), kFactory[j].end(), table.begin() + 3 * k)) {
        map[j] = k;
        if (k < kMouseButtons) claimed[static_cast<size_t>(k)] = true;
        break;
      }
    }
  }
  // A button given another function on an earlier connection no longer holds its factory code;
  // the table lists the buttons in page order, so it keeps its own entry when no button's factory
  // code claims that entry. Without this the button could never be given a function again, and
  // a macro it runs would be left out of the macro block.
  for (int j = 0; j < kMouseButtons && j < searched; ++j)
    if (map[j] == kMouseNoEntry && !claimed[static_cast<size_t>(j)]) map[j] = j;
  return map;
}

KeyTableBytes EncodeMouseKeyTable(const KeyTableBytes& table, int length, const MouseKeyMap& map,
                                  const std::vector<KeyAssign>& list, int known, std::vector<int>* usedMacros) {
  KeyTableBytes out = table;
  std::vector<int> slots;
  for (int k = 0; k < kMouseButtons && k < static_cast<int>(list.size()); ++k) {
    const int index = map[k];
    if (index == kMouseNoEntry || 3 * index + 2 >= length) continue;
    KeyAssign a = list[k];
    if (a.IsMacro()) {
      if (a.code1 < known) {
        auto it = std::find(slots.begin(), slots.end(), a.code1);
        const int slot = static_cast<int>(it - slots.begin());
        if (it == slots.end()) slots.push_back(a.code1);
        a.code1 = static_cast<uint8_t>(slot);
      } else {
        a.SetCurrent(a.Default());
      }
    }
    out[3 * index] = a.type;
    out[3 * index + 1] = a.code1;
    out[3 * index + 2] = a.code2;
  }
  if (usedMacros) *usedMacros = slots;
  return out;
}

}  // namespace orlo
