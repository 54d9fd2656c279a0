#include "macro/capture/EvdevInputCapture.h"

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <ctime>
#include <filesystem>
#include <vector>

#include "platform/input/PcScanCode.h"

namespace orlo {
namespace {

struct Device {
  int fd = -1;
  libevdev* dev = nullptr;
  bool keyboard = false;
};

void Close(Device& d) {
  if (d.dev != nullptr) {
    if (d.keyboard) libevdev_grab(d.dev, LIBEVDEV_UNGRAB);
    libevdev_free(d.dev);
  }
  if (d.fd >= 0) ::close(d.fd);
  d = Device{};
}

// The keyboards and mice among the event devices, opened; keyboards are grabbed when asked.
std::vector<Device> OpenDevices(const std::string& dir, bool grab) {
  std::vector<Device> devices;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
    const std::string name = entry.path().filename().string();
    if (name.rfind("event", 0) != 0) continue;
    Device d;
    d.fd = ::open(entry.path().c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (d.fd < 0) continue;
    if (libevdev_new_from_fd(d.fd, &d.dev) != 0) {
      ::close(d.fd);
      continue;
    }
    d.keyboard = libevdev_has_event_code(d.dev, EV_KEY, KEY_A) && libevdev_has_event_code(d.dev, EV_KEY, KEY_ENTER);
    const bool mouse = libevdev_has_event_code(d.dev, EV_KEY, BTN_LEFT);
    if (!d.keyboard && !mouse) {
      Close(d);
      continue;
    }
    libevdev_set_clock_id(d.dev, CLOCK_MONOTONIC);
    if (grab && d.keyboard) libevdev_grab(d.dev, LIBEVDEV_GRAB);
    devices.push_back(d);
  }
  return devices;
}

int MouseBit(unsigned code) {
  switch (code) {
    case BTN_LEFT: return 1;
    case BTN_RIGHT: return 2;
    case BTN_MIDDLE: return 4;
    case BTN_SIDE: return 8;
    case BTN_EXTRA: return 16;
    default: return 0;
  }
}

int64_t MonotonicMs() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

}  // namespace

// What the reader thread and the posted deliveries share; it outlives the capture object while
// a delivery is still queued.
struct CEvdevInputCapture::Shared {
  ICaptureSink* sink = nullptr;  // touched on the sink's thread only
  std::atomic<bool> stop{false};
  int wake[2] = {-1, -1};
};

CEvdevInputCapture::CEvdevInputCapture(Poster post, std::string inputDir)
    : post_(std::move(post)), inputDir_(std::move(inputDir)) {}

CEvdevInputCapture::~CEvdevInputCapture() { Stop(); }

bool CEvdevInputCapture::Available(const std::string& inputDir) {
  std::vector<Device> devices = OpenDevices(inputDir, false);
  bool keyboard = false;
  for (Device& d : devices) {
    keyboard = keyboard || d.keyboard;
    Close(d);
  }
  return keyboard;
}

int64_t CEvdevInputCapture::NowMs() const { return MonotonicMs(); }

bool CEvdevInputCapture::Active() const { return shared_ != nullptr; }

bool CEvdevInputCapture::Start(ICaptureSink* sink) {
  if (sink == nullptr || !post_) return false;
  if (shared_ != nullptr) {
    shared_->sink = sink;
    return true;
  }
  auto shared = std::make_shared<Shared>();
  if (::pipe2(shared->wake, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  shared->sink = sink;
  shared_ = shared;
  reader_ = std::thread([this, shared] { ReadLoop(shared); });
  return true;
}

void CEvdevInputCapture::Stop() {
  std::shared_ptr<Shared> shared = std::move(shared_);
  if (shared == nullptr) return;
  shared->sink = nullptr;  // a delivery still queued finds no sink
  shared->stop = true;
  const char byte = 1;
  [[maybe_unused]] const ssize_t w = ::write(shared->wake[1], &byte, 1);
  if (reader_.joinable()) reader_.join();
  ::close(shared->wake[0]);
  ::close(shared->wake[1]);
}

void CEvdevInputCapture::ReadLoop(std::shared_ptr<Shared> shared) {
  std::vector<Device> devices = OpenDevices(inputDir_, true);
  auto deliver = [this, shared](CapturedInput input) {
    post_([shared, input] {
      if (shared->sink != nullptr) shared->sink->OnCapturedInput(input);
    });
  };
  auto lose = [this, shared] {
    post_([shared] {
      if (ICaptureSink* sink = shared->sink) {
        shared->sink = nullptr;
        sink->OnCaptureLost();
      }
    });
  };
  bool keyboards = false;
  for (const Device& d : devices) keyboards = keyboards || d.keyboard;
  if (!keyboards) lose();
  while (keyboards && !shared->stop) {
    std::vector<pollfd> fds;
    fds.push_back({shared->wake[0], POLLIN, 0});
    for (const Device& d : devices) fds.push_back({d.fd, POLLIN, 0});
    if (::poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (shared->stop) break;
    for (size_t i = 0; i < devices.size(); ++i) {
      if (fds[i + 1].revents == 0) continue;
      Device& d = devices[i];
      input_event ev{};
      int rc;
      while ((rc = libevdev_next_event(d.dev, LIBEVDEV_READ_FLAG_NORMAL, &ev)) >= 0) {
        if (rc == LIBEVDEV_READ_STATUS_SYNC) continue;  // dropped events: only the state resyncs
        if (ev.type != EV_KEY || ev.value == 2) continue;  // auto-repeat is no new press
        CapturedInput input;
        input.down = ev.value == 1;
        input.timeMs = static_cast<int64_t>(ev.input_event_sec) * 1000 + ev.input_event_usec / 1000;
        if (const int bit = MouseBit(ev.code)) {
          input.kind = CapturedInput::kMouseButton;
          input.button = bit;
          deliver(input);
        } else if (const auto scan = platform::PcScanCodeOfLinuxKey(ev.code)) {
          input.kind = CapturedInput::kKey;
          input.scanCode = scan->code;
          input.extended = scan->extended;
          deliver(input);
        }
      }
      if (rc != -EAGAIN) Close(d);  // unplugged or unreadable
    }
    std::erase_if(devices, [](const Device& d) { return d.fd < 0; });
    keyboards = false;
    for (const Device& d : devices) keyboards = keyboards || d.keyboard;
    if (!keyboards && !shared->stop) lose();
  }
  for (Device& d : devices) Close(d);
}

}  // namespace orlo
