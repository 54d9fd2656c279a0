#include "sim/SimMouse.h"

#include "sim/SimFactory.h"

namespace orlo::sim {
namespace {

std::vector<uint8_t> FactoryInfo() {
  // Firmware 0x0105, device class 2 (mouse), 15 LEDs.
  std::vector<uint8_t> info = FactoryInfoBlock(0x0105, 2, SimMouse::kProfiles, 15);
  info[5] = SimMouse::kKeyEntries;
  info[6] = SimMouse::kMacroUnits;
  info[7] = SimMouse::kShootUnits;
  Put16(info, 9, SimMouse::kSensor);
  info[11] = SimMouse::kResolutionStep;
  Put16(info, 12, SimMouse::kMaxResolution);
  Put16(info, 14, SimMouse::kMinResolution);
  Put16(info, 32, 0x0001);  // layout revision
  return info;
}

std::vector<uint8_t> FactorySettings() {
  std::vector<uint8_t> area(SimMouse::kProfiles * SimMouse::kProfileStride, 0);
  static constexpr std::array<uint8_t, 3> kProfileColours[SimMouse::kProfiles] = {
      {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0x00, 0x00, 0xFF}, {0xFF, 0xFF, 0x00}, {0xFF, 0x00, 0xFF}};
  // Values the page's resolution scale shows exactly (single steps up to 4900).
  static constexpr uint16_t kStageResolution[5] = {400, 800, 1600, 3200, 4800};
  static constexpr uint8_t kStageColours[5][3] = {
      {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0x00, 0x00, 0xFF}, {0xFF, 0xFF, 0x00}, {0x00, 0xFF, 0xFF}};
  for (int p = 0; p < SimMouse::kProfiles; ++p) {
    const size_t b = static_cast<size_t>(p) * SimMouse::kProfileStride;
    PutFactoryLight(area, b, kProfileColours[p]);
    area[b + 11] = 3;  // wired report rate index (1000 Hz)
    area[b + 12] = 1;  // active resolution stage
    for (int s = 0; s < 5; ++s) {
      const size_t st = b + 14 + 9 * static_cast<size_t>(s);
      area[st] = 1;  // active
      area[st + 1] = 0;
      Put16(area, st + 2, kStageResolution[s]);
      Put16(area, st + 4, kStageResolution[s]);
      for (int c = 0; c < 3; ++c) area[st + 6 + c] = kStageColours[s][c];
    }
    area[b + 59] = 1;
    Put16(area, b + 60, 1920);
    Put16(area, b + 62, 1080);
    area[b + 77] = 3;  // receiver report rate index
  }
  area[0] = 0;  // active profile
  return area;
}

std::vector<uint8_t> FactoryKeyTable() {
  std::vector<uint8_t> table(kKeyTableSize, 0);
  const auto& keys = SimMouse::FactoryKeys();
  for (size_t k = 0; k < keys.size(); ++k)
    for (size_t i = 0; i < 3; ++i) table[3 * k + i] = keys[k][i];
  return table;
}

}  // namespace

const std::array<std::array<uint8_t, 3>, SimMouse::kKeyEntries>& SimMouse::FactoryKeys() {
  static const std::array<std::array<uint8_t, 3>, kKeyEntries> keys = {{
      {0x10, 0x01, 0x00},  // left
      {0x10, 0x02, 0x00},  // right
      {0x10, 0x04, 0x00},  // middle
      {0x10, 0x10, 0x00},  // forward
      {0x10, 0x08, 0x00},  // back
      {0x13, 0x01, 0x00},  // resolution up
      {0x13, 0x02, 0x00},  // resolution down
      {0x13, 0x03, 0x00},  // resolution cycle
      {0xA0, 0x1B, 0x00},
      {0x16, 0x90, 0x01},
      {0x14, 0x78, 0x02},
  }};
  return keys;
}

std::shared_ptr<SimMemory> SimMouse::MakeMemory(const std::string& name) {
  auto memory = std::make_shared<SimMemory>(name);
  memory->Define(Area::Info, FactoryInfo(), false);
  memory->Define(Area::Settings, FactorySettings(), true);
  memory->Define(Area::KeyTable, FactoryKeyTable(), true);
  memory->Define(Area::Macro, EmptyContainer(kMacroUnits * 128), true);
  memory->Define(Area::Shoot, EmptyContainer(kShootUnits * 128), true);
  DefinePowerArea(*memory, 80);
  return memory;
}

InterfaceDescriptor SimMouse::CommandInterfaceDescriptor() {
  return DescriptorWriter()
      .MouseCollection(1)
      .SystemControlCollection(2)
      .ConsumerControlCollection(kCompanionReportId)
      .VendorCommandCollection(kCommandReportId)
      .Finish();
}

SimMouse::SimMouse(Connection connection, std::shared_ptr<SimMemory> memory)
    : SimDevice(connection == Connection::Wired ? "mouse" : "mouse-receiver",
                {kVendorId, connection == Connection::Wired ? kWiredProductId : kReceiverProductId,
                 static_cast<uint16_t>(connection == Connection::Wired ? 0x0105 : 0x0102)},
                connection, memory ? std::move(memory) : MakeMemory()) {
  AddInterface(0, DescriptorWriter().BootMouseCollection().Finish());
  AddInterface(1, CommandInterfaceDescriptor());
  SetCompanion(1, kCompanionReportId);
}

bool SimMouse::SwitchProfile(uint8_t profile) { return SwitchActiveProfile(*this, profile, kProfiles); }

bool SimMouse::SwitchStage(uint8_t profile, uint8_t stage) {
  if (profile >= kProfiles || stage >= 5) return false;
  Memory().Write(Area::Settings, 0, &profile, 1);
  Memory().Write(Area::Settings, static_cast<size_t>(profile) * kProfileStride + 12, &stage, 1);
  return SendCompanionEvent(static_cast<uint16_t>(0x1100 | stage << 4 | profile));
}

uint8_t SimMouse::ActiveProfile() { return Memory().Byte(Area::Settings, 0); }

std::vector<uint8_t> SimMouse::SettingsBlock(int profile) {
  return ReadSettingsBlock(Memory(), profile, kProfiles, kProfileStride, kBlockSize);
}

}  // namespace orlo::sim
