#include "profile/ProfileList.h"

#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

#include "platform/DebugLog.h"
#include "profile/FileId.h"
#include "base/DeviceKinds.h"
#include "profile/JsonAccess.h"
#include "profile/NameRules.h"

namespace orlo {
namespace {

// Section members that only one device kind stores. A section holding another kind's member
// was written for another device.
struct KindMembers {
  int kind;
  std::vector<const char*> members;
};
const std::vector<KindMembers>& ExclusiveMembers() {
  static const std::vector<KindMembers> table = {
      {1, {"AudioLightInfo", "CustomLightMode"}},
      {2, {"DPIStages", "ReportStages", "ReportStages24g", "CorrectInfo"}},
      {7, {"SystemSetStages", "EQHzValueInfo", "CustomEQNameInfo", "CustomEQHzValueInfo"}},
  };
  return table;
}
// Members the keyboard and the mouse share and the other kinds never store.
constexpr const char* kKeyDeviceMembers[] = {"KeyList", "SystemStages"};

const Json::Value* EntryAt(const Json::Value& list, int index) {
  if (index < 0) return nullptr;
  return json::PeekAt(json::Peek(&list, "profilelist"), static_cast<Json::ArrayIndex>(index));
}

std::string EntryString(const Json::Value* entry, const char* key) {
  return json::String(json::Peek(entry, key));
}

}  // namespace

void CProfileList::SetDeviceKind(int kind) { kind_ = FoldKind(static_cast<uint16_t>(kind)); }

void CProfileList::SetPaths(const std::string& deviceFolder, const std::string& defaultDocumentPath) {
  folder_ = deviceFolder;
  if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
  defaultPath_ = defaultDocumentPath;
}

std::string CProfileList::ListPath() const { return folder_ + "ProfileList.ini"; }

Json::Value CProfileList::ReadList() const {
  Json::Value list = CJsonFile().ReadDocument(ListPath());
  if (!list.isObject()) list = Json::Value(Json::objectValue);
  if (!list["profilelist"].isArray()) list["profilelist"] = Json::Value(Json::arrayValue);
  return list;
}

bool CProfileList::WriteList(const Json::Value& list) const {
  return jsonFile_.WriteDocument(ListPath(), list) == 0;
}

Json::Value CProfileList::ReadDefaultDocument() const {
  Json::Value doc = CJsonFile().ReadDocument(defaultPath_);
  return doc.isObject() ? doc : Json::Value(Json::objectValue);
}

Json::Value CProfileList::MakeEntry(const std::string& name, const std::string& uuid) {
  Json::Value e(Json::objectValue);
  e["profilename"] = name;
  e["profileUUID"] = uuid;
  e["profileislink"] = 0;
  e["profilelinkmame"] = "";
  return e;
}

std::string CProfileList::NewId(const Json::Value& list) const {
  const Json::Value& entries = list["profilelist"];
  return CJsonFile::MakeUniqueTimeStamp([&](const std::string& id) {
    for (Json::ArrayIndex i = 0; i < entries.size(); ++i)
      if (EntryString(&entries[i], "profileUUID") == id) return true;
    std::error_code ec;
    return std::filesystem::exists(folder_ + id + ".Json", ec);
  });
}

bool CProfileList::NameUsed(const Json::Value& list, const std::string& name, int skip) const {
  const Json::Value& entries = list["profilelist"];
  for (Json::ArrayIndex i = 0; i < entries.size(); ++i) {
    if (static_cast<int>(i) == skip) continue;
    if (SameNameIgnoringCase(EntryString(&entries[i], "profilename"), name)) return true;
  }
  return false;
}

void CProfileList::Init() {
  if (folder_.empty()) return;
  Json::Value list = ReadList();
  Json::Value& entries = list["profilelist"];
  bool changed = false;
  if (entries.empty()) {
    list = Json::Value(Json::objectValue);
    list["profilelist"] = Json::Value(Json::arrayValue);
    std::string id = NewId(list);
    list["profilelist"].append(MakeEntry("profile1", id));
    list["profileselect"] = 0;
    WriteList(list);
    Json::Value doc = ReadDefaultDocument();
    doc["profilename"] = "profile1";
    doc["profileUUID"] = id;
    jsonFile_.WriteDocument(folder_ + id + ".Json", doc);
  } else {
    // Ids become file names and deleting a profile deletes its file: an id that could leave the
    // folder, or one another entry already uses, gets a new one (its document is then created
    // from the default document when the profile is loaded).
    std::set<std::string> seen;
    for (Json::ArrayIndex i = 0; i < entries.size(); ++i) {
      Json::Value& e = entries[i];
      std::string id = EntryString(&e, "profileUUID");
      if (!IsSafeFileId(id) || seen.count(id)) {
        if (!e.isObject()) e = MakeEntry("", "");
        id = NewId(list);
        e["profileUUID"] = id;
        changed = true;
        DebugPrintf("ProfileList: entry %u gets the new id %s", i, id.c_str());
      }
      seen.insert(id);
    }
  }
  if (changed) WriteList(list);
  int stored = static_cast<int>(json::Int(json::Peek(&list, "profileselect")));
  int count = static_cast<int>(list["profilelist"].size());
  // A hand-edited selection outside the list selects the first profile.
  if (stored < 0 || stored >= count) stored = 0;
  SelectProfile(stored);
}

std::vector<CProfileList::Entry> CProfileList::ReadEntries() const {
  std::vector<Entry> out;
  if (folder_.empty()) return out;
  Json::Value list = ReadList();
  const Json::Value& entries = list["profilelist"];
  for (Json::ArrayIndex i = 0; i < entries.size(); ++i)
    out.push_back({EntryString(&entries[i], "profilename"), EntryString(&entries[i], "profileUUID")});
  return out;
}

int CProfileList::FindByName(const std::string& name) const {
  auto entries = ReadEntries();
  for (size_t i = 0; i < entries.size(); ++i)
    if (SameNameIgnoringCase(entries[i].name, name)) return static_cast<int>(i);
  return -1;
}

bool CProfileList::SelectProfile(int index) {
  if (folder_.empty()) return false;
  Json::Value list = ReadList();
  const Json::Value* entry = EntryAt(list, index);
  if (!entry) return false;
  selected_ = index;
  selectedUUID_ = EntryString(entry, "profileUUID");
  list["profileselect"] = index;
  WriteList(list);
  return true;
}

int CProfileList::GetProfileCount() const {
  return folder_.empty() ? 0 : static_cast<int>(ReadList()["profilelist"].size());
}

std::string CProfileList::GetProfilePathAt(int index) const {
  if (folder_.empty()) return {};
  Json::Value list = ReadList();
  std::string id = EntryString(EntryAt(list, index), "profileUUID");
  return IsSafeFileId(id) ? folder_ + id + ".Json" : std::string();
}

Json::Value CProfileList::DocumentFor(const Json::Value& list, int index) const {
  const Json::Value* entry = EntryAt(list, index);
  if (!entry) return Json::Value();
  std::string id = EntryString(entry, "profileUUID");
  Json::Value doc = IsSafeFileId(id) ? CJsonFile().ReadDocument(folder_ + id + ".Json") : Json::Value();
  if (!doc.isObject()) doc = Json::Value(Json::objectValue);
  const Json::Value* section = json::PeekAt(json::Peek(&doc, "Device"), 0);
  if (!section || !section->isObject()) {
    Json::Value defaults = ReadDefaultDocument();
    const Json::Value* fallback = json::PeekAt(json::Peek(&defaults, "Device"), 0);
    json::SlotAt(json::Slot(doc, "Device"), 0) = fallback ? *fallback : Json::Value();
  }
  doc["profilename"] = EntryString(entry, "profilename");
  doc["profileUUID"] = id;
  return doc;
}

Json::Value CProfileList::ProfileDocumentAt(int index) const {
  if (folder_.empty()) return Json::Value();
  return DocumentFor(ReadList(), index);
}

int CProfileList::AddProfile() {
  if (folder_.empty()) return -1;
  Json::Value list = ReadList();
  Json::Value& entries = list["profilelist"];
  if (entries.size() >= static_cast<Json::ArrayIndex>(kMaxAddedProfiles)) return -1;
  std::string name;
  for (int n = 1;; ++n) {
    name = "profile" + std::to_string(n);
    if (!NameUsed(list, name)) break;
  }
  std::string id = NewId(list);
  entries.append(MakeEntry(name, id));
  // The new profile is not selected: the stored selection stays with the profile the device
  // is using, so a restart opens the same one.
  if (!WriteList(list)) return -1;
  Json::Value doc = ReadDefaultDocument();
  doc["profilename"] = name;
  doc["profileUUID"] = id;
  jsonFile_.WriteDocument(folder_ + id + ".Json", doc);
  return static_cast<int>(entries.size()) - 1;
}

int CProfileList::CopyProfileAt(int index) {
  if (folder_.empty()) return -1;
  Json::Value list = ReadList();
  const Json::Value* source = EntryAt(list, index);
  if (!source) return -1;
  Json::Value doc = DocumentFor(list, index);
  std::string name = EntryString(source, "profilename");
  do {
    name += " copy";
  } while (NameUsed(list, name));
  std::string id = NewId(list);
  list["profilelist"].append(MakeEntry(name, id));
  if (!WriteList(list)) return -1;
  doc["profilename"] = name;
  doc["profileUUID"] = id;
  jsonFile_.WriteDocument(folder_ + id + ".Json", doc);
  return static_cast<int>(list["profilelist"].size()) - 1;
}

bool CProfileList::DeleteProfileAt(int index) {
  if (folder_.empty()) return false;
  Json::Value list = ReadList();
  Json::Value& entries = list["profilelist"];
  if (!EntryAt(list, index) || entries.size() <= 1) return false;
  std::string id = EntryString(EntryAt(list, index), "profileUUID");
  Json::Value removed;
  entries.removeIndex(static_cast<Json::ArrayIndex>(index), &removed);
  int select = selected_;
  if (index == selected_ || selected_ < 0) select = index == 0 ? 0 : index - 1;
  else if (index < selected_) select = selected_ - 1;
  if (select >= static_cast<int>(entries.size())) select = 0;
  list["profileselect"] = select;
  if (!WriteList(list)) return false;
  // The list no longer names the document; remove it unless another entry still uses the id.
  bool shared = false;
  for (Json::ArrayIndex i = 0; i < entries.size(); ++i)
    shared = shared || EntryString(&entries[i], "profileUUID") == id;
  if (IsSafeFileId(id) && !shared) std::remove((folder_ + id + ".Json").c_str());
  selected_ = select;
  selectedUUID_ = EntryString(EntryAt(list, select), "profileUUID");
  return true;
}

bool CProfileList::ResetProfileAt(int index) {
  if (folder_.empty()) return false;
  Json::Value list = ReadList();
  const Json::Value* entry = EntryAt(list, index);
  if (!entry) return false;
  std::string id = EntryString(entry, "profileUUID");
  if (!IsSafeFileId(id)) return false;
  std::string path = folder_ + id + ".Json";
  Json::Value doc = ReadDefaultDocument();
  doc["profilename"] = EntryString(entry, "profilename");
  doc["profileUUID"] = id;
  if (kind_ == kKindHeadset) {
    // The headset's custom equaliser presets belong to the user, not to the profile's settings.
    Json::Value current = CJsonFile().ReadDocument(path);
    const Json::Value* from = json::PeekAt(json::Peek(&current, "Device"), 0);
    for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
      const Json::Value* v = json::Peek(from, key);
      if (v && !v->isNull()) json::Slot(json::SlotAt(json::Slot(doc, "Device"), 0), key) = *v;
    }
  }
  return jsonFile_.WriteDocument(path, doc) == 0;
}

bool CProfileList::SectionFitsKind(const Json::Value& section, int kind) {
  kind = FoldKind(static_cast<uint16_t>(kind));
  for (const auto& k : ExclusiveMembers()) {
    if (k.kind == kind) continue;
    for (const char* m : k.members)
      if (json::Has(&section, m)) return false;
  }
  if (kind != 1 && kind != 2) {
    for (const char* m : kKeyDeviceMembers)
      if (json::Has(&section, m)) return false;
  }
  return true;
}

CProfileList::ImportResult CProfileList::CheckImport(const std::string& path, Json::Value* out) const {
  Json::Value doc = CJsonFile().ReadDocument(path);
  if (doc.isNull()) return kImportUnreadable;
  if (!doc.isObject() || !json::Has(&doc, "profilename") || !json::Has(&doc, "profileUUID"))
    return kImportNotProfile;
  const Json::Value* section = json::PeekAt(json::Peek(&doc, "Device"), 0);
  if (!section || !section->isObject()) return kImportNotProfile;
  if (kind_ != 0 && !SectionFitsKind(*section, kind_)) return kImportOtherKind;
  if (out) *out = std::move(doc);
  return kImportDone;
}

CProfileList::ImportResult CProfileList::ImportProfile(const std::string& path) {
  if (folder_.empty()) return kImportUnreadable;
  Json::Value doc;
  if (ImportResult r = CheckImport(path, &doc); r != kImportDone) return r;
  Json::Value list = ReadList();
  std::string base = CJsonFile::GetFileTitle(path);
  std::string name = base;
  // "(n)" is appended to what is already there, so a second clash gives "Game(1)(2)".
  for (int n = 1; NameUsed(list, name); ++n) name.append("(").append(std::to_string(n)).append(")");
  std::string id = NewId(list);
  list["profilelist"].append(MakeEntry(name, id));
  if (!WriteList(list)) return kImportUnreadable;
  doc["profilename"] = name;
  doc["profileUUID"] = id;
  jsonFile_.WriteDocument(folder_ + id + ".Json", doc);
  return kImportDone;
}

bool CProfileList::ExportProfileAt(int index, const std::string& path) {
  if (folder_.empty() || path.empty()) return false;
  Json::Value doc = ProfileDocumentAt(index);
  if (doc.isNull()) return false;
  return jsonFile_.WriteDocument(path, doc) == 0;
}

CProfileList::RenameResult CProfileList::RenameProfileAt(int index, const std::string& name) {
  if (folder_.empty()) return kRenameNoProfile;
  Json::Value list = ReadList();
  if (!EntryAt(list, index)) return kRenameNoProfile;
  std::string trimmed = TrimBlanks(name);
  if (trimmed.empty()) return kRenameEmpty;
  if (NameUsed(list, trimmed, index)) return kRenameNameUsed;
  Json::Value doc = DocumentFor(list, index);
  json::Slot(list["profilelist"][static_cast<Json::ArrayIndex>(index)], "profilename") = trimmed;
  if (!WriteList(list)) return kRenameNoProfile;
  std::string id = EntryString(EntryAt(list, index), "profileUUID");
  doc["profilename"] = trimmed;
  if (IsSafeFileId(id)) jsonFile_.WriteDocument(folder_ + id + ".Json", doc);
  return kRenameDone;
}

std::string CProfileList::DocumentPath(const std::string& id) const {
  return IsSafeFileId(id) ? folder_ + id + ".Json" : std::string();
}

}  // namespace orlo
