#pragma once
// The skin folder and its resource index. Layouts and images are named relative to the skin
// folder, with either slash; "res.xml" maps resource ids (such as "XML_MSG") to layout files.
#include <map>
#include <string>

namespace orlo::ui {

class CResourceManager {
 public:
  static CResourceManager& GetInstance();

  // Defaults to ProgramFolder() + "skin/". The index "res.xml" is re-read from the new folder.
  void SetResourcePath(const std::string& folder);
  const std::string& GetResourcePath();
  // Reads <skin>/res.xml (<res><xml id="XML_MSG" path="XML/..."/></res>); false when unreadable.
  bool LoadResource(const std::string& indexFile = "res.xml");

  // Resource id, relative or absolute layout name → absolute path; an id not in the index falls
  // back to "XML/<id>.xml". Empty when nothing exists.
  std::string ResolveLayout(const std::string& nameOrId);
  // A file name relative to the skin folder → absolute path (no existence check).
  std::string ResolveFile(const std::string& relative);

 private:
  CResourceManager() = default;
  std::string folder_;
  std::map<std::string, std::string> index_;
  bool indexLoaded_ = false;
};

// "XML\\A\\B.xml" → "XML/A/B.xml"
std::string NormaliseSeparators(std::string path);

}  // namespace orlo::ui
