// Fuzz target for the report descriptor parser: any bytes parse or fail with a reason, and the
// extraction calls on whatever parsed stay inside the report they are given. The input's tail
// doubles as the report.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/hid/ReportDescriptor.h"

using namespace orlo::hid;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t split = 1 + data[0] % (size - 1);
  ParsedDescriptor parsed;
  if (ParseReportDescriptor(data + 1, split, parsed) != kHidStatusSuccess) {
    if (parsed.error.empty() || !parsed.collections.empty()) std::abort();
    return 0;
  }
  std::vector<uint8_t> report(data + split, data + size);
  if (report.empty()) report.push_back(0);
  for (const auto& c : parsed.collections) {
    for (int t = 0; t < kReportTypeCount; ++t) {
      const auto type = static_cast<ReportType>(t);
      for (const auto& b : c.Buttons(type)) {
        std::vector<uint16_t> usages(MaxUsageListLength(c, type, b.usagePage));
        uint32_t n = static_cast<uint32_t>(usages.size());
        report[0] = b.reportId;
        GetUsages(c, type, b.usagePage, 0, usages.data(), n, report.data(), report.size());
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
