// Factory contents of the four simulated memories: what a host reads from a device that was
// never written to.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "sim/SimHeadset.h"
#include "sim/SimKeyboard.h"
#include "sim/SimMouse.h"
#include "sim/SimMousepad.h"

namespace orlo::sim {
namespace {

uint16_t Le16(const std::vector<uint8_t>& v, size_t at) {
  return static_cast<uint16_t>(v[at] | v[at + 1] << 8);
}

// The lighting head every device's profile block starts with, and its colour.
void ExpectFactoryLight(const std::vector<uint8_t>& area, size_t base, std::array<uint8_t, 3> colour) {
  SCOPED_TRACE(base);
  EXPECT_EQ(area[base + 1], 1);
  EXPECT_EQ(area[base + 2], 4);
  EXPECT_EQ(area[base + 3], 2);
  EXPECT_EQ(area[base + 4], 0);
  EXPECT_EQ(area[base + 5], 1);
  EXPECT_EQ(area[base + 6], colour[0]);
  EXPECT_EQ(area[base + 7], colour[1]);
  EXPECT_EQ(area[base + 8], colour[2]);
}

void ExpectEmptyContainer(const SimMemory& memory, Area area, size_t size) {
  const auto v = memory.Snapshot(area);
  ASSERT_EQ(v.size(), size);
  EXPECT_EQ(v[0], 0xAA);
  EXPECT_EQ(v[1], 0x55);
  EXPECT_EQ(Le16(v, 2), 16);
  for (size_t i = 4; i < v.size(); ++i) ASSERT_EQ(v[i], 0) << i;
  EXPECT_TRUE(memory.IsPersistent(area));
}

void ExpectPower(const SimMemory& memory, uint8_t percent) {
  const auto v = memory.Snapshot(Area::Power);
  ASSERT_EQ(v.size(), 64u);
  EXPECT_EQ(v[0], percent);
  for (size_t i = 1; i < v.size(); ++i) ASSERT_EQ(v[i], 0) << i;
  EXPECT_FALSE(memory.IsPersistent(Area::Power));
}

void ExpectInfoHead(const std::vector<uint8_t>& info, uint16_t firmware, uint8_t deviceClass, uint8_t profiles,
                    uint8_t leds) {
  ASSERT_EQ(info.size(), kInfoBlockSize);
  EXPECT_EQ(Le16(info, 0), firmware);
  EXPECT_EQ(info[2], deviceClass);
  EXPECT_EQ(info[3], profiles);
  EXPECT_EQ(info[4], leds);
}

TEST(SimFactoryMemory, MouseInfoProfilesContainersAndBattery) {
  const auto memory = SimMouse::MakeMemory();
  const auto info = memory->Snapshot(Area::Info);
  ExpectInfoHead(info, 0x0105, 2, SimMouse::kProfiles, 15);
  EXPECT_EQ(info[5], SimMouse::kKeyEntries);
  EXPECT_EQ(info[6], SimMouse::kMacroUnits);
  EXPECT_EQ(info[7], SimMouse::kShootUnits);
  EXPECT_EQ(Le16(info, 9), SimMouse::kSensor);
  EXPECT_EQ(info[11], SimMouse::kResolutionStep);
  EXPECT_EQ(Le16(info, 12), SimMouse::kMaxResolution);
  EXPECT_EQ(Le16(info, 14), SimMouse::kMinResolution);
  EXPECT_EQ(Le16(info, 32), 1);
  EXPECT_FALSE(memory->IsPersistent(Area::Info));

  const auto settings = memory->Snapshot(Area::Settings);
  ASSERT_EQ(settings.size(), size_t{SimMouse::kProfiles} * SimMouse::kProfileStride);
  EXPECT_EQ(settings[0], 0);
  const std::array<std::array<uint8_t, 3>, 5> colours = {
      {{0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0x00, 0x00, 0xFF}, {0xFF, 0xFF, 0x00}, {0xFF, 0x00, 0xFF}}};
  for (size_t p = 0; p < 5; ++p) {
    const size_t b = p * SimMouse::kProfileStride;
    ExpectFactoryLight(settings, b, colours[p]);
    EXPECT_EQ(settings[b + 11], 3);
    EXPECT_EQ(settings[b + 12], 1);
    EXPECT_EQ(Le16(settings, b + 14 + 2), 400);
    EXPECT_EQ(Le16(settings, b + 14 + 4 * 9 + 4), 4800);
    EXPECT_EQ(Le16(settings, b + 60), 1920);
    EXPECT_EQ(Le16(settings, b + 62), 1080);
    EXPECT_EQ(settings[b + 77], 3);
  }

  const auto keys = memory->Snapshot(Area::KeyTable);
  ASSERT_EQ(keys.size(), kKeyTableSize);
  EXPECT_EQ(keys[0], 0x10);
  EXPECT_EQ(keys[1], 0x01);
  EXPECT_EQ(keys[3 * 10], 0x14);
  EXPECT_EQ(keys[3 * 11], 0);

  ExpectEmptyContainer(*memory, Area::Macro, SimMouse::kMacroUnits * 128);
  ExpectEmptyContainer(*memory, Area::Shoot, SimMouse::kShootUnits * 128);
  ExpectPower(*memory, 80);
  EXPECT_FALSE(memory->Has(Area::KeyBytes));
}

TEST(SimFactoryMemory, KeyboardOverlappingBlocksKeepTheirOwnColours) {
  const auto memory = SimKeyboard::MakeMemory();
  const auto info = memory->Snapshot(Area::Info);
  ExpectInfoHead(info, 0x0103, 1, SimKeyboard::kProfiles, SimKeyboard::kKeyCount);
  EXPECT_EQ(info[5], SimKeyboard::kKeyCount);
  EXPECT_EQ(info[6], SimKeyboard::kMacroUnits);
  EXPECT_EQ(Le16(info, 32), 1);

  const auto settings = memory->Snapshot(Area::Settings);
  ASSERT_EQ(settings.size(), 128u);
  EXPECT_EQ(settings[0], 0);
  const std::array<std::array<uint8_t, 3>, 5> colours = {
      {{0x00, 0xFF, 0xFF}, {0xFF, 0x00, 0x00}, {0x00, 0xFF, 0x00}, {0x00, 0x00, 0xFF}, {0xFF, 0xFF, 0xFF}}};
  for (size_t p = 0; p < 5; ++p) {
    const size_t b = p * SimKeyboard::kProfileStride;
    ExpectFactoryLight(settings, b, colours[p]);
    EXPECT_EQ(settings[b + 22], 3);
  }

  SimKeyboard keyboard(Connection::Wired, memory);
  EXPECT_EQ(keyboard.SettingsBlock(2), std::vector<uint8_t>(settings.begin() + 50, settings.begin() + 76));
  EXPECT_TRUE(keyboard.SettingsBlock(5).empty());
  EXPECT_TRUE(keyboard.SettingsBlock(-1).empty());

  ExpectEmptyContainer(*memory, Area::Macro, SimKeyboard::kMacroUnits * 128);
  ExpectPower(*memory, 100);
  EXPECT_EQ(memory->Size(Area::LightData), size_t{SimKeyboard::kLightGroups} * SimKeyboard::kLightGroupSize);
  EXPECT_FALSE(memory->Has(Area::Shoot));
}

TEST(SimFactoryMemory, PadAndHeadsetCarryOnlyInfoSettingsAndPower) {
  const auto pad = SimMousepad::MakeMemory();
  ExpectInfoHead(pad->Snapshot(Area::Info), 0x0101, 3, SimMousepad::kProfiles, SimMousepad::kLedCount);
  const auto padSettings = pad->Snapshot(Area::Settings);
  ASSERT_EQ(padSettings.size(), size_t{SimMousepad::kSettingsSize});
  for (size_t p = 0; p < 5; ++p) ExpectFactoryLight(padSettings, p * SimMousepad::kWriteStride, {0xFF, 0x80, 0x00});
  ExpectPower(*pad, 100);
  EXPECT_FALSE(pad->Has(Area::KeyTable));
  EXPECT_FALSE(pad->Has(Area::Macro));

  const auto headset = SimHeadset::MakeMemory();
  ExpectInfoHead(headset->Snapshot(Area::Info), 0x0100, 7, SimHeadset::kProfiles, SimHeadset::kLedCount);
  const auto headsetSettings = headset->Snapshot(Area::Settings);
  ASSERT_EQ(headsetSettings.size(), size_t{SimHeadset::kSettingsSize});
  for (size_t p = 0; p < 5; ++p)
    ExpectFactoryLight(headsetSettings, p * SimHeadset::kWriteStride, {0x00, 0x80, 0xFF});
  ExpectPower(*headset, 100);
  EXPECT_FALSE(headset->Has(Area::KeyTable));
}

TEST(SimFactoryMemory, ProfileKeysMoveTheActiveProfileOnlyWithinRange) {
  SimMouse mouse;
  SimKeyboard keyboard;
  EXPECT_TRUE(mouse.SwitchProfile(4));
  EXPECT_EQ(mouse.ActiveProfile(), 4);
  EXPECT_FALSE(mouse.SwitchProfile(5));
  EXPECT_EQ(mouse.ActiveProfile(), 4);
  EXPECT_TRUE(keyboard.SwitchProfile(3));
  EXPECT_EQ(keyboard.ActiveProfile(), 3);
  EXPECT_FALSE(keyboard.SwitchProfile(SimKeyboard::kProfiles));
  EXPECT_EQ(keyboard.ActiveProfile(), 3);
  EXPECT_EQ(mouse.SettingsBlock(1).size(), size_t{SimMouse::kBlockSize});
  EXPECT_TRUE(mouse.SettingsBlock(5).empty());
  // Block 0 begins with the active profile byte.
  EXPECT_EQ(keyboard.SettingsBlock(0)[0], 3);
}

}  // namespace
}  // namespace orlo::sim
