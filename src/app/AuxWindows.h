#pragma once
// The main window's auxiliary windows: the settings window, the about window and the skin
// popup. Each is created when first opened and closes with the main window; the settings
// window is rebuilt on every opening, so that each opening checks for updates afresh.
#include <QPointer>
#include <functional>
#include <memory>
#include <string>

#include "app/AboutWnd.h"
#include "app/SetWnd.h"
#include "app/SkinFrame.h"

class QWidget;

namespace orlo {

class CSkinBackground;

struct AuxWindowsOptions {
  SetWndOptions settings;  // the settings window's
  std::string skinIniPath;  // empty: the user data folder's main.ini
};

class CAuxWindows {
 public:
  CAuxWindows(QWidget* owner, AuxWindowsOptions options);
  ~CAuxWindows();

  // The owner's background follows the skin choices from now on; the image chosen at an
  // earlier run is shown again.
  void AttachSkin(QWidget* root);
  void OpenSettings(int languageIndex);
  void OpenAbout();
  void OpenSkin(QWidget* anchor);
  // The language was switched: the open windows refresh the texts they put together.
  void OnLanguageChanged(int index);
  // The updater's status message goes to the settings window when it is open.
  void OnUpdaterMessage(int64_t report, int64_t value);
  void CloseAll();

  CSetWnd* Settings() const { return settings_; }
  CAboutWnd* About() const { return about_; }
  CSkinFrame* Skin() const { return skin_; }
  CSkinBackground* Background() const { return background_.get(); }

 private:
  QWidget* owner_;
  AuxWindowsOptions options_;
  QPointer<CSetWnd> settings_;
  QPointer<CAboutWnd> about_;
  QPointer<CSkinFrame> skin_;
  std::unique_ptr<CSkinBackground> background_;
};

}  // namespace orlo
