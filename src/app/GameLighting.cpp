#include "app/GameLighting.h"

#include "app/IDeviceManager.h"
#include "platform/DebugLog.h"

namespace orlo {

bool CGameLighting::OnGameMessage(ILightTarget* selected, int64_t wParam, int64_t lParam) {
  if (wParam < 0 || wParam > 2) {
    if (target_ && armTimer_) armTimer_(kRestoreMs);
    return false;
  }
  if (!selected || lParam < 0 || lParam > 0xFF || !selected->HasLightMode(static_cast<int>(lParam))) {
    DebugPrintf("game lighting: mode %lld dropped", static_cast<long long>(lParam));
    return false;
  }
  if (target_ && target_ != selected) {
    // The selection moved during an event: give the first device its mode back now.
    target_->ApplyLightMode(savedMode_, screenWidth_, screenHeight_);
    target_ = nullptr;
  }
  if (!target_) {
    target_ = selected;
    savedMode_ = selected->LightMode();
  }
  selected->ApplyLightMode(static_cast<int>(lParam), screenWidth_, screenHeight_);
  if (armTimer_) armTimer_(kRestoreMs);
  return true;
}

void CGameLighting::OnRestoreTimer() {
  if (!target_) return;
  ILightTarget* t = target_;
  target_ = nullptr;
  t->ApplyLightMode(savedMode_, screenWidth_, screenHeight_);
}

}  // namespace orlo
