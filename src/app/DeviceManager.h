#pragma once
// The device manager: the slot list and its scan, the device objects with their tabs, pages and
// power indicators, the opening and closing of their channels as cables and receivers come and
// go, the switch between a device's cable and its receiver, and the row of device tabs. Every
// operation except ScanPass runs on the UI thread.
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/IDeviceManager.h"
#include "app/SlotScanner.h"
#include "device/link/Catalogue.h"
#include "device/model/LightSync.h"
#include "platform/hid/HidBackend.h"

class QWidget;

namespace orlo {

class CDeviceOptionUI;
class CDevicePageUI;
class CMpDevicePowerUI;
class CTessaroUSBDevice;

struct DeviceManagerOptions {
  // Backend of the scan and of the drivers' channels; null: the default backend.
  std::shared_ptr<hid::HidBackend> backend;
  // Layout file of a page row; empty function: the page table's file.
  std::function<std::string(int pageRow)> pageLayout;
  // The driver of a folded kind; empty function: the drivers this build has.
  std::function<std::unique_ptr<CTessaroUSBDevice>(int kind, std::shared_ptr<hid::HidBackend>)> makeDriver;
};

class CDeviceManager : public IDeviceManager {
 public:
  static constexpr const char* kTabRowName = "device_select_layout";
  static constexpr const char* kPageSwitchName = "device_switch";
  static constexpr const char* kPowerSwitchName = "device_power_switch";
  static constexpr const char* kNoDeviceName = "No_device_Link";
  static constexpr const char* kPowerLayoutFile = "XML\\CustomControlXML\\MpDevicePower.xml";

  explicit CDeviceManager(DeviceManagerOptions options = {});
  ~CDeviceManager() override;

  // Registers "DeviceOption" and "MpDevicePower" with the control factory.
  static void RegisterControls();

  // ---- IDeviceManager ----------------------------------------------------------------------
  void AttachHost(DeviceManagerHost host) override;
  void Initialise() override;
  void ScanPass(IUiDispatcher& handoff, const CStopEvent& stop) override;
  int LinkedDeviceCount() const override;
  ILightTarget* SelectedLightTarget() override;
  void SetLightControl(int state) override;
  void OnAudioLevels(const int32_t* levels, size_t count) override;
  void OnAudioStyle(const int32_t* values, size_t count) override;
  void SetWindowActive(bool active) override;
  void SetWindowHidden(bool hidden) override;
  void RefreshTexts() override;
  void OnResume() override;
  std::vector<ConnectedDevice> ConnectedDevices() const override;
  std::vector<uint32_t> FirmwareVersions() const override;
  void OnWindowMessage(uint32_t message, int64_t wParam, int64_t lParam) override;
  bool OnSimCommand(const std::string& command) override;
  CTessaroUSBDevice* SelectedDevice() const override;
  void OnTabSelected(QWidget* sender) override;
  void SyncLighting(CTessaroUSBDevice* from) override;
  void LightSyncThread(const CStopEvent& stop) override { lightSync_.Run(stop); }
  void SelectNeighbourTab(bool next) override { next ? SelectNextTab() : SelectPreviousTab(); }

  // ---- slots and devices ---------------------------------------------------------------------
  void OnArrival(int slot);
  void OnRemoval(int slot);
  bool TabExistsFor(int slot) const;
  // 1 when the device object, its tab and its page exist afterwards, else 0.
  int CreateDevice(int slot);
  void CommandInterfaceArrived(int slot);
  void CommandInterfaceLost(int slot);
  // Moves the device of wired slot `slot` to its cable (toWired) or to its receiver.
  void SwitchConnection(int slot, bool toWired);
  void CompanionArrived(int slot);
  void CompanionLost(int slot);

  // ---- tabs ------------------------------------------------------------------------------------
  void ShowTab(int index, bool visible, bool select);
  void HideTab(int index);
  void OnReachability(int tabRow, int state);
  void OnTabSelected(int index);
  void SelectPreviousTab();
  void SelectNextTab();
  // Position of the first visible tab (-1 when none) and the number of visible tabs.
  std::pair<int, int> FirstVisibleTab() const;

  // ---- inspection ------------------------------------------------------------------------------
  const CSlotScanner& Scanner() const { return scanner_; }
  int TabCount() const { return static_cast<int>(records_.size()); }
  CDeviceOptionUI* Tab(int index) const;
  CTessaroUSBDevice* DeviceOfTab(int index) const;
  CMpDevicePowerUI* PowerOfTab(int index) const;
  CDevicePageUI* PageOfTab(int index) const;
  int SelectedTab() const { return selectedTab_; }
  int SelectedIconKind() const { return selectedIconKind_; }
  const CLightSync& LightSync() const { return lightSync_; }

 private:
  struct Record;
  class PowerRelay;

  std::shared_ptr<hid::HidBackend> Backend() const;
  QWidget* Find(const char* name) const;
  int CommandSlotOf(int slot) const;
  int IdentitySlot(int slot) const;
  bool PartnerPresent(int slot) const;
  Record* RecordFor(int slot);
  int IndexOf(const Record* record) const;
  int VisibleCount() const;
  void CloseConnection(Record& record);
  std::unique_ptr<CTessaroUSBDevice> MakeDriver(int kind);
  // The first keyboard in tab order, wired or through its receiver; null when there is none.
  CTessaroUSBDevice* FirstKeyboard() const;

  DeviceManagerOptions options_;
  DeviceManagerHost host_;
  CSlotScanner scanner_;
  std::vector<std::unique_ptr<Record>> records_;  // in tab order
  bool windowHidden_ = false;
  std::optional<int> lightControl_;  // the window's light-control state, once it set one
  int selectedTab_ = -1;
  int selectedIconKind_ = 0;
  int selectedIconVariant_ = 0;
  CLightSync lightSync_;
};

}  // namespace orlo
