#include "platform/bus/DBusBus.h"

#include <QDBusConnectionInterface>
#include <QVariant>

#include "platform/DebugLog.h"
#include "platform/bus/RegisteredMessages.h"

namespace orlo::bus {

QString TitleBusName(const std::string& title) {
  static const char* hex = "0123456789ABCDEF";
  QString name = QStringLiteral("org.tavrin.orlo.Window.");
  if (title.empty()) return name + QStringLiteral("_");
  for (unsigned char c : title) {
    bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (plain) {
      name += QChar(c);
    } else {
      name += QChar('_');
      name += QChar(hex[c >> 4]);
      name += QChar(hex[c & 15]);
    }
  }
  return name;
}

namespace {
QDBusConnection Open(const QString& connectionName) {
  if (connectionName.isEmpty()) return QDBusConnection::sessionBus();
  return QDBusConnection::connectToBus(QDBusConnection::SessionBus, connectionName);
}
}  // namespace

DBusBus::DBusBus(const QString& connectionName)
    : connection_(Open(connectionName)), privateName_(connectionName) {
  Init();
}

DBusBus::DBusBus(const QString& connectionName, const QString& address)
    : connection_(QDBusConnection::connectToBus(address, connectionName)), privateName_(connectionName) {
  Init();
}

void DBusBus::Init() {
  connected_ = connection_.isConnected();
  if (!connected_) {
    DebugLine("no session bus: messages to other programs are off");
    return;
  }
  connection_.connect(QString(), kBusPath, kBusInterface, QStringLiteral("Message"), this,
                      SLOT(OnSignal(QDBusMessage)));
  connection_.registerObject(kBusPath, this, QDBusConnection::ExportScriptableSlots);
}

DBusBus::~DBusBus() {
  if (connected_) {
    connection_.unregisterObject(kBusPath);
    connection_.disconnect(QString(), kBusPath, kBusInterface, QStringLiteral("Message"), this,
                           SLOT(OnSignal(QDBusMessage)));
  }
  if (!privateName_.isEmpty()) QDBusConnection::disconnectFromBus(privateName_);
}

bool DBusBus::Broadcast(uint32_t id, int64_t wParam, int64_t lParam) {
  if (!connected_) return false;
  auto name = RegisteredMessageName(id);
  if (!name) return false;
  QDBusMessage signal = QDBusMessage::createSignal(kBusPath, kBusInterface, QStringLiteral("Message"));
  signal << QString::fromStdString(*name) << qlonglong(wParam) << qlonglong(lParam);
  return connection_.send(signal);
}

void DBusBus::OnSignal(const QDBusMessage& message) {
  // Our own broadcasts come back to us; a window does not post to itself here.
  if (message.service() == connection_.baseService()) return;
  const QList<QVariant> args = message.arguments();
  if (args.size() != 3 || args[0].userType() != QMetaType::QString ||
      args[1].userType() != QMetaType::LongLong || args[2].userType() != QMetaType::LongLong) {
    return;
  }
  std::string name = args[0].toString().toStdString();
  if (name.empty() || name.size() > 256) return;
  uint32_t id = RegisterWindowMessage(name);
  if (id != 0 && onMessage_) onMessage_(id, args[1].toLongLong(), args[2].toLongLong());
}

bool DBusBus::Publish(const std::string& title) {
  if (!connected_ || title.empty()) return false;
  return connection_.registerService(TitleBusName(title));
}

bool DBusBus::PeerPresent(const std::string& title) {
  if (!connected_ || title.empty()) return false;
  auto reply = connection_.interface()->isServiceRegistered(TitleBusName(title));
  return reply.isValid() && reply.value();
}

bool DBusBus::SendData(const std::string& title, int64_t wParam, uint32_t kind,
                       const std::vector<uint8_t>& data) {
  if (!connected_ || data.size() > kMaxDataBlock || !PeerPresent(title)) return false;
  return PostData(title, wParam, kind, data);
}

bool DBusBus::PostData(const std::string& title, int64_t wParam, uint32_t kind,
                       const std::vector<uint8_t>& data) {
  if (!connected_ || title.empty() || data.size() > kMaxDataBlock) return false;
  QDBusMessage call = QDBusMessage::createMethodCall(TitleBusName(title), kBusPath, kBusInterface,
                                                     QStringLiteral("CopyData"));
  call << qlonglong(wParam) << uint(kind)
       << QByteArray(reinterpret_cast<const char*>(data.data()), static_cast<qsizetype>(data.size()));
  // Fire and forget: a slow peer must not stall the UI thread.
  return connection_.send(call);
}

void DBusBus::CopyData(qlonglong wParam, uint kind, const QByteArray& data) {
  if (data.size() < 0 || static_cast<size_t>(data.size()) > kMaxDataBlock) return;
  if (!onData_) return;
  std::vector<uint8_t> bytes(data.begin(), data.end());
  onData_(wParam, kind, bytes);
}

QString DBusBus::Status() { return onStatus_ ? QString::fromStdString(onStatus_()) : QString(); }

std::optional<std::string> DBusBus::AskStatus(const std::string& title, int timeoutMs) {
  if (!connected_ || title.empty()) return std::nullopt;
  QDBusMessage call = QDBusMessage::createMethodCall(TitleBusName(title), kBusPath, kBusInterface,
                                                     QStringLiteral("Status"));
  const QDBusMessage reply = connection_.call(call, QDBus::Block, timeoutMs);
  if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().size() != 1 ||
      reply.arguments()[0].userType() != QMetaType::QString)
    return std::nullopt;
  return reply.arguments()[0].toString().toStdString();
}

void DBusBus::Flush() {
  if (!connected_) return;
  // A round trip on the same connection: everything queued before it has reached the bus.
  connection_.call(QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                  QStringLiteral("/org/freedesktop/DBus"),
                                                  QStringLiteral("org.freedesktop.DBus.Peer"),
                                                  QStringLiteral("Ping")));
}

std::unique_ptr<MessageBus> OpenSessionBus() { return std::make_unique<DBusBus>(); }

}  // namespace orlo::bus
