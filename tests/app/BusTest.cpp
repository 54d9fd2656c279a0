#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <QThread>
#include <optional>

#include "platform/bus/DBusBus.h"
#include "platform/bus/LoopbackBus.h"
#include "platform/bus/RegisteredMessages.h"
#include "platform/bus/SingleInstance.h"

namespace orlo::bus {
namespace {

struct Received {
  uint32_t id = 0;
  int64_t w = 0, l = 0;
  int count = 0;
};

template <class Pred>
bool PumpUntil(Pred pred, int ms = 3000) {
  QDeadlineTimer deadline(ms);
  while (!pred()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    QThread::msleep(2);
  }
  return true;
}

bool HaveSessionBus() { return QDBusConnection::sessionBus().isConnected(); }

TEST(RegisteredMessagesTest, NamesMapToStableDistinctNumbers) {
  const RegisteredMessages& m = Messages();
  EXPECT_EQ(m.instance, kFirstRegisteredMessage);
  EXPECT_EQ(RegisterWindowMessage("Tavrin ORLO"), m.instance);
  // The audio-record string differs from its neighbours in one letter; it is its own message.
  EXPECT_NE(m.audioRecord, m.divuRudoReport);
  EXPECT_EQ(RegisterWindowMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBE19}"), m.audioRecord);
  EXPECT_EQ(RegisteredMessageName(m.gameDeath), "Game_Death");
  EXPECT_TRUE(m.IsGame(m.gameStart));
  EXPECT_FALSE(m.IsGame(m.instance));
  EXPECT_TRUE(m.IsHook(m.hook[13]));
  EXPECT_TRUE(m.IsMouse(RegisterWindowMessage("UWM_MOUSERBUTTONDOWN_USER_MSG")));

  const uint32_t a = RegisterWindowMessage("BusTest_private_one");
  const uint32_t b = RegisterWindowMessage("BusTest_private_two");
  EXPECT_GE(a, kFirstRegisteredMessage + FixedMessageTable().size());
  EXPECT_NE(a, b);
  EXPECT_EQ(RegisterWindowMessage("BusTest_private_one"), a);
  EXPECT_EQ(RegisterWindowMessage(""), 0u);
  EXPECT_FALSE(RegisteredMessageName(0x1234).has_value());
  EXPECT_FALSE(RegisteredMessageName(kLastRegisteredMessage).has_value());
}

TEST(LoopbackBusTest, BroadcastReachesOthersAndDataGoesToTheNamedPeer) {
  auto hub = std::make_shared<LoopbackHub>();
  auto a = hub->Connect();
  auto b = hub->Connect();
  Received ra, rb;
  a->SetMessageHandler([&](uint32_t id, int64_t w, int64_t l) { ra = {id, w, l, ra.count + 1}; });
  b->SetMessageHandler([&](uint32_t id, int64_t w, int64_t l) { rb = {id, w, l, rb.count + 1}; });

  EXPECT_TRUE(a->Broadcast(Messages().lightControlNotify, 1, 0));
  EXPECT_EQ(rb.count, 1);
  EXPECT_EQ(rb.id, Messages().lightControlNotify);
  EXPECT_EQ(rb.l, 0);
  EXPECT_EQ(ra.count, 0);
  EXPECT_FALSE(a->Broadcast(0x1234, 0, 0));
  EXPECT_EQ(rb.count, 1);

  std::vector<uint8_t> got;
  b->SetDataHandler([&](int64_t, uint32_t kind, const std::vector<uint8_t>& d) {
    EXPECT_EQ(kind, 7u);
    got = d;
  });
  EXPECT_FALSE(a->PeerPresent("Peer"));
  EXPECT_FALSE(a->SendData("Peer", 0, 7, {1, 2, 3}));
  ASSERT_TRUE(b->Publish("Peer"));
  EXPECT_FALSE(a->Publish("Peer"));  // a title has one owner
  EXPECT_TRUE(a->SendData("Peer", 0, 7, {1, 2, 3}));
  EXPECT_EQ(got, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_FALSE(a->SendData("Peer", 0, 7, std::vector<uint8_t>(kMaxDataBlock + 1, 0)));
  b.reset();
  EXPECT_FALSE(a->PeerPresent("Peer"));
}

TEST(DBusBusTest, TitlesBecomeValidBusNames) {
  EXPECT_EQ(TitleBusName("DivuRudo"), "org.tavrin.orlo.Window.DivuRudo");
  EXPECT_EQ(TitleBusName("Tavrin ORLO"), "org.tavrin.orlo.Window.Tavrin_20ORLO");
  EXPECT_EQ(TitleBusName("a.b"), "org.tavrin.orlo.Window.a_2Eb");
  EXPECT_EQ(TitleBusName(""), "org.tavrin.orlo.Window._");
}

TEST(DBusBusTest, MessagesAndDataCrossTheSessionBus) {
  if (!HaveSessionBus()) GTEST_SKIP() << "no session bus (scripts/test runs inside dbus-run-session)";
  DBusBus a(QStringLiteral("bus-test-a"));
  DBusBus b(QStringLiteral("bus-test-b"));
  ASSERT_TRUE(a.Connected());
  ASSERT_TRUE(b.Connected());
  Received ra, rb;
  a.SetMessageHandler([&](uint32_t id, int64_t w, int64_t l) { ra = {id, w, l, ra.count + 1}; });
  b.SetMessageHandler([&](uint32_t id, int64_t w, int64_t l) { rb = {id, w, l, rb.count + 1}; });

  ASSERT_TRUE(a.Broadcast(Messages().gameKill, 2, 0x1234567890LL));
  ASSERT_TRUE(PumpUntil([&] { return rb.count == 1; }));
  EXPECT_EQ(rb.id, Messages().gameKill);
  EXPECT_EQ(rb.w, 2);
  EXPECT_EQ(rb.l, 0x1234567890LL);
  // A program that names a message we have never heard of still reaches us under a new number.
  QDBusConnection raw = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "bus-test-raw");
  QDBusMessage custom = QDBusMessage::createSignal(kBusPath, kBusInterface, "Message");
  custom << QString("BusTest_from_outside") << qlonglong(5) << qlonglong(6);
  // Wrong argument types are dropped without effect.
  QDBusMessage bad = QDBusMessage::createSignal(kBusPath, kBusInterface, "Message");
  bad << QString("Game_Start") << QString("x") << 3;
  ASSERT_TRUE(raw.send(bad));
  ASSERT_TRUE(raw.send(custom));
  ASSERT_TRUE(PumpUntil([&] { return rb.count == 2; }));
  EXPECT_EQ(rb.id, RegisterWindowMessage("BusTest_from_outside"));
  EXPECT_EQ(rb.w, 5);
  QDBusConnection::disconnectFromBus("bus-test-raw");
  // a got the outside program's message but not its own broadcast, and not the malformed one.
  ASSERT_TRUE(PumpUntil([&] { return ra.count == 1; }));
  PumpUntil([] { return false; }, 100);
  EXPECT_EQ(ra.count, 1);
  EXPECT_EQ(ra.id, RegisterWindowMessage("BusTest_from_outside"));
}

TEST(DBusBusTest, DataBlocksArriveByteExactAndOversizedOnesAreRefused) {
  if (!HaveSessionBus()) GTEST_SKIP() << "no session bus";
  DBusBus a(QStringLiteral("bus-test-c"));
  DBusBus b(QStringLiteral("bus-test-d"));
  std::optional<std::vector<uint8_t>> got;
  uint32_t gotKind = 0;
  int64_t gotW = 0;
  b.SetDataHandler([&](int64_t w, uint32_t kind, const std::vector<uint8_t>& d) {
    gotW = w;
    gotKind = kind;
    got = d;
  });
  EXPECT_FALSE(a.PeerPresent("BusTestPeer"));
  EXPECT_FALSE(a.SendData("BusTestPeer", 0, 5, {1}));
  ASSERT_TRUE(b.Publish("BusTestPeer"));
  EXPECT_TRUE(a.PeerPresent("BusTestPeer"));
  std::vector<uint8_t> block(1024);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<uint8_t>(i * 7 + 3);
  ASSERT_TRUE(a.SendData("BusTestPeer", 99, 5, block));
  ASSERT_TRUE(PumpUntil([&] { return got.has_value(); }));
  EXPECT_EQ(*got, block);
  EXPECT_EQ(gotKind, 5u);
  EXPECT_EQ(gotW, 99);
  EXPECT_FALSE(a.SendData("BusTestPeer", 0, 5, std::vector<uint8_t>(kMaxDataBlock + 1)));
}

TEST(SingleInstanceTest, SecondHolderIsRefusedUntilTheFirstEnds) {
  QTemporaryDir dir;
  const std::string path = QDir(dir.path()).filePath("orlo.lock").toStdString();
  {
    SingleInstance first(path);
    EXPECT_EQ(first.state(), SingleInstance::State::First);
    SingleInstance second(path);
    EXPECT_EQ(second.state(), SingleInstance::State::AlreadyRuns);
  }
  SingleInstance again(path);
  EXPECT_EQ(again.state(), SingleInstance::State::First);
  // No place for the lock: run as the first instance rather than not at all.
  SingleInstance nowhere(QDir(dir.path()).filePath("missing/dir/orlo.lock").toStdString());
  EXPECT_EQ(nowhere.state(), SingleInstance::State::NoLock);
}

TEST(SingleInstanceTest, LockLivesInTheRuntimeFolder) {
  QTemporaryDir dir;
  const QByteArray old = qgetenv("XDG_RUNTIME_DIR");
  qputenv("XDG_RUNTIME_DIR", dir.path().toUtf8());
  EXPECT_EQ(SingleInstance::DefaultLockPath(), dir.path().toStdString() + "/Tavrin ORLO.lock");
  qputenv("XDG_RUNTIME_DIR", old);
}

}  // namespace
}  // namespace orlo::bus
