#pragma once
// Input taken from the user while a macro is recorded or a single key is captured: key presses
// by scan code and mouse buttons, each with its time stamp. A source delivers input to one sink
// between Start and Stop and takes nothing at any other time. What it takes is handed to the
// sink alone: it is never written to a log or a file.
#include <cstdint>

namespace orlo {

struct CapturedInput {
  enum Kind { kKey, kMouseButton };
  Kind kind = kKey;
  bool down = false;
  uint8_t scanCode = 0;   // keys: PC scan code set 1 make code
  bool extended = false;  // keys: the extended-key flag (0xE0 prefix)
  int button = 0;         // mouse: 1 left, 2 right, 4 middle, 8 back, 16 forward
  int64_t timeMs = 0;     // on the source's clock (IInputCapture::NowMs)
  int x = 0, y = 0;       // mouse: pointer position in screen coordinates
};

class ICaptureSink {
 public:
  virtual ~ICaptureSink() = default;
  virtual void OnCapturedInput(const CapturedInput& input) = 0;
  // The source ended the capture itself (the window lost the focus, the input device went):
  // it has already released what it held.
  virtual void OnCaptureLost() = 0;
};

class IInputCapture {
 public:
  virtual ~IInputCapture() = default;
  // Starts delivering to sink, replacing an earlier sink. False when the source cannot take
  // input (nothing is then held).
  virtual bool Start(ICaptureSink* sink) = 0;
  // Stops delivering and releases what the source held (a keyboard grab). Safe when stopped.
  virtual void Stop() = 0;
  virtual bool Active() const = 0;
  // Now, on the clock of the time stamps.
  virtual int64_t NowMs() const = 0;
};

}  // namespace orlo
