#pragma once
// The lighting panel on a device page and the routes of its controls. A lighting control's change
// is one field of the driver's light effect: the driver stores it in the profile and takes it
// into its preview at once, and the page's commit debounce saves and writes it (one save and one
// write per burst). The keyboard's music controls change the driver's music lighting record,
// which is saved, not written: the keyboard's light thread draws the music effect itself.
#include <QPointer>
#include <functional>
#include <vector>

#include "pages/common/PageHost.h"
#include "pages/common/RouteTable.h"
#include "pages/light/LightControlUI.h"
#include "profile/LightData.h"

namespace orlo {

class CDevicePageUI;
class CTessaroUSBDevice;

class CLightControlRoutes {
 public:
  // The window the page's routes run in, while they run.
  using HostFn = std::function<IPageHost&()>;

  CLightControlRoutes(CDevicePageUI& page, HostFn host);

  // The page was built: binds its panel ("light_control") and gives it the device's kind. False
  // when the page has no panel.
  bool Bind();
  CLightControlUI* Panel() const { return panel_.data(); }
  void Register(CRouteTable& routes);

  // The driver's effect (and on the keyboard its music record) on the panel.
  void ShowLighting();
  // The mode list: the built-in effects, then the custom ones from mode firstCustom (after the
  // built-ins when they would take a built-in's number).
  void ShowCatalogues(const std::vector<BuiltInLightEntry>& builtIns, const std::vector<CustomLightEntry>& customs,
                      int firstCustom);
  void SetSyncAllowed(bool allowed);

  // One change to the driver's light effect, committed and shown.
  void Change(const std::function<void(LightInfo&)>& change);
  // One change to the music lighting record the panel describes (readColour: the colour button's
  // colour first goes into the edited colour), stored in the driver, saved and shown.
  void ChangeMusic(bool readColour, const std::function<void(AudioLightInfo&)>& change);

 private:
  CTessaroUSBDevice* Device() const;
  void SetColour(uint32_t argb);

  CDevicePageUI& page_;
  HostFn host_;
  QPointer<CLightControlUI> panel_;
  bool syncAllowed_ = false;
};

}  // namespace orlo
