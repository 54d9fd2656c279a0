#include "sim/SimHeadset.h"

#include "sim/SimFactory.h"

namespace orlo::sim {
namespace {

std::vector<uint8_t> FactorySettings() {
  std::vector<uint8_t> area(SimHeadset::kSettingsSize, 0);
  for (int p = 0; p < SimHeadset::kProfiles; ++p) {
    const size_t b = static_cast<size_t>(p) * SimHeadset::kWriteStride;
    PutFactoryLight(area, b, {0x00, 0x80, 0xFF});
  }
  area[0] = 0;
  return area;
}

int GroupIndex(uint8_t group) { return group == 0x22 ? 0 : group == 0x44 ? 1 : -1; }

}  // namespace

std::shared_ptr<SimMemory> SimHeadset::MakeMemory(const std::string& name) {
  auto memory = std::make_shared<SimMemory>(name);
  // Firmware 0x0100, device class 7 (headset).
  memory->Define(Area::Info, FactoryInfoBlock(0x0100, 7, kProfiles, kLedCount), false);
  memory->Define(Area::Settings, FactorySettings(), true);
  DefinePowerArea(*memory, 100);
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
