#include "macro/capture/DeviceHook.h"

namespace orlo {

bool CDeviceHook::DeliversKeys(int mode) {
  switch (mode) {
    case kCaptureSingleKey: case kCaptureKeyHit: case kCaptureAppend:
    case kCaptureBefore: case kCaptureAfter: case kCaptureReplace:
      return true;
    default:
      return false;
  }
}

bool CDeviceHook::DeliversMouse(int mode) {
  switch (mode) {
    case kCaptureAppend: case kCaptureBefore: case kCaptureAfter: case kCaptureReplace:
    case kCaptureMouseSingle: case kCaptureMouseHit: case kCaptureMouseMacro:
      return true;
    default:
      return false;
  }
}

bool CDeviceHook::Install(int mode, IInputCapture& source, ICaptureSink& target) {
  Stop();
  if (!source.Start(this)) return false;
  source_ = &source;
  target_ = &target;
  mode_ = mode;
  return true;
}

void CDeviceHook::Stop() {
  IInputCapture* source = source_;
  source_ = nullptr;
  target_ = nullptr;
  mode_ = 0;
  if (source != nullptr) source->Stop();
}

void CDeviceHook::OnCapturedInput(const CapturedInput& input) {
  if (target_ == nullptr) return;
  const bool wanted = input.kind == CapturedInput::kKey ? DeliversKeys(mode_) : DeliversMouse(mode_);
  if (wanted) target_->OnCapturedInput(input);
}

void CDeviceHook::OnCaptureLost() {
  ICaptureSink* target = target_;
  source_ = nullptr;
  target_ = nullptr;
  mode_ = 0;
  if (target != nullptr) target->OnCaptureLost();
}

}  // namespace orlo
