#pragma once
// The list of named profiles of one device: "ProfileList.ini" in the device data folder (a JSON
// text despite its name) and the profile documents (id + ".Json") it names.
//
//   {"profilelist": [{"profilename", "profileUUID", "profileislink": 0, "profilelinkmame": ""}],
//    "profileselect": index of the selected profile}
//
// This is the data half of the device page's profile control: every operation re-reads the list
// document and writes it back at once, holding the list's lock in between, so that the window
// and the command-line front end can both change it. Names are compared ignoring (ASCII) case.
// Ids come from the file and become file names, so an id that could leave the folder, or one
// that another entry already uses, is replaced by a new one when the list is opened (a shared
// id's document is copied to the new id).
//
// A list or profile document that exists but cannot be read is never written (the operations
// that would write it fail, and the user is told once); one that is no valid document is moved
// aside before a new one takes its place (see CJsonFile).
//
// Not thread-safe: one caller at a time per object.
#include <json/json.h>

#include <functional>
#include <string>
#include <vector>

#include "profile/JsonFile.h"

namespace orlo {

class CFileLock;

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
  // when it is missing, empty or invalid, repairs unusable ids, and selects the stored selection
  // (entry 0 when the stored index is outside the list). False, with nothing selected and
  // nothing written, when the list exists but cannot be read. Also removes the temporary files
  // that saves killed long ago left in the folder.
  bool Init();

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

  // ---- The list document in memory ----------------------------------------------------------
  // The list as every operation uses it: an object with a "profilelist" array (a document of
  // another form becomes an empty list; other root members are kept).
  static Json::Value ShapeList(Json::Value document);
  static std::vector<Entry> EntriesOf(const Json::Value& list);
  // Gives a new id from newId to every entry whose id is no safe file name or repeats an
  // earlier entry's id (an entry that is no object becomes an unnamed entry first). newId must
  // give ids that no entry uses. Returns what was changed, in list order.
  struct IdRepair {
    Json::ArrayIndex index;
    std::string oldId;
    std::string newId;
  };
  static std::vector<IdRepair> RepairIds(Json::Value& list, const std::function<std::string()>& newId);
  // The stored "profileselect", or 0 when it is outside the list.
  static int StoredSelection(const Json::Value& list);

 private:
  Json::Value ReadList() const;  // always an object with a "profilelist" array
  // Reads the list for an operation that writes it; the caller holds lock. False when the list
  // may not be written (it cannot be read or locked).
  bool ReadListForUpdate(const CFileLock& lock, Json::Value& list) const;
  bool WriteList(const Json::Value& list) const;
  // Writes a new profile's document before the list names it; false when it could not be.
  bool WriteNewDocument(const std::string& id, Json::Value doc, const std::string& name) const;
  Json::Value ReadDefaultDocument() const;
  std::string NewId(const Json::Value& list) const;
  bool NameUsed(const Json::Value& list, const std::string& name, int skip = -1) const;
  static Json::Value MakeEntry(const std::string& name, const std::string& uuid);
  // The document of entry index as a driver would load it (see ProfileDocumentAt). False when
  // there is no such entry or its document cannot be read.
  bool DocumentFor(const Json::Value& list, int index, Json::Value& doc) const;
  // Fills doc (as read, or null) into the document of entry: its section from the default
  // document when it has none, and the entry's names.
  void CompleteDocument(Json::Value& doc, const Json::Value& entry) const;

  int kind_ = 0;
  std::string folder_;
  std::string defaultPath_;
  int selected_ = -1;
  std::string selectedUUID_;
  CJsonFile jsonFile_;
};

}  // namespace orlo
