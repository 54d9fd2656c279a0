#pragma once
// Builds a widget subtree from a layout file (Qt Designer format) at run time. Class names are
// resolved by the callback first, then the control factory, then Qt's own widgets; a class none
// of them knows fails the build instead of quietly becoming its base widget.
#include <string>

class QWidget;

namespace orlo::ui {

class IDialogBuilderCallback {
 public:
  virtual ~IDialogBuilderCallback() = default;
  // Null leaves the class to the factory and Qt.
  virtual QWidget* CreateControl(const std::string& className, QWidget* parent) = 0;
};

class CDialogBuilder {
 public:
  // `file` is a layout path relative to the skin folder (backslashes allowed), an absolute path,
  // or a resource id from res.xml. Returns null on failure; LastError() says why.
  QWidget* Create(const std::string& file, IDialogBuilderCallback* callback = nullptr,
                  QWidget* parent = nullptr);
  const std::string& LastError() const { return error_; }
  // Builds `file` and lays its root into `host` (which gets a margin-less layout of its own):
  // how a custom control fills itself from its layout file. Null on failure.
  QWidget* CreateInside(const std::string& file, QWidget* host);

 private:
  std::string error_;
};

}  // namespace orlo::ui
