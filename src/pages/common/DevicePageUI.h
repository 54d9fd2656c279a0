#pragma once
// Base of the device pages. A page is a QWidget (the root of its layout, created through the
// control factory by its class name), the view of one driver (Attach makes it the driver's
// observer), and the owner of the routes of its controls: the window hands it every
// notification of its controls while its device is the selected one.
//
// The driver's notifications may come from its worker threads: the page moves them to its own
// thread. What a notification asks of the shell goes to sinks the device manager sets:
// - TimerSink: the device tab's timers (1002: read the device again);
// - PowerSink: the six power-state bytes (power indicator, battery message).
// A notification without a sink is dropped.
#include <QPointer>
#include <QWidget>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/model/DeviceObserver.h"
#include "pages/common/PageHost.h"
#include "pages/common/RouteTable.h"

namespace orlo {

namespace ui {
class CDeviceKeyButtonUI;
}
class CTessaroUSBDevice;
class CDeviceProfileUI;
class CProfileCommandRoutes;
class CLightControlRoutes;

class CDevicePageUI : public QWidget, public IDeviceObserver {
  Q_OBJECT
 public:
  using TimerSink = std::function<void(int id, int ms)>;
  using PowerSink = std::function<void(const std::vector<uint8_t>& bytes)>;

  static constexpr const char* kClassName = "CDevicePageUI";
  // The LED timer asks for painting every 10 ms on a wired device; the light buttons are
  // repainted at most this often, which the eye cannot tell from every tick but costs a third of
  // the time.
  static constexpr std::chrono::milliseconds kMinLedPaintGap{33};
  static constexpr int kReloadTimer = 1002;

  explicit CDevicePageUI(QWidget* parent = nullptr);
  ~CDevicePageUI() override;

  // Makes this page the driver's observer (null detaches). The previous driver, if any, stops
  // reporting here. The driver must outlive the page or be detached first.
  void Attach(CTessaroUSBDevice* device);
  CTessaroUSBDevice* Device() const { return device_; }

  void SetTimerSink(TimerSink sink) { timerSink_ = std::move(sink); }
  // The clock of the LED paint gap (tests step it by hand); the steady clock by default.
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  void SetClock(Clock clock) { clock_ = std::move(clock); }
  void SetPowerSink(PowerSink sink) { powerSink_ = std::move(sink); }

  // Page class name as registered in the control factory.
  virtual std::string GetPageClassName() const { return kClassName; }

  // ---- page operations (UI thread) -----------------------------------------------------------
  // Binds the page's controls; then fills them from the driver.
  virtual void BuildPage() {}
  // Fills the page's controls from the driver's model.
  virtual void ApplyProfileToPage() {}
  // Copies the driver's LED state into the visible light buttons.
  virtual void PaintLeds() {}
  // The page paints its LEDs when the light thread reports a change; its tab need not poll.
  virtual bool PaintsOnLedChange() const { return false; }
  // Relabels the key buttons and refills the key information list.
  virtual void ShowKeyAssignments() {}
  virtual void SelectKey(int /*index*/) {}
  // Switches "device_function_switch" (fPage) and "device_key_function_switch" (kPage); -1
  // leaves a layout as it is.
  virtual void ShowFunctionTab(int /*fPage*/, int /*kPage*/) {}
  // Shows the driver's light effect (and the keyboard's music record) on the lighting panel.
  virtual void ShowLighting();
  // The light modes and the macro catalogue were (re)loaded.
  virtual void ShowCatalogues() {}
  // Lighting synchronisation is offered only while more than one device tab is shown: the
  // lighting panel shows its synchronisation button for the modes that have one.
  virtual void SetSyncAllowed(bool allowed);
  // The page's lighting panel ("light_control") and its routes.
  CLightControlRoutes& Lighting();

  // ---- profiles ------------------------------------------------------------------------------
  // Binds the page's profile control ("DeviceProfileItem") to the driver's profile list and
  // fills it; a page whose layout has none gets one at the end of its function tab row, or at
  // the top of its picture card. Runs after BuildPage, once the driver's list is open.
  void SetUpProfileControl();
  CDeviceProfileUI* ProfileControl() const;
  // Timer 1055 fired: the profile chosen in the list becomes the device's.
  void SwitchToChosenProfile(IPageHost& host);
  // A macro recording runs: the profile may not change meanwhile.
  void SetRecordingLock(bool locked);

  // ---- IDeviceObserver: any thread ------------------------------------------------------------
  void OnProfileStateChanged() override;
  void OnKeyAssignmentsChanged() override;
  void OnCataloguesLoaded() override;
  void OnPowerChanged(const uint8_t* bytes, int count) override;
  void OnReloadRequested(int delayMs) override;

  // ---- routes -------------------------------------------------------------------------------------
  // Runs the route of one of this page's controls; false when the page has none for it.
  bool Route(ui::TNotifyUI& msg, IPageHost& host);
  std::vector<std::string> RouteNames();

  // Runs task on the page's thread (queued even on that thread).
  void PostToUiThread(std::function<void()> task);

  // Registers a page class under its class name (and so its short form) in the control factory.
  template <class Page>
  static void RegisterPage(const std::string& className) {
    RegisterCreator(className, [](QWidget* parent) -> QWidget* { return new Page(parent); });
  }
  // Registers the base page class itself.
  static void RegisterPageControls();

 protected:
  // Showing the page paints the LED state at once: it moved on while the page was away. Showing,
  // hiding (behind another page, with the window in the tray) and minimising the window tell the
  // device whether its picture is on screen, so that an animation nothing shows rests.
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  // Watches the page's window for minimising and restoring.
  bool eventFilter(QObject* watched, QEvent* event) override;
  // Visible and its window not minimised: only then are the light buttons worth updating.
  bool IsOnScreen() const;
  // Makes function tab n (1..8) the device's and shows its layouts.
  void OpenFunctionTab(int n);
  // Whether PaintLeds should paint now: the page is on screen (visible, its window not
  // minimised) and the last paint is kMinLedPaintGap old, or the page was off screen since.
  bool LedPaintDue();
  // Since the last paint LedPaintDue allowed; whether the page was off screen since then.
  std::chrono::steady_clock::duration SinceLedPaint() const { return Now() - lastLedPaint_; }
  bool LedsStale() const { return ledsStale_; }
  // The next paint shows the current state at once, whatever the gap.
  void MarkLedsStale() { ledsStale_ = true; }
  std::chrono::steady_clock::time_point Now() const {
    return clock_ ? clock_() : std::chrono::steady_clock::now();
  }
  // Shows an LED word (LedValue) on a light button; false when the button already showed it.
  static bool PaintLight(ui::CDeviceKeyButtonUI* button, uint32_t word);
  // The routes of the page's controls; the base registers those every device page has (the
  // function tabs, the default button, the profile commands, the lighting panel).
  virtual void RegisterRoutes(CRouteTable& routes);
  // The window, while a route runs.
  IPageHost& Host() const { return *host_; }
  // The driver's model changed: save it and write it to the device, once per burst.
  void Commit();

 private:
  friend class CProfileCommandRoutes;
  static void RegisterCreator(const std::string& className, std::function<QWidget*(QWidget*)> creator);
  void BuildRoutes();
  CProfileCommandRoutes& ProfileCommands();

  CTessaroUSBDevice* device_ = nullptr;
  TimerSink timerSink_;
  PowerSink powerSink_;
  std::optional<CRouteTable> routes_;
  IPageHost noHost_;
  IPageHost* host_ = &noHost_;
  Clock clock_;
  std::chrono::steady_clock::time_point lastLedPaint_{};
  bool ledsStale_ = true;  // the page was off screen since its last paint: paint at once
  QPointer<CDeviceProfileUI> profileControl_;
  std::shared_ptr<CProfileCommandRoutes> profileCommands_;
  std::unique_ptr<CLightControlRoutes> lighting_;
};

}  // namespace orlo
