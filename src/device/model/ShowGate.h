#pragma once
// Whether anything shows a device's animation, and where its thread rests while nothing does.
// The shown state is changed under the gate's lock, so a thread about to rest cannot miss it.
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "base/StopEvent.h"

namespace orlo {

class CShowGate {
 public:
  void SetShown(bool shown);
  bool Shown() const { return shown_.load(); }
  // Makes a resting thread look again at what it has to do (it rests again if nothing changed).
  void Wake();
  // Rests until shown, woken or stopped; true when stop is set. A Stop of the thread must call
  // Wake after setting its stop event.
  bool Rest(const CStopEvent& stop);
  bool Resting() const { return resting_.load(); }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  std::atomic<bool> shown_{true};
  std::atomic<bool> resting_{false};
  uint64_t wakes_ = 0;  // under lock_
};

}  // namespace orlo
