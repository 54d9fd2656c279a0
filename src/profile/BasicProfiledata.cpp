#include "profile/BasicProfiledata.h"

#include <filesystem>
#include <system_error>

#include "platform/DebugLog.h"
#include "platform/Paths.h"
#include "profile/FileId.h"
#include "profile/JsonAccess.h"

namespace orlo {
namespace {

// True when both paths name the same file (or, when neither exists, the same text after
// normalisation), so the default document is recognised under any spelling of its path.
bool SamePath(const std::string& a, const std::string& b) {
  if (a.empty() || b.empty()) return false;
  namespace fs = std::filesystem;
  std::error_code ec;
  if (fs::exists(a, ec) && fs::exists(b, ec)) return fs::equivalent(a, b, ec);
  return fs::path(a).lexically_normal() == fs::path(b).lexically_normal();
}

// The element of "Device" a document holds at index, or nullptr when the document, "Device"
// or the element has the wrong form. Only objects count as sections.
const Json::Value* SectionOf(const Json::Value& doc, int index) {
  const Json::Value* s = json::PeekAt(json::Peek(&doc, "Device"), static_cast<Json::ArrayIndex>(index));
  return s && s->isObject() ? s : nullptr;
}

// Makes doc an object with a "Device" array (keeping what fits) and stores value at index.
void PutSection(Json::Value& doc, int index, const Json::Value& value) {
  if (!doc.isObject()) doc = Json::Value(Json::objectValue);
  json::SlotAt(json::Slot(doc, "Device"), static_cast<Json::ArrayIndex>(index)) = value;
}

}  // namespace

std::string CBasicProfiledata::AppDataFolder() {
  std::string folder = paths::AppDataFolder();
  paths::EnsureFolder(folder);
  return folder;
}

std::string CBasicProfiledata::DeviceDataFolder(const std::string& displayName) {
  std::string folder = AppDataFolder() + displayName + "/";
  paths::EnsureFolder(folder);
  return folder;
}

std::string CBasicProfiledata::DefaultDocumentPath(const std::string& displayName) {
  return paths::ProgramFolder() + "DefaultData/" + displayName + ".Json";
}

void CBasicProfiledata::SetProfilePath(const std::string& path) {
  if (!path.empty()) profilePath_ = path;
}

void CBasicProfiledata::SetDefaultPath(const std::string& path) {
  if (!path.empty()) defaultPath_ = path;
}

void CBasicProfiledata::SetDeviceIndex(int index) {
  if (index >= 0 && index <= kMaxDeviceIndex) deviceIndex_ = index;
}

Json::Value CBasicProfiledata::LoadInto(Json::Value& target, const std::string& path) {
  CJsonFile::ReadResult read = jsonFile_.Read(path);
  if (const Json::Value* s = SectionOf(read.document, deviceIndex_)) {
    target = *s;
    return target;
  }
  // No usable section: take the default one. The default document is read-only; when it is
  // the document being loaded, the section is used from memory and nothing is written.
  Json::Value defaults = jsonFile_.ReadDocument(defaultPath_);
  const Json::Value* d = SectionOf(defaults, deviceIndex_);
  target = d ? *d : Json::Value();
  if (path.empty() || SamePath(path, defaultPath_)) return target;
  // A file that cannot be read keeps what it holds; the defaults serve from memory meanwhile.
  if (read.status == CJsonFile::ReadStatus::kUnreadable) {
    CJsonFile::TellUnreadable(path, read.error);
    return target;
  }
  // Repaired under the document's lock, from what it holds by then: another program may have
  // written the section meanwhile.
  jsonFile_.UpdateDocument(path, [&](Json::Value& doc) {
    if (const Json::Value* s = SectionOf(doc, deviceIndex_)) {
      target = *s;
      return false;
    }
    PutSection(doc, deviceIndex_, target);
    return true;
  });
  return target;
}

Json::Value CBasicProfiledata::LoadSection(const std::string& path) { return LoadInto(section_, path); }

Json::Value CBasicProfiledata::LoadScratchSection(const std::string& path) {
  return LoadInto(scratchSection_, path);
}

Json::Value CBasicProfiledata::UseDocument(const Json::Value& document) {
  const Json::Value* s = SectionOf(document, deviceIndex_);
  section_ = s ? *s : Json::Value();
  return section_;
}

int CBasicProfiledata::Save() { return SaveSection(Json::Value(section_), profilePath_); }

int CBasicProfiledata::SaveSection(const Json::Value& value, const std::string& path) {
  if (path.empty()) return 0;
  return jsonFile_.UpdateDocument(path, [&](Json::Value& doc) {
    PutSection(doc, deviceIndex_, value);
    return true;
  }) == 0 ? 1 : 0;
}

int CBasicProfiledata::SaveScratchSection(const std::string& path) {
  return SaveSection(Json::Value(scratchSection_), path);
}

int CBasicProfiledata::WriteWholeDocument(const Json::Value& document, const std::string& path) {
  if (path.empty()) return 0;
  return jsonFile_.UpdateDocument(path, [&](Json::Value& doc) {
    doc = document;
    return true;
  }) == 0 ? 1 : 0;
}

Json::Value* CBasicProfiledata::SectionForRead() {
  return section_.isNull() || section_.isObject() ? &section_ : nullptr;
}

Json::Value& CBasicProfiledata::SectionForWrite() {
  if (!section_.isObject()) section_ = Json::Value(Json::objectValue);
  return section_;
}

// ---- Lighting -------------------------------------------------------------------------------

LightInfo CBasicProfiledata::GetLightInfo() {
  Json::Value* s = SectionForRead();
  lightInfo_ = json::Has(s, "LightInfo") ? LightInfoFromJson(json::Find(s, "LightInfo")) : LightInfo{};
  return lightInfo_;
}

void CBasicProfiledata::SetLightInfo(const LightInfo& info) {
  lightInfo_ = info;
  SectionForWrite()["LightInfo"] = LightInfoToJson(info);
}

AudioLightInfo CBasicProfiledata::GetAudioLightRecord() {
  Json::Value* s = SectionForRead();
  audioLightInfo_ =
      json::Has(s, "AudioLightInfo") ? AudioLightFromJson(json::Find(s, "AudioLightInfo")) : AudioLightInfo{};
  return audioLightInfo_;
}

void CBasicProfiledata::SetAudioLightRecord(const AudioLightInfo& info) {
  audioLightInfo_ = info;
  SectionForWrite()["AudioLightInfo"] = AudioLightToJson(info);
}

std::vector<LightInfo> CBasicProfiledata::GetLightList() {
  std::vector<LightInfo> list;
  Json::Value* s = SectionForRead();
  if (json::Has(s, "LightList")) {
    Json::Value* entries = json::Find(s, "LightList");
    for (Json::ArrayIndex i = 0; i < json::Size(entries); ++i) list.push_back(LightListEntryFromJson(&(*entries)[i]));
  }
  lightList_ = list;
  return list;
}

void CBasicProfiledata::SetLightConfigPath(const std::string& path) { lightConfigPath_ = path; }

Json::Value CBasicProfiledata::LoadLightConfig(const std::string& path) {
  UseLightConfig(jsonFile_.ReadDocument(path));
  return lightConfig_;
}

void CBasicProfiledata::UseLightConfig(const Json::Value& config) { lightConfig_ = config; }

std::string CBasicProfiledata::CustomLightEffectPath() const {
  int position = int{lightInfo_.mode} - FirstCustomLightMode(profileKindIndex_);
  if (position < 0 || profileKindIndex_ < 0) return {};
  const Json::Value* entries = json::PeekAt(json::Peek(&lightConfig_, "LightInfo"),
                                            static_cast<Json::ArrayIndex>(profileKindIndex_));
  const Json::Value* entry = json::PeekAt(entries, static_cast<Json::ArrayIndex>(position));
  std::string guid = json::String(json::Peek(entry, "Guid"));
  if (!IsSafeFileId(guid)) {
    if (!guid.empty()) DebugPrintf("custom light effect: refused file id \"%s\"", guid.c_str());
    return {};
  }
  // Step files live beside the catalogue that names them.
  std::string folder = std::filesystem::path(lightConfigPath_).parent_path().string();
  return (folder.empty() ? std::string() : folder + "/") + guid + ".light";
}

std::vector<LEDEffectStep> CBasicProfiledata::GetCustomLightEffect() {
  std::vector<LEDEffectStep> steps;
  if (!lightConfig_.isNull()) {
    if (std::string file = CustomLightEffectPath(); !file.empty()) {
      steps = EffectStepsOf(jsonFile_.ReadDocument(file));
    }
  }
  customEffect_ = steps;
  return steps;
}

// ---- Key assignments ------------------------------------------------------------------------

std::vector<KeyAssign> CBasicProfiledata::ReadKeyList(Json::Value* section) {
  std::vector<KeyAssign> list;
  if (!section || section->isNull()) return list;
  if (!json::Has(section, "KeyList")) return list;
  Json::Value* keys = json::Find(section, "KeyList");
  // Key numbers are 16-bit; a longer list cannot belong to any device.
  Json::ArrayIndex n = std::min<Json::ArrayIndex>(json::Size(keys), 0x10000);
  list.reserve(n);
  for (Json::ArrayIndex i = 0; i < n; ++i) {
    Json::Value* e = &(*keys)[i];
    AssignCode a = UnpackAssignCode(json::Int(json::Find(e, "Assignment")));
    AssignCode d = UnpackAssignCode(json::Int(json::Find(e, "DefaultAssignment")));
    auto key = static_cast<uint16_t>(i);
    list.push_back({key, a.type, a.code1, a.code2, key, d.type, d.code1, d.code2});
  }
  return list;
}

void CBasicProfiledata::WriteKeyList(Json::Value& section, const std::vector<KeyAssign>& list) {
  if (list.empty()) return;
  if (!section.isObject()) section = Json::Value(Json::objectValue);
  Json::Value& keys = json::Slot(section, "KeyList");
  for (size_t i = 0; i < list.size(); ++i) {
    Json::Value& e = json::SlotAt(keys, static_cast<Json::ArrayIndex>(i));
    json::Slot(e, "Assignment") = PackAssignCode(list[i].Current());
  }
}

std::vector<KeyAssign> CBasicProfiledata::GetKeyList() {
  keyList_ = ReadKeyList(SectionForRead());
  return keyList_;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyAssign>& list) {
  keyList_ = list;
  WriteKeyList(section_, list);
}

std::vector<KeyAssign> CBasicProfiledata::GetScratchKeyList() {
  scratchKeyList_ = ReadKeyList(scratchSection_.isObject() ? &scratchSection_ : nullptr);
  return scratchKeyList_;
}

void CBasicProfiledata::SetScratchKeyList(const std::vector<KeyAssign>& list) {
  scratchKeyList_ = list;
  WriteKeyList(scratchSection_, list);
}

int PurgeMacroFromProfiles(const std::vector<std::string>& documentPaths, int deletedMacro,
                           const std::string& defaultPath) {
  CBasicProfiledata profile;
  profile.SetDefaultPath(defaultPath);
  int written = 0;
  for (const std::string& path : documentPaths) {
    profile.LoadScratchSection(path);
    std::vector<KeyAssign> list = profile.GetScratchKeyList();
    if (!PurgeDeletedMacro(list, deletedMacro)) continue;
    profile.SetScratchKeyList(list);
    written += profile.SaveScratchSection(path);
  }
  return written;
}

}  // namespace orlo
