#include "pages/common/LightStripPageUI.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QIntValidator>
#include <QLineEdit>
#include <QSlider>

#include "device/model/LightStripDevice.h"
#include "ui/DeviceKeyButtonUI.h"
#include "ui/NotifyBridge.h"

namespace orlo {
namespace {

using ui::CNotifyBridge;

template <class T>
T* ChildOf(const QWidget* page, const char* name) {
  return page->findChild<T*>(QString::fromLatin1(name));
}

}  // namespace

CLightStripPageUI::CLightStripPageUI(QWidget* parent) : CDevicePageUI(parent) {}

CLightStripDevice* CLightStripPageUI::Strip() const { return dynamic_cast<CLightStripDevice*>(Device()); }

void CLightStripPageUI::BuildPage() {
  lights_.clear();
  for (int i = 0;; ++i) {
    auto* b = findChild<ui::CDeviceKeyButtonUI*>(QStringLiteral("light_%1").arg(i));
    if (b == nullptr) break;
    lights_.push_back(b);
  }
  for (const char* name : {"deng_edit_R", "deng_edit_G", "deng_edit_B"})
    if (auto* e = ChildOf<QLineEdit>(this, name)) e->setValidator(new QIntValidator(0, 255, e));
  built_ = true;
  ShowCatalogues();
}

void CLightStripPageUI::RegisterRoutes(CRouteTable& routes) {
  CDevicePageUI::RegisterRoutes(routes);
  RegisterLightingRoutes(routes);
}

void CLightStripPageUI::ApplyProfileToPage() { ShowLighting(); }

void CLightStripPageUI::ShowCatalogues() {
  auto* combo = ChildOf<QComboBox>(this, "light_combo_modeSelect");
  const CLightStripDevice* d = Strip();
  if (combo == nullptr || d == nullptr) return;
  {
    auto lock = d->ModelLock();
    FillLightModeCombo(combo, d->LightModes(), d->CustomLightModes());
  }
  ShowLighting();
}

void CLightStripPageUI::ShowLighting() {
  const CLightStripDevice* d = Strip();
  if (d == nullptr) return;
  const LightInfo e = d->GetLightEffect();
  if (auto* combo = ChildOf<QComboBox>(this, "light_combo_modeSelect")) {
    CNotifyBridge::Mute mute(combo);
    combo->setCurrentIndex(combo->findData(static_cast<int>(e.mode)));
  }
  SetValueQuietly(ChildOf<QSlider>(this, "deng_light_slider"), e.brightness);
  SetValueQuietly(ChildOf<QSlider>(this, "deng_speed_slider"), e.speed);
  SetCheckedQuietly(ChildOf<QAbstractButton>(this, "deng_7color_check"), e.multiColor != 0);
  SetCheckedQuietly(ChildOf<QAbstractButton>(this, "deng_FXL_check"), e.direction != 0);
  SetCheckedQuietly(ChildOf<QAbstractButton>(this, "deng_FXR_check"), e.direction == 0);
  const std::pair<const char*, uint8_t> rgb[] = {{"deng_edit_R", e.red}, {"deng_edit_G", e.green}, {"deng_edit_B", e.blue}};
  for (const auto& [name, v] : rgb)
    if (auto* edit = ChildOf<QLineEdit>(this, name)) edit->setText(QString::number(v));
  if (auto* swatch = ChildOf<QWidget>(this, "deng_color_swatch"))
    swatch->setStyleSheet(
        QStringLiteral("background-color: rgb(%1,%2,%3); border-radius: 6px;").arg(e.red).arg(e.green).arg(e.blue));
}

void CLightStripPageUI::PaintLeds() {
  const CLightStripDevice* d = Strip();
  if (d == nullptr || !built_ || !isVisible()) return;
  const CLedState& leds = d->ledState();
  const int n = std::min(leds.Size(), static_cast<int>(lights_.size()));
  for (int i = 0; i < n; ++i) {
    const LedValue v = LedValue::FromWord(leds.GetWord(i));
    const bool lit = v.brightness != 0 && (v.r | v.g | v.b) != 0;
    const uint32_t tint = 0xFF000000u | (uint32_t{v.r} << 16) | (uint32_t{v.g} << 8) | v.b;
    ui::CDeviceKeyButtonUI* b = lights_[static_cast<size_t>(i)];
    if (b->IsLightOn() != lit || b->LightOpacity() != v.brightness || b->LightTint() != tint)
      b->SetLightOn(lit, v.brightness, tint);
  }
}

ui::CDeviceKeyButtonUI* CLightStripPageUI::LightButton(int i) const {
  return i >= 0 && i < static_cast<int>(lights_.size()) ? lights_[static_cast<size_t>(i)] : nullptr;
}

}  // namespace orlo
