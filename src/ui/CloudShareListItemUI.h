#pragma once
// One shared setting in the cloud-share list: its name, who shared it and when, and a button to
// fetch it.
#include <QString>

#include "ui/ListRowUI.h"

namespace orlo::ui {

class CCloudShareListItemUI : public CListRowUI {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "CloudShareListItem";

  explicit CCloudShareListItemUI(QWidget* parent = nullptr);

  // Details read "author · date"; either part may be empty.
  void SetShare(const QString& name, const QString& author, const QString& date);
  QString Author() const { return author_; }
  QString Date() const { return date_; }

 private:
  QString author_;
  QString date_;
};

}  // namespace orlo::ui
