#pragma once
// One row of the update list: a device (or the application), its installed version, the newer
// version when there is one, and the button that asks for the update.
#include <QString>

#include "ui/ListRowUI.h"

namespace orlo::ui {

class CUpdateInfoListItemUI : public CListRowUI {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "UpdateInfoListItem";

  explicit CUpdateInfoListItemUI(QWidget* parent = nullptr);

  // An empty newer version means up to date: the button is disabled then.
  void SetVersions(const QString& current, const QString& newer);
  QString CurrentVersion() const { return current_; }
  QString NewVersion() const { return newer_; }
  bool HasUpdate() const { return !newer_.isEmpty(); }

 private:
  QString current_;
  QString newer_;
};

}  // namespace orlo::ui
