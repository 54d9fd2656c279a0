#include "app/SkinSetting.h"

#include <QSettings>

#include "platform/Paths.h"

namespace orlo {

CSkinSetting::CSkinSetting(std::string iniPath) : path_(std::move(iniPath)) {
  if (path_.empty()) path_ = paths::AppDataFolder() + "main.ini";
}

bool CSkinSetting::Store(const std::string& flags, const std::string& image) const {
  const std::string folder = path_.substr(0, path_.find_last_of('/') + 1);
  if (!folder.empty()) paths::EnsureFolder(folder);
  QSettings ini(QString::fromStdString(path_), QSettings::IniFormat);
  ini.beginGroup("SKINIMAGE");
  ini.setValue("FLAGS", QString::fromStdString(flags));
  ini.setValue("IMAGE", QString::fromStdString(image));
  ini.endGroup();
  ini.sync();
  return ini.status() == QSettings::NoError;
}

std::optional<std::string> CSkinSetting::Restored() const {
  QSettings ini(QString::fromStdString(path_), QSettings::IniFormat);
  if (ini.status() != QSettings::NoError) return std::nullopt;
  ini.beginGroup("SKINIMAGE");
  const QString flags = ini.value("FLAGS").toString().trimmed();
  const QString image = ini.value("IMAGE").toString();
  if (flags != QLatin1String("1") || image.isEmpty()) return std::nullopt;
  return image.toStdString();
}

}  // namespace orlo
