#include "device/model/LightSync.h"

#include <algorithm>

#include "base/StopEvent.h"
#include "device/model/TessaroUSBDevice.h"
#include "platform/DebugLog.h"

namespace orlo {

void CLightSync::Begin(const SyncEffect& effect, std::vector<Member> members) {
  std::lock_guard lock(mutex_);
  effect_ = effect;
  members_ = std::move(members);
  if (stop_ != nullptr) stop_->Nudge();
}

void CLightSync::Forget(const CTessaroUSBDevice* device) {
  std::lock_guard lock(mutex_);
  std::erase_if(members_, [device](const Member& m) { return m.device == device; });
}

bool CLightSync::Active(const CTessaroUSBDevice* device) const {
  std::lock_guard lock(mutex_);
  return std::any_of(members_.begin(), members_.end(), [device](const Member& m) { return m.device == device; });
}

std::vector<std::function<void()>> CLightSync::DropLeavers() {
  std::vector<std::function<void()>> left;
  std::erase_if(members_, [&left](Member& m) {
    CDeviceLink& link = m.device->link();
    if (link.IsOpen() && link.LightSyncActive()) return false;
    if (m.left) left.push_back(std::move(m.left));
    return true;
  });
  return left;
}

void CLightSync::Run(const CStopEvent& stop) {
  using Clock = CLightSyncEngine::Clock;
  {
    std::lock_guard lock(mutex_);
    stop_ = &stop;
  }
  auto lastStep = Clock::now();
  while (!stop.IsSet()) {
    std::unique_lock lock(mutex_);
    auto left = DropLeavers();
    const bool idle = members_.empty() || effect_.type < 0;
    const auto period = CLightSyncEngine::StepPeriod(effect_.speed);
    lock.unlock();
    for (auto& f : left) f();
    if (idle) {
      if (stop.WaitFor(std::chrono::seconds(1))) break;
      lastStep = Clock::now();
      continue;
    }
    const auto due = lastStep + period;
    if (Clock::now() < due) {
      if (stop.WaitUntil(due)) break;
      continue;  // woken early by a new start: look again
    }
    const auto now = Clock::now();
    lastStep = now - due > period ? now : due;
    lock.lock();
    if (const auto word = engine_.Step(effect_, now))
      for (const Member& m : members_) m.device->Preview().PaintSynchronised(*word);
  }
  {
    std::lock_guard lock(mutex_);
    stop_ = nullptr;
  }
  DebugLine("同步灯光线程设定退出");
}

}  // namespace orlo
