#pragma once
// Base of the device pages. A page is a QWidget (the root of its layout, created through the
// control factory by its class name) and the view of one driver: Attach makes it the driver's
// IDeviceObserver. The driver may call the hand-offs from its worker threads, so they only
// queue work onto the page's thread.
//
// Who provides what:
// - PostToUiThread: the page itself (a queued invocation on the page's thread).
// - ArmTimer: the device tab owns timers 1000..1007 and sets the callback with SetTimerSink.
// - PostMainMessage: the main window sets the callback with SetMainMessageSink.
// Both callbacks run on the page's thread; a hand-off without a sink is dropped.
#include <QPointer>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <string>

#include "device/model/DeviceObserver.h"

namespace orlo {

class CTessaroUSBDevice;

class CDevicePageUI : public QWidget, public IDeviceObserver {
  Q_OBJECT
 public:
  using TimerSink = std::function<void(int id, int ms)>;
  using MainMessageSink = std::function<void(int message, intptr_t wParam, intptr_t lParam)>;

  static constexpr const char* kClassName = "CDevicePageUI";

  explicit CDevicePageUI(QWidget* parent = nullptr);
  ~CDevicePageUI() override;

  // Makes this page the driver's observer (null detaches). The previous driver, if any, stops
  // reporting here. The driver must outlive the page or be detached first.
  void Attach(CTessaroUSBDevice* device);
  CTessaroUSBDevice* Device() const { return device_; }

  void SetTimerSink(TimerSink sink) { timerSink_ = std::move(sink); }
  void SetMainMessageSink(MainMessageSink sink) { mainSink_ = std::move(sink); }

  // Page class name as registered in the control factory.
  virtual std::string GetPageClassName() const { return kClassName; }

  // IDeviceObserver hand-offs; safe from any thread.
  void PostToUiThread(std::function<void()> task) override;
  void ArmTimer(int id, int ms) override;
  void PostMainMessage(int message, intptr_t wParam, intptr_t lParam) override;

  // Registers a page class under its class name (and so its short form) in the control factory.
  template <class Page>
  static void RegisterPage(const std::string& className) {
    RegisterCreator(className, [](QWidget* parent) -> QWidget* { return new Page(parent); });
  }
  // Registers the base page class itself.
  static void RegisterPageControls();

 private:
  static void RegisterCreator(const std::string& className,
                              std::function<QWidget*(QWidget*)> creator);

  CTessaroUSBDevice* device_ = nullptr;
  TimerSink timerSink_;
  MainMessageSink mainSink_;
};

}  // namespace orlo
