#pragma once
// A bus daemon of the test's own, so that programs started by tests running in parallel do not
// hear each other.
#include <QDeadlineTimer>
#include <QProcess>
#include <QString>

class PrivateBus {
 public:
  PrivateBus() {
    daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
    if (!daemon_.waitForStarted(5000)) return;
    QDeadlineTimer deadline(5000);
    while (!daemon_.canReadLine() && !deadline.hasExpired()) daemon_.waitForReadyRead(100);
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
  }
  ~PrivateBus() {
    daemon_.terminate();
    daemon_.waitForFinished(5000);
  }
  const QString& address() const { return address_; }

 private:
  QProcess daemon_;
  QString address_;
};
