// Fuzz target for the macro file reader: any bytes must read without a crash, an exception or
// an event the device form cannot hold, and what was read must survive a write and a re-read.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "macro/MacroFile.h"

using orlo::CMacroFile;
using orlo::MacroEvent;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  CMacroFile file = CMacroFile::FromText(text);
  Check(file.events.size() <= static_cast<size_t>(orlo::kMacroMaxEvents));
  for (const MacroEvent& e : file.events) {
    Check(orlo::IsMacroEventType(e.type));
    Check(e.button >= 0 && e.button <= 255);
    Check(e.delay >= 0 && e.delay <= orlo::kMacroMaxDelay);
    auto bytes = orlo::MacroEventBytes(e);
    Check((bytes[0] | bytes[1] << 8) == e.delay);
    Check(bytes[3] == e.button);
    (void)orlo::MacroEventNameId(e);
  }
  CMacroFile again = CMacroFile::FromDocument(file.ToDocument());
  Check(again.events == file.events);
  Check(again.name == file.name && again.guid == file.guid);
  return 0;
}
