#include "app/LanguageSetting.h"

#include <json/json.h>

#include <QSettings>
#include <QString>
#include <QVariant>
#include <fstream>
#include <sstream>

#include "platform/DebugLog.h"
#include "platform/Paths.h"

namespace orlo {

namespace {
constexpr const char* kKey = "LANGUAGE";
}

CLanguageSetting::CLanguageSetting(std::string iniPath)
    : iniPath_(iniPath.empty() ? DefaultIniPath() : std::move(iniPath)) {}

std::string CLanguageSetting::DefaultIniPath() { return paths::ConfigFolder() + "settings.ini"; }

bool CLanguageSetting::LoadConfig(const std::string& configPath) {
  languages_.clear();
  std::ifstream in(configPath, std::ios::binary);
  if (!in) return false;
  std::stringstream text;
  text << in.rdbuf();
  Json::Value root;
  Json::CharReaderBuilder builder;
  std::string errors;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  const std::string s = text.str();
  if (!reader->parse(s.data(), s.data() + s.size(), &root, &errors)) return false;
  if (!root.isObject() || !root["Language"].isArray()) return false;
  for (const auto& item : root["Language"]) {
    LanguageEntry e;
    if (item.isObject()) {
      if (item["Language_name"].isString()) e.name = item["Language_name"].asString();
      if (item["Language_file"].isString()) e.file = item["Language_file"].asString();
      if (item["Language_ID"].isIntegral()) e.id = item["Language_ID"].asInt64();
    }
    languages_.push_back(std::move(e));
  }
  return true;
}

const LanguageEntry* CLanguageSetting::At(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= languages_.size()) return nullptr;
  return &languages_[static_cast<size_t>(index)];
}

long long CLanguageSetting::ReadValue() const {
  QSettings ini(QString::fromStdString(iniPath_), QSettings::IniFormat);
  bool ok = false;
  long long v = ini.value(kKey).toLongLong(&ok);
  return ok ? v : kUnreadValue;
}

bool CLanguageSetting::WriteValue(long long id) const {
  auto slash = iniPath_.rfind('/');
  if (slash != std::string::npos) paths::EnsureFolder(iniPath_.substr(0, slash + 1));
  QSettings ini(QString::fromStdString(iniPath_), QSettings::IniFormat);
  ini.setValue(kKey, id);
  ini.sync();
  if (ini.status() != QSettings::NoError) return false;
  DebugLine("写成功！");
  return true;
}

int CLanguageSetting::StartupIndex(const std::string& systemLocale) const {
  auto indexOf = [this](long long id) {
    for (size_t i = 0; i < languages_.size(); ++i)
      if (languages_[i].id == id) return static_cast<int>(i);
    return -1;
  };
  if (int stored = indexOf(ReadValue()); stored >= 0) return stored;
  // "zh", "zh_CN.UTF-8", "zh-TW": the language code is what comes before '_', '-', '.' or '@'.
  const std::string code = systemLocale.substr(0, systemLocale.find_first_of("_-.@"));
  const int system = indexOf(code == "zh" ? kChineseId : kEnglishId);
  return system >= 0 ? system : 0;
}

}  // namespace orlo
