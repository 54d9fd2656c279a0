#pragma once
// What the macro page needs of a device that plays macros (mouse and keyboard) besides the
// driver base's key operations: the whole key list of the active profile, to renumber the macro
// assignments when a macro is deleted. The macro block and the key table are written by the
// driver base's DownloadKeyAssignments.
#include <vector>

#include "profile/KeyAssign.h"

namespace orlo {

class IMacroDevice {
 public:
  virtual ~IMacroDevice() = default;
  // A copy of the active profile's key list.
  virtual std::vector<KeyAssign> CopyKeyList() = 0;
  // Replaces the active profile's key list in the model and its document, and saves it.
  virtual void StoreKeyList(const std::vector<KeyAssign>& list) = 0;
};

}  // namespace orlo
