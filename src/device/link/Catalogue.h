#pragma once
// The constant tables of supported devices: which HID interfaces belong to a device and what kind
// it is, how its tab and page are built, and which products take part in the update check. Also
// the path parsers and the recognition of an interface by the device manager's scan.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "base/DeviceKinds.h"
#include "platform/hid/HidBackend.h"

namespace orlo {

// Variant of an interface row.
constexpr uint16_t kVariantCommand = 0x00;
constexpr uint16_t kVariantCompanion = 0xFF;

// One row of the supported-interface table, and one slot of the device manager's copy of it.
struct InterfaceEntry {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t interfaceNumber = 0;
  uint16_t collectionNumber = 0;
  uint16_t kind = 0;
  uint16_t variant = 0;
  uint16_t present = 0;  // slot list only: 1 while an interface is bound
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  uint16_t hasPartner = 0;
  uint16_t partnerIndex = 0;  // same interface on the other connection
  std::string devicePath;     // slot list only: the bound interface's path
};

struct DeviceTabEntry {
  std::string tabLayoutFile;
  std::string groupName;
  std::string powerLayoutName;
  std::string displayName;
  int32_t profileKindIndex = 0;  // keyboard 0, mouse 1, mousepad 2, headset 3
  int32_t vendorId = 0;
  int32_t productId = 0;
  int32_t kind = 0;
  int32_t variant = 0;
};

struct DevicePageEntry {
  int32_t ledCount = 0;
  int32_t keyCount = 0;
  int32_t hasPowerIndicator = 0;
  int32_t logoLed = -1;  // -1: none
  std::string pageLayoutFile;
  std::string lightConfigName;
};

struct UpdateEntry {
  int32_t rowType = 0;     // 0: versions are decimal, else hexadecimal
  int32_t rowFlag = 0;
  int32_t rowVersion = 0;  // 0 in the table; the current version in the settings window's copy
  std::string vendor;
  std::string model;
  std::string shortName;
  std::string category;
  std::string versionText;
};

constexpr int kInterfaceCount = 11;
constexpr int kDeviceTabCount = 4;
constexpr int kDevicePageCount = 4;
constexpr int kUpdateCount = 4;

extern const std::array<InterfaceEntry, kInterfaceCount> kInterfaceTable;
extern const std::array<DeviceTabEntry, kDeviceTabCount> kDeviceTabTable;
extern const std::array<DevicePageEntry, kDevicePageCount> kDevicePageTable;
extern const std::array<UpdateEntry, kUpdateCount> kUpdateTable;

// The device manager's run-time slot list starts as a copy of the interface table.
std::vector<InterfaceEntry> MakeSlotList();

// Icon set of a tab: the set word ("ms", "kb", "hard_mp" ...), empty when the kind has none.
std::string IconSetWord(uint16_t kind, int32_t variant);
struct IconSet {
  std::string normal, selected, synchroNormal, synchroSelected, nameText;
};
// The four image files and the label text of a set word; all empty for an empty word.
IconSet MakeIconSet(const std::string& word);

// Path parsers: case-insensitive marker, hexadecimal digits after it, low 16 bits; 0 when the
// marker or the digits are missing.
uint16_t ParseVendorId(const std::string& path);
uint16_t ParseProductId(const std::string& path);
uint16_t ParseInterfaceNumber(const std::string& path);
uint16_t ParseCollectionNumber(const std::string& path);

int FindInterfaceRow(uint16_t vendorId, uint16_t productId, uint16_t kind, uint16_t variant);
int FindTabRow(int32_t vendorId, int32_t productId, int32_t kind, int32_t variant);

// What the scan knows about one interface while recognising it.
struct InterfaceProbe {
  uint16_t vendorId = 0;
  uint16_t productId = 0;
  uint16_t interfaceNumber = 0;
  uint16_t collectionNumber = 0;
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  uint16_t kind = 0;
  uint16_t variant = 0;
  std::string path;
};

InterfaceProbe ProbeFromPath(const std::string& path);
// Some row has the probe's vendor id, product id, interface and collection number.
bool MatchesByPath(const InterfaceProbe& probe);
// The first row equal on those four plus usage page and usage; copies its kind and variant.
bool MatchesByCaps(InterfaceProbe& probe);

// Recognition, step by step, over the device manager's slot list.
// Pre-filter: a row matches by path and a free slot (present 0, no path) has the same identity.
bool PreFilter(const std::vector<InterfaceEntry>& slots, const InterfaceProbe& probe);
// Claims the first free slot equal on the six identity fields; its index, or -1.
int ClaimSlot(std::vector<InterfaceEntry>& slots, const InterfaceProbe& probe);
// Pre-filter, open read-only, full match, claim, close. The claimed slot, or -1.
int RecognizeInterface(std::vector<InterfaceEntry>& slots, const std::string& path,
                       std::shared_ptr<hid::HidBackend> backend);

// One scan pass over the backend: a fresh slot list with every recognised interface bound;
// none when the interfaces cannot be listed.
std::optional<std::vector<InterfaceEntry>> ScanSlots(const std::shared_ptr<hid::HidBackend>& backend);
// The present command interface of a family, the cable before the receiver; -1 when none.
int FindCommandSlot(const std::vector<InterfaceEntry>& slots, uint16_t family);
// The present companion interface of the same kind as command slot `commandSlot`; -1 when none.
int FindCompanionSlot(const std::vector<InterfaceEntry>& slots, int commandSlot);

}  // namespace orlo
