#pragma once
// The device scan: binds present HID interfaces to the slots of the supported-interface table and
// frees a slot once its path no longer names the interface it was bound to. One pass runs on the
// scan thread; arrivals and removals are handed to the caller's handlers outside the lock, so a
// handler on another thread may read the slots.
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "device/link/Catalogue.h"
#include "platform/hid/HidBackend.h"

namespace orlo {

class CSlotScanner {
 public:
  // Handler of an arrival or removal; false when it could not be delivered (stopping).
  using Handler = std::function<bool(int slot)>;

  // Null backend: the default backend at the time of each pass.
  explicit CSlotScanner(std::shared_ptr<hid::HidBackend> backend = nullptr);

  // A supported interface that is present but that this user may not open; false when it could
  // not be delivered (stopping).
  using DeniedHandler = std::function<bool(const std::string& path)>;

  enum class PassResult { Done, EnumerationFailed, Stopped };
  // One pass: binds new interfaces (arrival per bound slot) and frees vanished ones (removal per
  // freed slot). A failed enumeration skips the binding and is tried again next pass. A
  // supported interface whose node refuses this user is handed to `denied` once, and again only
  // after it has been openable or gone in between.
  PassResult Pass(const Handler& arrival, const Handler& removal, const std::function<bool()>& stopping,
                  const DeniedHandler& denied = {});

  int SlotCount() const;
  // A copy of slot i; an empty entry for an index out of range.
  InterfaceEntry Slot(int i) const;
  std::vector<InterfaceEntry> Slots() const;
  bool ValidSlot(int i) const { return i >= 0 && i < SlotCount(); }

 private:
  std::shared_ptr<hid::HidBackend> Backend() const;
  bool StillNamesSlot(const InterfaceEntry& slot) const;

  std::shared_ptr<hid::HidBackend> backend_;
  mutable std::mutex mutex_;
  std::vector<InterfaceEntry> slots_;
  bool lastEnumerationFailed_ = false;
  std::set<std::string> deniedPaths_;  // reported and still refused (scan thread only)
};

}  // namespace orlo
