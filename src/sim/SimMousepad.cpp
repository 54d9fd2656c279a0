#include "sim/SimMousepad.h"

#include "sim/SimFactory.h"

namespace orlo::sim {
namespace {

std::vector<uint8_t> FactorySettings() {
  std::vector<uint8_t> area(SimMousepad::kSettingsSize, 0);
  for (int p = 0; p < SimMousepad::kProfiles; ++p) {
    const size_t b = static_cast<size_t>(p) * SimMousepad::kWriteStride;
    PutFactoryLight(area, b, {0xFF, 0x80, 0x00});
  }
  area[0] = 0;
  return area;
}

}  // namespace

std::shared_ptr<SimMemory> SimMousepad::MakeMemory(const std::string& name) {
  auto memory = std::make_shared<SimMemory>(name);
  // Firmware 0x0101, device class 3 (mousepad).
  memory->Define(Area::Info, FactoryInfoBlock(0x0101, 3, kProfiles, kLedCount), false);
  memory->Define(Area::Settings, FactorySettings(), true);
  DefinePowerArea(*memory, 100);
  return memory;
}

InterfaceDescriptor SimMousepad::CommandInterfaceDescriptor() {
  // The pad's first collection carries its lighting hot keys as a keyboard.
  return KeyboardCommandInterface(kCompanionReportId);
}

SimMousepad::SimMousepad(std::shared_ptr<SimMemory> memory)
    : SimDevice("mousepad", {kVendorId, kProductId, 0x0101}, Connection::Wired,
                memory ? std::move(memory) : MakeMemory()) {
  AddInterface(1, CommandInterfaceDescriptor());
  SetCompanion(0, kCompanionReportId);
}

}  // namespace orlo::sim
