// Feeds arbitrary text as a profile document (and as a light catalogue) through reading,
// section loading, every getter of the mouse, keyboard and common settings, and saving.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "profile/BasicProfiledata.h"
#include "profile/KeyboardProfiledata.h"
#include "profile/MouseProfiledata.h"

namespace {

const std::string& Folder() {
  static const std::string folder = [] {
    // A memory-backed folder when there is one: every iteration writes and syncs documents.
    std::string name = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    name += "/orlo-fuzz-profile-XXXXXX";
    if (!mkdtemp(name.data())) return std::string("/tmp/");
    static const std::string made = name;
    std::atexit([] { std::filesystem::remove_all(made); });
    return name + "/";
  }();
  return folder;
}

void WriteInput(const std::string& path, const uint8_t* data, size_t size) {
  std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data),
                                                                static_cast<std::streamsize>(size));
}

void CommonGetters(orlo::CBasicProfiledata& p, const std::string& input) {
  p.GetLightInfo();
  p.GetAudioLightRecord();
  p.GetLightList();
  p.SetLightConfigPath(input);
  p.LoadLightConfig(input);
  p.GetCustomLightEffect();
  std::vector<orlo::KeyAssign> keys = p.GetKeyList();
  orlo::PurgeDeletedMacro(keys, 1);
  p.SetKeyList(keys);
  p.LoadScratchSection(input);
  p.GetScratchKeyList();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input = Folder() + "input.Json";
  const std::string profile = Folder() + "profile.Json";
  WriteInput(input, data, size);

  orlo::CJsonFile file;
  Json::Value doc = file.ReadDocument(input);
  for (int kind = 0; kind < 4; ++kind) {
    std::vector<orlo::BuiltInLightEntry> names;
    std::vector<std::string> areas;
    std::vector<orlo::CustomLightEntry> custom;
    orlo::ReadBuiltInLightNames(doc, kind, names);
    orlo::ReadAreaLightNames(doc, kind, areas);
    orlo::ReadCustomLightEntries(doc, kind, custom);
  }

  {
    orlo::CMouseProfiledata mouse;
    mouse.SetProfileKindIndex(orlo::kMouseKindIndex);
    mouse.SetDefaultPath(input);  // the input is its own default: never written
    mouse.SetProfilePath(profile);
    WriteInput(profile, data, size);
    mouse.LoadSection(profile);
    CommonGetters(mouse, input);
    mouse.GetDPIStages();
    mouse.GetActiveDPIStage();
    auto s = mouse.GetSystemStages();
    mouse.GetCorrectInfo();
    mouse.SetSystemStages(s[0], s[1], s[2], s[3]);
    mouse.SetDPIStages(mouse.GetDPIStages());
    mouse.Save();
  }
  {
    orlo::CKeyboardProfiledata kb;
    kb.SetProfilePath(profile);
    WriteInput(profile, data, size);
    kb.LoadSection(profile);
    CommonGetters(kb, input);
    kb.GetSystemStages();
    int group = kb.GetCustomLightModeGroupIndex();
    kb.SetCustomLightColors(kb.GetCustomLightColors(group, 170), group);
    kb.Save();
  }
  {
    orlo::CBasicProfiledata pad;
    pad.SetProfileKindIndex(orlo::kMousePadKindIndex);
    pad.LoadSection(input);
    CommonGetters(pad, input);
  }
  return 0;
}
