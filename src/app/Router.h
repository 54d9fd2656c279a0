#pragma once
// Turns the main window's notifications into operations. Caption buttons are matched by
// identity; then the selected device's page runs the route of its own controls; the window's
// own controls (caption, tab row, "no device" page) have routes here. The selected device is
// asked of the host for every notification, so a device that leaves stops receiving at once.
#include <string>
#include <string_view>
#include <vector>

#include "pages/common/PageHost.h"
#include "pages/common/RouteTable.h"
#include "ui/NotifyUI.h"

class QWidget;

namespace orlo {

class CTessaroUSBDevice;
class CDevicePageUI;

// What the router needs of the main window and the device manager.
class IRouterHost : public IPageHost {
 public:
  enum class Caption { kClose, kNoDeviceOk, kLightControl, kMinimize, kMaximize, kRestore, kSkin, kSettings };

  // The device of the visible, selected tab, or null.
  virtual CTessaroUSBDevice* SelectedDevice() = 0;
  // Caption buttons cached at initialisation are matched by identity.
  virtual bool IsCachedControl(const QWidget* /*sender*/, std::string_view /*name*/) const { return false; }
  virtual void CaptionCommand(Caption /*which*/) {}
  // The page of a device (the view attached to it); the default asks the device's observer.
  virtual CDevicePageUI* PageOf(CTessaroUSBDevice* device);
  // A device tab was selected by the user.
  virtual void OnTabSelected(QWidget* /*sender*/) {}
  virtual void SelectNeighbourTab(bool /*next*/) {}
};

class CRouter {
 public:
  explicit CRouter(IRouterHost& host);

  // Routes one notification. False when the toolkit's default handling must not run.
  bool Route(ui::TNotifyUI& msg);

  // The window's routes and those of the selected device's page: "click:closebtn", ...
  std::vector<std::string> RouteNames() const;

 private:
  void BuildTables();

  IRouterHost& host_;
  CRouteTable window_;
};

}  // namespace orlo
