#pragma once
// The image button as a checkable option: a selected image (and a selected-hot one) while it is
// on. Options that share a parent and a non-empty group are exclusive, and pressing the one that
// is on leaves it on, as with radio buttons. Every change of state raises "selectchanged".
#include <QString>

#include "ui/HandImgButtonUI.h"

namespace orlo::ui {

class CHandImgSelectButtonUI : public CHandImgButtonUI {
  Q_OBJECT
  Q_PROPERTY(QString selectedimage READ SelectedImageText WRITE SetSelectedImageText)
  Q_PROPERTY(QString selectedhotimage READ SelectedHotImageText WRITE SetSelectedHotImageText)
  Q_PROPERTY(QString group READ Group WRITE SetGroup)
  Q_PROPERTY(bool selected READ IsSelected WRITE Selected)
 public:
  static constexpr const char* kClassName = "HandImgSelectButton";

  explicit CHandImgSelectButtonUI(QWidget* parent = nullptr);

  void Selected(bool selected) { setChecked(selected); }
  bool IsSelected() const { return isChecked(); }
  void SetGroup(const QString& group);
  QString Group() const { return group_; }

  ImageState CurrentState() const override;

 protected:
  void nextCheckState() override;

 private:
  void OnToggled(bool on);
  QString SelectedImageText() const { return ImageText(ImageState::kSelected); }
  void SetSelectedImageText(const QString& s) { SetImageText(ImageState::kSelected, s); }
  QString SelectedHotImageText() const { return ImageText(ImageState::kSelectedHot); }
  void SetSelectedHotImageText(const QString& s) { SetImageText(ImageState::kSelectedHot, s); }

  QString group_;
};

}  // namespace orlo::ui
