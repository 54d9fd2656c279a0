#include "PulseMonitorSource.h"

#include <pulse/pulseaudio.h>

#include <chrono>

#include "analysis/CaptureSession.h"

namespace orlo::audio {

namespace {
constexpr const char* kClientName = "Tavrin ORLO music lighting";
// The monitor of whichever output is the default, followed when the user changes it.
constexpr const char* kDefaultMonitor = "@DEFAULT_MONITOR@";
constexpr pa_sample_spec kSpec{PA_SAMPLE_FLOAT32NE, static_cast<uint32_t>(kSampleRate), 1};
}  // namespace

CPulseMonitorSource::CPulseMonitorSource(size_t windowSize) : window_(windowSize) {}

CPulseMonitorSource::~CPulseMonitorSource() { Stop(); }

double CPulseMonitorSource::SampleRate() const { return kSpec.rate; }

void CPulseMonitorSource::Fail(const std::string& reason) {
  {
    std::lock_guard lock(failureMutex_);
    if (failure_.empty()) failure_ = reason;
  }
  failed_ = true;
}

std::string CPulseMonitorSource::Failure() const {
  std::lock_guard lock(failureMutex_);
  return failure_;
}

void CPulseMonitorSource::OnContextState(pa_context* context, void* self) {
  auto* me = static_cast<CPulseMonitorSource*>(self);
  switch (pa_context_get_state(context)) {
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
      me->Fail(std::string("sound server: ") + pa_strerror(pa_context_errno(context)));
      break;
    default:
      break;
  }
  pa_threaded_mainloop_signal(me->loop_, 0);
}

void CPulseMonitorSource::OnStreamState(pa_stream* stream, void* self) {
  auto* me = static_cast<CPulseMonitorSource*>(self);
  switch (pa_stream_get_state(stream)) {
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
      me->Fail(std::string("monitor stream: ") + pa_strerror(pa_context_errno(me->context_)));
      break;
    default:
      break;
  }
  pa_threaded_mainloop_signal(me->loop_, 0);
}

void CPulseMonitorSource::OnRead(pa_stream* stream, size_t, void* self) {
  auto* me = static_cast<CPulseMonitorSource*>(self);
  const auto now = Clock::now();
  // Take every fragment that is ready; a hole (data == nullptr) is skipped.
  while (pa_stream_readable_size(stream) > 0) {
    const void* data = nullptr;
    size_t bytes = 0;
    if (pa_stream_peek(stream, &data, &bytes) < 0) {
      me->Fail(std::string("monitor stream: ") + pa_strerror(pa_context_errno(me->context_)));
      return;
    }
    if (bytes == 0) return;
    if (data != nullptr) {
      me->window_.Append({static_cast<const float*>(data), bytes / sizeof(float)}, now);
    }
    pa_stream_drop(stream);
  }
}

bool CPulseMonitorSource::Start(std::string& error) {
  loop_ = pa_threaded_mainloop_new();
  if (loop_ == nullptr) {
    error = "sound server: cannot create the client loop";
    return false;
  }
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), kClientName);
  if (context_ == nullptr) {
    error = "sound server: cannot create a client";
    return false;
  }
  pa_context_set_state_callback(context_, &OnContextState, this);
  // No autospawn: a server that is not running is not started for us.
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
    error = std::string("sound server: ") + pa_strerror(pa_context_errno(context_));
    return false;
  }
  pa_threaded_mainloop_lock(loop_);
  if (pa_threaded_mainloop_start(loop_) < 0) {
    pa_threaded_mainloop_unlock(loop_);
    error = "sound server: cannot start the client loop";
    return false;
  }
  while (pa_context_get_state(context_) != PA_CONTEXT_READY && !failed_) {
    pa_threaded_mainloop_wait(loop_);
  }
  if (!failed_) {
    stream_ = pa_stream_new(context_, "monitor", &kSpec, nullptr);
    if (stream_ == nullptr) {
      Fail(std::string("monitor stream: ") + pa_strerror(pa_context_errno(context_)));
    }
  }
  if (!failed_) {
    pa_stream_set_state_callback(stream_, &OnStreamState, this);
    pa_stream_set_read_callback(stream_, &OnRead, this);
    // Fragments of 10 ms; the server keeps at most one analysis window queued for us.
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(window_.Size() * sizeof(float));
    attr.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(10000, &kSpec));
    attr.tlength = attr.prebuf = attr.minreq = static_cast<uint32_t>(-1);
    if (pa_stream_connect_record(stream_, kDefaultMonitor, &attr, PA_STREAM_ADJUST_LATENCY) < 0) {
      Fail(std::string("monitor stream: ") + pa_strerror(pa_context_errno(context_)));
    }
  }
  while (!failed_ && pa_stream_get_state(stream_) != PA_STREAM_READY) {
    pa_threaded_mainloop_wait(loop_);
  }
  pa_threaded_mainloop_unlock(loop_);
  if (failed_) {
    error = Failure();
    return false;
  }
  return true;
}

void CPulseMonitorSource::Latest(std::span<float> window, TimePoint now) {
  // A window's length without news means the output is idle (the server suspends it).
  const auto windowLength = std::chrono::duration_cast<std::chrono::nanoseconds>(
      std::chrono::duration<double>(static_cast<double>(window_.Size()) / kSpec.rate));
  window_.CopyLatest(window, now, windowLength);
}

void CPulseMonitorSource::Stop() {
  if (loop_ != nullptr) pa_threaded_mainloop_stop(loop_);
  if (stream_ != nullptr) {
    pa_stream_disconnect(stream_);
    pa_stream_unref(stream_);
    stream_ = nullptr;
  }
  if (context_ != nullptr) {
    pa_context_disconnect(context_);
    pa_context_unref(context_);
    context_ = nullptr;
  }
  if (loop_ != nullptr) {
    pa_threaded_mainloop_free(loop_);
    loop_ = nullptr;
  }
}

}  // namespace orlo::audio
