#pragma once
// Lighting driven by game events from other programs: an event puts its mode on the selected
// device for five seconds, then that same device gets back the mode it had before the event.
// Events that follow within the five seconds extend the effect and keep the original mode.
#include <cstdint>
#include <functional>

namespace orlo {

class ILightTarget;

class CGameLighting {
 public:
  static constexpr int kRestoreMs = 5000;

  // armTimer(ms) (re)starts the window's one-shot restore timer.
  explicit CGameLighting(std::function<void(int ms)> armTimer) : armTimer_(std::move(armTimer)) {}

  void SetScreenSize(int width, int height) {
    screenWidth_ = width;
    screenHeight_ = height;
  }

  // One game message. wParam 0, 1, 2 apply lParam's low byte as the mode; another wParam only
  // extends a running event. A mode the device does not have, or an lParam beyond a byte, is
  // dropped. Returns true when the device was changed.
  bool OnGameMessage(ILightTarget* selected, int64_t wParam, int64_t lParam);
  // The restore timer fired.
  void OnRestoreTimer();

  bool Pending() const { return target_ != nullptr; }

 private:
  std::function<void(int)> armTimer_;
  ILightTarget* target_ = nullptr;  // device the running event changed
  int savedMode_ = 0;
  int screenWidth_ = 0;
  int screenHeight_ = 0;
};

}  // namespace orlo
