#pragma once
// The profile commands of a device page: the routes of its profile control (the list, the menu
// and its buttons) and the sequences that bring the device in line with the profile afterwards.
//
// The list and its documents change on the UI thread (through the profile control); what goes
// to the device runs on the device session's worker, and its outcome (macros that do not fit,
// a device out of reach) comes back as a message box on the UI thread.
#include <functional>
#include <string>

#include "device/model/TessaroUSBDevice.h"

namespace orlo {

class CDevicePageUI;
class CDeviceProfileUI;
class CRouteTable;
class IPageHost;

class CProfileCommandRoutes {
 public:
  static constexpr const char* kProfileFilter = "Profile Files(*.json)";
  static constexpr int kSwitchDelayMs = 400;

  explicit CProfileCommandRoutes(CDevicePageUI& page) : page_(page) {}

  void Register(CRouteTable& routes);

  // The profile chosen in the list becomes the device's active profile: loaded, shown, and
  // written to the device (settings, macros, key table) unless its macros do not fit.
  void SwitchToChosenProfile(IPageHost& host);
  // The active profile saved and its macros and key table written to the device.
  void Download(IPageHost& host);
  void Reset(IPageHost& host);
  void Import(IPageHost& host);
  void Export(IPageHost& host);
  void Rename(IPageHost& host);
  void Delete(IPageHost& host);

  // The message boxes for the outcome of a write to the device.
  static void Report(IPageHost& host, const CTessaroUSBDevice::ProfileWrite& outcome);

 private:
  CDeviceProfileUI* Control() const;
  // Submits to the device's worker: first (when given), reload the active profile when asked,
  // save it when asked, write it (with the settings block when asked); the outcome is reported
  // on the UI thread.
  void WriteToDevice(IPageHost& host, bool reload, bool withSettings, bool save,
                     std::function<void(CTessaroUSBDevice&)> first = {});

  CDevicePageUI& page_;
};

}  // namespace orlo
