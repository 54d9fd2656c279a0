#pragma once
// The mouse's key table as pure functions: which entry of the table each of the page's eleven
// buttons is (found by the button's factory code), and the table with the profile's assignments
// written into those entries.
#include <array>
#include <cstdint>
#include <vector>

#include "profile/KeyAssign.h"

namespace orlo {

constexpr int kMouseButtons = 11;
constexpr int kMouseNoEntry = 170;  // a button the table has no entry for
using MouseKeyMap = std::array<int, kMouseButtons>;
using KeyTableBytes = std::array<uint8_t, 512>;

// The factory code of page button j.
const std::array<uint8_t, 3>& MouseFactoryCode(int button);

// Entry of each button: the first of the `entries` three-byte entries that holds its factory
// code; a button none holds keeps entry j (the table's order is the page's) unless a factory code
// placed another button there; kMouseNoEntry beyond the entries.
MouseKeyMap BuildMouseKeyMap(const KeyTableBytes& table, int entries);

// The table with `list[j]` written at button j's entry (within the first `length` bytes).
// Macro assignments are renumbered by first use (the macro block holds only the macros in use,
// in that order; `usedMacros` gets their catalogue indices); a macro the catalogue of `known`
// macros does not hold reverts to the button's default.
KeyTableBytes EncodeMouseKeyTable(const KeyTableBytes& table, int length, const MouseKeyMap& map,
                                  const std::vector<KeyAssign>& list, int known, std::vector<int>* usedMacros);

}  // namespace orlo
