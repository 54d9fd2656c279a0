#include "device/keyboard/KeyPositionMap.h"

#include <algorithm>

namespace orlo::keyboard {
namespace {

// Positions 0-125; 126-169 are 20.00.00.
constexpr AssignCode kCodes[126] = {
    {0x20, 0x00, 0x29}, {0x20, 0x00, 0x3A}, {0x20, 0x00, 0x3B}, {0x20, 0x00, 0x3C}, {0x20, 0x00, 0x3D}, {0x20, 0x00, 0x3E},
    {0x20, 0x00, 0x3F}, {0x20, 0x00, 0x40}, {0x20, 0x00, 0x41}, {0x20, 0x00, 0x42}, {0x20, 0x00, 0x43}, {0x20, 0x00, 0x44},
    {0x20, 0x00, 0x45}, {0x20, 0x00, 0x46}, {0x20, 0x00, 0x47}, {0x20, 0x00, 0x48}, {0xA0, 0x1B, 0x00}, {0xA0, 0x24, 0x00},
    {0x20, 0x00, 0x00}, {0x20, 0x00, 0x00}, {0x20, 0x00, 0x00}, {0x20, 0x00, 0x35}, {0x20, 0x00, 0x1E}, {0x20, 0x00, 0x1F},
    {0x20, 0x00, 0x20}, {0x20, 0x00, 0x21}, {0x20, 0x00, 0x22}, {0x20, 0x00, 0x23}, {0x20, 0x00, 0x24}, {0x20, 0x00, 0x25},
    {0x20, 0x00, 0x26}, {0x20, 0x00, 0x27}, {0x20, 0x00, 0x2D}, {0x20, 0x00, 0x2E}, {0x20, 0x00, 0x2A}, {0x20, 0x00, 0x49},
    {0x20, 0x00, 0x4A}, {0x20, 0x00, 0x4B}, {0x20, 0x00, 0x53}, {0x20, 0x00, 0x54}, {0x20, 0x00, 0x55}, {0x20, 0x00, 0x56},
    {0x20, 0x00, 0x2B}, {0x20, 0x00, 0x14}, {0x20, 0x00, 0x1A}, {0x20, 0x00, 0x08}, {0x20, 0x00, 0x15}, {0x20, 0x00, 0x17},
    {0x20, 0x00, 0x1C}, {0x20, 0x00, 0x18}, {0x20, 0x00, 0x0C}, {0x20, 0x00, 0x12}, {0x20, 0x00, 0x13}, {0x20, 0x00, 0x2F},
    {0x20, 0x00, 0x30}, {0x20, 0x00, 0x31}, {0x20, 0x00, 0x4C}, {0x20, 0x00, 0x4D}, {0x20, 0x00, 0x4E}, {0x20, 0x00, 0x5F},
    {0x20, 0x00, 0x60}, {0x20, 0x00, 0x61}, {0x20, 0x00, 0x32}, {0x20, 0x00, 0x39}, {0x20, 0x00, 0x04}, {0x20, 0x00, 0x16},
    {0x20, 0x00, 0x07}, {0x20, 0x00, 0x09}, {0x20, 0x00, 0x0A}, {0x20, 0x00, 0x0B}, {0x20, 0x00, 0x0D}, {0x20, 0x00, 0x0E},
    {0x20, 0x00, 0x0F}, {0x20, 0x00, 0x33}, {0x20, 0x00, 0x34}, {0x20, 0x00, 0x28}, {0x20, 0x00, 0x5C}, {0x20, 0x00, 0x5D},
    {0x20, 0x00, 0x5E}, {0x20, 0x00, 0x8A}, {0x20, 0x00, 0x8B}, {0x20, 0x00, 0x90}, {0x20, 0x00, 0x91}, {0x20, 0x00, 0x88},
    {0x20, 0x02, 0x00}, {0x20, 0x00, 0x1D}, {0x20, 0x00, 0x1B}, {0x20, 0x00, 0x06}, {0x20, 0x00, 0x19}, {0x20, 0x00, 0x05},
    {0x20, 0x00, 0x11}, {0x20, 0x00, 0x10}, {0x20, 0x00, 0x36}, {0x20, 0x00, 0x37}, {0x20, 0x00, 0x38}, {0x20, 0x20, 0x00},
    {0x20, 0x00, 0x52}, {0x20, 0x00, 0x59}, {0x20, 0x00, 0x5A}, {0x20, 0x00, 0x5B}, {0x20, 0x00, 0x87}, {0x20, 0x00, 0x89},
    {0x20, 0x00, 0x64}, {0x20, 0x00, 0x85}, {0x20, 0x00, 0x00}, {0x20, 0x01, 0x00}, {0x20, 0x08, 0x00}, {0x20, 0x04, 0x00},
    {0x20, 0x00, 0x2C}, {0x20, 0x40, 0x00}, {0xA0, 0x01, 0x00}, {0x20, 0x00, 0x65}, {0x20, 0x10, 0x00}, {0x20, 0x00, 0x50},
    {0x20, 0x00, 0x51}, {0x20, 0x00, 0x4F}, {0x20, 0x00, 0x62}, {0x20, 0x00, 0x63}, {0x20, 0x00, 0x58}, {0x20, 0x00, 0x57},
    {0xD0, 0xA2, 0x01}, {0xD0, 0xA2, 0x02}, {0xD0, 0xA2, 0x03}, {0xD0, 0xA2, 0x04}, {0xD0, 0xA2, 0x05}, {0x20, 0x80, 0x00},};

constexpr std::array<AssignCode, 170> MakeCodes() {
  std::array<AssignCode, 170> all{};
  for (size_t p = 0; p < all.size(); ++p) all[p] = p < 126 ? kCodes[p] : AssignCode{0x20, 0x00, 0x00};
  return all;
}
constexpr std::array<AssignCode, 170> kAllCodes = MakeCodes();

bool SameCode(const uint8_t* entry, const AssignCode& code) {
  return entry[0] == code.type && entry[1] == code.code1 && entry[2] == code.code2;
}

}  // namespace

const std::array<AssignCode, 170>& KeyPositionCodes() { return kAllCodes; }

CKeyPositionMap::CKeyPositionMap() {
  slotOf_.fill(kNone);
  ledOf_.fill(kNone);
  ownerOf_.fill(-1);
}

bool CKeyPositionMap::Build(int keyCount, std::span<const uint8_t> keyTable, std::span<const uint8_t> ledTable,
                            std::string* error) {
  auto refuse = [error](std::string why) {
    if (error) *error = std::move(why);
    return false;
  };
  if (keyCount < 0 || keyCount > kMaxKeys)
    return refuse("the keyboard reports " + std::to_string(keyCount) + " keys; its key table (" +
                  std::to_string(keyCount * 3) + " bytes) would not fit the " + std::to_string(kTableBytes) +
                  "-byte table, which holds at most " + std::to_string(kMaxKeys) + " keys");
  const size_t tableBytes = static_cast<size_t>(keyCount) * 3;
  if (keyTable.size() < tableBytes)
    return refuse("key table of " + std::to_string(keyTable.size()) + " bytes, " + std::to_string(keyCount) +
                  " keys need " + std::to_string(tableBytes));
  if (ledTable.size() < static_cast<size_t>(keyCount))
    return refuse("key LED table of " + std::to_string(ledTable.size()) + " bytes, " + std::to_string(keyCount) +
                  " keys need as many");

  keyCount_ = keyCount;
  lightCount_ = 0;
  slotOf_.fill(kNone);
  ledOf_.fill(kNone);
  ownerOf_.fill(-1);
  for (int p = 0; p < kPositions; ++p) {
    const AssignCode& code = kAllCodes[static_cast<size_t>(p)];
    for (int k = 0; k < keyCount; ++k) {
      if (!SameCode(&keyTable[static_cast<size_t>(3 * k)], code)) continue;
      slotOf_[static_cast<size_t>(p)] = static_cast<uint8_t>(k);
      const uint8_t led = ledTable[static_cast<size_t>(k)];
      ledOf_[static_cast<size_t>(p)] = led < keyCount ? led : kNone;
      if (ownerOf_[static_cast<size_t>(k)] < 0) ownerOf_[static_cast<size_t>(k)] = static_cast<int16_t>(p);
      break;
    }
  }
  lightCount_ = 0;
  for (int k = 0; k < keyCount; ++k) {
    const int owner = ownerOf_[static_cast<size_t>(k)];
    if (owner >= 0 && ledOf_[static_cast<size_t>(owner)] != kNone)
      lights_[static_cast<size_t>(lightCount_++)] = {static_cast<uint8_t>(owner), ledOf_[static_cast<size_t>(owner)]};
  }
  return true;
}

uint8_t CKeyPositionMap::SlotOf(int position) const {
  return position >= 0 && position < kPositions ? slotOf_[static_cast<size_t>(position)] : kNone;
}

uint8_t CKeyPositionMap::LedOf(int position) const {
  return position >= 0 && position < kPositions ? ledOf_[static_cast<size_t>(position)] : kNone;
}

int CKeyPositionMap::OwnerOf(int slot) const {
  return slot >= 0 && slot < keyCount_ ? ownerOf_[static_cast<size_t>(slot)] : -1;
}

bool CKeyPositionMap::Owns(int position) const {
  const uint8_t slot = SlotOf(position);
  return slot != kNone && OwnerOf(slot) == position;
}

namespace {

// Slot of macro m in the list built in position order, appended when new.
int MacroSlot(std::vector<int>& used, int macro) {
  const auto it = std::find(used.begin(), used.end(), macro);
  if (it != used.end()) return static_cast<int>(it - used.begin());
  used.push_back(macro);
  return static_cast<int>(used.size()) - 1;
}

}  // namespace

std::vector<uint8_t> EncodeKeyTable(const CKeyPositionMap& map, std::span<const uint8_t> currentTable,
                                    const std::vector<KeyAssign>& records, int macroCount) {
  const size_t bytes = static_cast<size_t>(map.TableBytes());
  if (currentTable.size() < bytes) return {};
  std::vector<uint8_t> table(currentTable.begin(), currentTable.begin() + static_cast<std::ptrdiff_t>(bytes));
  std::vector<int> used;
  const int count = std::min<int>(static_cast<int>(records.size()), CKeyPositionMap::kPositions);
  for (int p = 0; p < count; ++p) {
    if (!map.Owns(p)) continue;
    const KeyAssign& record = records[static_cast<size_t>(p)];
    AssignCode code = record.Current();
    if (record.IsMacro()) {
      if (record.code1 < macroCount)
        code.code1 = static_cast<uint8_t>(MacroSlot(used, record.code1));
      else
        code = record.Default();
    }
    uint8_t* entry = &table[static_cast<size_t>(3 * map.SlotOf(p))];
    entry[0] = code.type, entry[1] = code.code1, entry[2] = code.code2;
  }
  return table;
}

std::vector<int> UsedMacros(const CKeyPositionMap& map, const std::vector<KeyAssign>& records, int macroCount) {
  std::vector<int> used;
  const int count = std::min<int>(static_cast<int>(records.size()), CKeyPositionMap::kPositions);
  for (int p = 0; p < count; ++p) {
    const KeyAssign& record = records[static_cast<size_t>(p)];
    if (map.Owns(p) && record.IsMacro() && record.code1 < macroCount) MacroSlot(used, record.code1);
  }
  return used;
}

}  // namespace orlo::keyboard
