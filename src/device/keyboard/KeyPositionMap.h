#pragma once
// The keyboard's key table (three bytes per physical key: the key's assignment code) and key LED
// table (one byte per physical key: where its colour sits in a per-key frame), and the maps from
// the 170 key positions the page and the profile use to the physical keys and their LEDs.
//
// A position finds its physical key by its factory code: the first key whose table entry holds
// that code (first match wins, so positions sharing a factory code share one key). The first
// position that reaches a key owns it: the key table and every frame take that position's
// assignment and colour, and a later position mapped to the same key (an alias) writes nothing,
// so it cannot overwrite what the owner holds.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "profile/KeyAssign.h"

namespace orlo::keyboard {

// Factory code of each key position (type 0x20 keys with a modifier mask or a keyboard usage,
// the Fn and game-mode keys, the five macro keys; unused positions hold 20.00.00).
const std::array<AssignCode, 170>& KeyPositionCodes();

class CKeyPositionMap {
 public:
  static constexpr int kPositions = 170;
  static constexpr uint8_t kNone = 255;
  static constexpr int kTableBytes = 512;            // the host's copy of the key table
  static constexpr int kMaxKeys = kTableBytes / 3;   // 170

  // No keys: every position is unconnected.
  CKeyPositionMap();

  // Builds the maps from the key count K of the information block and the two tables as read
  // (at least K × 3 and K bytes). Refused, with the map unchanged and the reason in *error, when
  // K × 3 exceeds the 512-byte table or a table is shorter than K asks for. An LED index of K or
  // more (the frame has K LEDs) leaves that key without an LED.
  bool Build(int keyCount, std::span<const uint8_t> keyTable, std::span<const uint8_t> ledTable,
             std::string* error = nullptr);

  int KeyCount() const { return keyCount_; }
  int TableBytes() const { return keyCount_ * 3; }  // key table and per-key frame length
  // Physical key (slot) of a position, kNone when it has none or the position is out of range.
  uint8_t SlotOf(int position) const;
  // LED of a position's physical key, kNone when it has none.
  uint8_t LedOf(int position) const;
  // The position that owns a physical key, -1 when no position reaches it.
  int OwnerOf(int slot) const;
  // True when the position is the one that writes its physical key.
  bool Owns(int position) const;

  // The owned keys that have an LED, in slot order: what a per-key frame is made of.
  struct Light {
    uint8_t position, led;
  };
  std::span<const Light> Lights() const { return {lights_.data(), static_cast<size_t>(lightCount_)}; }

 private:
  int keyCount_ = 0;
  std::array<uint8_t, kPositions> slotOf_{};
  std::array<uint8_t, kPositions> ledOf_{};
  std::array<int16_t, kMaxKeys> ownerOf_{};
  std::array<Light, kMaxKeys> lights_{};
  int lightCount_ = 0;
};

// The key table to write: the current table's first K × 3 bytes with each owned physical key
// replaced by the current code of its position's record (records[p] belongs to position p; a
// position without a record keeps the table's bytes). Macro assignments (types 0x70, 0x71)
// carry a macro number m: below macroCount it becomes the macro's slot in the macro block
// (numbered in position order of first use, as UsedMacros lists them); m of macroCount or more
// names a deleted macro and the record's default code is written instead. Empty when the current
// table is shorter than K × 3.
std::vector<uint8_t> EncodeKeyTable(const CKeyPositionMap& map, std::span<const uint8_t> currentTable,
                                    const std::vector<KeyAssign>& records, int macroCount);

// The macro numbers the owned positions' records use, each once, in position order of first use;
// list index i is the macro's slot in the macro block. Numbers of macroCount or more are left out.
std::vector<int> UsedMacros(const CKeyPositionMap& map, const std::vector<KeyAssign>& records, int macroCount);

}  // namespace orlo::keyboard
