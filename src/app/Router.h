#pragma once
// Turns the main window's notifications into device operations. A sender name splits at its
// last underscore into a prefix ("DPI_slider_") and an index (3); tables keyed by type and by
// whole name or prefix, matched case-insensitively, pick the operation. The selected device is
// asked of the host for every notification, so a device that leaves stops receiving at once.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "profile/LightData.h"

#include "ui/NotifyUI.h"

class QWidget;

namespace orlo {

class CTessaroUSBDevice;
class CTessaroMouseDevice;
class CMousePageUI;
class CDevicePageUI;

struct SplitName {
  bool split = false;   // the name has an underscore
  std::string prefix;   // up to and including the last underscore
  long long index = 0;  // leading digits (optional sign) of the rest; 0 without digits
};
SplitName SplitControlName(std::string_view name);

// What the router needs of the main window and the device manager.
class IRouterHost {
 public:
  enum class Caption { kClose, kNoDeviceOk, kLightControl, kMinimize, kMaximize, kRestore, kSkin, kSettings };

  virtual ~IRouterHost() = default;
  // The device of the visible, selected tab, or null.
  virtual CTessaroUSBDevice* SelectedDevice() = 0;
  virtual int ScreenWidth() const { return 0; }
  virtual int ScreenHeight() const { return 0; }
  // Caption buttons cached at initialisation are matched by identity.
  virtual bool IsCachedControl(const QWidget* /*sender*/, std::string_view /*name*/) const { return false; }
  virtual void CaptionCommand(Caption /*which*/) {}
  // Message box with one button / with a confirmation; false when the user declines.
  virtual void ShowMessage(const std::string& /*textId*/) {}
  virtual bool Confirm(const std::string& /*textId*/) { return false; }
  // The page of a device (the view attached to it); the default asks the device's observer.
  virtual CDevicePageUI* PageOf(CTessaroUSBDevice* device);
  // Colour picker seeded with `argb`; false when cancelled.
  virtual bool PickColour(uint32_t& /*argb*/) { return false; }
  // A device tab was selected by the user.
  virtual void OnTabSelected(QWidget* /*sender*/) {}
  virtual void SelectNeighbourTab(bool /*next*/) {}
};

class CRouter {
 public:
  explicit CRouter(IRouterHost& host);

  // Routes one notification. False when the toolkit's default handling must not run.
  bool Route(ui::TNotifyUI& msg);

  // Names the router acts on, for tests and diagnostics: "click:closebtn", "click:key_*" ...
  std::vector<std::string> RouteNames() const;

 private:
  using Handler = std::function<void(ui::TNotifyUI& msg, long long index)>;
  struct Table {
    std::map<std::string, Handler> prefix;       // lower-case prefix
    std::map<std::string, Handler> whole;        // lower-case name
    std::map<std::string, Handler> exact;        // exact-case name
  };

  void BuildTables();
  bool Dispatch(const Table& table, ui::TNotifyUI& msg, bool prefixThenWhole);

  // Selected device and its mouse page, when the selected device is a mouse.
  CTessaroMouseDevice* Mouse();
  CMousePageUI* MousePage();
  // Settings update: profile saved, settings block written.
  void SettingsUpdate(CTessaroUSBDevice* d);
  // Lighting update: one field of the effect record.
  void LightingUpdate(const std::function<void(LightInfo&)>& change);

  void OnKeyClick(ui::TNotifyUI& msg, long long index);

  IRouterHost& host_;
  std::map<std::string, Table> tables_;  // by notification type
};

}  // namespace orlo
