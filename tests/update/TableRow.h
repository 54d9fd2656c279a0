#pragma once
// A row of the update table with the version a device reports.
#include <cstddef>
#include <cstdint>

#include "device/link/Catalogue.h"

namespace orlo::update {

inline UpdateEntry Row(size_t tableRow, int32_t version) {
  UpdateEntry e = kUpdateTable[tableRow];
  e.rowVersion = version;
  return e;
}

}  // namespace orlo::update
