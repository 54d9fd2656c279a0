#include "app/MpDevicePowerUI.h"

#include <QLabel>
#include <QPixmap>
#include <QProgressBar>
#include <algorithm>
#include <cstdio>
#include <cstring>

#include "device/link/Catalogue.h"
#include "ui/ImageDesc.h"
#include "ui/LanguageStore.h"
#include "ui/ResourceManager.h"
#include "ui/WindowUI.h"

namespace orlo {

namespace {
constexpr const char* kImageProperty = "bkimage";

struct PhoneImage {
  const char* tip;
  const char* image;
};
constexpr PhoneImage kPhones[] = {
    {"Phone_type_iphone", "file='power/Phone_type_iphone.png'"},
    {"Phone_type_samsung", "file='power/Phone_type_samsung.png'"},
    {"Phone_type_other", "file='power/Phone_type_other.png'"},
};
constexpr PhoneImage kNoPhone = {"Phone_type_no_device", "file='power/Phone_type_no_device.png'"};
}  // namespace

CMpDevicePowerUI::CMpDevicePowerUI(QWidget* parent) : QWidget(parent) {}

void CMpDevicePowerUI::FindChildren() {
  if (childrenFound_) return;
  childrenFound_ = true;
  layout_ = ui::FindSubControlByName(this, "device_power_Layout");
  value_ = qobject_cast<QLabel*>(ui::FindSubControlByName(this, "device_power_value"));
  wirelessLogo_ = ui::FindSubControlByName(this, "device_wuxian_logo");
  progress_ = qobject_cast<QProgressBar*>(ui::FindSubControlByName(this, "device_Power_progress"));
  status_ = ui::FindSubControlByName(this, "device_power_status");
  phone_ = ui::FindSubControlByName(this, "device_phone_type");
}

void CMpDevicePowerUI::SetKind(int kind, int variant) {
  kind_ = kind;
  variant_ = variant;
  FindChildren();
  // Nothing to show before the device reported its first power state.
  if (!updated_ && layout_) layout_->hide();
  if (wirelessLogo_) wirelessLogo_->hide();
  // Only a mousepad has a charging area for a phone.
  if (phone_) phone_->setVisible(FoldKind(static_cast<uint16_t>(kind)) == kKindMousePad);
}

void CMpDevicePowerUI::ShowPower(bool shown) {
  FindChildren();
  if (layout_) layout_->setVisible(shown);
}

std::string CMpDevicePowerUI::ImageOf(const QWidget* control) {
  return control ? control->property(kImageProperty).toString().toStdString() : std::string();
}

void CMpDevicePowerUI::SetImage(QWidget* control, const std::string& desc) {
  if (!control) return;
  control->setProperty(kImageProperty, QString::fromStdString(desc));
  auto* label = qobject_cast<QLabel*>(control);
  if (!label) return;
  auto parsed = ui::ParseImageDesc(desc);
  if (!parsed || parsed->empty()) {
    label->clear();
    return;
  }
  QPixmap pixmap(QString::fromStdString(ui::CResourceManager::GetInstance().ResolveFile(parsed->file)));
  if (!pixmap.isNull() && label->width() > 0 && label->height() > 0 && label->hasScaledContents() == false) {
    pixmap = pixmap.scaled(label->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  label->setPixmap(pixmap);
}

void CMpDevicePowerUI::Update(const uint8_t* state, int length) {
  FindChildren();
  std::array<uint8_t, kStateSize> s{};
  if (state && length > 0) std::memcpy(s.data(), state, static_cast<size_t>(std::min(length, kStateSize)));
  const int percent = s[0];
  const int charging = s[1];
  const bool onReceiver = s[3] == 1;
  if (!updated_ && layout_) layout_->show();
  updated_ = true;

  if (progress_) {
    progress_->setRange(0, 100);
    // The bar fills from the empty side: it shows what is used.
    progress_->setValue(std::clamp(100 - percent, 0, 100));
  }
  if (value_) {
    char text[16];
    std::snprintf(text, sizeof text, "%d%s", percent, "%");
    value_->setText(QString::fromLatin1(text));
  }
  if (FoldKind(static_cast<uint16_t>(kind_)) == kKindMouse && wirelessLogo_) wirelessLogo_->setVisible(onReceiver);

  const char* image = nullptr;
  bool showProgress = true;
  switch (charging) {
    case 0:
      image = "file='power/powered.png'";
      break;
    case 1:
      if (onReceiver) {
        showProgress = false;
        image = "file='power/wuxian_powering.png'";
      } else {
        image = "file='power/powering.png'";
      }
      break;
    case 2:
      image = "file='power/power.png'";
      break;
    default:
      break;  // an unknown charging state leaves the status as it was
  }
  if (image) {
    if (progress_) progress_->setVisible(showProgress);
    SetImage(status_, image);
  }

  if (FoldKind(static_cast<uint16_t>(kind_)) == kKindMousePad && phone_) {
    const PhoneImage& p = s[5] >= 1 && s[5] <= 3 ? kPhones[s[5] - 1] : kNoPhone;
    phone_->setToolTip(QString::fromStdString(ui::TextOf(p.tip)));
    SetImage(phone_, p.image);
  }
}

}  // namespace orlo
