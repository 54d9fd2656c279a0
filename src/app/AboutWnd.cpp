#include "app/AboutWnd.h"

#include <QLabel>

#include "platform/Paths.h"
#include "ui/LanguageStore.h"
#include "update/UpdateSettings.h"

namespace orlo {

CAboutWnd::CAboutWnd(QWidget* owner) : ui::CWindowUI(owner, Qt::Window | Qt::FramelessWindowHint) {
  setObjectName("aboutwnd");
}

void CAboutWnd::InitWindow() {
  const std::pair<const char*, std::string> folders[] = {
      {"about_data_folder", paths::AppDataFolder()},
      {"about_config_folder", paths::ConfigFolder()},
      {"about_cache_folder", paths::CacheFolder()},
      {"about_program_folder", paths::ProgramFolder()},
  };
  for (const auto& [name, folder] : folders) {
    if (auto* label = FindControl<QLabel>(name)) label->setText(QString::fromStdString(folder));
  }
  RefreshTexts();
}

void CAboutWnd::RefreshTexts() {
  if (auto* version = FindControl<QLabel>("about_version")) {
    version->setText(QString::fromStdString(ui::TextOf("about_version_text") + " " + update::ApplicationVersionText()));
  }
}

void CAboutWnd::Notify(ui::TNotifyUI& msg) {
  if (msg.sType != ui::notify::kClick) return;
  if (msg.sSenderName == "closebtn" || msg.sSenderName == "confirm_btn") close();
}

}  // namespace orlo
