#pragma once
// Linux HID backend on hidraw nodes. Each top-level collection of an interface is listed as
// "/dev/hidrawN#vid_xxxx&pid_xxxx&mi_NN&colNN" ("&colNN" only with more than one collection),
// so the catalogue's path parsers work on it unchanged.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hid/HidBackend.h"

namespace orlo::hid {

// What the hid device's uevent file says about it.
struct HidUevent {
  uint16_t bus = 0;
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  std::string name;  // HID_NAME
  std::string phys;  // HID_PHYS
};

// Parses the KEY=VALUE lines of a uevent text; nullopt without a usable HID_ID line.
std::optional<HidUevent> ParseHidUevent(std::string_view text);

// "usb-0000:00:14.0-2/input1" -> 1. 0 when the physical path names no interface.
int InterfaceNumberFromPhys(std::string_view phys);

// Path of collection `index` (0-based) of `collectionCount` of the interface at `node`.
std::string MakeCollectionPath(const std::string& node, uint16_t vendorId, uint16_t productId,
                               int interfaceNumber, int collectionCount, int index);

// Splits a listed path into its node and 0-based collection index (0 without "&col").
// False when the path has no "#" part.
bool SplitCollectionPath(const std::string& path, std::string& node, int& collectionIndex);

class HidrawBackend : public HidBackend {
 public:
  // The roots are parameters so tests can lay out a tree of their own.
  explicit HidrawBackend(std::string sysClassRoot = "/sys/class/hidraw", std::string devRoot = "/dev");
  std::optional<std::vector<std::string>> Enumerate() override;
  std::unique_ptr<HidDevice> Open(const std::string& path, bool read, bool write) override;
  // From the node's sysfs entry: needs no access to the node itself.
  std::optional<std::vector<uint8_t>> ReadReportDescriptor(const std::string& path) override;
  // The node of a path of this backend exists and open() for reading and writing fails with
  // EACCES or EPERM.
  bool AccessDenied(const std::string& path) override;

 private:
  struct NodeInfo {
    HidUevent uevent;
    std::vector<uint8_t> descriptor;
    int collectionCount = 0;
    uint16_t version = 0;
  };
  std::optional<NodeInfo> ReadNode(const std::string& name) const;
  std::optional<std::vector<uint8_t>> ReadDescriptorFile(const std::string& name) const;
  // The node ("/dev/hidraw3"), its name and the collection index of a path of this backend.
  bool NodeOfPath(const std::string& path, std::string& node, std::string& name, int& index) const;

  std::string sysRoot_;
  std::string devRoot_;
};

// A device on an already opened descriptor (it takes ownership of fd). Reads keep only the
// reports of collection `collectionIndex`. Used by the backend, and by tests on a socket pair.
std::unique_ptr<HidDevice> MakeHidrawDevice(int fd, HidAttributes attributes,
                                            std::vector<uint8_t> descriptor, int collectionIndex);

std::shared_ptr<HidBackend> MakeHidrawBackend();

}  // namespace orlo::hid
