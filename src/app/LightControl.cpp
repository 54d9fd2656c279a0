#include "app/LightControl.h"

namespace orlo {

void CLightControl::AnnounceStart() const {
  if (text_) text_(state_);
  if (announce_) announce_(state_);
}

bool CLightControl::Set(int state) {
  if (state != 0 && state != 1) return false;
  state_ = state;
  if (text_) text_(state_);
  // While asleep the devices stay handed back; the resume passes the new state on.
  if (devices_ && awake_) devices_(state_);
  if (announce_) announce_(state_);
  return true;
}

bool CLightControl::OnSetMessage(int64_t wParam, int64_t lParam) {
  if (wParam != 1 || (lParam != 0 && lParam != 1)) return false;
  return Set(static_cast<int>(lParam));
}

void CLightControl::Suspend() {
  awake_ = false;
  if (devices_) devices_(0);
}

void CLightControl::Resume() {
  awake_ = true;
  if (devices_) devices_(state_);
}

}  // namespace orlo
