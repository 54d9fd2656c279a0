#include "pages/common/DevicePageUI.h"

#include <QMetaObject>

#include "device/model/TessaroUSBDevice.h"
#include "ui/ControlFactory.h"

namespace orlo {

CDevicePageUI::CDevicePageUI(QWidget* parent) : QWidget(parent) {}

CDevicePageUI::~CDevicePageUI() {
  // A driver that outlives its page must not call into freed memory.
  Attach(nullptr);
}

void CDevicePageUI::Attach(CTessaroUSBDevice* device) {
  if (device_ == device) return;
  if (device_ != nullptr && device_->Observer() == this) device_->SetObserver(nullptr);
  device_ = device;
  if (device_ != nullptr) device_->SetObserver(this);
}

void CDevicePageUI::PostToUiThread(std::function<void()> task) {
  if (!task) return;
  // Queued even on the page's own thread: the caller expects a posted message, not a call.
  QMetaObject::invokeMethod(this, [task = std::move(task)] { task(); }, Qt::QueuedConnection);
}

void CDevicePageUI::ArmTimer(int id, int ms) {
  QPointer<CDevicePageUI> self(this);
  QMetaObject::invokeMethod(
      this,
      [self, id, ms] {
        if (self && self->timerSink_) self->timerSink_(id, ms);
      },
      Qt::QueuedConnection);
}

void CDevicePageUI::PostMainMessage(int message, intptr_t wParam, intptr_t lParam) {
  QPointer<CDevicePageUI> self(this);
  QMetaObject::invokeMethod(
      this,
      [self, message, wParam, lParam] {
        if (self && self->mainSink_) self->mainSink_(message, wParam, lParam);
      },
      Qt::QueuedConnection);
}

void CDevicePageUI::RegisterCreator(const std::string& className,
                                    std::function<QWidget*(QWidget*)> creator) {
  ui::CControlFactory::GetInstance().RegistControl(className, std::move(creator));
}

void CDevicePageUI::RegisterPageControls() { RegisterPage<CDevicePageUI>(kClassName); }

}  // namespace orlo
