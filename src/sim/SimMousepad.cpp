#include "sim/SimMousepad.h"

namespace orlo::sim {
namespace {

std::vector<uint8_t> FactorySettings() {
  std::vector<uint8_t> area(SimMousepad::kSettingsSize, 0);
  for (int p = 0; p < SimMousepad::kProfiles; ++p) {
    const size_t b = static_cast<size_t>(p) * SimMousepad::kWriteStride;
    area[b + 1] = 1;      // light mode code
    area[b + 2] = 4;      // brightness level
    area[b + 3] = 4 - 2;  // speed index 2, inverted
    area[b + 5] = 1;      // multicolour
    area[b + 6] = 0xFF;
    area[b + 7] = 0x80;
    area[b + 8] = 0x00;
  }
  area[0] = 0;
  return area;
}

}  // namespace

std::shared_ptr<SimMemory> SimMousepad::MakeMemory(const std::string& name) {
  auto memory = std::make_shared<SimMemory>(name);
  std::vector<uint8_t> info(kInfoBlockSize, 0);
  info[0] = 0x01;
  info[1] = 0x01;  // firmware 0x0101
  info[2] = 3;     // device class: mousepad
  info[3] = kProfiles;
  info[4] = kLedCount;
  memory->Define(Area::Info, info, false);
  memory->Define(Area::Settings, FactorySettings(), true);
  std::vector<uint8_t> power(64, 0);
  power[0] = 100;
  memory->Define(Area::Power, power, false);
  return memory;
}

InterfaceDescriptor SimMousepad::CommandInterfaceDescriptor() {
  // The pad's first collection carries its lighting hot keys as a keyboard.
  return DescriptorWriter()
      .KeyboardCollection(1)
      .SystemControlCollection(2)
      .ConsumerControlCollection(kCompanionReportId)
      .VendorCommandCollection(kCommandReportId)
      .Finish();
}

SimMousepad::SimMousepad(std::shared_ptr<SimMemory> memory)
    : SimDevice("mousepad", {kVendorId, kProductId, 0x0101}, Connection::Wired,
                memory ? std::move(memory) : MakeMemory()) {
  AddInterface(1, CommandInterfaceDescriptor());
  SetCompanion(0, kCompanionReportId);
}

}  // namespace orlo::sim
