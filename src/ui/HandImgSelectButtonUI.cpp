#include "ui/HandImgSelectButtonUI.h"

namespace orlo::ui {

CHandImgSelectButtonUI::CHandImgSelectButtonUI(QWidget* parent) : CHandImgButtonUI(parent) {
  setCheckable(true);
  connect(this, &QAbstractButton::toggled, this, &CHandImgSelectButtonUI::OnToggled);
}

void CHandImgSelectButtonUI::SetGroup(const QString& group) {
  group_ = group;
  if (isChecked()) OnToggled(true);
}

CHandImgButtonUI::ImageState CHandImgSelectButtonUI::CurrentState() const {
  const ImageState base = CHandImgButtonUI::CurrentState();
  if (!isChecked() || base == ImageState::kDisabled) return base;
  return base == ImageState::kNormal ? ImageState::kSelected : ImageState::kSelectedHot;
}

void CHandImgSelectButtonUI::nextCheckState() {
  if (isChecked() && !group_.isEmpty()) return;  // a group always keeps one option on
  setChecked(!isChecked());
}

void CHandImgSelectButtonUI::OnToggled(bool on) {
  if (!on || group_.isEmpty() || parentWidget() == nullptr) return;
  const auto siblings = parentWidget()->findChildren<CHandImgSelectButtonUI*>(Qt::FindDirectChildrenOnly);
  for (CHandImgSelectButtonUI* other : siblings) {
    if (other != this && other->group_ == group_ && other->isChecked()) other->setChecked(false);
  }
}

}  // namespace orlo::ui
