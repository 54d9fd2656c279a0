#pragma once
// Per-control timers keyed by (control, id). A timer repeats until killed and dies with its
// control. On expiry a control implementing ITimerHandlerUI gets the first say; otherwise the
// owning window receives "timer" with the id in wParam.
#include <QHash>
#include <QObject>
#include <QPair>

class QTimer;
class QWidget;

namespace orlo::ui {

class CTimerService : public QObject {
  Q_OBJECT
 public:
  static CTimerService& Instance();

  // Arming an id that is already armed restarts it with the new period.
  void SetTimer(QWidget* control, int id, int ms);
  void KillTimer(QWidget* control, int id);
  void KillTimers(QWidget* control);
  bool IsArmed(QWidget* control, int id) const;

 private:
  CTimerService() = default;
  void Fire(QWidget* control, int id);

  QHash<QPair<QObject*, int>, QTimer*> timers_;
};

}  // namespace orlo::ui
