#pragma once
// One opened HID interface (top-level collection) of one device: its path, the capabilities
// read from its report descriptor, and time-limited, cancellable reads and writes. The same class
// lists the paths of all present HID interfaces for the device manager's scan.
//
// Public API is fixed (the command link and the drivers build on it); private members are the
// implementation's.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/hid/HidBackend.h"
#include "platform/hid/ReportDescriptor.h"

namespace orlo {

// One per button capability and one per single usage of a value capability.
struct HidDataItem {
  bool isButton = false;
  uint16_t usagePage = 0;
  int32_t status = 0;  // last parser status for this item (kHidStatusSuccess or an error)
  uint32_t reportId = 0;
  bool isSet = false;  // the last unpacked report carried this item
  // Button item
  uint32_t usageMin = 0, usageMax = 0, maxUsageCount = 0;
  std::vector<uint16_t> usages;  // maxUsageCount entries, zero-terminated when shorter
  // Value item
  uint16_t usage = 0;
  uint32_t value = 0;
  int32_t scaledValue = 0;
};

class CHidChannel {
 public:
  static constexpr int kInfinite = -1;

  // Uses hid::DefaultBackend() unless a backend is given.
  CHidChannel();
  explicit CHidChannel(std::shared_ptr<hid::HidBackend> backend);
  ~CHidChannel();
  CHidChannel(const CHidChannel&) = delete;
  CHidChannel& operator=(const CHidChannel&) = delete;

  // Enumeration: 1 on success (list filled, cursor reset), 0 on failure (no list).
  int EnumeratePaths();
  // Next path of the list, or null when exhausted or empty. Owned by the list.
  const char* NextPath();
  void FreePaths();
  int PathCount() const;

  // 1 when open and capabilities loaded, else 0 with the channel closed. Open on an open channel
  // closes it first. A path of 260 characters or more is refused.
  int Open(const std::string& path, bool read, bool write, bool overlapped = true, bool exclusive = false);
  // Cancels a pending transfer (from any thread), waits until it has returned, then releases.
  void Close();
  bool IsOpen() const;

  // Nonzero on success; *bytes (optional) receives the count, 0 on failure.
  int Read(uint8_t* buffer, uint32_t length, uint32_t* bytesRead, int timeoutMs);
  int Write(const uint8_t* buffer, uint32_t length, uint32_t* bytesWritten, int timeoutMs);

  // Fills the input data items from one input report; 1, or the failing parser status.
  int UnpackInput(const uint8_t* report, uint32_t reportLength);

  const hid::HidCaps& Caps() const;
  const hid::HidAttributes& Attributes() const;
  const std::string& DevicePath() const;
  uint32_t InterfaceNumber() const;
  uint32_t CollectionNumber() const;
  std::vector<uint8_t>& InputReportBuffer();
  const std::vector<HidDataItem>& InputDataItems() const;
  bool ReadPending() const;
  bool WritePending() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace orlo
