#pragma once
// An image button with a pointing-hand cursor. Its look comes from the toolkit's image
// descriptions: normal, hot (pointer over it), pushed and disabled; a missing state image falls
// back to the normal one, and a button without images paints itself in the skin's colours.
#include <QAbstractButton>
#include <QString>
#include <string>

#include "ui/ImageDesc.h"

namespace orlo::ui {

class CHandImgButtonUI : public QAbstractButton {
  Q_OBJECT
  Q_PROPERTY(QString normalimage READ NormalImageText WRITE SetNormalImageText)
  Q_PROPERTY(QString hotimage READ HotImageText WRITE SetHotImageText)
  Q_PROPERTY(QString pushedimage READ PushedImageText WRITE SetPushedImageText)
  Q_PROPERTY(QString disabledimage READ DisabledImageText WRITE SetDisabledImageText)
 public:
  static constexpr const char* kClassName = "HandImgButton";

  enum class ImageState { kNormal, kHot, kPushed, kDisabled, kSelected, kSelectedHot };

  explicit CHandImgButtonUI(QWidget* parent = nullptr);

  // False (image kept) for a malformed description; an empty text clears the image.
  bool SetImage(ImageState state, const std::string& desc);
  const CImageDesc& Image(ImageState state) const;

  // The state the button is drawn in now, and the image drawn for it after fallbacks.
  virtual ImageState CurrentState() const;
  const CImageDesc& CurrentImage() const;
  bool IsHot() const { return hot_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  bool event(QEvent* event) override;
  // Painted when there is no image to draw: a rounded face in the skin's colours.
  virtual void PaintFace(QPainter& painter, ImageState state);

  QString ImageText(ImageState state) const;
  void SetImageText(ImageState state, const QString& text) { SetImage(state, text.toStdString()); }

 private:
  QString NormalImageText() const { return ImageText(ImageState::kNormal); }
  void SetNormalImageText(const QString& s) { SetImageText(ImageState::kNormal, s); }
  QString HotImageText() const { return ImageText(ImageState::kHot); }
  void SetHotImageText(const QString& s) { SetImageText(ImageState::kHot, s); }
  QString PushedImageText() const { return ImageText(ImageState::kPushed); }
  void SetPushedImageText(const QString& s) { SetImageText(ImageState::kPushed, s); }
  QString DisabledImageText() const { return ImageText(ImageState::kDisabled); }
  void SetDisabledImageText(const QString& s) { SetImageText(ImageState::kDisabled, s); }

  static constexpr int kStates = 6;
  CImageDesc images_[kStates];
  QString texts_[kStates];
  bool hot_ = false;
};

}  // namespace orlo::ui
