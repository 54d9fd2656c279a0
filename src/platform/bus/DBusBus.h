#pragma once
// Session-bus backend. A message is the signal org.tavrin.orlo.Bus.Message (s name, x wParam,
// x lParam) on /org/tavrin/orlo, sent to everyone; a data block is the method CopyData
// (x wParam, u kind, ay data) called on the bus name of the receiving title,
// "org.tavrin.orlo.Window." + the title with every byte that is not a letter or digit written
// as "_" and two hex digits ("Tavrin ORLO" -> "org.tavrin.orlo.Window.Tavrin_20ORLO").
// Outside programs can take part with gdbus or dbus-send.
#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "platform/bus/MessageBus.h"

namespace orlo::bus {

inline constexpr const char* kBusPath = "/org/tavrin/orlo";
inline constexpr const char* kBusInterface = "org.tavrin.orlo.Bus";

QString TitleBusName(const std::string& title);

class DBusBus : public QObject, public MessageBus {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.tavrin.orlo.Bus")

 public:
  // The process's session-bus connection; a private connection of that name when
  // connectionName is given (tests use two endpoints in one process this way).
  explicit DBusBus(const QString& connectionName = {});
  // A private connection to the bus at `address` (a bus daemon of its own, for tests).
  DBusBus(const QString& connectionName, const QString& address);
  ~DBusBus() override;

  bool Connected() const override { return connected_; }
  bool Broadcast(uint32_t id, int64_t wParam, int64_t lParam) override;
  bool Publish(const std::string& title) override;
  bool PeerPresent(const std::string& title) override;
  bool SendData(const std::string& title, int64_t wParam, uint32_t kind,
                const std::vector<uint8_t>& data) override;
  bool PostData(const std::string& title, int64_t wParam, uint32_t kind,
                const std::vector<uint8_t>& data) override;
  void SetMessageHandler(MessageHandler handler) override { onMessage_ = std::move(handler); }
  void SetDataHandler(DataHandler handler) override { onData_ = std::move(handler); }
  void SetStatusHandler(std::function<std::string()> handler) override { onStatus_ = std::move(handler); }
  // Asks the endpoint published under `title` its Status; nullopt when it does not answer
  // within `timeoutMs`.
  std::optional<std::string> AskStatus(const std::string& title, int timeoutMs);

  // Blocks until the bus has received everything sent so far (a short-lived sender calls it
  // before it exits).
  void Flush();

 public Q_SLOTS:
  Q_SCRIPTABLE void CopyData(qlonglong wParam, uint kind, const QByteArray& data);
  // What the status handler answers (empty without one).
  Q_SCRIPTABLE QString Status();

 private Q_SLOTS:
  void OnSignal(const QDBusMessage& message);

 private:
  void Init();

  QDBusConnection connection_;
  QString privateName_;
  bool connected_ = false;
  MessageHandler onMessage_;
  DataHandler onData_;
  std::function<std::string()> onStatus_;
};

}  // namespace orlo::bus
