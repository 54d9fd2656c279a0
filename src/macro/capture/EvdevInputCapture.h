#pragma once
// System-wide input for recording, where the user may read the input event devices
// (/dev/input/event*): the key presses of every keyboard and the buttons of every mouse, stamped
// with the kernel's event time. While started, the keyboards are grabbed, so the recorded keys
// reach no program; the mice are only read, so the pointer still works. A reader thread takes
// the events; each is handed to `post`, which runs it on the sink's thread. Nothing is read
// while stopped, and nothing read is ever written anywhere.
//
// The capture ends by itself (OnCaptureLost) when the last keyboard it reads goes.
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "macro/capture/InputCapture.h"

namespace orlo {

class CEvdevInputCapture : public IInputCapture {
 public:
  using Poster = std::function<void(std::function<void()>)>;

  explicit CEvdevInputCapture(Poster post, std::string inputDir = "/dev/input");
  ~CEvdevInputCapture() override;
  CEvdevInputCapture(const CEvdevInputCapture&) = delete;
  CEvdevInputCapture& operator=(const CEvdevInputCapture&) = delete;

  // Whether some keyboard among the event devices of inputDir can be opened for reading.
  static bool Available(const std::string& inputDir = "/dev/input");

  bool Start(ICaptureSink* sink) override;
  void Stop() override;
  bool Active() const override;
  int64_t NowMs() const override;

 private:
  struct Shared;
  void ReadLoop(std::shared_ptr<Shared> shared);

  Poster post_;
  std::string inputDir_;
  std::shared_ptr<Shared> shared_;
  std::thread reader_;
};

}  // namespace orlo
