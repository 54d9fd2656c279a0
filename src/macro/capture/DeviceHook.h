#pragma once
// The one capture of a window: which input source runs, in which capture mode, and where the
// input goes. Recording a macro and capturing a single key for the key set page share it;
// installing either replaces the other, so at most one source holds the input at a time.
//
// Capture modes: 1 single key (keys only), 2 key hit (keys only), 4 recording appended,
// 8 recording before the selected row, 16 recording after it, 32 replacing the selected row's
// key or button (keys and mouse buttons), 256, 512, 1024 mouse only. Any other mode delivers
// nothing.
#include "macro/capture/InputCapture.h"

namespace orlo {

enum CaptureMode : int {
  kCaptureSingleKey = 1,
  kCaptureKeyHit = 2,
  kCaptureAppend = 4,
  kCaptureBefore = 8,
  kCaptureAfter = 16,
  kCaptureReplace = 32,
  kCaptureMouseSingle = 256,
  kCaptureMouseHit = 512,
  kCaptureMouseMacro = 1024,
};

class CDeviceHook : private ICaptureSink {
 public:
  CDeviceHook() = default;
  ~CDeviceHook() override { Stop(); }
  CDeviceHook(const CDeviceHook&) = delete;
  CDeviceHook& operator=(const CDeviceHook&) = delete;

  // Stops what runs, then starts source for target in mode. False (nothing installed) when the
  // source cannot start.
  bool Install(int mode, IInputCapture& source, ICaptureSink& target);
  // Stops the source; nothing more is delivered. Safe when nothing is installed.
  void Stop();
  bool Installed() const { return source_ != nullptr; }
  int Mode() const { return mode_; }
  IInputCapture* Source() const { return source_; }

  static bool DeliversKeys(int mode);
  static bool DeliversMouse(int mode);

 private:
  void OnCapturedInput(const CapturedInput& input) override;
  void OnCaptureLost() override;

  IInputCapture* source_ = nullptr;
  ICaptureSink* target_ = nullptr;
  int mode_ = 0;
};

}  // namespace orlo
