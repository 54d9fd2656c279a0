#include "device/link/Catalogue.h"

#include <cctype>

#include "device/link/HidChannel.h"

namespace orlo {

namespace {

constexpr uint16_t kVendorPage = 0xFF1C;
constexpr uint16_t kVendorUsage = 0x0092;
constexpr uint16_t kConsumerPage = 0x000C;
constexpr uint16_t kConsumerUsage = 0x0001;

InterfaceEntry Row(uint16_t vid, uint16_t pid, uint16_t mi, uint16_t col, uint16_t kind, uint16_t variant,
                   uint16_t page, uint16_t usage, uint16_t partner, uint16_t partnerIndex) {
  InterfaceEntry e;
  e.vendorId = vid;
  e.productId = pid;
  e.interfaceNumber = mi;
  e.collectionNumber = col;
  e.kind = kind;
  e.variant = variant;
  e.usagePage = page;
  e.usage = usage;
  e.hasPartner = partner;
  e.partnerIndex = partnerIndex;
  return e;
}

const char kTabLayout[] = "XML\\CustomControlXML\\DeviceOption.xml";
const char kTabGroup[] = "tab_header_device";
const char kPowerLayout[] = "device_power_switch";

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

uint16_t ParseAfterMarker(const std::string& path, const char* marker) {
  const size_t m = std::char_traits<char>::length(marker);
  if (path.size() < m) return 0;
  for (size_t i = 0; i + m <= path.size(); ++i) {
    size_t k = 0;
    while (k < m && std::tolower(static_cast<unsigned char>(path[i + k])) == marker[k]) ++k;
    if (k != m) continue;
    uint32_t v = 0;
    for (size_t j = i + m; j < path.size() && HexValue(path[j]) >= 0; ++j)
      v = ((v << 4) | static_cast<uint32_t>(HexValue(path[j]))) & 0xFFFFF;  // keeps the low 16 bits right
    return static_cast<uint16_t>(v);
  }
  return 0;
}

bool SameIdentity(const InterfaceEntry& e, const InterfaceProbe& p) {
  return e.vendorId == p.vendorId && e.productId == p.productId && e.interfaceNumber == p.interfaceNumber &&
         e.collectionNumber == p.collectionNumber;
}

bool SameFullIdentity(const InterfaceEntry& e, const InterfaceProbe& p) {
  return SameIdentity(e, p) && e.usagePage == p.usagePage && e.usage == p.usage;
}

bool IsFree(const InterfaceEntry& e) { return e.present == 0 && e.devicePath.empty(); }

}  // namespace

const std::array<InterfaceEntry, kInterfaceCount> kInterfaceTable = {
    Row(0x0000, 0x0000, 1, 4, kKindKeyboard, kVariantCommand, kVendorPage, kVendorUsage, 1, 2),
    Row(0x0000, 0x0000, 1, 3, kKindKeyboard, kVariantCompanion, kConsumerPage, kConsumerUsage, 1, 3),
    Row(0x0000, 0x0000, 1, 4, kKindKeyboardReceiver, kVariantCommand, kVendorPage, kVendorUsage, 1, 0),
    Row(0x0000, 0x0000, 1, 3, kKindKeyboardReceiver, kVariantCompanion, kConsumerPage, kConsumerUsage, 1, 1),
    Row(0x320F, 0x222E, 1, 4, kKindMouse, kVariantCommand, kVendorPage, kVendorUsage, 1, 6),
    Row(0x320F, 0x222E, 1, 3, kKindMouse, kVariantCompanion, kConsumerPage, kConsumerUsage, 1, 7),
    Row(0x320F, 0x222F, 1, 4, kKindMouseReceiver, kVariantCommand, kVendorPage, kVendorUsage, 1, 4),
    Row(0x320F, 0x222F, 1, 3, kKindMouseReceiver, kVariantCompanion, kConsumerPage, kConsumerUsage, 1, 5),
    Row(0x0000, 0x0000, 1, 4, kKindMousePad, kVariantCommand, kVendorPage, kVendorUsage, 0, 0),
    Row(0x0000, 0x0000, 1, 3, kKindMousePad, kVariantCompanion, kConsumerPage, kConsumerUsage, 0, 0),
    Row(0x0000, 0x0000, 3, 0, kKindHeadset, kVariantCommand, kConsumerPage, kConsumerUsage, 0, 0),
};

const std::array<DeviceTabEntry, kDeviceTabCount> kDeviceTabTable = {{
    {kTabLayout, kTabGroup, kPowerLayout, "mouse", 1, 0x320F, 0x222E, kKindMouse, 0},
    {kTabLayout, kTabGroup, kPowerLayout, "keyboard", 0, 0x0000, 0x0000, kKindKeyboard, 0},
    {kTabLayout, kTabGroup, kPowerLayout, "MousePad", 2, 0x0000, 0x0000, kKindMousePad, 0},
    {kTabLayout, kTabGroup, kPowerLayout, "HD", 3, 0x0000, 0x0000, kKindHeadset, 0},
}};

const std::array<DevicePageEntry, kDevicePageCount> kDevicePageTable = {{
    {15, 11, 1, -1, "XML\\DeviceXml\\mousedevice.xml", "velko_light"},
    {170, 170, 0, -1, "XML\\DeviceXml\\keyboarddevice.xml", "velko_light"},
    {15, 0, 0, -1, "XML\\DeviceXml\\mousepaddevice.xml", "velko_light"},
    {13, 0, 0, -1, "XML\\DeviceXml\\ro6533device.xml", "velko_light"},
}};

const std::array<UpdateEntry, kUpdateCount> kUpdateTable = {{
    {1, 1, 0, "VELKO", "QX20M07A", "MS", "MS", ""},
    {1, 1, 0, "VELKO", "QX20M06A", "KB", "KB", ""},
    {2, 1, 0, "VELKO", "QX20M09A_1", "R40", "R40", ""},
    {0, 1, 0, "VELKO", "ALL", "R40_PT6_PT5", "AP", "V1.0.0.0"},
}};

std::vector<InterfaceEntry> MakeSlotList() { return {kInterfaceTable.begin(), kInterfaceTable.end()}; }

std::string IconSetWord(uint16_t kind, int32_t variant) {
  switch (FoldKind(kind)) {
    case kKindKeyboard: return "kb";
    case kKindMouse: return "ms";
    case kKindMousePad: return variant == 0 ? "hard_mp" : variant == 1 ? "soft_mp" : "";
    case kKindHeadsetIcons:
    case kKindHeadset: return "hd";
    case kKindHub: return "hub";
    default: return "unknow";
  }
}

IconSet MakeIconSet(const std::string& word) {
  if (word.empty()) return {};
  const std::string base = "common/device_ico/" + word + "_device_";
  return {base + "normal.png", base + "selected.png", base + "synchro_normal.png", base + "synchro_selected.png",
          word + "_device_name_text"};
}

uint16_t ParseVendorId(const std::string& path) { return ParseAfterMarker(path, "vid_"); }
uint16_t ParseProductId(const std::string& path) { return ParseAfterMarker(path, "pid_"); }
uint16_t ParseInterfaceNumber(const std::string& path) { return ParseAfterMarker(path, "&mi_"); }
uint16_t ParseCollectionNumber(const std::string& path) { return ParseAfterMarker(path, "&col"); }

int FindInterfaceRow(uint16_t vendorId, uint16_t productId, uint16_t kind, uint16_t variant) {
  for (int i = 0; i < kInterfaceCount; ++i) {
    const auto& r = kInterfaceTable[static_cast<size_t>(i)];
    if (r.vendorId == vendorId && r.productId == productId && r.kind == kind && r.variant == variant) return i;
  }
  return -1;
}

int FindTabRow(int32_t vendorId, int32_t productId, int32_t kind, int32_t variant) {
  for (int i = 0; i < kDeviceTabCount; ++i) {
    const auto& r = kDeviceTabTable[static_cast<size_t>(i)];
    if (r.vendorId == vendorId && r.productId == productId && r.kind == kind && r.variant == variant) return i;
  }
  return -1;
}

InterfaceProbe ProbeFromPath(const std::string& path) {
  InterfaceProbe p;
  p.vendorId = ParseVendorId(path);
  p.productId = ParseProductId(path);
  p.interfaceNumber = ParseInterfaceNumber(path);
  p.collectionNumber = ParseCollectionNumber(path);
  p.path = path;
  return p;
}

bool MatchesByPath(const InterfaceProbe& probe) {
  for (const auto& r : kInterfaceTable)
    if (SameIdentity(r, probe)) return true;
  return false;
}

bool MatchesByCaps(InterfaceProbe& probe) {
  for (const auto& r : kInterfaceTable) {
    if (!SameFullIdentity(r, probe)) continue;
    probe.kind = r.kind;
    probe.variant = r.variant;
    return true;
  }
  return false;
}

bool PreFilter(const std::vector<InterfaceEntry>& slots, const InterfaceProbe& probe) {
  if (!MatchesByPath(probe)) return false;
  for (const auto& s : slots)
    if (SameIdentity(s, probe) && IsFree(s)) return true;
  return false;
}

int ClaimSlot(std::vector<InterfaceEntry>& slots, const InterfaceProbe& probe) {
  for (size_t i = 0; i < slots.size(); ++i) {
    auto& s = slots[i];
    if (!SameFullIdentity(s, probe) || !IsFree(s)) continue;
    s.present = 1;
    s.devicePath = probe.path;
    return static_cast<int>(i);
  }
  return -1;
}

int RecognizeInterface(std::vector<InterfaceEntry>& slots, const std::string& path,
                       std::shared_ptr<hid::HidBackend> backend) {
  InterfaceProbe probe = ProbeFromPath(path);
  if (!PreFilter(slots, probe)) return -1;
  int slot = -1;
  {
    // The probe channel only reads the identity; the driver opens its own channels later.
    CHidChannel channel(std::move(backend));
    if (!channel.Open(path, true, false)) return -1;
    probe.vendorId = channel.Attributes().vendorId;
    probe.productId = channel.Attributes().productId;
    probe.usagePage = channel.Caps().usagePage;
    probe.usage = channel.Caps().usage;
    if (MatchesByCaps(probe)) slot = ClaimSlot(slots, probe);
    channel.Close();
  }
  return slot;
}

std::optional<std::vector<InterfaceEntry>> ScanSlots(const std::shared_ptr<hid::HidBackend>& backend) {
  auto paths = backend->Enumerate();
  if (!paths) return std::nullopt;
  std::vector<InterfaceEntry> slots = MakeSlotList();
  for (const auto& p : *paths) RecognizeInterface(slots, p, backend);
  return slots;
}

int FindCommandSlot(const std::vector<InterfaceEntry>& slots, uint16_t family) {
  const uint16_t wired = FoldKind(family);
  const uint16_t receiver = wired == kKindMouse ? kKindMouseReceiver
                            : wired == kKindKeyboard ? kKindKeyboardReceiver
                                                     : 0;
  for (uint16_t kind : {wired, receiver}) {
    if (kind == 0) continue;
    for (size_t i = 0; i < slots.size(); ++i)
      if (slots[i].present && slots[i].kind == kind && slots[i].variant == kVariantCommand)
        return static_cast<int>(i);
  }
  return -1;
}

int FindCompanionSlot(const std::vector<InterfaceEntry>& slots, int commandSlot) {
  if (commandSlot < 0 || commandSlot >= static_cast<int>(slots.size())) return -1;
  const InterfaceEntry& c = slots[static_cast<size_t>(commandSlot)];
  for (size_t i = 0; i < slots.size(); ++i) {
    const InterfaceEntry& s = slots[i];
    if (s.present && s.kind == c.kind && s.vendorId == c.vendorId && s.productId == c.productId &&
        s.variant == kVariantCompanion)
      return static_cast<int>(i);
  }
  return -1;
}

}  // namespace orlo
