#pragma once
// A simulated wired mouse, its driver and the mouse page built from its layout inside a window
// whose notifications go through the router, as in the main window.
#include <QApplication>
#include <QCoreApplication>

#include "device/mouse/MouseDeviceTestSupport.h"
#include "pages/common/DeviceFamilies.h"
#include "pages/RoutedWindow.h"
#include "pages/mouse/MousePageUI.h"
#include "sim/SimProtocol.h"
#include "ui/ControlFactory.h"
#include "ui/DialogBuilder.h"
#include "ui/NotifyBridge.h"

namespace orlo::testing_support {

class MousePageRig : public MouseRig {
 protected:
  void SetUp() override {
    MouseRig::SetUp();
    ui::RegisterToolkitControls();
    RegisterDeviceFamilies();
    window_ = std::make_unique<RoutedWindow>();
    window_->resize(1000, 520);
  }
  void TearDown() override {
    if (mouse_) mouse_->StopLightThread();
    page_ = nullptr;
    window_.reset();  // the page detaches from the driver as it goes
    MouseRig::TearDown();
  }

  // Connects the mouse, builds its page and runs first contact as the device tab would.
  void OpenPage(bool receiver = false) {
    Connect(receiver);
    ui::CDialogBuilder builder;
    QWidget* root = builder.Create("XML\\DeviceXml\\mousedevice.xml", nullptr, window_.get());
    ASSERT_NE(root, nullptr) << builder.LastError();
    page_ = qobject_cast<CMousePageUI*>(root);
    ASSERT_NE(page_, nullptr);
    ui::CNotifyBridge::Instance().Attach(page_);
    page_->Attach(mouse_.get());
    mouse_->SetNames("mouse", "velko_light");
    mouse_->OpenProfileList();
    page_->BuildPage();
    mouse_->OnFirstContact();
    window_->selected = mouse_.get();
    Settle();
  }

  // Runs what the driver's notifications posted to the UI thread.
  static void Settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }

  // The burst of changes is over: the debounce commits now, the driver's worker writes it, and
  // the page shows what the driver reported.
  void Flush() {
    mouse_->Debounce().Fire();
    ASSERT_TRUE(mouse_->Session().Drain(std::chrono::seconds(10)));
    Settle();
  }

  template <class T>
  T* Find(const std::string& name) const {
    return page_->findChild<T*>(QString::fromStdString(name));
  }

  // Sends a notification from a named control of the page, as the bridge would, and lets the
  // change reach the device.
  void Raise(const std::string& name, const char* type, int64_t wParam = 0) {
    RaiseOnly(name, type, wParam);
    Flush();
  }
  // The notification alone: a commit it asks for waits for the debounce.
  void RaiseOnly(const std::string& name, const char* type, int64_t wParam = 0) {
    QWidget* sender = Find<QWidget>(name);
    ui::TNotifyUI msg{type, sender, name, wParam, 0};
    window_->Notify(msg);
  }

  std::unique_ptr<RoutedWindow> window_;
  CMousePageUI* page_ = nullptr;
};

}  // namespace orlo::testing_support
