#pragma once
// The sound the default output plays, taken from its monitor through the sound server's client
// library (a PulseAudio server, or PipeWire's PulseAudio service). The server mixes the monitor
// down to mono 32-bit float at 48 kHz and delivers about every 10 ms on the library's own thread;
// the samples go straight into a window of one analysis length and nowhere else.
#include <atomic>
#include <mutex>
#include <string>

#include "analysis/AudioSource.h"
#include "analysis/SampleWindow.h"

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

namespace orlo::audio {

class CPulseMonitorSource : public IAudioSource {
 public:
  explicit CPulseMonitorSource(size_t windowSize);
  ~CPulseMonitorSource() override;
  CPulseMonitorSource(const CPulseMonitorSource&) = delete;
  CPulseMonitorSource& operator=(const CPulseMonitorSource&) = delete;

  bool Start(std::string& error) override;
  double SampleRate() const override;
  void Latest(std::span<float> window, TimePoint now) override;
  std::string Failure() const override;

 private:
  static void OnContextState(pa_context* context, void* self);
  static void OnStreamState(pa_stream* stream, void* self);
  static void OnRead(pa_stream* stream, size_t bytes, void* self);
  void Fail(const std::string& reason);
  void Stop();

  CSampleWindow window_;
  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  std::atomic<bool> failed_{false};
  mutable std::mutex failureMutex_;
  std::string failure_;
};

}  // namespace orlo::audio
