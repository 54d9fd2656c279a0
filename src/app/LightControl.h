#pragma once
// The light-control state: 1 while this program drives the device lighting, 0 while it leaves
// the lighting to other programs. Every change reaches the devices and is announced to other
// programs; a suspend hands the lighting back (0) until the resume.
#include <cstdint>
#include <functional>

namespace orlo {

class CLightControl {
 public:
  using DevicesFn = std::function<void(int state)>;
  using AnnounceFn = std::function<void(int state)>;
  using TextFn = std::function<void(int state)>;

  CLightControl(DevicesFn devices, AnnounceFn announce, TextFn text)
      : devices_(std::move(devices)), announce_(std::move(announce)), text_(std::move(text)) {}

  int State() const { return state_; }
  bool Awake() const { return awake_; }

  // Window-init: announce the start state without changing it.
  void AnnounceStart() const;
  // From the page's button or a message. Values other than 0 and 1 are refused (false).
  bool Set(int state);
  // The set message of another program: (1, 0|1); anything else is ignored.
  bool OnSetMessage(int64_t wParam, int64_t lParam);
  void Suspend();
  void Resume();

 private:
  DevicesFn devices_;
  AnnounceFn announce_;
  TextFn text_;
  int state_ = 1;
  bool awake_ = true;
};

}  // namespace orlo
