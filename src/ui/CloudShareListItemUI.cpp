#include "ui/CloudShareListItemUI.h"

#include <QStringList>

namespace orlo::ui {

CCloudShareListItemUI::CCloudShareListItemUI(QWidget* parent) : CListRowUI(parent) {
  SetButtonText(QStringLiteral("Download"));
}

void CCloudShareListItemUI::SetShare(const QString& name, const QString& author, const QString& date) {
  author_ = author;
  date_ = date;
  SetTitle(name);
  QStringList parts;
  if (!author.isEmpty()) parts << author;
  if (!date.isEmpty()) parts << date;
  SetDetails(parts.join(QStringLiteral(" \u00B7 ")));
}

}  // namespace orlo::ui
