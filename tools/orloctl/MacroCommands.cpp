// orloctl macro …: the macro catalogue and macro files of the mouse or the keyboard, in the same
// folder as the application, without any device attached.

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "CtlCommand.h"
#include "CtlSupport.h"
#include "base/DeviceKinds.h"
#include "macro/MacroCatalogue.h"
#include "macro/MacroFile.h"
#include "platform/Paths.h"
#include "profile/JsonFile.h"
#include "profile/NameRules.h"
#include "profile/ProfileList.h"

namespace orloctl {
namespace {

constexpr const char* kUsage =
    "usage: orloctl macro list|show|add|rename|delete|import|export mouse|keyboard ...";

uint16_t ParseMacroDevice(const std::string& word) {
  const auto family = orlo::FamilyOfWord(word);
  if (!family || orlo::KindWord(*family) != word || (*family != orlo::kKindMouse && *family != orlo::kKindKeyboard))
    throw UsageError{"unknown device '" + word + "' (macros belong to the mouse or the keyboard)"};
  return *family;
}

void Need(const std::vector<std::string>& args, size_t min, size_t max, const char* usage) {
  if (args.size() < min || args.size() > max) throw UsageError{std::string("usage: orloctl macro ") + usage};
}

int FindMacro(const orlo::CMacroCatalogue& catalogue, const std::string& name) {
  const std::vector<std::string> names = catalogue.Names();
  for (size_t i = 0; i < names.size(); ++i)
    if (orlo::SameNameIgnoringCase(names[i], name)) return static_cast<int>(i);
  throw UsageError{"no macro named '" + name + "'"};
}

void CheckNewName(const orlo::CMacroCatalogue& catalogue, const std::string& name) {
  const std::string trimmed = orlo::TrimBlanks(name);
  if (trimmed.empty()) throw UsageError{"a macro name cannot be empty"};
  for (const std::string& other : catalogue.Names())
    if (orlo::SameNameIgnoringCase(other, trimmed)) throw UsageError{"a macro named '" + other + "' exists already"};
}

// Every profile document of the device: a deleted macro's number leaves them all, the selected
// one included (no driver holds it in memory here).
orlo::MacroPurgeTargets PurgeTargets(uint16_t kind, const std::string& folder) {
  orlo::CProfileList list;
  list.SetDeviceKind(kind);
  list.SetPaths(folder, orlo::paths::DefaultDocumentPath(kind));
  orlo::MacroPurgeTargets targets;
  targets.defaultPath = orlo::paths::DefaultDocumentPath(kind);
  for (const auto& entry : list.ReadEntries())
    if (std::string path = list.DocumentPath(entry.uuid); !path.empty()) targets.documents.push_back(path);
  return targets;
}

int Run(const std::vector<std::string>& args) {
  if (args.size() < 3) throw UsageError{kUsage};
  const std::string& verb = args[1];
  const uint16_t kind = ParseMacroDevice(args[2]);
  const std::string folder = orlo::paths::DeviceFolder(kind);
  orlo::CMacroCatalogue catalogue(folder);
  auto ensureFolder = [&] {
    if (!orlo::paths::EnsureFolder(folder)) throw CommandFailure{"cannot create " + folder};
  };

  if (verb == "list") {
    Need(args, 3, 3, "list DEVICE");
    const auto entries = catalogue.LoadCatalogue();
    for (size_t i = 0; i < entries.size(); ++i)
      std::printf("%zu\t%s\t%s\n", i, entries[i].name.c_str(), entries[i].guid.c_str());
    return 0;
  }
  if (verb == "show") {
    Need(args, 4, 4, "show DEVICE NAME");
    const int index = FindMacro(catalogue, args[3]);
    const auto entry = catalogue.LoadCatalogue()[static_cast<size_t>(index)];
    const orlo::CMacroFile file = orlo::CMacroFile::Read(catalogue.MacroPath(entry));
    if (file.tooLong) throw CommandFailure{"the macro's file holds more than 4000 events"};
    PrintJson(orlo::CMacroFile::DocumentOf(entry.name, entry.guid, file.elements));
    return 0;
  }
  if (verb == "add") {
    Need(args, 3, 4, "add DEVICE [NAME]");
    if (args.size() == 4) CheckNewName(catalogue, args[3]);
    if (catalogue.Count() >= orlo::kMacroMaxCount) throw UsageError{"the device has 50 macros already"};
    ensureFolder();
    std::string name = catalogue.NewMacro();
    if (name.empty()) throw CommandFailure{"cannot write " + catalogue.CataloguePath()};
    if (args.size() == 4) {
      if (catalogue.RenameMacro(catalogue.Count() - 1, args[3]) != orlo::CMacroCatalogue::kRenameDone)
        throw CommandFailure{"cannot write " + catalogue.CataloguePath()};
      name = orlo::TrimBlanks(args[3]);
    }
    std::printf("%s\n", name.c_str());
    return 0;
  }
  if (verb == "rename") {
    Need(args, 5, 5, "rename DEVICE NAME NEWNAME");
    const int index = FindMacro(catalogue, args[3]);
    CheckNewName(catalogue, args[4]);
    if (catalogue.RenameMacro(index, args[4]) != orlo::CMacroCatalogue::kRenameDone)
      throw CommandFailure{"cannot write " + catalogue.CataloguePath()};
    return 0;
  }
  if (verb == "delete") {
    Need(args, 4, 4, "delete DEVICE NAME");
    const int index = FindMacro(catalogue, args[3]);
    if (!catalogue.DeleteMacro(index, PurgeTargets(kind, folder)))
      throw CommandFailure{"cannot write " + catalogue.CataloguePath() + "; nothing was changed"};
    return 0;
  }
  if (verb == "import") {
    Need(args, 4, 4, "import DEVICE FILE");
    orlo::CJsonFile::ReadResult read = orlo::CJsonFile().Read(args[3]);
    const Json::Value* events = read.document.isObject() ? &read.document["Events"] : nullptr;
    if (events == nullptr || !events->isArray()) throw UsageError{"cannot read " + args[3] + " as a macro file"};
    if (events->size() > static_cast<Json::ArrayIndex>(orlo::kMacroMaxEvents))
      throw UsageError{args[3] + " holds " + std::to_string(events->size()) +
                       " events, more than the 4000 a macro may hold; refused"};
    if (catalogue.Count() >= orlo::kMacroMaxCount) throw UsageError{"the device has 50 macros already"};
    ensureFolder();
    const std::string name = catalogue.ImportMacro(args[3]);
    if (name.empty()) throw CommandFailure{"cannot import " + args[3]};
    std::printf("%s\n", name.c_str());
    return 0;
  }
  if (verb == "export") {
    Need(args, 5, 5, "export DEVICE NAME FILE");
    const int index = FindMacro(catalogue, args[3]);
    std::error_code ec;
    if (args[4].empty() || std::filesystem::is_directory(args[4], ec)) throw UsageError{"cannot write " + args[4]};
    if (!catalogue.ExportMacro(index, args[4])) throw CommandFailure{"cannot write " + args[4]};
    return 0;
  }
  throw UsageError{"unknown macro command '" + verb + "' (see orloctl --help)"};
}

const CtlCommand kMacro{{
    "macro", "Macro",
    "  orloctl macro list DEVICE                 — macro numbers, names and ids (DEVICE: mouse or keyboard)\n"
    "  orloctl macro show DEVICE NAME            — the macro file as JSON (events this version cannot\n"
    "                                              play are listed as they are stored)\n"
    "  orloctl macro add DEVICE [NAME]           — new empty macro (macro_N unless NAME)\n"
    "  orloctl macro rename DEVICE NAME NEWNAME  — rename a macro\n"
    "  orloctl macro delete DEVICE NAME          — delete a macro; keys assigned to it return to their\n"
    "                                              defaults and later macro numbers move down by one in\n"
    "                                              every profile of the device\n"
    "  orloctl macro import DEVICE FILE          — add the macro file FILE (.mac); more than 4000\n"
    "                                              events are refused\n"
    "  orloctl macro export DEVICE NAME FILE     — copy the macro's file to FILE unchanged\n"
    "  Macros live in $XDG_DATA_HOME/Tavrin ORLO/<mouse|keyboard>/macro.config and <id>.mac.\n",
    [](const GlobalOptions&, const std::vector<std::string>& args) {
      return Guarded([&] { return Run(args); });
    }}};

}  // namespace
}  // namespace orloctl
