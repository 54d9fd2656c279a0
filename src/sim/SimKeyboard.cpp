#include "sim/SimKeyboard.h"

#include <algorithm>

#include "sim/SimFactory.h"

namespace orlo::sim {
namespace {

// Codes of key positions 0-125 as type, code 1, code 2 packed into 24 bits; 126-169 are 20.00.00.
constexpr uint32_t kPositionCodes[126] = {
    0x200029, 0x20003A, 0x20003B, 0x20003C, 0x20003D, 0x20003E, 0x20003F, 0x200040, 0x200041, 0x200042,
    0x200043, 0x200044, 0x200045, 0x200046, 0x200047, 0x200048, 0xA01B00, 0xA02400, 0x200000, 0x200000,
    0x200000, 0x200035, 0x20001E, 0x20001F, 0x200020, 0x200021, 0x200022, 0x200023, 0x200024, 0x200025,
    0x200026, 0x200027, 0x20002D, 0x20002E, 0x20002A, 0x200049, 0x20004A, 0x20004B, 0x200053, 0x200054,
    0x200055, 0x200056, 0x20002B, 0x200014, 0x20001A, 0x200008, 0x200015, 0x200017, 0x20001C, 0x200018,
    0x20000C, 0x200012, 0x200013, 0x20002F, 0x200030, 0x200031, 0x20004C, 0x20004D, 0x20004E, 0x20005F,
    0x200060, 0x200061, 0x200032, 0x200039, 0x200004, 0x200016, 0x200007, 0x200009, 0x20000A, 0x20000B,
    0x20000D, 0x20000E, 0x20000F, 0x200033, 0x200034, 0x200028, 0x20005C, 0x20005D, 0x20005E, 0x20008A,
    0x20008B, 0x200090, 0x200091, 0x200088, 0x200200, 0x20001D, 0x20001B, 0x200006, 0x200019, 0x200005,
    0x200011, 0x200010, 0x200036, 0x200037, 0x200038, 0x202000, 0x200052, 0x200059, 0x20005A, 0x20005B,
    0x200087, 0x200089, 0x200064, 0x200085, 0x200000, 0x200100, 0x200800, 0x200400, 0x20002C, 0x204000,
    0xA00100, 0x200065, 0x201000, 0x200050, 0x200051, 0x20004F, 0x200062, 0x200063, 0x200058, 0x200057,
    0xD0A201, 0xD0A202, 0xD0A203, 0xD0A204, 0xD0A205, 0x208000,
};

std::vector<uint8_t> FactoryInfo() {
  // Firmware 0x0103, device class 1 (keyboard), one LED per key.
  std::vector<uint8_t> info =
      FactoryInfoBlock(0x0103, 1, SimKeyboard::kProfiles, SimKeyboard::kKeyCount);
  info[5] = SimKeyboard::kKeyCount;
  info[6] = SimKeyboard::kMacroUnits;
  Put16(info, 32, 0x0001);
  return info;
}

std::vector<uint8_t> FactorySettings() {
  std::vector<uint8_t> area(128, 0);
  static constexpr std::array<uint8_t, 3> kColours[SimKeyboard::kProfiles] = {
      {0x00, 0xFF, 0xFF}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0x00, 0x00, 0xFF}, {0xFF, 0xFF, 0xFF}};
  // Blocks overlap by one byte (block p's byte 25 is block p + 1's byte 0): fill in order.
  for (int p = 0; p < SimKeyboard::kProfiles; ++p) {
    const size_t b = static_cast<size_t>(p) * SimKeyboard::kProfileStride;
    PutFactoryLight(area, b, kColours[p]);
    area[b + 22] = 3;  // report rate index
  }
  area[0] = 0;
  return area;
}

std::vector<uint8_t> FactoryKeyTable() {
  std::vector<uint8_t> table(kKeyTableSize, 0);
  const auto& positions = SimKeyboard::PhysicalKeyPositions();
  for (size_t k = 0; k < positions.size(); ++k) {
    const auto code = SimKeyboard::PositionCode(positions[k]);
    std::copy(code.begin(), code.end(), table.begin() + static_cast<std::ptrdiff_t>(3 * k));
  }
  return table;
}

std::vector<uint8_t> FactoryKeyBytes() {
  std::vector<uint8_t> bytes(kKeyTableSize / 3, 0);
  for (int k = 0; k < SimKeyboard::kKeyCount; ++k) bytes[static_cast<size_t>(k)] = SimKeyboard::LedOfKey(k);
  return bytes;
}

}  // namespace

std::array<uint8_t, 3> SimKeyboard::PositionCode(int position) {
  const uint32_t code = (position >= 0 && position < 126) ? kPositionCodes[position] : 0x200000;
  return {static_cast<uint8_t>(code >> 16), static_cast<uint8_t>(code >> 8), static_cast<uint8_t>(code)};
}

const std::vector<int>& SimKeyboard::PhysicalKeyPositions() {
  // A full-size board: every position with a key code of its own, without the programmable
  // keys (type 0xD0), the two function codes of 16-17, the international keys, the menu key
  // and the right system key (its place holds the Fn key of position 110).
  static const std::vector<int> positions = [] {
    static constexpr int kAbsent[] = {16, 17, 79, 80, 81, 82, 83, 100, 101, 102, 103, 111, 125};
    std::vector<int> out;
    for (int p = 0; p < 126; ++p) {
      const uint32_t code = kPositionCodes[p];
      if (code == 0x200000 || (code >> 16) == 0xD0) continue;
      if (std::find(std::begin(kAbsent), std::end(kAbsent), p) != std::end(kAbsent)) continue;
      out.push_back(p);
    }
    return out;
  }();
  return positions;
}

std::shared_ptr<SimMemory> SimKeyboard::MakeMemory(const std::string& name) {
  auto memory = std::make_shared<SimMemory>(name);
  memory->Define(Area::Info, FactoryInfo(), false);
  memory->Define(Area::Settings, FactorySettings(), true);
  memory->Define(Area::KeyTable, FactoryKeyTable(), true);
  memory->Define(Area::KeyBytes, FactoryKeyBytes(), false);
  memory->Define(Area::LightData, std::vector<uint8_t>(kLightGroups * kLightGroupSize, 0), true);
  memory->Define(Area::LiveFrame, std::vector<uint8_t>(kKeyTableSize, 0), false);
  memory->Define(Area::Macro, EmptyContainer(kMacroUnits * 128), true);
  DefinePowerArea(*memory, 100);
  return memory;
}

InterfaceDescriptor SimKeyboard::CommandInterfaceDescriptor() { return KeyboardCommandInterface(kCompanionReportId); }

SimKeyboard::SimKeyboard(Connection connection, std::shared_ptr<SimMemory> memory)
    : SimDevice(connection == Connection::Wired ? "keyboard" : "keyboard-receiver", {kVendorId, kProductId, 0x0103},
                connection, memory ? std::move(memory) : MakeMemory()) {
  AddInterface(0, DescriptorWriter().BootKeyboardCollection().Finish());
  AddInterface(1, CommandInterfaceDescriptor());
  SetCompanion(1, kCompanionReportId);
  SetSupportsClaimLight(true);
}

uint8_t SimKeyboard::ActiveProfile() { return Memory().Byte(Area::Settings, 0); }

std::vector<uint8_t> SimKeyboard::SettingsBlock(int profile) {
  return ReadSettingsBlock(Memory(), profile, kProfiles, kProfileStride, kBlockSize);
}

std::vector<uint8_t> SimKeyboard::LastStreamedFrame() {
  auto frame = Memory().Snapshot(Area::LiveFrame);
  frame.resize(static_cast<size_t>(kKeyCount) * 3);
  return frame;
}

bool SimKeyboard::SwitchProfile(uint8_t profile) { return SwitchActiveProfile(*this, profile, kProfiles); }

void SimKeyboard::OnChunkWritten(uint8_t code, size_t offset, const uint8_t* data, size_t length) {
  if (code != kCmdStreamLightFrame) return;
  std::lock_guard lock(framesMu_);
  if (offset == 0 || frames_.empty()) {
    if (frames_.size() >= kMaxFramesKept) frames_.pop_front();
    frames_.push_back({std::vector<uint8_t>(kFrameBytes, 0), 0});
    ++frameCount_;
  }
  StreamedFrame& frame = frames_.back();
  const size_t end = std::min(kFrameBytes, offset + length);
  for (size_t at = offset; at < end; ++at) frame.bytes[at] = data[at - offset];
  if (end > offset) frame.received += end - offset;
}

std::vector<SimKeyboard::StreamedFrame> SimKeyboard::StreamedFrames() const {
  std::lock_guard lock(framesMu_);
  return {frames_.begin(), frames_.end()};
}

size_t SimKeyboard::StreamedFrameCount() const {
  std::lock_guard lock(framesMu_);
  return frameCount_;
}

void SimKeyboard::ClearStreamedFrames() {
  std::lock_guard lock(framesMu_);
  frames_.clear();
  frameCount_ = 0;
}

}  // namespace orlo::sim
