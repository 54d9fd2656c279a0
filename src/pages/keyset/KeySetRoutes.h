#pragma once
// The key set panel on a device page (the mouse's and the keyboard's): shows the selected key's
// assignment, and runs the routes of the panel's controls. A control change stores the
// assignment the controls describe in the driver's key list and profile document, in memory
// ("key set write"); nothing goes to the device until "key_butt_prosave" writes the macros the
// key table refers to, then the key table, and saves the profile.
#include <QPointer>
#include <functional>

#include "pages/common/PageHost.h"
#include "pages/common/RouteTable.h"
#include "pages/keyset/KeySetControlUI.h"

namespace orlo {

class CDevicePageUI;
class CTessaroUSBDevice;

class CKeySetRoutes {
 public:
  // The window the page's routes run in, while they run.
  using HostFn = std::function<IPageHost&()>;

  CKeySetRoutes(CDevicePageUI& page, HostFn host);

  // The page was built: binds its panel ("keyset_layout"), which starts hidden with its buttons
  // off. False when the page has no complete panel.
  bool Bind();
  CKeySetControlUI* Panel() const { return panel_.data(); }
  void Register(CRouteTable& routes);

  // A key of the picture was selected: the panel shows that key's assignment (hidden for a key
  // the key list does not hold).
  void ShowKey(int key);
  // The catalogues were read again (or the language changed): the macro choice and the texts.
  void ShowCatalogues();

  // The key set write: the controls' assignment into the selected key of the driver's model.
  void Write();
  // The device download ("key_butt_prosave"), on the driver's worker; its outcome comes back to
  // the panel and the window.
  void Download();

 private:
  CTessaroUSBDevice* Device() const;

  CDevicePageUI& page_;
  HostFn host_;
  QPointer<CKeySetControlUI> panel_;
};

}  // namespace orlo
