// Host cost of one command exchange: Transact against a simulated mouse that answers at once, so
// everything measured is our side (link, channel, backend and the simulated firmware's own
// bookkeeping — an upper bound on the host's overhead). Reported per transaction and as a
// fraction of one 1 ms full-speed USB frame, the time a real device takes to answer.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "device/link/DeviceLink.h"
#include "platform/DebugLog.h"
#include "sim/SimBackend.h"

namespace {

using orlo::CDeviceLink;

struct Rig {
  std::shared_ptr<orlo::sim::SimBackend> backend;
  std::unique_ptr<CDeviceLink> link;

  explicit Rig(bool receiver) {
    orlo::sim::SimOptions options;
    options.persist = false;
    options.latency = std::chrono::microseconds(0);
    backend = orlo::sim::MakeSimBackend(receiver ? "mouse-receiver" : "mouse", options);
    link = std::make_unique<CDeviceLink>(backend);
    link->SetMode(receiver ? CDeviceLink::kReceiverModeValue : 1);
    const auto paths = backend->Enumerate();
    if (!paths) return;
    for (const auto& path : *paths) {
      if (path.find("&col04") != std::string::npos && link->OpenChannel(receiver, path)) {
        link->SetOpen(true);
        break;
      }
    }
  }
};

void Report(benchmark::State& state, double nanoseconds, int64_t exchanges) {
  const double perExchange = exchanges ? nanoseconds / static_cast<double>(exchanges) : 0.0;
  state.counters["us_per_txn"] = perExchange / 1000.0;
  state.counters["usb_frame_fraction"] = perExchange / 1.0e6;  // one frame is 1 ms
}

void BM_Transact(benchmark::State& state) {
  const bool receiver = state.range(0) != 0;
  const bool traced = state.range(1) != 0;
  Rig rig(receiver);
  if (!rig.link->IsOpen()) {
    state.SkipWithError("simulated mouse not found");
    return;
  }
  orlo::SetTracePath(traced ? "/dev/null" : "");
  uint8_t request[CDeviceLink::kReportSize];
  CDeviceLink::BuildRequest(request, orlo::kCmdReadSettings, 24, 0, nullptr, 0);
  uint8_t reply[CDeviceLink::kReportSize];
  double ns = 0;
  int64_t n = 0;
  for (auto _ : state) {
    size_t got = 0;
    auto t0 = std::chrono::steady_clock::now();
    const int result = rig.link->Transact(request, sizeof request, reply, sizeof reply, &got);
    ns += std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count();
    ++n;
    if (result != orlo::kLinkOk) {
      state.SkipWithError("exchange failed");
      break;
    }
    benchmark::DoNotOptimize(reply);
  }
  orlo::SetTracePath("");
  Report(state, ns, n);
}
BENCHMARK(BM_Transact)
    ->ArgNames({"receiver", "traced"})
    ->Args({0, 0})
    ->Args({1, 0})
    ->Args({0, 1});

// A whole 512-byte key table: ten exchanges in wired mode, with the command lock and chunking.
void BM_ReadKeyTable(benchmark::State& state) {
  Rig rig(false);
  if (!rig.link->IsOpen()) {
    state.SkipWithError("simulated mouse not found");
    return;
  }
  std::vector<uint8_t> table(512);
  int64_t exchanges = 0;
  double ns = 0;
  for (auto _ : state) {
    auto t0 = std::chrono::steady_clock::now();
    if (rig.link->ReadKeyTable(table.data(), table.size()) != orlo::kLinkOk) {
      state.SkipWithError("read failed");
      break;
    }
    ns += std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - t0).count();
    exchanges += 10;
  }
  Report(state, ns, exchanges);
}
BENCHMARK(BM_ReadKeyTable);

}  // namespace

BENCHMARK_MAIN();
