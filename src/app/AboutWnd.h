#pragma once
// The about window: name, version, licence and the folders the program keeps its data in.
#include "ui/WindowUI.h"

namespace orlo {

class CAboutWnd : public ui::CWindowUI {
  Q_OBJECT
 public:
  explicit CAboutWnd(QWidget* owner);

  std::string GetWindowClassName() const override { return "AboutWnd"; }
  std::string GetSkinFile() const override { return "AboutWnd"; }
  void InitWindow() override;
  void Notify(ui::TNotifyUI& msg) override;
  // The texts put together from a language text and a value follow the language.
  void RefreshTexts();
};

}  // namespace orlo
