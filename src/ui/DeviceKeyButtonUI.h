#pragma once
// One key or light zone on a device picture. Besides the button's own look it can draw a light
// image (while lit) and a key-set image (unless hidden), carries a name colour and the
// `selected` flag set by the picture's rubber-band selection, and raises "dbclick".
#include <QColor>
#include <QPushButton>
#include <QString>
#include <cstdint>
#include <string>

#include "ui/ImageDesc.h"

namespace orlo::ui {

class CDeviceKeyButtonUI : public QPushButton {
  Q_OBJECT
  Q_PROPERTY(QString lightimage READ LightImageText WRITE SetLightImageText)
  Q_PROPERTY(QString keysetimage READ KeySetImageText WRITE SetKeySetImageText)
  Q_PROPERTY(QString gmnametextcolor READ NameTextColourText WRITE SetNameTextColourText)
 public:
  static constexpr const char* kClassName = "DeviceKeyButton";

  explicit CDeviceKeyButtonUI(QWidget* parent = nullptr);

  // "lightimage", "keysetimage" and "gmnametextcolor" are taken here; any other attribute goes
  // to the button as a property. False when the value is not accepted.
  bool SetAttribute(const std::string& name, const std::string& value);

  void SetLightImage(const std::string& desc);
  void SetKeySetImage(const std::string& desc);
  const CImageDesc& LightImage() const { return lightImage_; }
  const CImageDesc& KeySetImage() const { return keySetImage_; }

  // ARGB colour of the key name; false (colour kept) for a value that is not hexadecimal.
  bool SetNameTextColour(const std::string& value);
  std::uint32_t NameTextColour() const { return nameTextColour_; }

  // The light image shows while lit, with its opacity (0..255) and an optional tint (alpha 0: none).
  void SetLightOn(bool on, int opacity = 255, std::uint32_t tint = 0);
  bool IsLightOn() const { return lightOn_; }
  int LightOpacity() const { return lightOpacity_; }
  std::uint32_t LightTint() const { return lightTint_; }

  void SetKeySetHidden(std::uint32_t hidden);
  std::uint32_t KeySetHidden() const { return keySetHidden_; }

  void SetSelected(std::uint32_t selected);
  std::uint32_t Selected() const { return selected_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;

 private:
  QString LightImageText() const { return lightText_; }
  void SetLightImageText(const QString& s) { SetLightImage(s.toStdString()); }
  QString KeySetImageText() const { return keySetText_; }
  void SetKeySetImageText(const QString& s) { SetKeySetImage(s.toStdString()); }
  QString NameTextColourText() const;
  // The light image coloured with the tint, from a cache keyed by image, size and tint.
  QImage TintedLight(const QSize& size) const;
  void SetNameTextColourText(const QString& s) { SetNameTextColour(s.toStdString()); }

  CImageDesc lightImage_;
  CImageDesc keySetImage_;
  QString lightText_;
  QString keySetText_;
  std::uint32_t nameTextColour_ = 0;  // 0: the style's text colour
  bool lightOn_ = false;
  int lightOpacity_ = 255;
  std::uint32_t lightTint_ = 0;
  std::uint32_t keySetHidden_ = 0;
  std::uint32_t selected_ = 0;
};

}  // namespace orlo::ui
