// The simulated backend: paths, per-collection handles, plugging at run time, the --simulate
// list and use from several threads.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "sim/SimKeyboard.h"
#include "sim/SimMouse.h"
#include "SimTestSupport.h"

namespace orlo::sim::test {
namespace {

using hid::TransferStatus;
using namespace std::chrono_literals;

TEST(SimBackend, ListsEveryCollectionInTheHidrawPathForm) {
  auto backend = MakeSimBackend("mouse,headset", NoPersistence());
  const auto paths = backend->Enumerate();
  ASSERT_TRUE(paths);
  const std::vector<std::string> expected = {
      "sim:mouse#vid_320f&pid_222e&mi_00",       "sim:mouse#vid_320f&pid_222e&mi_01&col01",
      "sim:mouse#vid_320f&pid_222e&mi_01&col02", "sim:mouse#vid_320f&pid_222e&mi_01&col03",
      "sim:mouse#vid_320f&pid_222e&mi_01&col04", "sim:headset#vid_0000&pid_0000&mi_03"};
  EXPECT_EQ(*paths, expected);
  ASSERT_TRUE(backend->Unplug("mouse"));
  EXPECT_EQ(backend->Enumerate()->size(), 1u);
  EXPECT_EQ(backend->Open(expected[4], true, true), nullptr) << "an unplugged device cannot be opened";
  ASSERT_TRUE(backend->Plug("mouse"));
  EXPECT_EQ(backend->Enumerate()->size(), 6u);
}

TEST(SimBackend, OpensOnlyItsOwnPaths) {
  auto backend = MakeSimBackend("mouse", NoPersistence());
  EXPECT_EQ(backend->Open("/dev/hidraw0", true, true), nullptr);
  EXPECT_EQ(backend->Open("sim:keyboard#vid_0000&pid_0000&mi_01&col04", true, true), nullptr);
  EXPECT_EQ(backend->Open("sim:mouse#vid_320f&pid_222e&mi_01&col05", true, true), nullptr);
  EXPECT_EQ(backend->Open("sim:mouse#vid_320f&pid_222e&mi_01", true, true), nullptr)
      << "an interface with several collections needs its &col";
  auto h = backend->Open("SIM:MOUSE#VID_320F&PID_222E&MI_01&COL04", true, true);
  ASSERT_NE(h, nullptr) << "markers are matched without regard to case";
  EXPECT_EQ(h->CollectionIndex(), 3);
  EXPECT_EQ(h->Attributes().vendorId, 0x320F);
  EXPECT_EQ(h->Attributes().productId, 0x222E);
  EXPECT_EQ(h->ReportDescriptor(), SimMouse::CommandInterfaceDescriptor().bytes);
}

TEST(SimBackend, ReadsDeliverOnlyTheirCollectionsReports) {
  auto backend = MakeSimBackend("mouse", NoPersistence());
  auto mouse = std::dynamic_pointer_cast<SimMouse>(backend->Device("mouse"));
  auto command = backend->Open(CommandPath(*backend, "mouse"), true, true);
  auto companion = backend->Open(CompanionPath(*backend, "mouse"), true, true);
  ASSERT_TRUE(command && companion);

  ASSERT_TRUE(mouse->SwitchStage(2, 3));
  Report r{};
  EXPECT_EQ(command->Read(r.data(), r.size(), 20).status, TransferStatus::Timeout);
  const auto got = companion->Read(r.data(), r.size(), 100);
  ASSERT_EQ(got.status, TransferStatus::Ok);
  ASSERT_EQ(got.bytes, 3u) << "report id and one 16-bit usage";
  EXPECT_EQ(r[0], SimMouse::kCompanionReportId);
  EXPECT_EQ(r[1] | r[2] << 8, 0x1132);
  EXPECT_EQ(mouse->ActiveProfile(), 2);
  EXPECT_EQ(mouse->SettingsBlock(2)[12], 3);

  // A command written through the companion handle still reaches the firmware (the interface is
  // one USB function); its reply arrives on the command collection only.
  const auto request = MakeRequest(kCmdBeginConfig);
  ASSERT_EQ(companion->Write(request.data(), request.size(), 100).status, TransferStatus::Ok);
  EXPECT_EQ(companion->Read(r.data(), r.size(), 20).status, TransferStatus::Timeout);
  ASSERT_EQ(command->Read(r.data(), r.size(), 100).status, TransferStatus::Ok);
  EXPECT_EQ(r[3], kCmdBeginConfig);

  for (uint16_t usage : {0x401, 0x402, 0x403}) ASSERT_TRUE(mouse->SendCompanionEvent(usage));
  for (uint16_t usage : {0x401, 0x402, 0x403}) {
    ASSERT_EQ(companion->Read(r.data(), r.size(), 100).status, TransferStatus::Ok);
    EXPECT_EQ(r[1] | r[2] << 8, usage) << "events keep their order";
  }
}

TEST(SimBackend, EveryOpenHandleGetsItsOwnCopy) {
  auto backend = MakeSimBackend("keyboard", NoPersistence());
  auto a = backend->Open(CompanionPath(*backend, "keyboard"), true, true);
  auto b = backend->Open(CompanionPath(*backend, "keyboard"), true, false);
  ASSERT_TRUE(backend->Device("keyboard")->SendCompanionEvent(0x401));
  Report r{};
  EXPECT_EQ(a->Read(r.data(), r.size(), 100).status, TransferStatus::Ok);
  EXPECT_EQ(b->Read(r.data(), r.size(), 100).status, TransferStatus::Ok);
  EXPECT_EQ(b->Write(MakeRequest(kCmdBeginConfig).data(), kReportSize, 100).status, TransferStatus::Failed)
      << "opened without write access";
  a.reset();
  EXPECT_TRUE(backend->Device("keyboard")->SendCompanionEvent(0x402));
  EXPECT_EQ(b->Read(r.data(), r.size(), 100).status, TransferStatus::Ok);
}

TEST(SimBackend, SimulateListNamesEachDeviceOrFailsClearly) {
  auto backend = MakeSimBackend(" Mouse , mouse-receiver,keyboard,mousepad,headset ", NoPersistence());
  const std::vector<std::string> nodes = {"mouse", "mouse-receiver", "keyboard", "mousepad", "headset"};
  EXPECT_EQ(backend->Nodes(), nodes);
  EXPECT_EQ(backend->Device("mouse-receiver")->Attributes().productId, SimMouse::kReceiverProductId);
  EXPECT_FALSE(backend->Device("mouse-receiver")->Asleep());

  try {
    MakeSimBackend("mouse,trackball", NoPersistence());
    FAIL() << "an unknown name must be refused";
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find("trackball"), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("mouse-receiver-asleep"), std::string::npos) << "lists the known names";
  }
  EXPECT_THROW(MakeSimBackend("mouse,,keyboard", NoPersistence()), std::invalid_argument);
  EXPECT_THROW(MakeSimBackend("", NoPersistence()), std::invalid_argument);
}

TEST(SimBackend, WiredAndReceiverMouseAreOneMouse) {
  auto backend = MakeSimBackend("mouse,mouse-receiver,mouse", NoPersistence());
  EXPECT_EQ(backend->Nodes(), (std::vector<std::string>{"mouse", "mouse-receiver", "mouse-2"}));
  auto wired = backend->Open(CommandPath(*backend, "mouse"), true, true);
  auto receiver = backend->Open(CommandPath(*backend, "mouse-receiver"), true, true);
  auto second = backend->Open(CommandPath(*backend, "mouse-2"), true, true);
  ASSERT_EQ(WriteBlock(*receiver, kCmdWriteSettings, {0, 7}, 24, 128), kStatusOk);
  EXPECT_EQ(ReadBlock(*wired, kCmdReadSettings, 2, 56, 128), (std::vector<uint8_t>{0, 7}));
  EXPECT_NE(ReadBlock(*second, kCmdReadSettings, 2, 56, 128), (std::vector<uint8_t>{0, 7}))
      << "a second wired mouse is another mouse";
  // Asleep is a matter of the connection, not of the memory.
  backend->Device("mouse-receiver")->SetAsleep(true);
  EXPECT_EQ(Exchange(*wired, MakeRequest(kCmdReadInfo, 4)).reply[3], kCmdReadInfo);
  EXPECT_EQ(Exchange(*receiver, MakeRequest(kCmdReadInfo, 4)).reply[3], kReceiverUnreachable);
}

TEST(SimBackend, ReaderWriterAndPluggerThreads) {
  auto backend = MakeSimBackend("mouse", NoPersistence());
  auto mouse = backend->Device("mouse");
  std::atomic<bool> stop{false};
  std::atomic<int> answered{0}, events{0};

  // The command handle's writer and reader, the companion's reader, and a thread that plugs.
  std::thread commands([&] {
    while (!stop) {
      auto h = backend->Open(CommandPath(*backend, "mouse"), true, true);
      if (!h) continue;
      std::thread reader([&] {
        Report r{};
        while (!stop) {
          const auto res = h->Read(r.data(), r.size(), 20);
          if (res.status == TransferStatus::Failed) break;
          if (res.status == TransferStatus::Ok) ++answered;
        }
      });
      for (int i = 0; i < 200 && !stop; ++i) {
        if (h->Write(MakeRequest(kCmdReadInfo, 34).data(), kReportSize, 20).status == TransferStatus::Failed) break;
      }
      h->Cancel();
      reader.join();
    }
  });
  std::thread listener([&] {
    while (!stop) {
      auto h = backend->Open(CompanionPath(*backend, "mouse"), true, false);
      if (!h) continue;
      Report r{};
      while (!stop && h->Read(r.data(), r.size(), 20).status != TransferStatus::Failed) ++events;
    }
  });
  std::thread plugger([&] {
    for (int i = 0; i < 40; ++i) {
      mouse->SendCompanionEvent(0x401);
      std::this_thread::sleep_for(2ms);
      if (i % 10 == 9) {
        backend->Unplug("mouse");
        std::this_thread::sleep_for(2ms);
        backend->Plug("mouse");
      }
    }
  });
  plugger.join();
  std::this_thread::sleep_for(20ms);
  stop = true;
  commands.join();
  listener.join();
  EXPECT_GT(answered.load(), 0);
  EXPECT_GT(mouse->CommandCount(), 0u);
}

}  // namespace
}  // namespace orlo::sim::test
