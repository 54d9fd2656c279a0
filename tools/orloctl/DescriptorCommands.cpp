// orloctl descriptor FILE|DEVICE: what the report descriptor parser reads from a binary report
// descriptor, as one JSON document, so that one can see why an interface is or is not
// recognised.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "CtlSupport.h"
#include "base/DeviceKinds.h"
#include "platform/hid/ReportDescriptor.h"

namespace orloctl {
namespace {

namespace hid = orlo::hid;

// DEVICE is a family word or a slot number; anything else names a file ("./mouse" reaches a
// file called mouse).
bool NamesDevice(const std::string& arg) {
  if (!arg.empty() && std::all_of(arg.begin(), arg.end(), [](unsigned char c) { return std::isdigit(c); }))
    return true;
  const auto family = orlo::FamilyOfWord(arg);
  return family && orlo::KindWord(*family) == arg;
}

// At most one byte more than a descriptor may hold, so an overlong file is told apart without
// reading all of it.
std::vector<uint8_t> ReadDescriptorFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) throw UsageError{"cannot read " + path + ": " + std::strerror(errno)};
  std::vector<uint8_t> bytes(hid::kMaxDescriptorBytes + 1);
  const size_t n = std::fread(bytes.data(), 1, bytes.size(), f);
  const int error = std::ferror(f) ? errno : 0;
  std::fclose(f);
  if (error) throw UsageError{"cannot read " + path + ": " + std::strerror(error)};
  bytes.resize(n);
  return bytes;
}

std::vector<uint8_t> ReadDeviceDescriptor(const GlobalOptions& options, const std::string& device) {
  auto backend = SelectBackend(options);
  const auto slots = Scan(backend);
  // A slot number may name any present interface, companion interfaces included.
  const bool number = std::isdigit(static_cast<unsigned char>(device[0]));
  const unsigned long n = number ? ParseNumber(device, "slot number") : 0;
  const size_t slot = number && n < slots.size() && slots[n].present ? n : static_cast<size_t>(ResolveDevice(slots, device));
  const auto& entry = slots[slot];
  auto bytes = backend->ReadReportDescriptor(entry.devicePath);
  if (!bytes) throw CommandFailure{device + ": cannot read the report descriptor of " + entry.devicePath};
  return *bytes;
}

const char* KindName(hid::ReportType type) {
  switch (type) {
    case hid::ReportType::Input: return "input";
    case hid::ReportType::Output: return "output";
    default: return "feature";
  }
}

// The fields of one report of a collection, in descriptor order.
struct Report {
  hid::ReportType type;
  uint8_t id;
  std::vector<const hid::ReportField*> fields;
};

std::vector<Report> ReportsOf(const hid::TopLevelCollection& tlc) {
  std::vector<Report> reports;
  for (const auto& f : tlc.fields) {
    auto it = std::find_if(reports.begin(), reports.end(),
                           [&](const Report& r) { return r.type == f.type && r.id == f.reportId; });
    if (it == reports.end()) it = reports.insert(reports.end(), Report{f.type, f.reportId, {}});
    it->fields.push_back(&f);
  }
  return reports;
}

// Written as it goes rather than built as a JSON value first: usage ranges are expanded, and a
// descriptor of a few kilobytes may declare millions of usages.
void PrintField(const hid::ReportField& f, bool last) {
  std::printf("            {\"bit\": %u, \"size\": %u, \"count\": %u, \"constant\": %s, \"usages\": [", f.bitPosition,
              f.bitSize, f.reportCount, (f.flags & hid::kFieldConstant) ? "true" : "false");
  bool first = true;
  for (const auto& span : f.usages) {
    for (uint32_t u = span.min; u <= span.max; ++u) {
      std::printf("%s[%u, %u]", first ? "" : ", ", span.page, u);
      first = false;
    }
  }
  std::printf("]}%s\n", last ? "" : ",");
}

void PrintDocument(const hid::ParsedDescriptor& parsed) {
  std::printf("{\n  \"collections\": [");
  for (size_t c = 0; c < parsed.collections.size(); ++c) {
    const auto& tlc = parsed.collections[c];
    std::printf("%s\n    {\n      \"page\": %u,\n      \"usage\": %u,\n      \"reports\": [", c ? "," : "",
                tlc.caps.usagePage, tlc.caps.usage);
    const auto reports = ReportsOf(tlc);
    for (size_t r = 0; r < reports.size(); ++r) {
      const auto& report = reports[r];
      const uint32_t bytes = tlc.ReportByteLength(report.type, report.id) - 1;  // without the id byte
      std::printf("%s\n        {\n          \"kind\": \"%s\",\n          \"id\": %u,\n          \"bytes\": %u,\n"
                  "          \"fields\": [\n",
                  r ? "," : "", KindName(report.type), report.id, bytes);
      for (size_t i = 0; i < report.fields.size(); ++i) PrintField(*report.fields[i], i + 1 == report.fields.size());
      std::printf("          ]\n        }");
    }
    std::printf("%s]\n    }", reports.empty() ? "" : "\n      ");
  }
  std::printf("%s]\n}\n", parsed.collections.empty() ? "" : "\n  ");
}

int RunDescriptor(const GlobalOptions& options, const std::vector<std::string>& args) {
  if (args.size() != 2) throw UsageError{"usage: descriptor FILE|DEVICE"};
  const std::string& source = args[1];
  if (source.empty()) throw UsageError{"descriptor: empty file name"};
  return Guarded([&] {
    const auto descriptor = NamesDevice(source) ? ReadDeviceDescriptor(options, source) : ReadDescriptorFile(source);
    hid::ParsedDescriptor parsed;
    if (hid::ParseReportDescriptor(descriptor, parsed) != hid::kHidStatusSuccess)
      throw CommandFailure{source + ": " + parsed.error};
    PrintDocument(parsed);
    if (std::fflush(stdout) != 0 || std::ferror(stdout))
      throw CommandFailure{std::string("cannot write the output: ") + std::strerror(errno)};
    return 0;
  });
}

const CtlCommand kDescriptor{{"descriptor", "Device",
                              "  orloctl descriptor FILE|DEVICE — what the parser reads from a binary report "
                              "descriptor (a file, or the interface of DEVICE), as JSON",
                              RunDescriptor}};

}  // namespace
}  // namespace orloctl
