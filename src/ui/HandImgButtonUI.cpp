#include "ui/HandImgButtonUI.h"

#include <QEvent>
#include <QPainter>

#include "ui/ControlColours.h"

namespace orlo::ui {
namespace {

int Slot(CHandImgButtonUI::ImageState state) { return static_cast<int>(state); }

}  // namespace

CHandImgButtonUI::CHandImgButtonUI(QWidget* parent) : QAbstractButton(parent) {
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::TabFocus);
}

bool CHandImgButtonUI::SetImage(ImageState state, const std::string& desc) {
  auto parsed = ParseImageDesc(desc);
  if (!parsed) return false;
  images_[Slot(state)] = std::move(*parsed);
  texts_[Slot(state)] = QString::fromStdString(desc);
  update();
  return true;
}

const CImageDesc& CHandImgButtonUI::Image(ImageState state) const { return images_[Slot(state)]; }

QString CHandImgButtonUI::ImageText(ImageState state) const { return texts_[Slot(state)]; }

CHandImgButtonUI::ImageState CHandImgButtonUI::CurrentState() const {
  if (!isEnabled()) return ImageState::kDisabled;
  if (isDown()) return ImageState::kPushed;
  if (hot_) return ImageState::kHot;
  return ImageState::kNormal;
}

const CImageDesc& CHandImgButtonUI::CurrentImage() const {
  const ImageState state = CurrentState();
  const CImageDesc& own = Image(state);
  if (!own.empty()) return own;
  switch (state) {
    case ImageState::kPushed:  // a pushed button without its image still looks hot
      if (!Image(ImageState::kHot).empty()) return Image(ImageState::kHot);
      break;
    case ImageState::kSelectedHot:  // a selected option without its own images keeps the plain look
      if (!Image(ImageState::kSelected).empty()) return Image(ImageState::kSelected);
      if (!Image(ImageState::kHot).empty()) return Image(ImageState::kHot);
      break;
    default:
      break;
  }
  return Image(ImageState::kNormal);
}

QSize CHandImgButtonUI::sizeHint() const {
  const QSize text = fontMetrics().size(Qt::TextSingleLine, this->text());
  return {std::max(32, text.width() + 24), std::max(32, text.height() + 12)};
}

bool CHandImgButtonUI::event(QEvent* event) {
  // Tracked here rather than through underMouse() so that the hot look follows the events the
  // button was actually sent.
  if (event->type() == QEvent::Enter || event->type() == QEvent::HoverEnter) {
    hot_ = true;
    update();
  } else if (event->type() == QEvent::Leave || event->type() == QEvent::HoverLeave) {
    hot_ = false;
    update();
  }
  return QAbstractButton::event(event);
}

void CHandImgButtonUI::paintEvent(QPaintEvent* /*event*/) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  const ImageState state = CurrentState();
  const CImageDesc& image = CurrentImage();
  // Without a disabled image the normal one is dimmed.
  const int opacity = state == ImageState::kDisabled && Image(ImageState::kDisabled).empty() ? 110 : 255;
  if (image.empty() || !DrawImage(p, rect(), image, opacity)) PaintFace(p, state);

  if (!text().isEmpty()) {
    p.setPen(isEnabled() ? colours::Text() : colours::Disabled());
    p.setFont(font());
    p.drawText(rect(), Qt::AlignCenter | Qt::TextWordWrap, text());
  }
  if (hasFocus()) {
    p.setPen(QPen(colours::Accent(), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
  }
}

void CHandImgButtonUI::PaintFace(QPainter& p, ImageState state) {
  QColor fill = colours::Raised();
  QColor border = colours::Line();
  switch (state) {
    case ImageState::kHot: fill = colours::RaisedHover(); break;
    case ImageState::kPushed: fill = colours::Surface(); border = colours::AccentPressed(); break;
    case ImageState::kDisabled: fill = colours::Surface(); break;
    case ImageState::kSelected: fill = QColor(0x1F, 0x3F, 0x3C); border = colours::Accent(); break;
    case ImageState::kSelectedHot: fill = QColor(0x25, 0x4B, 0x47); border = colours::AccentHover(); break;
    case ImageState::kNormal: break;
  }
  if (width() < 2 || height() < 2) return;
  p.setPen(QPen(border, 1));
  p.setBrush(fill);
  p.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
}

}  // namespace orlo::ui
