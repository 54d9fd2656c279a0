#pragma once
// Our own HID report descriptor parser. It gives, per top-level collection, what the HID class
// driver's parser gives on other platforms: the collection's caps, its button and value
// capabilities per report type, and the extraction of button usages and values from a report.
//
// Report buffers follow the usual layout: byte 0 is the report id (0 when the descriptor uses
// no report ids), the report's fields start at byte 1. Byte lengths include that first byte.
//
// Descriptors are read the way the Linux HID core reads them, so that every interface the
// kernel gives a hidraw node is read here too:
// - items of the reserved type, main items with a reserved tag (a 0x00 padding byte is one) and
//   long items are skipped; only an item cut short by the end of the descriptor is an error;
// - a usage of one or two bytes takes the usage page current when it was declared; a Usage Page
//   item after the last usages of a main item re-pages the short usages at the end of its list,
//   back to the first one that already has that page; four-byte usages carry their own page;
// - fields wider than 32 bits get their capabilities like any other; their values are read
//   where they fit 32 bits.
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace orlo::hid {

// Parser statuses; the values are the ones callers of the HID parser are used to.
constexpr int32_t kHidStatusSuccess = 0x00110000;
constexpr int32_t kHidStatusNull = static_cast<int32_t>(0x80110001u);  // value holds its null state
constexpr int32_t kHidStatusInvalidPreparsedData = static_cast<int32_t>(0xC0110001u);
constexpr int32_t kHidStatusInvalidReportType = static_cast<int32_t>(0xC0110002u);
constexpr int32_t kHidStatusInvalidReportLength = static_cast<int32_t>(0xC0110003u);
constexpr int32_t kHidStatusUsageNotFound = static_cast<int32_t>(0xC0110004u);
constexpr int32_t kHidStatusBadLogPhyValues = static_cast<int32_t>(0xC0110006u);
constexpr int32_t kHidStatusBufferTooSmall = static_cast<int32_t>(0xC0110007u);
constexpr int32_t kHidStatusIncompatibleReportId = static_cast<int32_t>(0xC011000Au);

enum class ReportType : uint8_t { Input = 0, Output = 1, Feature = 2 };
constexpr int kReportTypeCount = 3;

struct HidCaps {
  uint16_t usage = 0;
  uint16_t usagePage = 0;
  // 1 + the largest report of that type in bytes (the report-id byte included); 0 when the
  // collection has no report of that type.
  uint16_t inputReportByteLength = 0;
  uint16_t outputReportByteLength = 0;
  uint16_t featureReportByteLength = 0;
  uint16_t numberLinkCollectionNodes = 0;
  uint16_t numberInputButtonCaps = 0;
  uint16_t numberInputValueCaps = 0;
  uint16_t numberInputDataIndices = 0;
  uint16_t numberOutputButtonCaps = 0;
  uint16_t numberOutputValueCaps = 0;
  uint16_t numberOutputDataIndices = 0;
  uint16_t numberFeatureButtonCaps = 0;
  uint16_t numberFeatureValueCaps = 0;
  uint16_t numberFeatureDataIndices = 0;
};

// Main item flag bits (Input/Output/Feature item data).
constexpr uint32_t kFieldConstant = 0x001;
constexpr uint32_t kFieldVariable = 0x002;  // clear: array
constexpr uint32_t kFieldRelative = 0x004;
constexpr uint32_t kFieldNullState = 0x040;
constexpr uint32_t kFieldBufferedBytes = 0x100;

// What button and value capabilities share.
struct FieldCapsBase {
  uint16_t usagePage = 0;
  uint8_t reportId = 0;
  uint32_t bitField = 0;         // the main item's flag bits
  uint16_t linkCollection = 0;   // 0 = the top-level collection itself
  uint16_t linkUsage = 0;
  uint16_t linkUsagePage = 0;
  bool isRange = false;
  bool isAbsolute = true;
  // Usage range; both equal the single usage when !isRange.
  uint16_t usageMin = 0;
  uint16_t usageMax = 0;
  uint16_t dataIndexMin = 0;
  uint16_t dataIndexMax = 0;
  // Where the item lies: bit offset from the first byte after the report-id byte.
  uint32_t bitPosition = 0;
  uint16_t bitSize = 0;      // size of one element (array index or value)
  uint16_t reportCount = 0;  // number of elements
  int32_t logicalMin = 0;
  int32_t logicalMax = 0;
};

struct ButtonCaps : FieldCapsBase {
  bool isArray = false;  // elements are indices into the usage range, not one bit per usage
  // For an array: index (element value minus logicalMin) that selects usageMin. Several caps of
  // one array item share its bits and split its index space.
  uint32_t arrayIndexBase = 0;
};

struct ValueCaps : FieldCapsBase {
  bool hasNull = false;
  uint32_t units = 0;
  int32_t unitsExponent = 0;
  int32_t physicalMin = 0;
  int32_t physicalMax = 0;
};

// The usages min..max of one usage page; a single usage has min == max.
struct UsageSpan {
  uint16_t page = 0;
  uint16_t min = 0;
  uint16_t max = 0;

  bool operator==(const UsageSpan&) const = default;
};

// One Input, Output or Feature item as it lies in its report, padding included.
struct ReportField {
  ReportType type = ReportType::Input;
  uint8_t reportId = 0;
  uint32_t bitPosition = 0;  // from the first byte after the report-id byte
  uint32_t bitSize = 0;      // one element
  uint32_t reportCount = 0;  // elements
  uint32_t flags = 0;        // the main item's flag bits
  std::vector<UsageSpan> usages;  // as declared, in order, each with the page it resolved to
};

struct LinkCollectionNode {
  uint16_t usage = 0;
  uint16_t usagePage = 0;
  uint16_t parent = 0;
  uint8_t collectionType = 0;
  uint16_t numberOfChildren = 0;
};

// One top-level collection of a descriptor.
struct TopLevelCollection {
  HidCaps caps;
  std::vector<ButtonCaps> buttonCaps[kReportTypeCount];  // indexed by ReportType
  std::vector<ValueCaps> valueCaps[kReportTypeCount];
  std::vector<LinkCollectionNode> linkCollections;       // [0] is the collection itself
  std::vector<uint8_t> reportIds;                        // sorted, unique; empty without ids
  bool usesReportIds = false;
  // Size in bits (report-id byte excluded) of each of this collection's reports, per type.
  std::vector<std::pair<uint8_t, uint32_t>> reportBits[kReportTypeCount];
  std::vector<ReportField> fields;  // every main item of the collection, descriptor order

  const std::vector<ButtonCaps>& Buttons(ReportType t) const { return buttonCaps[static_cast<int>(t)]; }
  const std::vector<ValueCaps>& Values(ReportType t) const { return valueCaps[static_cast<int>(t)]; }
  bool HasReportId(uint8_t id) const;
  // Bytes of that report with its report-id byte; 0 when the collection has no such report.
  uint32_t ReportByteLength(ReportType t, uint8_t id) const;
};

struct ParsedDescriptor {
  std::vector<TopLevelCollection> collections;  // descriptor order
  // Why parsing failed, "byte N: why" (or "end of descriptor: why"); empty on success.
  std::string error;
  size_t errorOffset = 0;  // the item at fault; the descriptor's length when its end is
};

// Limits that keep a hostile descriptor from costing memory or time.
constexpr size_t kMaxDescriptorBytes = 4096;
constexpr int kMaxCollectionDepth = 32;
constexpr int kMaxPushDepth = 16;
constexpr uint32_t kMaxReportBits = 8 * 4096;  // one report, report-id byte excluded
constexpr size_t kMaxUsagesPerItem = 1024;
constexpr size_t kMaxCapsPerCollection = 1024;
constexpr size_t kMaxValueUsages = 0xFFFF;  // per collection and report type

// Parses a whole report descriptor. kHidStatusSuccess with out filled, or
// kHidStatusInvalidPreparsedData with out.collections empty and out.error saying why.
int32_t ParseReportDescriptor(const uint8_t* data, size_t size, ParsedDescriptor& out);
inline int32_t ParseReportDescriptor(const std::vector<uint8_t>& bytes, ParsedDescriptor& out) {
  return ParseReportDescriptor(bytes.data(), bytes.size(), out);
}

// Longest usage list GetUsages can return for that report type and usage page (0 = any page).
uint32_t MaxUsageListLength(const TopLevelCollection& tlc, ReportType type, uint16_t usagePage);

// The button usages of usagePage that are on in one report. linkCollection 0 takes every link
// collection. On entry `count` is the capacity of `usages`; on return it is the number written.
// kHidStatusBufferTooSmall when more usages are on than fit (the first `count` are written).
int32_t GetUsages(const TopLevelCollection& tlc, ReportType type, uint16_t usagePage,
                  uint16_t linkCollection, uint16_t* usages, uint32_t& count,
                  const uint8_t* report, size_t reportLength);

// Raw (unsigned, as it lies in the report) value of one usage. kHidStatusBufferTooSmall when the
// field is wider than 32 bits and this value does not fit.
int32_t GetUsageValue(const TopLevelCollection& tlc, ReportType type, uint16_t usagePage,
                      uint16_t linkCollection, uint16_t usage, uint32_t& value,
                      const uint8_t* report, size_t reportLength);

// Value scaled to the physical range (the signed logical value when there is no physical range).
// kHidStatusNull when the field holds a value outside its logical range (a value of a wide field
// that does not fit 32 bits is outside any logical range),
// kHidStatusBadLogPhyValues when the ranges cannot be used.
int32_t GetScaledUsageValue(const TopLevelCollection& tlc, ReportType type, uint16_t usagePage,
                            uint16_t linkCollection, uint16_t usage, int32_t& value,
                            const uint8_t* report, size_t reportLength);

}  // namespace orlo::hid
