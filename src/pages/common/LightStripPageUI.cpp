#include "pages/common/LightStripPageUI.h"

#include "device/model/LightStripDevice.h"
#include "pages/light/LightControlRoutes.h"
#include "ui/DeviceKeyButtonUI.h"

namespace orlo {

CLightStripPageUI::CLightStripPageUI(QWidget* parent) : CDevicePageUI(parent) {}

CLightStripDevice* CLightStripPageUI::Strip() const { return dynamic_cast<CLightStripDevice*>(Device()); }

void CLightStripPageUI::BuildPage() {
  lights_.clear();
  for (int i = 0;; ++i) {
    auto* b = findChild<ui::CDeviceKeyButtonUI*>(QStringLiteral("light_%1").arg(i));
    if (b == nullptr) break;
    lights_.push_back(b);
  }
  Lighting().Bind();
  built_ = true;
  ShowCatalogues();
}

void CLightStripPageUI::ApplyProfileToPage() { ShowLighting(); }

void CLightStripPageUI::ShowCatalogues() {
  const CLightStripDevice* d = Strip();
  if (d == nullptr) return;
  std::vector<BuiltInLightEntry> modes;
  std::vector<CustomLightEntry> customs;
  {
    auto lock = d->ModelLock();
    modes = d->LightModes();
    customs = d->CustomLightModes();
  }
  Lighting().ShowCatalogues(modes, customs, FirstCustomLightMode(d->GetProfileKindIndex()));
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
