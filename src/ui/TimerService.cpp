#include "ui/TimerService.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "ui/NotifyBridge.h"
#include "ui/NotifyUI.h"

namespace orlo::ui {

CTimerService& CTimerService::Instance() {
  static CTimerService* service = new CTimerService;  // lives as long as the process
  return *service;
}

void CTimerService::SetTimer(QWidget* control, int id, int ms) {
  if (control == nullptr) return;
  const auto key = qMakePair(static_cast<QObject*>(control), id);
  QTimer* timer = timers_.value(key, nullptr);
  if (timer == nullptr) {
    timer = new QTimer(control);  // dies with its control
    timers_.insert(key, timer);
    QPointer<QWidget> target(control);
    connect(timer, &QTimer::timeout, this, [this, target, id] {
      if (target) Fire(target.data(), id);
    });
    connect(timer, &QObject::destroyed, this, [this, key, timer] {
      if (timers_.value(key, nullptr) == timer) timers_.remove(key);
    });
  }
  timer->start(ms < 0 ? 0 : ms);
}

void CTimerService::KillTimer(QWidget* control, int id) {
  // Stopped, not deleted: fire-once timers are killed and armed again on every expiry (the LED
  // timer every 10 ms), and a new QTimer each time only made work. It dies with its control.
  if (QTimer* timer = timers_.value(qMakePair(static_cast<QObject*>(control), id), nullptr)) timer->stop();
}

void CTimerService::KillTimers(QWidget* control) {
  for (auto it = timers_.cbegin(); it != timers_.cend(); ++it) {
    if (it.key().first == control) it.value()->stop();
  }
}

bool CTimerService::IsArmed(QWidget* control, int id) const {
  QTimer* timer = timers_.value(qMakePair(static_cast<QObject*>(control), id), nullptr);
  return timer != nullptr && timer->isActive();
}

void CTimerService::Fire(QWidget* control, int id) {
  if (auto* handler = dynamic_cast<ITimerHandlerUI*>(control)) {
    if (handler->OnControlTimer(id)) return;
  }
  CNotifyBridge::SendNotify(control, notify::kTimer, id, 0);
}

}  // namespace orlo::ui
