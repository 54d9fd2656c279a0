#include "app/AuxWindows.h"

#include "app/AboutWnd.h"
#include "app/SkinBackground.h"
#include "app/SkinFrame.h"
#include "app/SkinSetting.h"
#include "platform/DebugLog.h"

namespace orlo {

CAuxWindows::CAuxWindows(QWidget* owner, AuxWindowsOptions options)
    : owner_(owner), options_(std::move(options)) {}

CAuxWindows::~CAuxWindows() = default;

void CAuxWindows::AttachSkin(QWidget* root) {
  background_ = std::make_unique<CSkinBackground>(root);
  if (auto image = CSkinSetting(options_.skinIniPath).Restored()) {
    SkinChangedParam p;
    p.image = *image;
    background_->Receive(p);
  }
}

void CAuxWindows::OpenSettings(int languageIndex) {
  if (!settings_) {
    settings_ = new CSetWnd(owner_, options_.settings);
    settings_->setAttribute(Qt::WA_DeleteOnClose);
    settings_->SetLanguageIndex(languageIndex);
    if (!settings_->Create("setwnd")) {
      DebugLine("settings window: layout missing");
      delete settings_.data();
      return;
    }
  }
  settings_->SetLanguageIndex(languageIndex);
  settings_->CenterWindow();
  settings_->show();
  settings_->raise();
  settings_->activateWindow();
}

void CAuxWindows::OpenAbout() {
  if (!about_) {
    about_ = new CAboutWnd(owner_);
    about_->setAttribute(Qt::WA_DeleteOnClose);
    if (!about_->Create("aboutwnd")) {
      DebugLine("about window: layout missing");
      delete about_.data();
      return;
    }
  }
  about_->adjustSize();
  about_->CenterWindow();
  about_->show();
  about_->raise();
  about_->activateWindow();
}

void CAuxWindows::OpenSkin(QWidget* anchor) {
  if (!skin_) skin_ = new CSkinFrame(owner_, options_.skinIniPath);
  if (!skin_->Open(anchor)) DebugLine("skin window: layout missing");
}

void CAuxWindows::OnLanguageChanged(int index) {
  if (settings_) settings_->OnLanguageChanged(index);
  if (about_) about_->RefreshTexts();
}

void CAuxWindows::OnUpdaterMessage(int64_t report, int64_t value) {
  if (settings_) settings_->OnUpdaterMessage(report, value);
}

void CAuxWindows::CloseAll() {
  delete settings_.data();
  delete about_.data();
  delete skin_.data();
}

}  // namespace orlo
