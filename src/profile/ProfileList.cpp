#include "profile/ProfileList.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <set>
#include <system_error>

#include "platform/DebugLog.h"
#include "platform/FileLock.h"
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

Json::Value CProfileList::ShapeList(Json::Value list) {
  if (!list.isObject()) list = Json::Value(Json::objectValue);
  if (!list["profilelist"].isArray()) list["profilelist"] = Json::Value(Json::arrayValue);
  return list;
}

std::vector<CProfileList::Entry> CProfileList::EntriesOf(const Json::Value& list) {
  std::vector<Entry> out;
  const Json::Value* entries = json::Peek(&list, "profilelist");
  for (Json::ArrayIndex i = 0; i < json::Size(entries); ++i)
    out.push_back({EntryString(&(*entries)[i], "profilename"), EntryString(&(*entries)[i], "profileUUID")});
  return out;
}

std::vector<CProfileList::IdRepair> CProfileList::RepairIds(Json::Value& list,
                                                            const std::function<std::string()>& newId) {
  std::vector<IdRepair> repairs;
  const Json::Value* shaped = json::Peek(&list, "profilelist");
  if (!shaped || !shaped->isArray()) return repairs;
  Json::Value& entries = list["profilelist"];
  std::set<std::string> seen;
  for (Json::ArrayIndex i = 0; i < entries.size(); ++i) {
    Json::Value& e = entries[i];
    std::string id = EntryString(&e, "profileUUID");
    if (!IsSafeFileId(id) || seen.count(id)) {
      if (!e.isObject()) e = MakeEntry("", "");
      std::string fresh = newId();
      e["profileUUID"] = fresh;
      repairs.push_back({i, id, fresh});
      id = fresh;
    }
    seen.insert(id);
  }
  return repairs;
}

int CProfileList::StoredSelection(const Json::Value& list) {
  int64_t stored = json::Int(json::Peek(&list, "profileselect"));
  int64_t count = json::Size(json::Peek(&list, "profilelist"));
  // A hand-edited selection outside the list selects the first profile.
  return stored < 0 || stored >= count ? 0 : static_cast<int>(stored);
}

Json::Value CProfileList::ReadList() const {
  CJsonFile::ReadResult read = jsonFile_.Read(ListPath());
  if (read.status == CJsonFile::ReadStatus::kUnreadable) CJsonFile::TellUnreadable(ListPath(), read.error);
  return ShapeList(std::move(read.document));
}

bool CProfileList::ReadListForUpdate(const CFileLock& lock, Json::Value& list) const {
  Json::Value doc;
  if (!CJsonFile::Locked(lock, ListPath()) || !jsonFile_.ReadForRewrite(ListPath(), doc)) return false;
  list = ShapeList(std::move(doc));
  return true;
}

bool CProfileList::WriteList(const Json::Value& list) const {
  return jsonFile_.WriteDocument(ListPath(), list) == 0;
}

Json::Value CProfileList::ReadDefaultDocument() const {
  Json::Value doc = CJsonFile().ReadDocument(defaultPath_);
  return doc.isObject() ? doc : Json::Value(Json::objectValue);
}

bool CProfileList::WriteNewDocument(const std::string& id, Json::Value doc, const std::string& name) const {
  doc["profilename"] = name;
  doc["profileUUID"] = id;
  return jsonFile_.WriteDocument(DocumentPath(id), doc) == 0;
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
    return std::filesystem::exists(DocumentPath(id), ec);
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

bool CProfileList::Init() {
  selected_ = -1;
  selectedUUID_.clear();
  if (folder_.empty()) return false;
  CJsonFile::RemoveStaleTemporaries(folder_, std::chrono::system_clock::now());
  CFileLock lock(ListPath());
  Json::Value list;
  if (!ReadListForUpdate(lock, list)) return false;
  bool changed = false;
  if (list["profilelist"].empty()) {
    list = ShapeList(Json::Value());
    std::string id = NewId(list);
    WriteNewDocument(id, ReadDefaultDocument(), "profile1");
    list["profilelist"].append(MakeEntry("profile1", id));
    changed = true;
  } else {
    // Ids become file names and deleting a profile deletes its file: an id that could leave the
    // folder, or one another entry already uses, gets a new one. A shared id's document is
    // copied to the new id, so that profile keeps its settings; any other new id's document is
    // created from the default document when the profile is loaded.
    for (const IdRepair& r : RepairIds(list, [&] { return NewId(list); })) {
      DebugPrintf("ProfileList: entry %u gets the new id %s", r.index, r.newId.c_str());
      changed = true;
      if (!IsSafeFileId(r.oldId)) continue;
      CJsonFile::ReadResult shared = jsonFile_.Read(DocumentPath(r.oldId));
      if (shared.status == CJsonFile::ReadStatus::kOk && shared.document.isObject())
        WriteNewDocument(r.newId, shared.document, EntryString(&list["profilelist"][r.index], "profilename"));
    }
  }
  const int stored = StoredSelection(list);
  if (list["profileselect"] != Json::Value(stored)) {
    list["profileselect"] = stored;
    changed = true;
  }
  if (changed && !WriteList(list)) DebugPrintf("ProfileList: cannot write %s", ListPath().c_str());
  selected_ = stored;
  selectedUUID_ = EntryString(EntryAt(list, stored), "profileUUID");
  return true;
}

std::vector<CProfileList::Entry> CProfileList::ReadEntries() const {
  if (folder_.empty()) return {};
  return EntriesOf(ReadList());
}

int CProfileList::FindByName(const std::string& name) const {
  auto entries = ReadEntries();
  for (size_t i = 0; i < entries.size(); ++i)
    if (SameNameIgnoringCase(entries[i].name, name)) return static_cast<int>(i);
  return -1;
}

bool CProfileList::SelectProfile(int index) {
  if (folder_.empty()) return false;
  CFileLock lock(ListPath());
  Json::Value list;
  if (!ReadListForUpdate(lock, list)) return false;
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
  return IsSafeFileId(id) ? DocumentPath(id) : std::string();
}

void CProfileList::CompleteDocument(Json::Value& doc, const Json::Value& entry) const {
  if (!doc.isObject()) doc = Json::Value(Json::objectValue);
  const Json::Value* section = json::PeekAt(json::Peek(&doc, "Device"), 0);
  if (!section || !section->isObject()) {
    Json::Value defaults = ReadDefaultDocument();
    const Json::Value* fallback = json::PeekAt(json::Peek(&defaults, "Device"), 0);
    json::SlotAt(json::Slot(doc, "Device"), 0) = fallback ? *fallback : Json::Value();
  }
  doc["profilename"] = EntryString(&entry, "profilename");
  doc["profileUUID"] = EntryString(&entry, "profileUUID");
}

bool CProfileList::DocumentFor(const Json::Value& list, int index, Json::Value& doc) const {
  const Json::Value* entry = EntryAt(list, index);
  if (!entry) return false;
  std::string id = EntryString(entry, "profileUUID");
  doc = Json::Value();
  if (IsSafeFileId(id)) {
    CJsonFile::ReadResult read = jsonFile_.Read(DocumentPath(id));
    if (read.status == CJsonFile::ReadStatus::kUnreadable) {
      CJsonFile::TellUnreadable(DocumentPath(id), read.error);
      return false;
    }
    doc = std::move(read.document);
  }
  CompleteDocument(doc, *entry);
  return true;
}

Json::Value CProfileList::ProfileDocumentAt(int index) const {
  Json::Value doc;
  if (folder_.empty() || !DocumentFor(ReadList(), index, doc)) return Json::Value();
  return doc;
}

int CProfileList::AddProfile() {
  if (folder_.empty()) return -1;
  CFileLock lock(ListPath());
  Json::Value list;
  if (!ReadListForUpdate(lock, list)) return -1;
  Json::Value& entries = list["profilelist"];
  if (entries.size() >= static_cast<Json::ArrayIndex>(kMaxAddedProfiles)) return -1;
  std::string name;
  for (int n = 1;; ++n) {
    name = "profile" + std::to_string(n);
    if (!NameUsed(list, name)) break;
  }
  std::string id = NewId(list);
  // The document first: a list that names a profile always finds its settings.
  if (!WriteNewDocument(id, ReadDefaultDocument(), name)) return -1;
  entries.append(MakeEntry(name, id));
  // The new profile is not selected: the stored selection stays with the profile the device
  // is using, so a restart opens the same one.
  if (!WriteList(list)) {
    std::remove(DocumentPath(id).c_str());
    return -1;
  }
  return static_cast<int>(entries.size()) - 1;
}

int CProfileList::CopyProfileAt(int index) {
  if (folder_.empty()) return -1;
  CFileLock lock(ListPath());
  Json::Value list;
  Json::Value doc;
  if (!ReadListForUpdate(lock, list) || !DocumentFor(list, index, doc)) return -1;
  std::string name = EntryString(EntryAt(list, index), "profilename");
  do {
    name += " copy";
  } while (NameUsed(list, name));
  std::string id = NewId(list);
  if (!WriteNewDocument(id, doc, name)) return -1;
  list["profilelist"].append(MakeEntry(name, id));
  if (!WriteList(list)) {
    std::remove(DocumentPath(id).c_str());
    return -1;
  }
  return static_cast<int>(list["profilelist"].size()) - 1;
}

bool CProfileList::DeleteProfileAt(int index) {
  if (folder_.empty()) return false;
  CFileLock lock(ListPath());
  Json::Value list;
  if (!ReadListForUpdate(lock, list)) return false;
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
  if (IsSafeFileId(id) && !shared) std::remove(DocumentPath(id).c_str());
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
  Json::Value defaults = ReadDefaultDocument();
  defaults["profilename"] = EntryString(entry, "profilename");
  defaults["profileUUID"] = id;
  return jsonFile_.UpdateDocument(DocumentPath(id), [&](Json::Value& doc) {
    if (kind_ == kKindHeadset) {
      // The headset's custom equaliser presets belong to the user, not to the profile's settings.
      const Json::Value* from = json::PeekAt(json::Peek(&doc, "Device"), 0);
      for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
        const Json::Value* v = json::Peek(from, key);
        if (v && !v->isNull()) json::Slot(json::SlotAt(json::Slot(defaults, "Device"), 0), key) = *v;
      }
    }
    doc = std::move(defaults);
    return true;
  }) == 0;
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
  CFileLock lock(ListPath());
  Json::Value list;
  if (!ReadListForUpdate(lock, list)) return kImportUnreadable;
  std::string base = CJsonFile::GetFileTitle(path);
  std::string name = base;
  // "(n)" is appended to what is already there, so a second clash gives "Game(1)(2)".
  for (int n = 1; NameUsed(list, name); ++n) name.append("(").append(std::to_string(n)).append(")");
  std::string id = NewId(list);
  if (!WriteNewDocument(id, doc, name)) return kImportUnreadable;
  list["profilelist"].append(MakeEntry(name, id));
  if (!WriteList(list)) {
    std::remove(DocumentPath(id).c_str());
    return kImportUnreadable;
  }
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
  CFileLock lock(ListPath());
  Json::Value list;
  if (!ReadListForUpdate(lock, list) || !EntryAt(list, index)) return kRenameNoProfile;
  std::string trimmed = TrimBlanks(name);
  if (trimmed.empty()) return kRenameEmpty;
  if (NameUsed(list, trimmed, index)) return kRenameNameUsed;
  Json::Value& entry = list["profilelist"][static_cast<Json::ArrayIndex>(index)];
  json::Slot(entry, "profilename") = trimmed;
  if (!WriteList(list)) return kRenameNoProfile;
  // The list holds the name; the document carries it too, for export. A document that cannot
  // be read keeps its old name rather than being replaced.
  std::string id = EntryString(&entry, "profileUUID");
  if (IsSafeFileId(id)) {
    jsonFile_.UpdateDocument(DocumentPath(id), [&](Json::Value& doc) {
      CompleteDocument(doc, entry);
      return true;
    });
  }
  return kRenameDone;
}

std::string CProfileList::DocumentPath(const std::string& id) const {
  return IsSafeFileId(id) ? folder_ + id + ".Json" : std::string();
}

}  // namespace orlo
