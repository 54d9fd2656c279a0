#pragma once
// The list of named profiles of one device: "ProfileList.ini" in the device data folder (a JSON
// text despite its name) and the profile documents (id + ".Json") it names.
//
//   {"profilelist": [{"profilename", "profileUUID", "profileislink": 0, "profilelinkmame": ""}],
//    "profileselect": index of the selected profile}
//
// This is the data half of the device page's profile control: every operation re-reads the list
// document and writes it back at once. Names are compared ignoring (ASCII) case. Ids come from
// the file and become file names, so an id that could leave the folder, or one that another
// entry already uses, is replaced by a new one when the list is opened.
//
// Not thread-safe: one caller at a time.
#include <json/json.h>

#include <string>
#include <vector>

#include "profile/JsonFile.h"

namespace orlo {

class CProfileList {
 public:
  struct Entry {
    std::string name;  // "profilename"
    std::string uuid;  // "profileUUID"
  };

  enum RenameResult { kRenameNameUsed = 0, kRenameDone = 1, kRenameEmpty = 2, kRenameNoProfile = -1 };
  enum ImportResult {
    kImportDone = 1,
    kImportUnreadable = -1,   // missing, empty or not JSON
    kImportNotProfile = -2,   // no "profilename"/"profileUUID", or no device section
    kImportOtherKind = -3,    // the device section belongs to another device kind
  };

  static constexpr int kMaxAddedProfiles = 50;

  // Device kind as the catalogue gives it (1 keyboard, 2 mouse, 3 mousepad, 7 headset; the
  // receiver kinds 9 and 6 count as keyboard and mouse).
  void SetDeviceKind(int kind);
  int GetDeviceKind() const { return kind_; }
  void SetPaths(const std::string& deviceFolder, const std::string& defaultDocumentPath);
  const std::string& Folder() const { return folder_; }
  std::string ListPath() const;

  // Opens the list: creates it with one profile "profile1" (a copy of the default document)
  // when it is missing or empty, repairs unusable ids, and selects the stored selection (entry
  // 0 when the stored index is outside the list).
  void Init();

  // The entries as stored, without writing anything. Empty when the list is missing.
  std::vector<Entry> ReadEntries() const;
  // Index of the entry whose name equals name ignoring case, or -1.
  int FindByName(const std::string& name) const;

  // The current selection, -1 before Init.
  int GetSelectedIndex() const { return selected_; }
  std::string GetSelectedUUID() const { return selectedUUID_; }
  // Selects entry index and stores it as "profileselect". False for an index outside the list.
  bool SelectProfile(int index);
  int GetProfileCount() const;
  // folder + id + ".Json"; empty for an index outside the list or an unusable id.
  // The document of profile `id` in the device folder; empty for an id that is no safe file name.
  // The one place where a profile id becomes a path.
  std::string DocumentPath(const std::string& id) const;
  std::string GetProfilePathAt(int index) const;

  // Appends "profileN" (smallest N no name uses), its document a copy of the default document.
  // The selection does not change. Returns the new index, or -1 when 50 profiles exist.
  int AddProfile();
  // Appends a copy of the selected (or given) profile named "<name> copy" (" copy" repeated
  // until the name is free). Returns the new index or -1.
  int CopyProfile() { return CopyProfileAt(selected_); }
  int CopyProfileAt(int index);
  // Removes the selected (or given) profile and its document; refused when it is the last one.
  // The selection moves to the previous entry when the selected one is removed.
  bool DeleteProfile() { return DeleteProfileAt(selected_); }
  bool DeleteProfileAt(int index);
  // Rewrites the profile's document from the default document, keeping its name and id (and a
  // headset's custom equaliser presets).
  bool ResetProfile() { return ResetProfileAt(selected_); }
  bool ResetProfileAt(int index);
  // Adds the profile document at path under its file title ("(N)" appended while the name is
  // used) and a new id. Nothing is written unless the result is kImportDone.
  ImportResult ImportProfile(const std::string& path);
  // Checks path as ImportProfile does; on success doc receives the parsed document.
  ImportResult CheckImport(const std::string& path, Json::Value* doc = nullptr) const;
  // Writes the selected (or given) profile's document to path.
  bool ExportProfile(const std::string& path) { return ExportProfileAt(selected_, path); }
  bool ExportProfileAt(int index, const std::string& path);
  // Renames the selected (or given) profile; the name is trimmed of blanks at both ends.
  RenameResult RenameProfile(const std::string& name) { return RenameProfileAt(selected_, name); }
  RenameResult RenameProfileAt(int index, const std::string& name);

  // The document of entry index as a driver would load it: when the file is missing or has no
  // device section, the section is taken from the default document (other root members kept)
  // and the names set. A null value for an index outside the list.
  Json::Value ProfileDocumentAt(int index) const;

  // True when section holds no member that only another device kind stores.
  static bool SectionFitsKind(const Json::Value& section, int kind);

 private:
  Json::Value ReadList() const;  // always an object with a "profilelist" array
  bool WriteList(const Json::Value& list) const;
  Json::Value ReadDefaultDocument() const;
  std::string NewId(const Json::Value& list) const;
  bool NameUsed(const Json::Value& list, const std::string& name, int skip = -1) const;
  static Json::Value MakeEntry(const std::string& name, const std::string& uuid);
  Json::Value DocumentFor(const Json::Value& list, int index) const;

  int kind_ = 0;
  std::string folder_;
  std::string defaultPath_;
  int selected_ = -1;
  std::string selectedUUID_;
  CJsonFile jsonFile_;
};

}  // namespace orlo
