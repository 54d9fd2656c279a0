#include "sim/DescriptorWriter.h"

#include <algorithm>

namespace orlo::sim {
namespace {

constexpr uint32_t kData = 0x00, kConstant = 0x01, kVariable = 0x02, kRelative = 0x04;

void AddId(std::vector<uint8_t>& ids, uint8_t id) {
  if (std::find(ids.begin(), ids.end(), id) == ids.end()) ids.push_back(id);
}

}  // namespace

int InterfaceDescriptor::CollectionOfInput(uint8_t reportId) const {
  for (size_t i = 0; i < collections.size(); ++i) {
    const auto& ids = collections[i].inputIds;
    if (std::find(ids.begin(), ids.end(), reportId) != ids.end()) return static_cast<int>(i);
  }
  return -1;
}

bool InterfaceDescriptor::HasOutput(uint8_t reportId) const {
  return std::any_of(collections.begin(), collections.end(), [&](const CollectionInfo& c) {
    return std::find(c.outputIds.begin(), c.outputIds.end(), reportId) != c.outputIds.end();
  });
}

size_t InterfaceDescriptor::ReportLength(ReportKind kind, uint8_t reportId) const {
  auto it = reportBytes.find({kind, reportId});
  return it == reportBytes.end() ? 0 : it->second;
}

void DescriptorWriter::Emit(uint8_t prefix, uint32_t value, int size) {
  const uint8_t code = size == 0 ? 0 : size == 1 ? 1 : size == 2 ? 2 : 3;
  out_.bytes.push_back(static_cast<uint8_t>(prefix | code));
  const int n = code == 3 ? 4 : size;
  for (int i = 0; i < n; ++i) out_.bytes.push_back(static_cast<uint8_t>(value >> (8 * i)));
}

void DescriptorWriter::EmitUnsigned(uint8_t prefix, uint32_t value) {
  Emit(prefix, value, value <= 0xFF ? 1 : value <= 0xFFFF ? 2 : 4);
}

void DescriptorWriter::EmitSigned(uint8_t prefix, int32_t value) {
  const int size = (value >= -128 && value <= 127) ? 1 : (value >= -32768 && value <= 32767) ? 2 : 4;
  Emit(prefix, static_cast<uint32_t>(value), size);
}

DescriptorWriter& DescriptorWriter::UsagePage(uint16_t page) {
  usagePage_ = page;
  EmitUnsigned(0x04, page);
  return *this;
}
DescriptorWriter& DescriptorWriter::Usage(uint16_t usage) {
  if (!haveUsage_) {
    pendingUsage_ = usage;
    haveUsage_ = true;
  }
  EmitUnsigned(0x08, usage);
  return *this;
}
DescriptorWriter& DescriptorWriter::UsageMin(uint16_t usage) {
  EmitUnsigned(0x18, usage);
  return *this;
}
DescriptorWriter& DescriptorWriter::UsageMax(uint16_t usage) {
  EmitUnsigned(0x28, usage);
  return *this;
}
DescriptorWriter& DescriptorWriter::LogicalMin(int32_t v) {
  EmitSigned(0x14, v);
  return *this;
}
DescriptorWriter& DescriptorWriter::LogicalMax(int32_t v) {
  EmitSigned(0x24, v);
  return *this;
}
DescriptorWriter& DescriptorWriter::ReportSize(uint32_t bits) {
  reportSize_ = bits;
  EmitUnsigned(0x74, bits);
  return *this;
}
DescriptorWriter& DescriptorWriter::ReportCount(uint32_t count) {
  reportCount_ = count;
  EmitUnsigned(0x94, count);
  return *this;
}
DescriptorWriter& DescriptorWriter::ReportId(uint8_t id) {
  reportId_ = id;
  EmitUnsigned(0x84, id);
  return *this;
}

DescriptorWriter& DescriptorWriter::Collection(uint8_t type) {
  if (depth_ == 0) {
    CollectionInfo c;
    c.usagePage = usagePage_;
    c.usage = pendingUsage_;
    out_.collections.push_back(c);
  }
  ++depth_;
  haveUsage_ = false;
  Emit(0xA0, type, 1);
  return *this;
}

DescriptorWriter& DescriptorWriter::EndCollection() {
  if (depth_ > 0) --depth_;
  haveUsage_ = false;
  Emit(0xC0, 0, 0);
  return *this;
}

void DescriptorWriter::AddMain(ReportKind kind) {
  haveUsage_ = false;
  const uint32_t total = bits_[{kind, reportId_}] += reportSize_ * reportCount_;
  out_.reportBytes[{kind, reportId_}] = 1 + (total + 7) / 8;
  if (out_.collections.empty()) return;
  auto& c = out_.collections.back();
  AddId(kind == ReportKind::Input ? c.inputIds : c.outputIds, reportId_);
}

DescriptorWriter& DescriptorWriter::Input(uint32_t flags) {
  EmitUnsigned(0x80, flags);
  AddMain(ReportKind::Input);
  return *this;
}

DescriptorWriter& DescriptorWriter::Output(uint32_t flags) {
  EmitUnsigned(0x90, flags);
  AddMain(ReportKind::Output);
  return *this;
}

DescriptorWriter& DescriptorWriter::MouseCollection(uint8_t reportId) {
  UsagePage(0x01).Usage(0x02).Collection(1).ReportId(reportId);
  Usage(0x01).Collection(0);
  UsagePage(0x09).UsageMin(1).UsageMax(5).LogicalMin(0).LogicalMax(1);
  ReportCount(5).ReportSize(1).Input(kData | kVariable);
  ReportCount(1).ReportSize(3).Input(kConstant);
  UsagePage(0x01).LogicalMin(-32767).LogicalMax(32767).ReportSize(16).ReportCount(2);
  Usage(0x30).Usage(0x31).Input(kData | kVariable | kRelative);
  LogicalMin(-127).LogicalMax(127).ReportSize(8).ReportCount(1);
  Usage(0x38).Input(kData | kVariable | kRelative);
  UsagePage(0x0C).Usage(0x238).ReportCount(1).Input(kData | kVariable | kRelative);
  EndCollection();
  return EndCollection();
}

DescriptorWriter& DescriptorWriter::KeyboardReports() {
  UsagePage(0x07).UsageMin(0xE0).UsageMax(0xE7).LogicalMin(0).LogicalMax(1);
  ReportSize(1).ReportCount(8).Input(kData | kVariable);
  ReportSize(8).ReportCount(1).Input(kConstant);
  UsagePage(0x08).UsageMin(1).UsageMax(5).ReportSize(1).ReportCount(5).Output(kData | kVariable);
  ReportSize(3).ReportCount(1).Output(kConstant);
  UsagePage(0x07).UsageMin(0).UsageMax(0xFF).LogicalMin(0).LogicalMax(0xFF);
  ReportSize(8).ReportCount(6).Input(kData);
  return EndCollection();
}

DescriptorWriter& DescriptorWriter::KeyboardCollection(uint8_t reportId) {
  UsagePage(0x01).Usage(0x06).Collection(1).ReportId(reportId);
  return KeyboardReports();
}

DescriptorWriter& DescriptorWriter::BootMouseCollection() {
  UsagePage(0x01).Usage(0x02).Collection(1).Usage(0x01).Collection(0);
  UsagePage(0x09).UsageMin(1).UsageMax(3).LogicalMin(0).LogicalMax(1);
  ReportCount(3).ReportSize(1).Input(kData | kVariable);
  ReportCount(1).ReportSize(5).Input(kConstant);
  UsagePage(0x01).Usage(0x30).Usage(0x31).LogicalMin(-127).LogicalMax(127);
  ReportSize(8).ReportCount(2).Input(kData | kVariable | kRelative);
  EndCollection();
  return EndCollection();
}

DescriptorWriter& DescriptorWriter::BootKeyboardCollection() {
  UsagePage(0x01).Usage(0x06).Collection(1);
  return KeyboardReports();
}

DescriptorWriter& DescriptorWriter::SystemControlCollection(uint8_t reportId) {
  UsagePage(0x01).Usage(0x80).Collection(1).ReportId(reportId);
  UsageMin(0x81).UsageMax(0x83).LogicalMin(0).LogicalMax(1);
  ReportSize(1).ReportCount(3).Input(kData | kVariable);
  ReportCount(5).Input(kConstant);
  return EndCollection();
}

DescriptorWriter& DescriptorWriter::ConsumerUsageArray(uint8_t reportId) {
  // One 16-bit usage per report: the device's own event codes live above the standard usages.
  UsagePage(0x0C).ReportId(reportId).LogicalMin(0).LogicalMax(0x7FFF);
  UsageMin(0).UsageMax(0x7FFF).ReportSize(16).ReportCount(1);
  return Input(kData);
}

DescriptorWriter& DescriptorWriter::ConsumerControlCollection(uint8_t reportId) {
  UsagePage(0x0C).Usage(0x01).Collection(1);
  ConsumerUsageArray(reportId);
  return EndCollection();
}

DescriptorWriter& DescriptorWriter::VendorCommandReports(uint8_t reportId) {
  UsagePage(0xFF1C).ReportId(reportId).LogicalMin(0).LogicalMax(0xFF).ReportSize(8).ReportCount(63);
  Usage(0x01).Input(kData | kVariable);
  Usage(0x02).Output(kData | kVariable);
  return *this;
}

DescriptorWriter& DescriptorWriter::VendorCommandCollection(uint8_t reportId) {
  UsagePage(0xFF1C).Usage(0x92).Collection(1);
  VendorCommandReports(reportId);
  return EndCollection();
}

}  // namespace orlo::sim
