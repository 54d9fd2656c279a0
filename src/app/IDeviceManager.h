#pragma once
// What the main window needs of the device manager and of a device, as interfaces, so that the
// window can be built and tested without devices.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class QWidget;

namespace orlo {

class CTessaroUSBDevice;
namespace ui {
class CWindowUI;
class IDialogBuilderCallback;
}  // namespace ui
class CStopEvent;
class IUiDispatcher;

// What the device manager needs of the main window: the window that holds the tab row, the page
// and power layouts; the custom-control factory its layouts are built with; and a few callbacks.
struct DeviceManagerHost {
  ui::CWindowUI* window = nullptr;
  ui::IDialogBuilderCallback* controls = nullptr;
  std::function<void()> bringToFront;
  // A private message to the main window (a page's battery level, 3329).
  std::function<void(int message, int64_t wParam, int64_t lParam)> postMessage;
  // Ends a pending key capture or macro recording and restores the selection.
  std::function<void()> endPendingCapture;
  // A supported device is present, but this user may not open its interface `path`.
  std::function<void(const std::string& path)> accessDenied;
};

// A device whose lighting the main window drives directly (game lighting, light control).
class ILightTarget {
 public:
  virtual ~ILightTarget() = default;
  // Byte 0 of the device's light effect record: its lighting mode.
  virtual int LightMode() const = 0;
  // Modes this device has; others are refused.
  virtual bool HasLightMode(int mode) const = 0;
  // Puts `mode` into the effect record and runs the device's save-and-apply sequence.
  virtual void ApplyLightMode(int mode, int screenWidth, int screenHeight) = 0;
};

// A device the program holds a connection to, as `orloctl status` lists it.
struct ConnectedDevice {
  std::string name;        // "mouse", "keyboard" ...
  bool receiver = false;   // through its receiver
  std::string profile;     // the active profile's name
};

class IDeviceManager {
 public:
  virtual ~IDeviceManager() = default;
  // Before Initialise: the window the tabs and pages live in.
  virtual void AttachHost(DeviceManagerHost host) { (void)host; }
  // Messages 3090 (arrival), 3091 (removal) and 3331 (reachability of a tab's device).
  virtual void OnWindowMessage(uint32_t message, int64_t wParam, int64_t lParam) {
    (void)message, (void)wParam, (void)lParam;
  }
  // "plug NAME" and the like for the simulated devices; false when refused.
  virtual bool OnSimCommand(const std::string& command) {
    (void)command;
    return false;
  }
  // The device of the visible, selected tab, or null.
  virtual CTessaroUSBDevice* SelectedDevice() const { return nullptr; }
  // The user selected a device tab; `sender` is its option button (or the tab itself).
  virtual void OnTabSelected(QWidget* sender) { (void)sender; }
  // Selects the nearest visible tab after (next) or before the selected one.
  virtual void SelectNeighbourTab(bool next) { (void)next; }
  // Window-init step: copy the catalogue, create the start-up devices.
  virtual void Initialise() = 0;
  // One pass of the scan thread: bind and free slots, handing arrivals and removals to the UI
  // thread with handoff.Send(…, stop). Runs on the scan thread.
  virtual void ScanPass(IUiDispatcher& handoff, const CStopEvent& stop) = 0;
  // Body of the lighting-synchronisation thread; returns when stop is set.
  virtual void LightSyncThread(const CStopEvent& stop) { (void)stop; }
  // "deng_same_mode": every connected device takes the effect of `from`, translated into its
  // own mode numbering, and is marked synchronised.
  virtual void SyncLighting(CTessaroUSBDevice* from) { (void)from; }
  virtual int LinkedDeviceCount() const = 0;
  // The device of the visible, selected tab, or null.
  virtual ILightTarget* SelectedLightTarget() = 0;
  // Light-control state (1 this program drives the lighting, 0 it leaves it) for every device.
  virtual void SetLightControl(int state) = 0;
  // Music lighting: the reduced audio levels and the music style values go to the first keyboard.
  virtual void OnAudioLevels(const int32_t* levels, size_t count) { (void)levels, (void)count; }
  virtual void OnAudioStyle(const int32_t* values, size_t count) { (void)values, (void)count; }
  virtual void SetWindowActive(bool active) = 0;
  // The main window was shown (false) or hidden (true).
  virtual void SetWindowHidden(bool hidden) = 0;
  // The machine resumed from a suspend: each connected device gets its settings again.
  virtual void OnResume() {}
  // The devices whose tab is shown, in tab order.
  virtual std::vector<ConnectedDevice> ConnectedDevices() const { return {}; }
  // The interface language changed: the pages refill the texts they put together themselves.
  virtual void RefreshTexts() {}
  // The firmware version of each tab's device for the update check, 0 where none (any thread).
  virtual std::vector<uint32_t> FirmwareVersions() const { return {}; }
};

// A device manager without slots: a scan pass finds nothing. The window's stand-in when it is
// built without one (tests of the window alone).
class CEmptyDeviceManager : public IDeviceManager {
 public:
  void Initialise() override {}
  void ScanPass(IUiDispatcher&, const CStopEvent&) override {}
  int LinkedDeviceCount() const override { return 0; }
  ILightTarget* SelectedLightTarget() override { return nullptr; }
  void SetLightControl(int) override {}
  void SetWindowActive(bool) override {}
  void SetWindowHidden(bool) override {}
};

}  // namespace orlo
