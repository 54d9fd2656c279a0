#include "ui/ResourceManager.h"

#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include "platform/Paths.h"

namespace orlo::ui {

std::string NormaliseSeparators(std::string path) {
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  return path;
}

CResourceManager& CResourceManager::GetInstance() {
  static CResourceManager manager;
  return manager;
}

void CResourceManager::SetResourcePath(const std::string& folder) {
  folder_ = NormaliseSeparators(folder);
  if (!folder_.empty() && folder_.back() != '/') folder_ += '/';
  index_.clear();
  indexLoaded_ = false;
}

const std::string& CResourceManager::GetResourcePath() {
  if (folder_.empty()) SetResourcePath(paths::ProgramFolder() + "skin/");
  return folder_;
}

bool CResourceManager::LoadResource(const std::string& indexFile) {
  indexLoaded_ = true;
  index_.clear();
  QFile in(QString::fromStdString(ResolveFile(indexFile)));
  if (!in.open(QIODevice::ReadOnly)) return false;
  QXmlStreamReader xml(&in);
  while (!xml.atEnd()) {
    if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("xml")) {
      const auto id = xml.attributes().value(QLatin1String("id")).toString().toStdString();
      const auto path = xml.attributes().value(QLatin1String("path")).toString().toStdString();
      if (!id.empty() && !path.empty()) index_[id] = NormaliseSeparators(path);
    }
  }
  return !xml.hasError();
}

std::string CResourceManager::ResolveFile(const std::string& relative) {
  const std::string name = NormaliseSeparators(relative);
  if (!name.empty() && name.front() == '/') return name;
  return GetResourcePath() + name;
}

std::string CResourceManager::ResolveLayout(const std::string& nameOrId) {
  if (nameOrId.empty()) return {};
  if (!indexLoaded_) LoadResource();
  std::string candidate;
  if (auto it = index_.find(nameOrId); it != index_.end()) {
    candidate = ResolveFile(it->second);
  } else {
    candidate = ResolveFile(nameOrId);
    if (!QFileInfo::exists(QString::fromStdString(candidate)) &&
        nameOrId.find_first_of("/\\.") == std::string::npos) {
      candidate = ResolveFile("XML/" + nameOrId + ".xml");
    }
  }
  return QFileInfo(QString::fromStdString(candidate)).isFile() ? candidate : std::string();
}

}  // namespace orlo::ui
