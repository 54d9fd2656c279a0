// orloctl profile …: the profile lists and documents of each device kind, in the same folders as
// the application, without any device attached.
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "CtlCommand.h"
#include "CtlSupport.h"
#include "base/DeviceKinds.h"
#include "platform/Paths.h"
#include "profile/BasicProfiledata.h"
#include "profile/JsonFile.h"
#include "profile/NameRules.h"
#include "profile/ProfileList.h"

namespace orloctl {
namespace {

struct DeviceFolder {
  std::string word;  // as the messages name it
  uint16_t kind;
};

DeviceFolder ParseDevice(const std::string& word) {
  // The profiles belong to the device, whichever way it is connected: the family words only.
  const auto family = orlo::FamilyOfWord(word);
  if (!family || orlo::KindWord(*family) != word)
    throw UsageError{"unknown device '" + word + "' (mouse, keyboard, mousepad or headset)"};
  return {orlo::KindWord(*family), *family};
}

void Need(const std::vector<std::string>& args, size_t min, size_t max, const char* usage) {
  if (args.size() < min || args.size() > max) throw UsageError{std::string("usage: orloctl profile ") + usage};
}

// A profile list over the device's folder. The folder is created only by Open, so that input
// refused before then leaves the disk untouched. A list that exists but cannot be read fails
// every command at once (exit 1) and is left as it is.
class Session {
 public:
  explicit Session(const DeviceFolder& device) : device_(device) {
    folder_ = orlo::paths::DeviceFolder(device.kind);
    defaultPath_ = orlo::paths::DefaultDocumentPath(device.kind);
    list_.SetDeviceKind(device.kind);
    list_.SetPaths(folder_, defaultPath_);
    orlo::CJsonFile::ReadResult read = orlo::CJsonFile().Read(list_.ListPath());
    if (read.status == orlo::CJsonFile::ReadStatus::kUnreadable)
      throw CommandFailure{"cannot read '" + list_.ListPath() + "' (" + std::strerror(read.error) +
                           "); it is left as it is"};
  }

  // The names as the list will show them once opened: a missing or empty list opens as the one
  // profile "profile1".
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (auto& e : list_.ReadEntries()) names.push_back(e.name);
    if (names.empty()) names.push_back("profile1");
    return names;
  }
  int Find(const std::string& name) const {
    auto names = Names();
    for (size_t i = 0; i < names.size(); ++i)
      if (orlo::SameNameIgnoringCase(names[i], name)) return static_cast<int>(i);
    throw UsageError{std::string("no ") + device_.word + " profile named '" + name + "'"};
  }
  // The named profile, or the stored selection when name is empty.
  int FindOrSelected(const std::string& name) const {
    if (!name.empty()) return Find(name);
    return -1;
  }

  orlo::CProfileList& Open() {
    if (!orlo::paths::EnsureFolder(folder_)) throw UsageError{"cannot create " + folder_};
    if (!list_.Init()) throw CommandFailure{"the " + device_.word + " profile list could not be opened"};
    return list_;
  }
  orlo::CProfileList& List() { return list_; }
  const std::string& DefaultPath() const { return defaultPath_; }

 private:
  const DeviceFolder device_;
  std::string folder_;
  std::string defaultPath_;
  orlo::CProfileList list_;
};

std::string Arg(const std::vector<std::string>& args, size_t i) { return i < args.size() ? args[i] : std::string(); }

void CheckNewName(const Session& s, const std::string& name, int except = -1) {
  std::string trimmed = orlo::TrimBlanks(name);
  if (trimmed.empty()) throw UsageError{"a profile name cannot be empty"};
  auto names = s.Names();
  for (size_t i = 0; i < names.size(); ++i)
    if (static_cast<int>(i) != except && orlo::SameNameIgnoringCase(names[i], trimmed))
      throw UsageError{"a profile named '" + names[i] + "' exists already"};
}

void CheckWritableTarget(const std::string& file) {
  std::filesystem::path p(file);
  std::string dir = p.has_parent_path() ? p.parent_path().string() : ".";
  std::error_code ec;
  if (file.empty() || std::filesystem::is_directory(file, ec) || ::access(dir.c_str(), W_OK) != 0)
    throw UsageError{"cannot write " + file};
}

int List(Session& s) {
  auto& list = s.Open();
  auto entries = list.ReadEntries();
  for (size_t i = 0; i < entries.size(); ++i) {
    std::printf("%c %s\t%s\n", static_cast<int>(i) == list.GetSelectedIndex() ? '*' : ' ',
                entries[i].name.c_str(), entries[i].uuid.c_str());
  }
  return 0;
}

int Show(Session& s, const std::string& name) {
  int index = s.FindOrSelected(name);
  auto& list = s.Open();
  if (index < 0) index = list.GetSelectedIndex();
  std::string path = list.GetProfilePathAt(index);
  if (path.empty()) throw UsageError{"the profile has no usable id"};
  // Loaded as the device's driver loads it: a missing document is created from the default one.
  orlo::CBasicProfiledata data;
  data.SetDefaultPath(s.DefaultPath());
  data.SetProfilePath(path);
  Json::Value section = data.LoadSection(path);
  std::fputs(Json::StyledWriter().write(section).c_str(), stdout);
  return 0;
}

int Run(const GlobalOptions&, const std::vector<std::string>& args) {
  if (args.size() < 3) {
    throw UsageError{"usage: orloctl profile list|show|add|copy|rename|delete|select|reset|export|import DEVICE ..."};
  }
  const std::string& verb = args[1];
  Session s(ParseDevice(args[2]));

  if (verb == "list") {
    Need(args, 3, 3, "list DEVICE");
    return List(s);
  }
  if (verb == "show") {
    Need(args, 3, 4, "show DEVICE [NAME]");
    return Show(s, Arg(args, 3));
  }
  if (verb == "add") {
    Need(args, 3, 4, "add DEVICE [NAME]");
    std::string name = Arg(args, 3);
    if (args.size() == 4) CheckNewName(s, name);
    if (s.Names().size() >= static_cast<size_t>(orlo::CProfileList::kMaxAddedProfiles))
      throw UsageError{"the list holds 50 profiles already"};
    auto& list = s.Open();
    int index = list.AddProfile();
    if (index < 0) throw UsageError{"the profile could not be added"};
    if (!name.empty()) list.RenameProfileAt(index, name);
    std::printf("%s\n", list.ReadEntries()[static_cast<size_t>(index)].name.c_str());
    return 0;
  }
  if (verb == "copy") {
    Need(args, 3, 4, "copy DEVICE [NAME]");
    int index = s.FindOrSelected(Arg(args, 3));
    auto& list = s.Open();
    int copy = list.CopyProfileAt(index < 0 ? list.GetSelectedIndex() : index);
    if (copy < 0) throw UsageError{"the profile could not be copied"};
    std::printf("%s\n", list.ReadEntries()[static_cast<size_t>(copy)].name.c_str());
    return 0;
  }
  if (verb == "rename") {
    Need(args, 5, 5, "rename DEVICE NAME NEWNAME");
    int index = s.Find(args[3]);
    CheckNewName(s, args[4], index);
    auto& list = s.Open();
    if (list.RenameProfileAt(index, args[4]) != orlo::CProfileList::kRenameDone)
      throw UsageError{"the profile could not be renamed"};
    return 0;
  }
  if (verb == "delete") {
    Need(args, 4, 4, "delete DEVICE NAME");
    int index = s.Find(args[3]);
    if (s.Names().size() <= 1) throw UsageError{"the last profile cannot be deleted"};
    if (!s.Open().DeleteProfileAt(index)) throw UsageError{"the profile could not be deleted"};
    return 0;
  }
  if (verb == "select") {
    Need(args, 4, 4, "select DEVICE NAME");
    int index = s.Find(args[3]);
    if (!s.Open().SelectProfile(index)) throw UsageError{"the profile could not be selected"};
    return 0;
  }
  if (verb == "reset") {
    Need(args, 3, 4, "reset DEVICE [NAME]");
    int index = s.FindOrSelected(Arg(args, 3));
    auto& list = s.Open();
    if (!list.ResetProfileAt(index < 0 ? list.GetSelectedIndex() : index))
      throw UsageError{"the profile could not be reset"};
    return 0;
  }
  if (verb == "export") {
    Need(args, 4, 5, "export DEVICE FILE [NAME]");
    int index = s.FindOrSelected(Arg(args, 4));
    CheckWritableTarget(args[3]);
    auto& list = s.Open();
    if (!list.ExportProfileAt(index < 0 ? list.GetSelectedIndex() : index, args[3]))
      throw UsageError{"cannot write " + args[3]};
    return 0;
  }
  if (verb == "import") {
    Need(args, 4, 4, "import DEVICE FILE");
    switch (s.List().CheckImport(args[3])) {
      case orlo::CProfileList::kImportDone:
        break;
      case orlo::CProfileList::kImportUnreadable:
        throw UsageError{"cannot read " + args[3] + " as a JSON document"};
      case orlo::CProfileList::kImportNotProfile:
        throw UsageError{args[3] + " is no profile document (needs profilename, profileUUID and a device section)"};
      case orlo::CProfileList::kImportOtherKind:
        throw UsageError{args[3] + " is a profile of another device kind"};
    }
    auto& list = s.Open();
    if (list.ImportProfile(args[3]) != orlo::CProfileList::kImportDone)
      throw UsageError{"cannot import " + args[3]};
    std::printf("%s\n", list.ReadEntries().back().name.c_str());
    return 0;
  }
  throw UsageError{"unknown profile command '" + verb + "' (see orloctl --help)"};
}

const CtlCommand kProfile{{
    "profile", "Profile",
    "  orloctl profile list DEVICE                — profile names and ids; '*' marks the selected one\n"
    "  orloctl profile show DEVICE [NAME]         — device section of the selected or named profile as\n"
    "                                               JSON (created from the default document when missing)\n"
    "  orloctl profile add DEVICE [NAME]          — new profile with default settings (profileN unless NAME)\n"
    "  orloctl profile copy DEVICE [NAME]         — copy the selected or named profile as \"NAME copy\"\n"
    "  orloctl profile rename DEVICE NAME NEWNAME — rename a profile\n"
    "  orloctl profile delete DEVICE NAME         — delete a profile and its document (not the last one)\n"
    "  orloctl profile select DEVICE NAME         — make NAME the profile the device loads\n"
    "  orloctl profile reset DEVICE [NAME]        — restore the default settings of a profile\n"
    "  orloctl profile export DEVICE FILE [NAME]  — write the selected or named profile to FILE\n"
    "  orloctl profile import DEVICE FILE         — add the profile document FILE under its file name\n"
    "  Profiles live in $XDG_DATA_HOME/Tavrin ORLO/<mouse|keyboard|MousePad|HD>/; names match ignoring case.\n",
    [](const GlobalOptions& options, const std::vector<std::string>& args) {
      return Guarded([&] { return Run(options, args); });
    }}};

}  // namespace
}  // namespace orloctl
