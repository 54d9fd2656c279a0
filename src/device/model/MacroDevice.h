#pragma once
// What the macro page needs of a device that plays macros (mouse and keyboard): the key list of
// the active profile, the macros it uses, and the writes of the macro block and the key table.
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
  // The macro numbers the key list uses, each once, in key order.
  virtual std::vector<int> GetUsedMacros() = 0;
  // 0 when written; the number of events too many when they do not fit; -1 on failure.
  virtual int WriteMacros(const std::vector<int>& macros) = 0;
  // Writes the key table of the model's key list. 1, or the failing code.
  virtual int WriteKeyTable() = 0;
};

struct MacroDownloadResult {
  int macros = 0;      // as WriteMacros
  int keys = 0;        // as WriteKeyTable; 0 when it was not written
  bool keysWritten = false;
};

// The macros the key list uses, then the key table. When the macros do not fit the device's
// macro area nothing is written at all, so the device keeps assignments that point at the
// macros it holds. A device out of reach still gets the key table tried.
MacroDownloadResult DownloadMacrosAndKeys(IMacroDevice& device);

}  // namespace orlo
