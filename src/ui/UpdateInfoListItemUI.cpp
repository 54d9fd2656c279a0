#include "ui/UpdateInfoListItemUI.h"

namespace orlo::ui {

CUpdateInfoListItemUI::CUpdateInfoListItemUI(QWidget* parent) : CListRowUI(parent) {
  SetButtonText(QStringLiteral("Update"));
  SetButtonEnabled(false);
}

void CUpdateInfoListItemUI::SetVersions(const QString& current, const QString& newer) {
  current_ = current;
  newer_ = newer;
  SetDetails(newer.isEmpty() ? current : current + QStringLiteral("  \u2192  ") + newer);
  SetButtonEnabled(HasUpdate());
}

}  // namespace orlo::ui
