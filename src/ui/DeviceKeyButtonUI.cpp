#include "ui/DeviceKeyButtonUI.h"

#include <QCache>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <algorithm>

#include "ui/NotifyBridge.h"
#include "ui/NotifyUI.h"
#include "ui/ResourceManager.h"

namespace orlo::ui {
namespace {

constexpr qsizetype kTintedCacheKiB = 4 * 1024;

}  // namespace

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
  opacity = qBound(0, opacity, 255);
  // The preview sets every light on each step; most of them did not change.
  if (lightOn_ == on && lightOpacity_ == opacity && lightTint_ == tint) return;
  const bool shownBefore = lightOn_ && !lightImage_.empty();
  lightOn_ = on;
  lightOpacity_ = opacity;
  lightTint_ = tint;
  // A light that stays off changes nothing on screen.
  if (shownBefore || (lightOn_ && !lightImage_.empty())) update();
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

QImage CDeviceKeyButtonUI::TintedLight(const QSize& size) const {
  // Shared by all buttons: the lights of a picture mostly show the same image, size and colour,
  // and an effect cycles through a limited set of colours.
  static QCache<QString, QImage> cache(kTintedCacheKiB);
  const qreal ratio = devicePixelRatioF();
  // Built by appending: this runs for every lit button on every step of an effect.
  QString key = lightText_;
  key += QLatin1Char('|');
  key += QLatin1String(CResourceManager::GetInstance().GetResourcePath().c_str());
  key += QLatin1Char('|');
  key += QString::number(size.width());
  key += QLatin1Char('x');
  key += QString::number(size.height());
  key += QLatin1Char('@');
  key += QString::number(qRound(ratio * 100));
  key += QLatin1Char('#');
  key += QString::number(lightTint_, 16);
  if (const QImage* hit = cache.object(key)) return *hit;
  // Draw the image alone, then colour its opaque pixels.
  auto* layer = new QImage((QSizeF(size) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
  layer->setDevicePixelRatio(ratio);
  layer->fill(Qt::transparent);
  QPainter lp(layer);
  DrawImage(lp, QRect(QPoint(0, 0), size), lightImage_);
  lp.setCompositionMode(QPainter::CompositionMode_SourceIn);
  lp.fillRect(QRect(QPoint(0, 0), size), QColor::fromRgba(lightTint_));
  lp.end();
  const QImage result = *layer;
  cache.insert(key, layer, std::max<qsizetype>(1, layer->sizeInBytes() / 1024));
  return result;
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
      p.setOpacity(lightOpacity_ / 255.0);
      p.drawImage(area.topLeft(), TintedLight(area.size()));
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
