#pragma once
// Composes HID report descriptors for the simulated devices and remembers, per top-level
// collection, which report ids it declares, so that the simulated backend can route reports
// without parsing its own descriptors.
#include <cstddef>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

namespace orlo::sim {

enum class ReportKind : uint8_t { Input, Output, Feature };

struct CollectionInfo {
  uint16_t usagePage = 0;
  uint16_t usage = 0;
  std::vector<uint8_t> inputIds;
  std::vector<uint8_t> outputIds;
};

// One interface's descriptor.
struct InterfaceDescriptor {
  std::vector<uint8_t> bytes;
  std::vector<CollectionInfo> collections;  // descriptor order
  // Report length in bytes with the report-id byte, per (kind, id).
  std::map<std::pair<ReportKind, uint8_t>, size_t> reportBytes;

  // Top-level collection (0-based) that declares this input report id, or -1.
  int CollectionOfInput(uint8_t reportId) const;
  bool HasOutput(uint8_t reportId) const;
  size_t ReportLength(ReportKind kind, uint8_t reportId) const;
};

class DescriptorWriter {
 public:
  // Raw items. Values are encoded in the fewest bytes; signed items keep their sign.
  DescriptorWriter& UsagePage(uint16_t page);
  DescriptorWriter& Usage(uint16_t usage);
  DescriptorWriter& UsageMin(uint16_t usage);
  DescriptorWriter& UsageMax(uint16_t usage);
  DescriptorWriter& LogicalMin(int32_t v);
  DescriptorWriter& LogicalMax(int32_t v);
  DescriptorWriter& ReportSize(uint32_t bits);
  DescriptorWriter& ReportCount(uint32_t count);
  DescriptorWriter& ReportId(uint8_t id);
  DescriptorWriter& Collection(uint8_t type);  // 0 physical, 1 application, 2 logical
  DescriptorWriter& EndCollection();
  DescriptorWriter& Input(uint32_t flags);
  DescriptorWriter& Output(uint32_t flags);

  // Whole top-level collections as the devices of this family declare them.
  DescriptorWriter& MouseCollection(uint8_t reportId);
  DescriptorWriter& KeyboardCollection(uint8_t reportId);
  DescriptorWriter& BootMouseCollection();
  DescriptorWriter& BootKeyboardCollection();
  DescriptorWriter& SystemControlCollection(uint8_t reportId);
  DescriptorWriter& ConsumerControlCollection(uint8_t reportId);
  DescriptorWriter& VendorCommandCollection(uint8_t reportId);
  // Items only (for a collection that carries more than one kind of report).
  DescriptorWriter& ConsumerUsageArray(uint8_t reportId);
  DescriptorWriter& VendorCommandReports(uint8_t reportId);

  InterfaceDescriptor Finish() const { return out_; }

 private:
  void Emit(uint8_t prefix, uint32_t value, int size);
  void EmitUnsigned(uint8_t prefix, uint32_t value);
  void EmitSigned(uint8_t prefix, int32_t value);
  void AddMain(ReportKind kind);
  // Modifier bits, LED outputs and six key slots, then the end of the keyboard collection.
  DescriptorWriter& KeyboardReports();

  InterfaceDescriptor out_;
  int depth_ = 0;
  uint16_t usagePage_ = 0;
  uint16_t pendingUsage_ = 0;
  bool haveUsage_ = false;
  uint32_t reportSize_ = 0;
  uint32_t reportCount_ = 0;
  uint8_t reportId_ = 0;
  std::map<std::pair<ReportKind, uint8_t>, uint32_t> bits_;
};

}  // namespace orlo::sim
