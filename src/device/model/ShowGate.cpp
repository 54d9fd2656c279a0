#include "device/model/ShowGate.h"

namespace orlo {

void CShowGate::SetShown(bool shown) {
  {
    std::lock_guard lock(lock_);
    shown_ = shown;
  }
  changed_.notify_all();
}

void CShowGate::Wake() {
  {
    std::lock_guard lock(lock_);
    ++wakes_;
  }
  changed_.notify_all();
}

bool CShowGate::Rest(const CStopEvent& stop) {
  std::unique_lock lock(lock_);
  const uint64_t wakes = wakes_;
  resting_ = true;
  changed_.wait(lock, [&] { return shown_.load() || stop.IsSet() || wakes_ != wakes; });
  resting_ = false;
  return stop.IsSet();
}

}  // namespace orlo
