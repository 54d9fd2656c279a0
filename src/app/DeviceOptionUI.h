#pragma once
// A device's tab in the row of device tabs: its icon set, its binding to the device's page and
// power page, and the timers that run the device once a connection appears (first contact, LED
// painting, battery polling, receiver reachability). Built from the tab layout file; the
// children "device_select", "synchro_device_select" and "device_select_name" are looked up on
// first use.
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "app/QtUiDispatcher.h"
#include "ui/NotifyUI.h"

class QAbstractButton;
class QLabel;

namespace orlo {

class CTessaroUSBDevice;
class CDevicePageUI;

class CDeviceOptionUI : public QWidget, public ui::ITimerHandlerUI {
  Q_OBJECT
 public:
  static constexpr const char* kClassName = "CDeviceOptionUI";
  enum Timer : int {
    kTimerPaint = 1000,
    kTimerFirstContact = 1001,
    kTimerReload = 1002,
    kTimerBattery = 1005,
    kTimerPresence = 1007,
  };
  static constexpr int kReachabilityMessage = 3331;
  static constexpr int kMaxReachRetries = 20;

  // Message to the main window: (message, wParam, lParam).
  using MessageSink = std::function<void(int message, int64_t wParam, int64_t lParam)>;

  explicit CDeviceOptionUI(QWidget* parent = nullptr);
  ~CDeviceOptionUI() override;

  // Links tab, device and page (the device side is the manager's record) and remembers the
  // page's picture control that is repainted while this tab is selected. The device's work runs
  // on its session's worker; what the tab does with the result comes back to the UI thread.
  void SetDevice(CTessaroUSBDevice* device, CDevicePageUI* page = nullptr, QWidget* previewControl = nullptr);
  CTessaroUSBDevice* Device() const { return device_; }
  void SetTabRow(int row) { tabRow_ = row; }
  int TabRow() const { return tabRow_; }

  void SetIcon(int kind, int variant);
  int IconKind() const { return iconKind_; }
  int IconVariant() const { return iconVariant_; }
  const std::string& NormalImage() const { return normalImage_; }
  const std::string& SelectedImage() const { return selectedImage_; }

  void SetGroup(const std::string& name);
  void BindPage(const std::string& tabLayoutName, int index);
  std::string BoundLayoutName() const;
  int BoundIndex() const;
  void SetPowerPage(const std::string& layoutName, int index);
  const std::string& PowerLayoutName() const { return powerLayoutName_; }
  int PowerIndex() const { return powerIndex_; }
  void SetName(const std::string& text);
  std::string Name() const;

  void SetVisible(bool shown);
  bool IsVisible() const { return visible_; }
  void Select(bool selected);
  bool IsSelected() const;
  void ShowSynchro(bool shown);
  void SetSynchro(bool selected);
  bool IsSynchro() const;

  // Arms first contact (1001) in 500 ms.
  void StartContact();
  // Arms the receiver presence check (1007) when the device's link is open.
  void ArmPresence(int ms);
  // Any tab timer; used by the device's hand-off (1002 reload from the device).
  void ArmTimer(int id, int ms);
  bool TimerArmed(int id) const;
  // Stops every timer of the tab (the device's connection is gone).
  void StopTimers();
  int ReachRetries() const { return reachRetries_; }
  // The machine resumed: the device restores its settings once (see RestoreSettings).
  void RestoreAfterResume();

  // While the main window is hidden the LED painting pauses; it resumes when shown. A page that
  // paints on the light thread's notice (PaintsOnLedChange) gets no paint timer at all.
  void SetWindowShown(bool shown);

  void SetMessageSink(MessageSink sink) { messageSink_ = std::move(sink); }
  // Called after the user (or code) selects this tab's option button.
  void SetSelectedSink(std::function<void()> sink) { selectedSink_ = std::move(sink); }

  bool OnControlTimer(int id) override;

  QAbstractButton* SelectButton() const;
  QAbstractButton* SynchroButton() const;

 private:
  void FindChildren() const;
  void ApplyButtonImages();
  void OnFirstContactTimer();
  void AfterFirstContact(bool receiver, bool reachable);
  void OnPresenceTimer();
  void AfterPresence(bool reachable);
  void SendReachability(int state);
  bool PollsLeds() const;
  void OnSelectToggled(bool on);

  CTessaroUSBDevice* device_ = nullptr;
  QPointer<CDevicePageUI> page_;
  QPointer<QWidget> preview_;
  CQtUiDispatcher ui_{this};
  int tabRow_ = -1;
  mutable QPointer<QAbstractButton> select_;
  mutable QPointer<QAbstractButton> synchro_;
  mutable QPointer<QLabel> name_;
  mutable bool childrenFound_ = false;
  int iconKind_ = 0;
  int iconVariant_ = 0;
  std::string normalImage_, selectedImage_, synchroNormalImage_, synchroSelectedImage_;
  std::string boundLayout_;
  int boundIndex_ = -1;
  std::string powerLayoutName_;
  int powerIndex_ = -1;
  bool visible_ = false;
  int reachRetries_ = 0;
  bool contactMade_ = false;
  bool windowShown_ = true;
  MessageSink messageSink_;
  std::function<void()> selectedSink_;
};

}  // namespace orlo
