#include "macro/MacroCatalogue.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "platform/DebugLog.h"
#include "profile/BasicProfiledata.h"
#include "profile/FileId.h"
#include "profile/JsonAccess.h"
#include "profile/JsonFile.h"
#include "profile/NameRules.h"

namespace orlo {
namespace {

// A macro file is a few hundred kilobytes at most (4000 events); anything far larger is not one.
constexpr std::uintmax_t kMaxImportBytes = 8u << 20;

bool ReadRawFile(const std::string& path, std::string& out) {
  std::error_code ec;
  auto size = std::filesystem::file_size(path, ec);
  if (ec || size > kMaxImportBytes) return false;
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

// Same guarantee as the document writer: the target is either the old file or the whole new one.
bool WriteRawFileAtomic(const std::string& path, const std::string& bytes) {
  std::string tmp = path + ".tmpXXXXXX";
  int fd = ::mkstemp(tmp.data());
  if (fd < 0) return false;
  bool ok = true;
  size_t done = 0;
  while (ok && done < bytes.size()) {
    ssize_t w = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (w < 0 && errno == EINTR) continue;
    if (w <= 0) ok = false; else done += static_cast<size_t>(w);
  }
  ok = ok && ::fchmod(fd, 0644) == 0 && ::fsync(fd) == 0;
  ok = (::close(fd) == 0) && ok;
  if (ok && std::rename(tmp.c_str(), path.c_str()) == 0) return true;
  ::unlink(tmp.c_str());
  return false;
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path, ec);
}

}  // namespace

CMacroCatalogue::CMacroCatalogue(std::string deviceFolder) { SetFolder(std::move(deviceFolder)); }

void CMacroCatalogue::SetFolder(std::string deviceFolder) {
  if (!deviceFolder.empty() && deviceFolder.back() != '/') deviceFolder += '/';
  folder_ = std::move(deviceFolder);
}

std::string CMacroCatalogue::CataloguePath() const {
  return folder_.empty() ? std::string() : folder_ + "macro.config";
}

Json::Value CMacroCatalogue::ReadCatalogueDocument() const {
  if (folder_.empty()) return Json::Value();
  Json::Value doc = CJsonFile().ReadDocument(CataloguePath());
  // A catalogue that is not an object holds no macros; the next write replaces it.
  if (!doc.isObject()) doc = Json::Value(Json::objectValue);
  if (!doc["MacroInfo"].isArray()) doc["MacroInfo"] = Json::Value(Json::arrayValue);
  return doc;
}

bool CMacroCatalogue::WriteCatalogueDocument(const Json::Value& doc) const {
  if (folder_.empty()) return false;
  if (writer_) return writer_(CataloguePath(), doc);
  return CJsonFile().WriteDocument(CataloguePath(), doc) == 0;
}

std::vector<MacroEntry> CMacroCatalogue::LoadCatalogue() const {
  std::vector<MacroEntry> list;
  if (folder_.empty()) return list;
  Json::Value doc = ReadCatalogueDocument();
  const Json::Value& info = doc["MacroInfo"];
  for (Json::ArrayIndex i = 0; i < info.size(); ++i) {
    const Json::Value* e = &info[i];
    list.push_back({json::String(json::Peek(e, "MacroName")), json::String(json::Peek(e, "Guid"))});
  }
  return list;
}

std::vector<std::string> CMacroCatalogue::Names() const {
  std::vector<std::string> names;
  for (auto& e : LoadCatalogue()) names.push_back(e.name);
  return names;
}

int CMacroCatalogue::Count() const { return static_cast<int>(LoadCatalogue().size()); }

std::string CMacroCatalogue::MacroPath(const MacroEntry& entry) const {
  if (folder_.empty() || !IsSafeFileId(entry.guid)) return {};
  return folder_ + entry.guid + ".mac";
}

std::string CMacroCatalogue::NewMacro() {
  if (folder_.empty()) return {};
  Json::Value doc = ReadCatalogueDocument();
  Json::Value& info = doc["MacroInfo"];
  if (info.size() >= static_cast<Json::ArrayIndex>(kMacroMaxCount)) return {};
  auto nameTaken = [&](const std::string& name) {
    for (Json::ArrayIndex i = 0; i < info.size(); ++i)
      if (SameNameIgnoringCase(json::String(json::Peek(&info[i], "MacroName")), name)) return true;
    return false;
  };
  std::string name;
  for (int n = 1;; ++n) {
    name = "macro_" + std::to_string(n);
    if (!nameTaken(name)) break;
  }
  std::string guid = CJsonFile::MakeUniqueTimeStamp([&](const std::string& id) {
    for (Json::ArrayIndex i = 0; i < info.size(); ++i)
      if (json::String(json::Peek(&info[i], "Guid")) == id) return true;
    return FileExists(folder_ + id + ".mac");
  });
  Json::Value entry(Json::objectValue);
  entry["MacroName"] = name;
  entry["Guid"] = guid;
  info.append(entry);
  if (!WriteCatalogueDocument(doc)) return {};
  return name;
}

bool CMacroCatalogue::DeleteMacro(int index, const MacroPurgeTargets& purge) {
  if (folder_.empty()) return false;
  Json::Value doc = ReadCatalogueDocument();
  Json::Value& info = doc["MacroInfo"];
  if (index < 0 || static_cast<Json::ArrayIndex>(index) >= info.size()) return false;
  MacroEntry gone{json::String(json::Peek(&info[index], "MacroName")),
                  json::String(json::Peek(&info[index], "Guid"))};
  Json::Value removed;
  info.removeIndex(static_cast<Json::ArrayIndex>(index), &removed);
  if (!WriteCatalogueDocument(doc)) return false;
  // Assignments name macros by number: they follow only once the numbers have shifted on disk.
  if (!purge.documents.empty()) PurgeMacroFromProfiles(purge.documents, index, purge.defaultPath);
  // A hand-edited catalogue may name one file twice; the other entry still needs it.
  bool shared = false;
  for (Json::ArrayIndex i = 0; i < info.size(); ++i)
    shared = shared || json::String(json::Peek(&info[i], "Guid")) == gone.guid;
  if (std::string path = MacroPath(gone); !path.empty() && !shared) std::remove(path.c_str());
  return true;
}

CMacroCatalogue::RenameResult CMacroCatalogue::RenameMacro(int index, const std::string& name) {
  if (folder_.empty()) return kRenameNoMacro;
  Json::Value doc = ReadCatalogueDocument();
  Json::Value& info = doc["MacroInfo"];
  if (index < 0 || static_cast<Json::ArrayIndex>(index) >= info.size()) return kRenameNoMacro;
  std::string trimmed = TrimBlanks(name);
  if (trimmed.empty()) return kRenameEmpty;
  for (Json::ArrayIndex i = 0; i < info.size(); ++i)
    if (SameNameIgnoringCase(json::String(json::Peek(&info[i], "MacroName")), trimmed)) return kRenameNameUsed;
  json::Slot(info[static_cast<Json::ArrayIndex>(index)], "MacroName") = trimmed;
  return WriteCatalogueDocument(doc) ? kRenameDone : kRenameNoMacro;
}

CMacroFile CMacroCatalogue::ShowMacro(int index) const {
  auto list = LoadCatalogue();
  if (index < 0 || static_cast<size_t>(index) >= list.size()) return {};
  std::string path = MacroPath(list[static_cast<size_t>(index)]);
  return path.empty() ? CMacroFile() : CMacroFile::Read(path);
}

bool CMacroCatalogue::SaveMacro(int index, const std::vector<MacroEvent>& events) {
  std::vector<Json::Value> elements;
  elements.reserve(events.size());
  for (const MacroEvent& e : events) elements.push_back(MacroEventToJson(e));
  return SaveMacroElements(index, elements);
}

bool CMacroCatalogue::SaveMacroElements(int index, const std::vector<Json::Value>& elements) {
  auto list = LoadCatalogue();
  if (index < 0 || static_cast<size_t>(index) >= list.size()) return false;
  if (elements.size() > static_cast<size_t>(kMacroMaxEvents)) return false;
  const MacroEntry& entry = list[static_cast<size_t>(index)];
  std::string path = MacroPath(entry);
  if (path.empty()) return false;
  return CJsonFile().WriteDocument(path, CMacroFile::DocumentOf(entry.name, entry.guid, elements)) == 0;
}

bool CMacroCatalogue::ExportMacro(int index, const std::string& path) const {
  auto list = LoadCatalogue();
  if (path.empty() || index < 0 || static_cast<size_t>(index) >= list.size()) return false;
  std::string source = MacroPath(list[static_cast<size_t>(index)]);
  std::string bytes;
  if (source.empty() || !ReadRawFile(source, bytes)) return false;
  return WriteRawFileAtomic(path, bytes);
}

std::string CMacroCatalogue::ImportMacro(const std::string& path) {
  if (path.empty() || folder_.empty()) return {};
  std::string bytes;
  if (!ReadRawFile(path, bytes)) {
    DebugPrintf("ImportMacro: cannot read %s", path.c_str());
    return {};
  }
  // Checked before anything is created: a file that is not a macro adds no catalogue entry.
  Json::Value doc = CJsonFile().ReadDocument(path);
  if (!doc.isObject() || !json::Peek(&doc, "Events") || !json::Peek(&doc, "Events")->isArray()) {
    DebugPrintf("ImportMacro: %s is not a macro file", path.c_str());
    return {};
  }
  if (CMacroFile::FromDocument(doc).tooLong) {
    DebugPrintf("ImportMacro: %s holds more than %d events", path.c_str(), kMacroMaxEvents);
    return {};
  }
  std::string name = NewMacro();
  if (name.empty()) return {};
  auto list = LoadCatalogue();
  std::string target = list.empty() ? std::string() : MacroPath(list.back());
  if (target.empty() || !WriteRawFileAtomic(target, bytes)) {
    DeleteMacro(static_cast<int>(list.size()) - 1);
    return {};
  }
  return name;
}

}  // namespace orlo
