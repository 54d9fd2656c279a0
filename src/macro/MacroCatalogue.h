#pragma once
// The macros of one device: the catalogue "macro.config" ({"MacroInfo": [{"MacroName", "Guid"}]})
// and one file per macro, folder + Guid + ".mac". A macro's number is its position in
// "MacroInfo"; key assignments refer to macros by that number.
//
// Every operation re-reads the catalogue and writes it back at once; there is no pending state.
// With an empty folder nothing happens.
#include <functional>
#include <string>
#include <vector>

#include "macro/MacroEvent.h"
#include "macro/MacroFile.h"

namespace orlo {

// Profiles whose key assignments must follow when a macro is deleted: the documents of the
// device's profiles other than the selected one (its driver fixes that one in memory) and the
// device's default document.
struct MacroPurgeTargets {
  std::vector<std::string> documents;
  std::string defaultPath;
};

struct MacroEntry {
  std::string name;  // "MacroName"
  std::string guid;  // "Guid": identity and file base name
};

class CMacroCatalogue {
 public:
  enum RenameResult { kRenameDone = 1, kRenameNameUsed = 0, kRenameEmpty = 2, kRenameNoMacro = -1 };

  // Writes one JSON document whole; true when written.
  using DocumentWriter = std::function<bool(const std::string& path, const Json::Value& document)>;

  explicit CMacroCatalogue(std::string deviceFolder = {});
  // Replaces how "macro.config" is written (the default: an atomic write of the whole file).
  void SetCatalogueWriter(DocumentWriter writer) { writer_ = std::move(writer); }
  void SetFolder(std::string deviceFolder);
  const std::string& Folder() const { return folder_; }
  std::string CataloguePath() const;

  // The catalogue in list order. An element that is not an object keeps its place (numbers
  // must not shift) with an empty name and identity.
  std::vector<MacroEntry> LoadCatalogue() const;
  std::vector<std::string> Names() const;
  int Count() const;

  // folder + Guid + ".mac", or empty when the identity could escape the folder.
  std::string MacroPath(const MacroEntry& entry) const;

  // Appends "macro_N" (smallest N no name uses, ignoring case) with a new identity and returns
  // the name; empty when 50 macros exist. Only the catalogue entry is created; the file comes
  // with the first save or import.
  std::string NewMacro();
  // Removes entry index and its file (unless another entry shares the identity). Once the
  // catalogue is written, the macro assignments in the purge targets are brought in step
  // (assignments of this macro return to the key's default, later macros move down by one);
  // when the write fails nothing is renumbered, so every profile still names the right macros.
  // False for an index outside the catalogue or a failed write.
  bool DeleteMacro(int index, const MacroPurgeTargets& purge = {});
  // Name trimmed of blanks at both ends; refused when empty or equal, ignoring case, to any
  // macro's name (its own included).
  RenameResult RenameMacro(int index, const std::string& name);
  // The events of macro index; empty for an unreadable file or a bad index.
  CMacroFile ShowMacro(int index) const;
  // Writes the macro file from the catalogue name and identity and the events. False for a bad
  // index, an unsafe identity, more than 4000 events, or a failed write.
  bool SaveMacro(int index, const std::vector<MacroEvent>& events);
  // The same from the editor's rows: each element is written as it is (an event this version
  // cannot show is carried), its "Delay" as a decimal string.
  bool SaveMacroElements(int index, const std::vector<Json::Value>& elements);
  // Copies the macro's file unchanged to path.
  bool ExportMacro(int index, const std::string& path) const;
  // Adds a new macro whose file is an unchanged copy of the file at path and returns its name.
  // Empty (and nothing written) for an empty path, a file that is not a macro document, a file
  // of more than 4000 events, or a full catalogue.
  std::string ImportMacro(const std::string& path);

 private:
  Json::Value ReadCatalogueDocument() const;
  bool WriteCatalogueDocument(const Json::Value& doc) const;

  std::string folder_;
  DocumentWriter writer_;
};

}  // namespace orlo
