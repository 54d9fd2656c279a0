// Fuzz target for the report descriptor parser: any bytes parse or fail with a reason and a place
// inside the descriptor, and the extraction calls on whatever parsed stay inside the report they
// are given. The first two input bytes (little-endian) pick the descriptor's length, so
// descriptors reach the longest a device may report; the rest of the input after the
// descriptor doubles as the report.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <utility>
#include <vector>

#include "platform/hid/ReportDescriptor.h"

using namespace orlo::hid;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const uint8_t* descriptor = data + 2;
  const size_t available = std::min(size - 2, kMaxDescriptorBytes);
  const size_t length = 1 + (size_t{data[0]} | size_t{data[1]} << 8) % available;
  ParsedDescriptor parsed;
  if (ParseReportDescriptor(descriptor, length, parsed) != kHidStatusSuccess) {
    if (parsed.error.empty() || !parsed.collections.empty() || parsed.errorOffset > length) std::abort();
    return 0;
  }
  std::vector<uint8_t> report(1, 0);
  report.insert(report.end(), descriptor + length, data + size);
  for (const auto& c : parsed.collections) {
    for (const auto& f : c.fields) {
      if (f.usages.size() > kMaxUsagesPerItem) std::abort();
      for (const auto& u : f.usages)
        if (u.max < u.min) std::abort();
    }
    for (int t = 0; t < kReportTypeCount; ++t) {
      const auto type = static_cast<ReportType>(t);
      // One call per page and report id walks every button cap of that page already.
      std::set<std::pair<uint16_t, uint8_t>> pages;
      for (const auto& b : c.Buttons(type)) pages.emplace(b.usagePage, b.reportId);
      for (const auto& [page, id] : pages) {
        std::vector<uint16_t> usages(MaxUsageListLength(c, type, page));
        uint32_t n = static_cast<uint32_t>(usages.size());
        report[0] = id;
        GetUsages(c, type, page, 0, usages.data(), n, report.data(), report.size());
        if (n > usages.size()) std::abort();
      }
      for (const auto& v : c.Values(type)) {
        uint32_t raw = 0;
        int32_t scaled = 0;
        report[0] = v.reportId;
        GetUsageValue(c, type, v.usagePage, 0, v.usageMax, raw, report.data(), report.size());
        GetScaledUsageValue(c, type, v.usagePage, 0, v.usageMin, scaled, report.data(), report.size());
      }
    }
  }
  return 0;
}
