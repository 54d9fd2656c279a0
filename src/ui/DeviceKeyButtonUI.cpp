#include "ui/DeviceKeyButtonUI.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>

#include "ui/NotifyBridge.h"
#include "ui/NotifyUI.h"

namespace orlo::ui {

CDeviceKeyButtonUI::CDeviceKeyButtonUI(QWidget* parent) : QPushButton(parent) {
  setProperty(CNotifyBridge::kOwnDbClickProperty, true);
}

bool CDeviceKeyButtonUI::SetAttribute(const std::string& name, const std::string& value) {
  const QString v = QString::fromStdString(value);
  if (name == "lightimage") {
    SetLightImage(value);
  } else if (name == "keysetimage") {
    SetKeySetImage(value);
  } else if (name == "gmnametextcolor") {
    return SetNameTextColour(value);
  } else if (name == "name") {
    setObjectName(v);
  } else if (name == "text") {
    setText(v);
  } else if (name == "tooltip") {
    setToolTip(v);
  } else if (name == "enabled") {
    setEnabled(value == "true");
  } else if (name == "visible") {
    setVisible(value == "true");
  } else {
    setProperty(name.c_str(), v);
  }
  return true;
}

void CDeviceKeyButtonUI::SetLightImage(const std::string& desc) {
  lightText_ = QString::fromStdString(desc);
  lightImage_ = ParseImageDesc(desc).value_or(CImageDesc{});
  update();
}

void CDeviceKeyButtonUI::SetKeySetImage(const std::string& desc) {
  keySetText_ = QString::fromStdString(desc);
  keySetImage_ = ParseImageDesc(desc).value_or(CImageDesc{});
  update();
}

bool CDeviceKeyButtonUI::SetNameTextColour(const std::string& value) {
  auto colour = ParseHexColour(value);
  if (!colour) return false;
  nameTextColour_ = *colour;
  update();
  return true;
}

QString CDeviceKeyButtonUI::NameTextColourText() const {
  return QStringLiteral("#%1").arg(nameTextColour_, 8, 16, QLatin1Char('0')).toUpper();
}

void CDeviceKeyButtonUI::SetLightOn(bool on, int opacity, std::uint32_t tint) {
  lightOn_ = on;
  lightOpacity_ = qBound(0, opacity, 255);
  lightTint_ = tint;
  update();
}

void CDeviceKeyButtonUI::SetKeySetHidden(std::uint32_t hidden) {
  keySetHidden_ = hidden;
  update();
}

void CDeviceKeyButtonUI::SetSelected(std::uint32_t selected) {
  if (selected_ == selected) return;
  selected_ = selected;
  update();
}

void CDeviceKeyButtonUI::paintEvent(QPaintEvent* /*event*/) {
  QStylePainter p(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  const QString name = option.text;
  option.text.clear();
  option.icon = QIcon();
  p.drawControl(QStyle::CE_PushButton, option);

  const QRect area = rect();
  if (lightOn_ && !lightImage_.empty()) {
    if ((lightTint_ >> 24) != 0) {
      // Tinted light: draw the image alone, then colour its opaque pixels.
      QImage layer(area.size() * devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
      layer.setDevicePixelRatio(devicePixelRatioF());
      layer.fill(Qt::transparent);
      QPainter lp(&layer);
      DrawImage(lp, QRect(QPoint(0, 0), area.size()), lightImage_);
      lp.setCompositionMode(QPainter::CompositionMode_SourceIn);
      lp.fillRect(layer.rect(), QColor::fromRgba(lightTint_));
      lp.end();
      p.setOpacity(lightOpacity_ / 255.0);
      p.drawImage(area.topLeft(), layer);
      p.setOpacity(1.0);
    } else {
      DrawImage(p, area, lightImage_, lightOpacity_);
    }
  }
  if (keySetHidden_ == 0) DrawImage(p, area, keySetImage_);

  if (!name.isEmpty()) {
    const QColor colour = nameTextColour_ != 0 ? QColor::fromRgba(nameTextColour_)
                                               : palette().color(QPalette::ButtonText);
    p.setPen(colour);
    p.drawText(area, Qt::AlignCenter | Qt::TextWordWrap, name);
  }
  if (selected_ != 0) {
    p.setPen(QPen(palette().color(QPalette::Highlight), 2));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(QRectF(area).adjusted(1, 1, -1, -1), 3, 3);
  }
}

void CDeviceKeyButtonUI::mouseDoubleClickEvent(QMouseEvent* event) {
  QPushButton::mouseDoubleClickEvent(event);
  if (!isEnabled() || !rect().contains(event->position().toPoint())) return;
  setDown(true);
  setFocus(Qt::MouseFocusReason);
  update();
  CNotifyBridge::SendNotify(this, notify::kDbClick);
}

}  // namespace orlo::ui
