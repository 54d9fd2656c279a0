#include "sim/SimHeadset.h"

namespace orlo::sim {
namespace {

std::vector<uint8_t> FactorySettings() {
  std::vector<uint8_t> area(SimHeadset::kSettingsSize, 0);
  for (int p = 0; p < SimHeadset::kProfiles; ++p) {
    const size_t b = static_cast<size_t>(p) * SimHeadset::kWriteStride;
    area[b + 1] = 1;
    area[b + 2] = 4;
    area[b + 3] = 4 - 2;
    area[b + 5] = 1;
    area[b + 6] = 0x00;
    area[b + 7] = 0x80;
    area[b + 8] = 0xFF;
  }
  area[0] = 0;
  return area;
}

int GroupIndex(uint8_t group) { return group == 0x22 ? 0 : group == 0x44 ? 1 : -1; }

}  // namespace

std::shared_ptr<SimMemory> SimHeadset::MakeMemory(const std::string& name) {
  auto memory = std::make_shared<SimMemory>(name);
  std::vector<uint8_t> info(kInfoBlockSize, 0);
  info[0] = 0x00;
  info[1] = 0x01;  // firmware 0x0100
  info[2] = 7;     // device class: headset
  info[3] = kProfiles;
  info[4] = kLedCount;
  memory->Define(Area::Info, info, false);
  memory->Define(Area::Settings, FactorySettings(), true);
  std::vector<uint8_t> power(64, 0);
  power[0] = 100;
  memory->Define(Area::Power, power, false);
  return memory;
}

InterfaceDescriptor SimHeadset::HeadsetInterfaceDescriptor() {
  DescriptorWriter w;
  w.UsagePage(0x0C).Usage(0x01).Collection(1);
  w.ConsumerUsageArray(kEventReportId);
  w.VendorCommandReports(kCommandReportId);
  w.UsagePage(0xFF1C).ReportId(kLedReportId).LogicalMin(0).LogicalMax(0xFF).ReportSize(8).ReportCount(16);
  w.Usage(0x03).Output(0x02);
  w.EndCollection();
  return w.Finish();
}

SimHeadset::SimHeadset(std::shared_ptr<SimMemory> memory)
    : SimDevice("headset", {kVendorId, kProductId, 0x0100}, Connection::Wired,
                memory ? std::move(memory) : MakeMemory()) {
  AddInterface(3, HeadsetInterfaceDescriptor());
  SetCompanion(0, kEventReportId);
}

void SimHeadset::OnOtherOutput(size_t interfaceIndex, const std::vector<uint8_t>& report) {
  SimDevice::OnOtherOutput(interfaceIndex, report);
  if (report.size() != kLedReportSize || report[0] != kLedReportId) return;
  const int g = GroupIndex(report[1]);
  if (g < 0) return;
  // Selectors 0xAA-0xAC: red/green/blue of LEDs 0-6; 0xAD-0xAF: the same of LEDs 7-12.
  const uint8_t part = report[2];
  if (part < 0xAA || part > 0xAF) return;
  const int component = (part - 0xAA) % 3;
  const int first = part >= 0xAD ? 7 : 0;
  const int count = part >= 0xAD ? kLedCount - 7 : 7;
  std::lock_guard lock(ledMu_);
  for (int i = 0; i < count; ++i) leds_[g][first + i][component] = report[4 + i];
  ++ledReports_;
}

std::array<uint8_t, 3> SimHeadset::LedColour(uint8_t group, int led) const {
  const int g = GroupIndex(group);
  if (g < 0 || led < 0 || led >= kLedCount) return {0, 0, 0};
  std::lock_guard lock(ledMu_);
  return leds_[g][led];
}

size_t SimHeadset::LedReportCount() const {
  std::lock_guard lock(ledMu_);
  return ledReports_;
}

}  // namespace orlo::sim
