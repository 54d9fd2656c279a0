#pragma once
// The one modal message window: a title, a text (a language key or plain text), one or two
// buttons. ShowMessageBox blocks until the user answers: 1 for "confirm_btn", 0 otherwise.
#include <QPointer>
#include <string>

#include "ui/WindowUI.h"

class QKeyEvent;

namespace orlo::ui {

class CMsgWnd : public CWindowUI {
  Q_OBJECT
 public:
  enum Buttons { kConfirmOnly = 0, kConfirmCancel = 1 };

  explicit CMsgWnd(QWidget* owner = nullptr);

  std::string GetWindowClassName() const override { return "MsgWnd"; }
  std::string GetSkinFile() const override { return "XML_MSG"; }
  void InitWindow() override;
  void Notify(TNotifyUI& msg) override;

  // Builds the window and applies title, text, DPI and buttons; false when the layout is missing.
  // An empty title or text keeps what the layout has; a buttons value other than 0 or 1 keeps the
  // layout's buttons.
  bool Prepare(const std::string& title, const std::string& text, int dpi, bool textIsKey, int buttons);
  int Dpi() const { return dpi_; }

  static int ShowMessageBox(QWidget* owner, const std::string& title, const std::string& text,
                            int dpi, bool textIsKey, int buttons);

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void SetDpi(int dpi);

  QPointer<QWidget> closeButton_;
  int dpi_ = 96;
};

}  // namespace orlo::ui
