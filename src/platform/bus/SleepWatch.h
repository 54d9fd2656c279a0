#pragma once
// Suspend and resume of the machine, as the login manager announces them: the signal
// org.freedesktop.login1.Manager.PrepareForSleep (b start) on the system bus, true before the
// machine sleeps and false once it has resumed. Tests give a bus of their own.
#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace orlo::bus {

inline constexpr const char* kLoginService = "org.freedesktop.login1";
inline constexpr const char* kLoginPath = "/org/freedesktop/login1";
inline constexpr const char* kLoginInterface = "org.freedesktop.login1.Manager";

class SleepWatch : public QObject {
  Q_OBJECT
 public:
  // address empty: the system bus; else a private connection to the bus at `address`.
  explicit SleepWatch(const QString& address = {}, QObject* parent = nullptr);
  ~SleepWatch() override;

  // False when there is no such bus (no login manager to hear from).
  bool Watching() const { return watching_; }

 Q_SIGNALS:
  void Suspending();
  void Resumed();

 private Q_SLOTS:
  void OnPrepareForSleep(bool start);

 private:
  QString connectionName_;
  QDBusConnection connection_;
  bool watching_ = false;
};

}  // namespace orlo::bus
