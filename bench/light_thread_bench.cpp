// Wake-ups per second and CPU time of the mouse driver's light thread animating its preview,
// against a loop that wakes every millisecond and counts ticks (the classic design), in one run.
//   bench_light_thread_bench [--light_seconds=N] [--light_mode=M] [--light_speed=S] [benchmark flags]
#include <benchmark/benchmark.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "device/model/RecordingObserver.h"
#include "device/mouse/TessaroMouseDevice.h"
#include "device/model/WorkerThread.h"
#include "device/model/PreviewTables.h"

namespace {

using namespace std::chrono;
using orlo::CTessaroMouseDevice;

double g_seconds = 10;
int g_mode = 0;
int g_speed = 2;

struct Result {
  double wakeupsPerSecond = 0;
  double cpuMsPerSecond = 0;
  double stepsPerSecond = 0;
};
Result g_driver, g_baseline;

double ProcessCpuMs() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec * 1e3 + ts.tv_nsec / 1e6;
}

orlo::LightInfo Effect() {
  orlo::LightInfo e;
  e.mode = static_cast<uint8_t>(g_mode);
  e.speed = static_cast<uint8_t>(g_speed);
  e.brightness = 4, e.direction = 1, e.multiColor = 1;
  return e;
}

// Runs body for the window and measures the process's CPU time meanwhile (the calling thread
// only sleeps).
template <typename Start, typename Stop>
void Measure(Start start, Stop stop, double& cpuMs, double& seconds) {
  start();
  std::this_thread::sleep_for(milliseconds(50));  // settle
  const double c0 = ProcessCpuMs();
  const auto t0 = steady_clock::now();
  std::this_thread::sleep_for(duration<double>(g_seconds));
  cpuMs = ProcessCpuMs() - c0;
  seconds = duration<double>(steady_clock::now() - t0).count();
  stop();
}

void BM_DriverLightThread(benchmark::State& state) {
  for (auto _ : state) {
    CTessaroMouseDevice mouse;
    orlo::CRecordingObserver obs;
    obs.keepLog = false;
    mouse.SetObserver(&obs);
    mouse.link().SetOpen(true);
    mouse.SetLightEffect(Effect());
    double cpu = 0, secs = 0;
    Measure(
        [&] {
          mouse.StartLightThread();
          std::this_thread::sleep_for(milliseconds(1));
        },
        [&] { mouse.StopLightThread(); }, cpu, secs);
    g_driver.wakeupsPerSecond = static_cast<double>(mouse.Preview().Passes()) / (secs + 0.05);
    g_driver.stepsPerSecond = static_cast<double>(obs.ledsChanged.load()) / (secs + 0.05);
    g_driver.cpuMsPerSecond = cpu / secs;
    state.SetIterationTime(secs);
  }
  state.counters["wakeups_per_s"] = g_driver.wakeupsPerSecond;
  state.counters["steps_per_s"] = g_driver.stepsPerSecond;
  state.counters["cpu_ms_per_s"] = g_driver.cpuMsPerSecond;
}

void BM_MillisecondLoop(benchmark::State& state) {
  for (auto _ : state) {
    CTessaroMouseDevice mouse;
    mouse.SetLightEffect(Effect());
    auto& preview = mouse.Preview();
    const auto plan = preview.PlanFor(g_mode, g_speed);
    orlo::CWorkerThread worker;
    std::atomic<uint64_t> wakeups{0}, steps{0};
    double cpu = 0, secs = 0;
    Measure(
        [&] {
          worker.Start([&](const orlo::CStopEvent& stop) {
            auto last = steady_clock::now();
            int count = 0;
            // Check the stop event every millisecond; count one each time the tick moved by more than 1 ms.
            while (!stop.WaitFor(milliseconds(1))) {
              wakeups.fetch_add(1, std::memory_order_relaxed);
              const auto now = steady_clock::now();
              if (now - last > milliseconds(1)) {
                last = now;
                if (++count >= plan.interval && plan.step) {
                  (preview.*plan.step)();
                  steps.fetch_add(1, std::memory_order_relaxed);
                  count = 0;
                }
              }
            }
          });
        },
        [&] { worker.Stop(); }, cpu, secs);
    g_baseline.wakeupsPerSecond = static_cast<double>(wakeups.load()) / (secs + 0.05);
    g_baseline.stepsPerSecond = static_cast<double>(steps.load()) / (secs + 0.05);
    g_baseline.cpuMsPerSecond = cpu / secs;
    state.SetIterationTime(secs);
  }
  state.counters["wakeups_per_s"] = g_baseline.wakeupsPerSecond;
  state.counters["steps_per_s"] = g_baseline.stepsPerSecond;
  state.counters["cpu_ms_per_s"] = g_baseline.cpuMsPerSecond;
}

bool TakeFlag(const char* arg, const char* name, double& value) {
  const size_t n = std::strlen(name);
  if (std::strncmp(arg, name, n) != 0 || arg[n] != '=') return false;
  value = std::atof(arg + n + 1);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  // The driver keeps its files under the data folder; keep them out of the user's.
  const auto folder = std::filesystem::temp_directory_path() / "orlo_light_bench";
  std::filesystem::create_directories(folder);
  ::setenv("XDG_DATA_HOME", folder.c_str(), 1);

  std::vector<char*> rest;
  for (int i = 0; i < argc; ++i) {
    double v = 0;
    if (i > 0 && TakeFlag(argv[i], "--light_seconds", v)) {
      g_seconds = v > 0 ? v : g_seconds;
    } else if (i > 0 && TakeFlag(argv[i], "--light_mode", v)) {
      g_mode = static_cast<int>(v);
    } else if (i > 0 && TakeFlag(argv[i], "--light_speed", v)) {
      g_speed = orlo::preview::SpeedIndex(static_cast<int>(v));
    } else {
      rest.push_back(argv[i]);
    }
  }
  int restCount = static_cast<int>(rest.size());
  benchmark::Initialize(&restCount, rest.data());
  benchmark::RegisterBenchmark("LightThread/driver", BM_DriverLightThread)
      ->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
  benchmark::RegisterBenchmark("LightThread/millisecond_loop", BM_MillisecondLoop)
      ->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();

  std::printf("\nmode %d, speed %d, %.1f s each\n", g_mode, g_speed, g_seconds);
  std::printf("%-18s %14s %12s %14s\n", "", "wake-ups/s", "steps/s", "CPU ms/s");
  std::printf("%-18s %14.1f %12.1f %14.3f\n", "driver", g_driver.wakeupsPerSecond, g_driver.stepsPerSecond,
              g_driver.cpuMsPerSecond);
  std::printf("%-18s %14.1f %12.1f %14.3f\n", "1 ms loop", g_baseline.wakeupsPerSecond,
              g_baseline.stepsPerSecond, g_baseline.cpuMsPerSecond);
  if (g_driver.wakeupsPerSecond > 0 && g_driver.cpuMsPerSecond > 0)
    std::printf("ratio (loop / driver): wake-ups %.1fx, CPU %.1fx\n",
                g_baseline.wakeupsPerSecond / g_driver.wakeupsPerSecond,
                g_baseline.cpuMsPerSecond / g_driver.cpuMsPerSecond);
  std::filesystem::remove_all(folder);
  return 0;
}
