#include "app/SlotScanner.h"

#include "device/link/HidChannel.h"
#include "platform/DebugLog.h"

namespace orlo {

CSlotScanner::CSlotScanner(std::shared_ptr<hid::HidBackend> backend)
    : backend_(std::move(backend)), slots_(MakeSlotList()) {}

std::shared_ptr<hid::HidBackend> CSlotScanner::Backend() const { return backend_ ? backend_ : hid::DefaultBackend(); }

int CSlotScanner::SlotCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<int>(slots_.size());
}

InterfaceEntry CSlotScanner::Slot(int i) const {
  std::lock_guard lock(mutex_);
  if (i < 0 || i >= static_cast<int>(slots_.size())) return {};
  return slots_[static_cast<size_t>(i)];
}

std::vector<InterfaceEntry> CSlotScanner::Slots() const {
  std::lock_guard lock(mutex_);
  return slots_;
}

bool CSlotScanner::StillNamesSlot(const InterfaceEntry& slot) const {
  // Node numbers are handed out again after a removal, so an openable path is not enough: the
  // interface behind it must still be the one the slot was bound to.
  CHidChannel probe(Backend());
  if (!probe.Open(slot.devicePath, false, false)) return false;
  const bool same = probe.Attributes().vendorId == slot.vendorId && probe.Attributes().productId == slot.productId &&
                    probe.Caps().usagePage == slot.usagePage && probe.Caps().usage == slot.usage;
  probe.Close();
  return same;
}

CSlotScanner::PassResult CSlotScanner::Pass(const Handler& arrival, const Handler& removal,
                                            const std::function<bool()>& stopping, const DeniedHandler& denied) {
  auto stop = [&] { return stopping && stopping(); };
  std::vector<InterfaceEntry> snapshot = Slots();
  bool anyFree = false;
  for (const auto& s : snapshot) anyFree = anyFree || (s.present == 0 && s.devicePath.empty());

  PassResult result = PassResult::Done;
  if (anyFree) {
    auto backend = Backend();
    auto paths = backend->Enumerate();
    if (!paths) {
      // Retried on the next pass; said once per run of failures.
      if (!lastEnumerationFailed_) DebugLine("HID enumeration failed; retrying");
      lastEnumerationFailed_ = true;
      result = PassResult::EnumerationFailed;
    } else {
      lastEnumerationFailed_ = false;
      std::set<std::string> stillDenied;
      for (const auto& path : *paths) {
        if (stop()) return PassResult::Stopped;
        int slot;
        bool wanted;
        {
          std::lock_guard lock(mutex_);
          wanted = PreFilter(slots_, ProbeFromPath(path));
          slot = wanted ? RecognizeInterface(slots_, path, backend) : -1;
        }
        if (slot >= 0 && arrival && !arrival(slot)) return PassResult::Stopped;
        // A supported interface that did not open: tell "not allowed" apart from a failed probe.
        if (slot < 0 && wanted && denied && backend->AccessDenied(path)) {
          stillDenied.insert(path);
          if (!deniedPaths_.count(path) && !denied(path)) return PassResult::Stopped;
        }
      }
      deniedPaths_ = std::move(stillDenied);
    }
  }

  snapshot = Slots();
  for (size_t i = 0; i < snapshot.size(); ++i) {
    if (stop()) return PassResult::Stopped;
    const InterfaceEntry& s = snapshot[i];
    if (s.present == 0) continue;
    if (StillNamesSlot(s)) continue;
    {
      std::lock_guard lock(mutex_);
      slots_[i].present = 0;
      slots_[i].devicePath.clear();
    }
    if (removal && !removal(static_cast<int>(i))) return PassResult::Stopped;
  }
  return result;
}

}  // namespace orlo
