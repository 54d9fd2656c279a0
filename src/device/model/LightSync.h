#pragma once
// The lighting-synchronisation thread's state: the common effect, the synchronised devices and
// the stepping of their previews in lockstep. A device leaves as soon as its link is closed or
// its synchronised flag is cleared (its lighting changed alone, its settings were read again,
// the tab row came to show one device); the thread then rests until the next start.
//
// Threads: Begin and Forget run on the UI thread, Run on the synchronisation thread; one lock
// guards the effect and the device list, and painting runs under it, so a device forgotten
// before its driver goes is never painted afterwards.
#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

#include "device/model/LightSyncEngine.h"

namespace orlo {

class CStopEvent;
class CTessaroUSBDevice;

class CLightSync {
 public:
  struct Member {
    CTessaroUSBDevice* device = nullptr;
    std::function<void()> left;  // runs on the thread once the device has left
  };

  // Shows `effect` on `members` from now on (their synchronised flags are set by the caller) and
  // wakes the thread.
  void Begin(const SyncEffect& effect, std::vector<Member> members);
  // The device's driver goes: never touch it again.
  void Forget(const CTessaroUSBDevice* device);
  bool Active(const CTessaroUSBDevice* device) const;

  // The thread body; returns soon after `stop` is set. Idle (no device synchronised), it looks
  // once a second and at every Begin.
  void Run(const CStopEvent& stop);

 private:
  // Removes the members that left and returns their callbacks (run outside the lock).
  std::vector<std::function<void()>> DropLeavers();

  mutable std::mutex mutex_;
  SyncEffect effect_;
  std::vector<Member> members_;
  const CStopEvent* stop_ = nullptr;  // the running thread's, to wake it
  CLightSyncEngine engine_;           // the thread's alone
};

}  // namespace orlo
