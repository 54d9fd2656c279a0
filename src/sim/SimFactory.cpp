#include "sim/SimFactory.h"

#include "sim/SimDevice.h"

namespace orlo::sim {

void Put16(std::vector<uint8_t>& v, size_t at, uint16_t value) {
  v[at] = static_cast<uint8_t>(value & 0xFF);
  v[at + 1] = static_cast<uint8_t>(value >> 8);
}

std::vector<uint8_t> FactoryInfoBlock(uint16_t firmware, uint8_t deviceClass, uint8_t profiles, uint8_t leds) {
  std::vector<uint8_t> info(kInfoBlockSize, 0);
  Put16(info, 0, firmware);
  info[2] = deviceClass;
  info[3] = profiles;
  info[4] = leds;
  return info;
}

void PutFactoryLight(std::vector<uint8_t>& area, size_t base, const std::array<uint8_t, 3>& colour) {
  area[base + 1] = 1;
  area[base + 2] = 4;
  area[base + 3] = 4 - 2;
  area[base + 5] = 1;
  for (size_t c = 0; c < 3; ++c) area[base + 6 + c] = colour[c];
}

std::vector<uint8_t> EmptyContainer(size_t size) {
  std::vector<uint8_t> v(size, 0);
  v[0] = 0xAA;
  v[1] = 0x55;
  Put16(v, 2, 16);
  return v;
}

void DefinePowerArea(SimMemory& memory, uint8_t percent) {
  std::vector<uint8_t> power(64, 0);
  power[0] = percent;
  memory.Define(Area::Power, power, false);
}

InterfaceDescriptor KeyboardCommandInterface(uint8_t companionReportId) {
  return DescriptorWriter()
      .KeyboardCollection(1)
      .SystemControlCollection(2)
      .ConsumerControlCollection(companionReportId)
      .VendorCommandCollection(kCommandReportId)
      .Finish();
}

std::vector<uint8_t> ReadSettingsBlock(SimMemory& memory, int profile, int profiles, size_t stride, size_t size) {
  if (profile < 0 || profile >= profiles) return {};
  std::vector<uint8_t> block(size, 0);
  memory.Read(Area::Settings, static_cast<size_t>(profile) * stride, block.data(), block.size());
  return block;
}

bool SwitchActiveProfile(SimDevice& device, uint8_t profile, int profiles) {
  if (profile >= profiles) return false;
  device.Memory().Write(Area::Settings, 0, &profile, 1);
  return device.SendCompanionEvent(static_cast<uint16_t>(0x1000 | profile));
}

}  // namespace orlo::sim
