// Arbitrary text as a lighting file, in memory: the built-in effect catalogue
// ("default_light.json"), the custom effect catalogue ("velko_light.config") and a custom
// effect's steps (".light").
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzSupport.h"
#include "profile/BasicProfiledata.h"
#include "profile/FileId.h"
#include "profile/JsonAccess.h"
#include "profile/LightData.h"

using orlo::fuzz::Check;

namespace {

// A reader that finds no element of the kind leaves the caller's list as it was.
template <class Entry, class Reader>
void CheckKeepsListWhenMissing(const Json::Value& doc, int kind, const Entry& marker, Reader read) {
  std::vector<Entry> list{marker};
  if (!read(doc, kind, list)) Check(list.size() == 1 && list[0] == marker);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Json::Value doc = orlo::fuzz::ParseInput(data, size);

  for (int kind = -1; kind <= 4; ++kind) {
    CheckKeepsListWhenMissing(doc, kind, orlo::BuiltInLightEntry{"marker", true, 7}, orlo::ReadBuiltInLightNames);
    CheckKeepsListWhenMissing(doc, kind, std::string("marker"), orlo::ReadAreaLightNames);
    CheckKeepsListWhenMissing(doc, kind, orlo::CustomLightEntry{"marker", "g"}, orlo::ReadCustomLightEntries);
  }

  // As a ".light" file: one step per element of "LEDEffectList".
  const Json::Value* list = orlo::json::Peek(&doc, "LEDEffectList");
  Check(orlo::EffectStepsOf(doc).size() == orlo::json::Size(list));

  // As a profile's light records.
  Json::Value copy = doc;
  (void)orlo::LightInfoFromJson(orlo::json::Find(&copy, "LightInfo"));
  (void)orlo::AudioLightFromJson(orlo::json::Find(&copy, "AudioLightInfo"));
  Json::Value* entries = orlo::json::Find(&copy, "LightList");
  for (Json::ArrayIndex i = 0; i < orlo::json::Size(entries); ++i) {
    orlo::LightInfo e = orlo::LightListEntryFromJson(&(*entries)[i]);
    Check(e.further[orlo::kLightListEntryFlag] <= 1);
  }

  // As the custom effect catalogue: a mode's step file is a file of the catalogue's folder.
  const std::string folder = "/nonexistent-orlo-fuzz/";
  orlo::CBasicProfiledata profile;
  profile.SetLightConfigPath(folder + "velko_light.config");
  profile.UseLightConfig(doc);
  for (int kind = 0; kind < 4; ++kind) {
    profile.SetProfileKindIndex(kind);
    for (int mode = 0; mode < 40; ++mode) {
      orlo::LightInfo info;
      info.mode = static_cast<uint8_t>(mode);
      profile.SetLightInfo(info);
      const std::string path = profile.CustomLightEffectPath();
      if (path.empty()) continue;
      Check(path.rfind(folder, 0) == 0 && path.size() > folder.size() + 6);
      Check(path.compare(path.size() - 6, 6, ".light") == 0);
      Check(orlo::IsSafeFileId(path.substr(folder.size(), path.size() - folder.size() - 6)));
    }
  }
  return 0;
}
