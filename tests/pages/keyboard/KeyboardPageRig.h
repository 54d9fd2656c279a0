#pragma once
// A simulated wired keyboard, its driver and the keyboard page built from its layout inside a
// window whose notifications go through the router, as in the main window.
#include <QApplication>
#include <QCoreApplication>

#include "device/keyboard/KeyboardDeviceTestSupport.h"
#include "pages/RoutedWindow.h"
#include "pages/common/DeviceFamilies.h"
#include "pages/keyboard/KeyboardPageUI.h"
#include "ui/ControlFactory.h"
#include "ui/DialogBuilder.h"
#include "ui/NotifyBridge.h"

namespace orlo::testing_support {

class KeyboardPageRig : public KeyboardRig {
 protected:
  void SetUp() override {
    KeyboardRig::SetUp();
    ui::RegisterToolkitControls();
    RegisterDeviceFamilies();
    window_ = std::make_unique<RoutedWindow>();
    window_->resize(1000, 640);
  }
  void TearDown() override {
    if (keyboard_) keyboard_->StopLightThread();
    page_ = nullptr;
    window_.reset();  // the page detaches from the driver as it goes
    KeyboardRig::TearDown();
  }

  // Connects the keyboard, builds its page and runs first contact as the device tab would.
  void OpenPage() {
    Connect(false);
    ui::CDialogBuilder builder;
    QWidget* root = builder.Create("XML\\DeviceXml\\keyboarddevice.xml", nullptr, window_.get());
    ASSERT_NE(root, nullptr) << builder.LastError();
    page_ = qobject_cast<CKeyboardPageUI*>(root);
    ASSERT_NE(page_, nullptr);
    ui::CNotifyBridge::Instance().Attach(page_);
    page_->Attach(keyboard_.get());
    keyboard_->OpenProfileList();
    page_->BuildPage();
    keyboard_->OnFirstContact();
    window_->selected = keyboard_.get();
    Settle();
  }

  static void Settle() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }

  // The burst of changes is over: the debounce commits now and the driver's worker writes it.
  void Flush() {
    keyboard_->Debounce().Fire();
    ASSERT_TRUE(keyboard_->Session().Drain(std::chrono::seconds(10)));
    Settle();
  }

  template <class T>
  T* Find(const std::string& name) const {
    return page_->findChild<T*>(QString::fromStdString(name));
  }

  // Sends a notification from a named control of the page, as the bridge would, and lets the
  // change reach the keyboard.
  void Raise(const std::string& name, const char* type, int64_t wParam = 0) {
    QWidget* sender = Find<QWidget>(name);
    ui::TNotifyUI msg{type, sender, name, wParam, 0};
    window_->Notify(msg);
    Flush();
  }

  std::unique_ptr<RoutedWindow> window_;
  CKeyboardPageUI* page_ = nullptr;
};

}  // namespace orlo::testing_support
