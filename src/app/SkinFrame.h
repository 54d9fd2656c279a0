#pragma once
// The skin popup under the caption's skin button: built-in background images, plain colours,
// the reset to the default background and a PNG file of the user's own. A choice is broadcast
// to the skin receivers; a built-in image and the reset are also kept in main.ini, so the main
// window shows them again at the next start.
#include <functional>
#include <string>

#include "app/SkinSetting.h"
#include "ui/WindowUI.h"

namespace orlo {

class CSkinFrame : public ui::CWindowUI {
  Q_OBJECT
 public:
  // Asks the user for a PNG file; "" when cancelled.
  using FileChooser = std::function<std::string(QWidget* parent)>;

  explicit CSkinFrame(QWidget* owner, std::string iniPath = {});

  std::string GetWindowClassName() const override { return "UISkinFrame"; }
  std::string GetSkinFile() const override { return "skin"; }
  void InitWindow() override;
  void Notify(ui::TNotifyUI& msg) override;

  // Builds the popup (once) and shows it with its top-right corner under the anchor's right
  // edge, inside the anchor's screen.
  bool Open(QWidget* anchor);
  void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }

 private:
  CSkinSetting setting_;
  FileChooser chooseFile_;
};

}  // namespace orlo
