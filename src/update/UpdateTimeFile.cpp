#include "update/UpdateTimeFile.h"

#include <ctime>
#include <filesystem>

#include "platform/Paths.h"
#include "profile/JsonAccess.h"
#include "profile/JsonFile.h"

namespace orlo::update {

CUpdateTimeFile::CUpdateTimeFile() : path_(paths::AppDataFolder() + "updatetime.config") {}
CUpdateTimeFile::CUpdateTimeFile(std::string path) : path_(std::move(path)) {}

std::string CUpdateTimeFile::Stored() const {
  const Json::Value doc = CJsonFile().ReadDocument(path_);
  return json::String(json::Peek(json::Peek(&doc, "updatelasttime"), "value"));
}

bool CUpdateTimeFile::Store(const std::string& date) const {
  CJsonFile file;
  std::error_code ec;
  Json::Value doc = file.ReadDocument(path_);
  if (std::filesystem::exists(path_, ec) && !doc.isObject()) return false;
  if (!doc.isObject()) doc = Json::Value(Json::objectValue);
  json::Slot(json::Slot(doc, "updatelasttime"), "value") = date;
  const std::string folder = std::filesystem::path(path_).parent_path().string();
  if (!folder.empty() && !paths::EnsureFolder(folder)) return false;
  return file.WriteDocument(path_, doc) == 0;
}

std::string CUpdateTimeFile::DateText(std::chrono::system_clock::time_point when) {
  const std::time_t t = std::chrono::system_clock::to_time_t(when);
  std::tm local{};
  localtime_r(&t, &local);
  return std::to_string(local.tm_year + 1900) + "-" + std::to_string(local.tm_mon + 1) + "-" +
         std::to_string(local.tm_mday);
}

}  // namespace orlo::update
