#pragma once
// The HID services the system takes from the operating system. A backend lists the present
// top-level collections as paths of the form "<node>#vid_320f&pid_222e&mi_01&col04" ("&colNN"
// only when the interface has more than one top-level collection, numbered from 01 in
// descriptor order) and opens them. Implementations: hidraw (Linux) and simulated devices.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orlo::hid {

struct HidAttributes {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t versionNumber = 0;
};

enum class TransferStatus { Ok, Timeout, Cancelled, Failed };

struct TransferResult {
  TransferStatus status = TransferStatus::Failed;
  size_t bytes = 0;
};

// One opened top-level collection.
class HidDevice {
 public:
  virtual ~HidDevice() = default;
  virtual HidAttributes Attributes() const = 0;
  // Report descriptor of the whole interface, and which of its top-level collections (0-based,
  // descriptor order) this handle stands for.
  virtual const std::vector<uint8_t>& ReportDescriptor() const = 0;
  virtual int CollectionIndex() const = 0;
  // Reads one input report of this collection only (reports of the interface's other
  // collections are dropped). Byte 0 is the report id when the descriptor uses report ids.
  // timeoutMs < 0 waits without limit.
  virtual TransferResult Read(uint8_t* buffer, size_t length, int timeoutMs) = 0;
  // Writes one output report; byte 0 is the report id.
  virtual TransferResult Write(const uint8_t* buffer, size_t length, int timeoutMs) = 0;
  // Makes the pending transfer (or, when none is pending, the next one) return Cancelled.
  // Safe to call from any thread; one Cancel ends one transfer, like an auto-reset event.
  virtual void Cancel() = 0;
};

class HidBackend {
 public:
  virtual ~HidBackend() = default;
  // Paths of all present top-level collections; nullopt when the enumeration itself failed.
  virtual std::optional<std::vector<std::string>> Enumerate() = 0;
  // Opens a path this backend listed; null when it is not this backend's or cannot be opened.
  virtual std::unique_ptr<HidDevice> Open(const std::string& path, bool read, bool write) = 0;
  // Report descriptor of the interface a listed path belongs to, read without claiming the
  // device; nullopt when the path is not this backend's or the descriptor cannot be read. By
  // default the path is opened for neither reading nor writing and the handle asked.
  virtual std::optional<std::vector<uint8_t>> ReadReportDescriptor(const std::string& path);
  // True when a listed path exists but this user may not open it for reading and writing (the
  // node's permissions refuse it). Lets the program tell "not plugged" from "not allowed".
  virtual bool AccessDenied(const std::string& path) {
    (void)path;
    return false;
  }
};

// Several backends seen as one: paths are concatenated, Open asks each in turn.
class CompositeBackend : public HidBackend {
 public:
  void Add(std::shared_ptr<HidBackend> backend);
  std::optional<std::vector<std::string>> Enumerate() override;
  std::unique_ptr<HidDevice> Open(const std::string& path, bool read, bool write) override;
  std::optional<std::vector<uint8_t>> ReadReportDescriptor(const std::string& path) override;
  bool AccessDenied(const std::string& path) override;

 private:
  std::vector<std::shared_ptr<HidBackend>> backends_;
};

// The machine's own HID devices (the hidraw backend): what channels and scans use unless given
// another backend.
std::shared_ptr<HidBackend> DefaultBackend();

}  // namespace orlo::hid
