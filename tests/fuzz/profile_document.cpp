// Arbitrary text as a profile document, in memory: parsing, every getter and setter of the
// mouse, keyboard and common settings on its device section, and writing the result.
#include <cstddef>
#include <cstdint>

#include "FuzzSupport.h"
#include "profile/BasicProfiledata.h"
#include "profile/KeyboardProfiledata.h"
#include "profile/JsonAccess.h"
#include "profile/MouseProfiledata.h"
#include "profile/ProfileList.h"

namespace {

using orlo::fuzz::Check;
using orlo::fuzz::CheckWrittenTextParses;

void CommonGettersAndSetters(orlo::CBasicProfiledata& p) {
  p.SetLightInfo(p.GetLightInfo());
  p.GetAudioLightRecord();
  p.GetLightList();
  std::vector<orlo::KeyAssign> keys = p.GetKeyList();
  Check(keys.size() <= 0x10000);
  orlo::PurgeDeletedMacro(keys, 1);
  p.SetKeyList(keys);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Json::Value doc = orlo::fuzz::ParseInput(data, size);
  orlo::fuzz::CheckWrittenTextSettles(doc);
  if (const Json::Value* section = orlo::json::PeekAt(orlo::json::Peek(&doc, "Device"), 0)) {
    for (int kind : {1, 2, 3, 7}) (void)orlo::CProfileList::SectionFitsKind(*section, kind);
  }
  {
    orlo::CMouseProfiledata mouse;
    mouse.SetProfileKindIndex(orlo::kMouseKindIndex);
    mouse.UseDocument(doc);
    CommonGettersAndSetters(mouse);
    mouse.GetActiveDPIStage();
    auto s = mouse.GetSystemStages();
    mouse.GetCorrectInfo();
    mouse.SetSystemStages(s[0], s[1], s[2], s[3]);
    mouse.SetDPIStages(mouse.GetDPIStages());
    CheckWrittenTextParses(mouse.GetSection());
  }
  {
    orlo::CKeyboardProfiledata kb;
    kb.UseDocument(doc);
    CommonGettersAndSetters(kb);
    kb.GetSystemStages();
    int group = kb.GetCustomLightModeGroupIndex();
    kb.SetCustomLightColors(kb.GetCustomLightColors(group, 12), group);
    kb.SetAudioLightRecord(kb.GetAudioLightRecord());
    CheckWrittenTextParses(kb.GetSection());
  }
  {
    orlo::CBasicProfiledata pad;
    pad.SetProfileKindIndex(orlo::kMousePadKindIndex);
    pad.UseDocument(doc);
    CommonGettersAndSetters(pad);
    CheckWrittenTextParses(pad.GetSection());
  }
  return 0;
}
