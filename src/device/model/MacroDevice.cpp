#include "device/model/MacroDevice.h"

namespace orlo {

MacroDownloadResult DownloadMacrosAndKeys(IMacroDevice& device) {
  MacroDownloadResult result;
  result.macros = device.WriteMacros(device.GetUsedMacros());
  if (result.macros > 0) return result;
  result.keys = device.WriteKeyTable();
  result.keysWritten = true;
  return result;
}

}  // namespace orlo
