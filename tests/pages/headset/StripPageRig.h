#pragma once
// A simulated mousepad or headset, its driver and its page built from its layout inside a window
// whose notifications go through the router, as in the main window.
#include <QCoreApplication>
#include <functional>
#include <memory>
#include <string>

#include "device/mousepad/StripDeviceRig.h"
#include "pages/RoutedWindow.h"
#include "pages/common/DeviceFamilies.h"
#include "ui/ControlFactory.h"
#include "ui/DialogBuilder.h"
#include "ui/NotifyBridge.h"

namespace orlo::testing_support {

template <class Driver, class Sim, class Page>
class StripPageRig : public StripDeviceRig<Driver, Sim> {
 protected:
  using Base = StripDeviceRig<Driver, Sim>;
  void SetUp() override {
    Base::SetUp();
    ui::RegisterToolkitControls();
    RegisterDeviceFamilies();
    window_ = std::make_unique<RoutedWindow>();
  }
  void TearDown() override {
    if (this->driver_) this->driver_->StopLightThread();
    page_ = nullptr;
    window_.reset();
    Base::TearDown();
  }
  void OpenPage(const std::string& word, uint16_t family, const char* layout,
                const std::function<void(Driver&)>& prepare = {}) {
    this->Connect(word, family);
    if (prepare) prepare(*this->driver_);
    ui::CDialogBuilder builder;
    QWidget* root = builder.Create(layout, nullptr, window_.get());
    ASSERT_NE(root, nullptr) << builder.LastError();
    page_ = qobject_cast<Page*>(root);
    ASSERT_NE(page_, nullptr);
    ui::CNotifyBridge::Instance().Attach(page_);
    page_->Attach(this->driver_.get());
    page_->BuildPage();
    this->driver_->OnFirstContact();
    window_->selected = this->driver_.get();
    Settle();
  }
  // The device's worker has done what the routes gave it, and the page shows the result.
  void Settle() {
    ASSERT_TRUE(this->driver_->Session().Drain(std::chrono::seconds(10)));
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
  }
  void Raise(const std::string& name, const char* type, int64_t wParam = 0) {
    ui::TNotifyUI msg{type, page_->template findChild<QWidget*>(QString::fromStdString(name)), name, wParam, 0};
    window_->Notify(msg);
    Settle();
  }
  template <class T>
  T* Find(const std::string& name) const {
    return page_->template findChild<T*>(QString::fromStdString(name));
  }

  std::unique_ptr<RoutedWindow> window_;
  Page* page_ = nullptr;
};

}  // namespace orlo::testing_support
