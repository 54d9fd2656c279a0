#include "platform/bus/SleepWatch.h"

#include <atomic>

#include "platform/DebugLog.h"

namespace orlo::bus {

namespace {
QString NextConnectionName() {
  static std::atomic<int> counter{0};
  return QStringLiteral("orlo-sleep-watch-%1").arg(counter++);
}
}  // namespace

SleepWatch::SleepWatch(const QString& address, QObject* parent)
    : QObject(parent),
      connectionName_(address.isEmpty() ? QString() : NextConnectionName()),
      connection_(address.isEmpty() ? QDBusConnection::systemBus()
                                    : QDBusConnection::connectToBus(address, connectionName_)) {
  if (!connection_.isConnected()) {
    DebugLine("no system bus: suspend and resume are not followed");
    return;
  }
  watching_ = connection_.connect(kLoginService, kLoginPath, kLoginInterface, QStringLiteral("PrepareForSleep"),
                                  this, SLOT(OnPrepareForSleep(bool)));
}

SleepWatch::~SleepWatch() {
  if (watching_)
    connection_.disconnect(kLoginService, kLoginPath, kLoginInterface, QStringLiteral("PrepareForSleep"), this,
                           SLOT(OnPrepareForSleep(bool)));
  if (!connectionName_.isEmpty()) QDBusConnection::disconnectFromBus(connectionName_);
}

void SleepWatch::OnPrepareForSleep(bool start) {
  if (start) {
    DebugLine("the machine goes to sleep");
    emit Suspending();
  } else {
    DebugLine("the machine resumed");
    emit Resumed();
  }
}

}  // namespace orlo::bus
