// What the keyboard, mousepad and headset hold and answer, and how every simulated device looks
// to the report-descriptor parser and to the catalogue's recognition.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "device/link/Catalogue.h"
#include "platform/hid/ReportDescriptor.h"
#include "sim/SimHeadset.h"
#include "sim/SimKeyboard.h"
#include "sim/SimMouse.h"
#include "sim/SimMousepad.h"
#include "SimTestSupport.h"

namespace orlo::sim::test {
namespace {

using hid::TransferStatus;

struct Tlc {
  uint16_t page, usage;
};

std::vector<Tlc> TopLevel(const std::vector<uint8_t>& descriptor, hid::ParsedDescriptor& parsed) {
  EXPECT_EQ(hid::ParseReportDescriptor(descriptor, parsed), hid::kHidStatusSuccess) << parsed.error;
  std::vector<Tlc> out;
  for (const auto& c : parsed.collections) out.push_back({c.caps.usagePage, c.caps.usage});
  return out;
}

TEST(SimDescriptors, CommandInterfacesParseIntoTheFourCollectionsTheCatalogueExpects) {
  const std::pair<const char*, InterfaceDescriptor> interfaces[] = {
      {"mouse", SimMouse::CommandInterfaceDescriptor()},
      {"keyboard", SimKeyboard::CommandInterfaceDescriptor()},
      {"mousepad", SimMousepad::CommandInterfaceDescriptor()},
  };
  for (const auto& [name, itf] : interfaces) {
    SCOPED_TRACE(name);
    hid::ParsedDescriptor parsed;
    const auto tlc = TopLevel(itf.bytes, parsed);
    ASSERT_EQ(tlc.size(), 4u);
    EXPECT_EQ(tlc[0].page, 0x01);
    EXPECT_EQ(tlc[0].usage, std::string(name) == "mouse" ? 0x02 : 0x06);
    EXPECT_EQ(tlc[1].page, 0x01);
    EXPECT_EQ(tlc[1].usage, 0x80);
    EXPECT_EQ(tlc[2].page, 0x0C);
    EXPECT_EQ(tlc[2].usage, 0x01);
    EXPECT_EQ(tlc[3].page, 0xFF1C);
    EXPECT_EQ(tlc[3].usage, 0x92);
    // The command collection moves 64-byte reports both ways; the companion 3-byte events.
    EXPECT_EQ(parsed.collections[3].caps.inputReportByteLength, 64);
    EXPECT_EQ(parsed.collections[3].caps.outputReportByteLength, 64);
    EXPECT_EQ(parsed.collections[3].reportIds, std::vector<uint8_t>{kCommandReportId});
    EXPECT_EQ(parsed.collections[2].caps.inputReportByteLength, 3);
    // The writer's own bookkeeping agrees with the parser.
    for (size_t c = 0; c < 4; ++c)
      EXPECT_EQ(itf.collections[c].usagePage, tlc[c].page) << "collection " << c;
  }
}

TEST(SimDescriptors, CompanionEventsUnpackToTheirUsage) {
  hid::ParsedDescriptor parsed;
  TopLevel(SimMouse::CommandInterfaceDescriptor().bytes, parsed);
  ASSERT_EQ(parsed.collections.size(), 4u);
  const auto& consumer = parsed.collections[2];
  for (uint16_t usage : {0x401, 0x402, 0x403, 0x1004, 0x1132}) {
    const uint8_t report[3] = {SimMouse::kCompanionReportId, static_cast<uint8_t>(usage & 0xFF),
                               static_cast<uint8_t>(usage >> 8)};
    uint16_t usages[8] = {};
    uint32_t count = 8;
    ASSERT_EQ(hid::GetUsages(consumer, hid::ReportType::Input, 0x0C, 0, usages, count, report, sizeof report),
              hid::kHidStatusSuccess);
    ASSERT_EQ(count, 1u) << std::hex << usage;
    EXPECT_EQ(usages[0], usage);
  }
}

TEST(SimDescriptors, HeadsetHasOneConsumerCollectionTakingCommandsAndLedReports) {
  hid::ParsedDescriptor parsed;
  const auto tlc = TopLevel(SimHeadset::HeadsetInterfaceDescriptor().bytes, parsed);
  ASSERT_EQ(tlc.size(), 1u);
  EXPECT_EQ(tlc[0].page, 0x0C);
  EXPECT_EQ(tlc[0].usage, 0x01);
  const auto& c = parsed.collections[0];
  EXPECT_EQ(c.ReportByteLength(hid::ReportType::Output, kCommandReportId), 64u);
  EXPECT_EQ(c.ReportByteLength(hid::ReportType::Input, kCommandReportId), 64u);
  EXPECT_EQ(c.ReportByteLength(hid::ReportType::Output, SimHeadset::kLedReportId), SimHeadset::kLedReportSize);
}

TEST(SimCatalogue, EachDeviceIsRecognisedInItsSlots) {
  struct Case {
    const char* list;
    std::map<std::string, int> slotBySuffix;  // path ending → slot
  };
  const Case cases[] = {
      {"mouse", {{"mi_00", -1}, {"col01", -1}, {"col02", -1}, {"col03", 5}, {"col04", 4}}},
      {"mouse-receiver", {{"col03", 7}, {"col04", 6}}},
      {"keyboard", {{"mi_00", -1}, {"col03", 1}, {"col04", 0}}},
      {"headset", {{"mi_03", 10}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.list);
    auto backend = MakeSimBackend(c.list, NoPersistence());
    auto slots = MakeSlotList();
    std::map<std::string, int> seen;
    const auto paths = backend->Enumerate();
    ASSERT_TRUE(paths);
    for (const auto& path : *paths) {
      const int slot = RecognizeInterface(slots, path, backend);
      for (const auto& [suffix, expected] : c.slotBySuffix) {
        if (path.size() >= suffix.size() && path.compare(path.size() - suffix.size(), suffix.size(), suffix) == 0)
          seen[suffix] = slot;
      }
    }
    EXPECT_EQ(seen, c.slotBySuffix);
  }
}

class SimKeyboardProtocol : public ::testing::Test {
 protected:
  void SetUp() override {
    backend = MakeSimBackend("keyboard", NoPersistence());
    keyboard = std::dynamic_pointer_cast<SimKeyboard>(backend->Device("keyboard"));
    ASSERT_TRUE(keyboard);
    handle = backend->Open(CommandPath(*backend, "keyboard"), true, true);
    ASSERT_TRUE(handle);
  }
  std::shared_ptr<SimBackend> backend;
  std::shared_ptr<SimKeyboard> keyboard;
  std::unique_ptr<hid::HidDevice> handle;
};

TEST_F(SimKeyboardProtocol, KeyTablesGiveEveryPhysicalKeyItsPositionAndLed) {
  const auto info = ReadBlock(*handle, kCmdReadInfo, kInfoBlockSize, 56);
  ASSERT_EQ(info.size(), kInfoBlockSize);
  const int keys = info[5];
  ASSERT_EQ(keys, SimKeyboard::kKeyCount);
  EXPECT_EQ(info[6], SimKeyboard::kMacroUnits);

  keyboard->ClearLog();
  const auto table = ReadBlock(*handle, kCmdReadKeyTable, static_cast<size_t>(keys) * 3, 56);
  ASSERT_EQ(table.size(), 312u);
  EXPECT_EQ(keyboard->Log().size(), 6u) << "five reports of 56 bytes and one of 32";
  const auto leds = ReadBlock(*handle, kCmdReadKeyBytes, static_cast<size_t>(keys), 56);
  ASSERT_EQ(leds.size(), static_cast<size_t>(keys));
  // With the full 512-byte key table size the LED table read is 170 bytes, and still fits.
  EXPECT_EQ(ReadBlock(*handle, kCmdReadKeyBytes, kKeyTableSize / 3, 56).size(), kKeyTableSize / 3);

  // Searching the table by factory code (first match) finds each key's own position, so the
  // codes are unique, and the LEDs are a permutation of 0..K-1.
  std::set<int> ledSet;
  const auto& positions = SimKeyboard::PhysicalKeyPositions();
  for (int k = 0; k < keys; ++k) {
    const auto code = SimKeyboard::PositionCode(positions[static_cast<size_t>(k)]);
    int first = -1;
    for (int j = 0; j < keys && first < 0; ++j)
      if (std::equal(code.begin(), code.end(), table.begin() + 3 * j)) first = j;
    EXPECT_EQ(first, k) << "position " << positions[static_cast<size_t>(k)];
    ledSet.insert(leds[static_cast<size_t>(k)]);
  }
  EXPECT_EQ(ledSet.size(), static_cast<size_t>(keys));
  EXPECT_EQ(*ledSet.rbegin(), keys - 1);
  // The Fn key (position 110) is there; the programmable keys are not.
  EXPECT_NE(std::find(positions.begin(), positions.end(), 110), positions.end());
  EXPECT_EQ(std::find(positions.begin(), positions.end(), 120), positions.end());
}

TEST_F(SimKeyboardProtocol, SettingsBlocksOverlapByOneByte) {
  std::vector<uint8_t> block(SimKeyboard::kBlockSize, 0x11);
  block[25] = 0x99;
  ASSERT_EQ(WriteBlock(*handle, kCmdWriteSettings, block, 56, 1 * SimKeyboard::kProfileStride), kStatusOk);
  EXPECT_EQ(keyboard->SettingsBlock(1), block);
  EXPECT_EQ(keyboard->SettingsBlock(2)[0], 0x99);
  EXPECT_EQ(keyboard->ActiveProfile(), 0);
  // The last profile's block ends inside the 128-byte area.
  EXPECT_EQ(WriteBlock(*handle, kCmdWriteSettings, block, 56, 4 * SimKeyboard::kProfileStride), kStatusOk);
  EXPECT_EQ(WriteBlock(*handle, kCmdWriteSettings, block, 56, 5 * SimKeyboard::kProfileStride), kStatusRefused);
}

TEST_F(SimKeyboardProtocol, LightGroupsStreamedFramesAndHostControl) {
  std::vector<uint8_t> frame(SimKeyboard::kKeyCount * 3);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i);
  ASSERT_EQ(WriteBlock(*handle, kCmdWriteLightData, frame, 24, 3 * SimKeyboard::kLightGroupSize), kStatusOk);
  const auto light = keyboard->Memory().Snapshot(Area::LightData);
  EXPECT_TRUE(std::equal(frame.begin(), frame.end(), light.begin() + 3 * SimKeyboard::kLightGroupSize));
  EXPECT_EQ(light[2 * SimKeyboard::kLightGroupSize + 5], 0) << "group 2 untouched";
  EXPECT_EQ(WriteBlock(*handle, kCmdWriteLightData, frame, 56, SimKeyboard::kLightGroups * SimKeyboard::kLightGroupSize),
            kStatusRefused);

  ASSERT_EQ(WriteBlock(*handle, kCmdStreamLightFrame, frame, 56), kStatusOk);
  EXPECT_EQ(keyboard->LastStreamedFrame(), frame);

  EXPECT_FALSE(keyboard->HostLightControl());
  EXPECT_EQ(Exchange(*handle, MakeRequest(kCmdClaimLight)).reply[7], kStatusOk);
  EXPECT_TRUE(keyboard->HostLightControl());
  EXPECT_EQ(Exchange(*handle, MakeRequest(kCmdWriteShoot, 4, 0, {1, 2, 3, 4})).reply[7], kStatusRefused)
      << "the keyboard has no shoot area";
}

TEST(SimHeadsetProtocol, CommandsAndLedReportsShareItsOneCollection) {
  auto backend = MakeSimBackend("headset", NoPersistence());
  auto headset = std::dynamic_pointer_cast<SimHeadset>(backend->Device("headset"));
  auto handle = backend->Open(backend->Enumerate()->at(0), true, true);
  ASSERT_TRUE(headset && handle);
  EXPECT_EQ(handle->CollectionIndex(), 0);

  std::vector<uint8_t> image(21, 0x21);
  ASSERT_EQ(WriteBlock(*handle, kCmdWriteSettings, image, 24, 0), kStatusOk);
  EXPECT_EQ(ReadBlock(*handle, kCmdReadSettings, 21, 24, 0), image);
  EXPECT_EQ(ReadBlock(*handle, kCmdReadRange, 6, 56).size(), 6u);

  // Red of LEDs 7-12 in group 0x44, then green of LEDs 0-6 in group 0x22.
  std::vector<uint8_t> led = {SimHeadset::kLedReportId, 0x44, 0xAD, 0, 10, 11, 12, 13, 14, 15, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(handle->Write(led.data(), led.size(), 100).status, TransferStatus::Ok);
  led = {SimHeadset::kLedReportId, 0x22, 0xAB, 0, 1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(handle->Write(led.data(), led.size(), 100).status, TransferStatus::Ok);
  EXPECT_EQ(headset->LedColour(0x44, 7), (std::array<uint8_t, 3>{10, 0, 0}));
  EXPECT_EQ(headset->LedColour(0x44, 12), (std::array<uint8_t, 3>{15, 0, 0}));
  EXPECT_EQ(headset->LedColour(0x22, 6), (std::array<uint8_t, 3>{0, 7, 0}));
  EXPECT_EQ(headset->LedColour(0x22, 7), (std::array<uint8_t, 3>{0, 0, 0}));
  EXPECT_EQ(headset->LedReportCount(), 2u);
  EXPECT_EQ(headset->OtherOutputs().size(), 2u);
  Report r{};
  EXPECT_EQ(handle->Read(r.data(), r.size(), 20).status, TransferStatus::Timeout) << "LED reports have no answer";

  ASSERT_TRUE(headset->SendCompanionEvent(0x401));
  ASSERT_EQ(handle->Read(r.data(), r.size(), 100).status, TransferStatus::Ok);
  EXPECT_EQ(r[0], SimHeadset::kEventReportId);
  EXPECT_EQ(r[1] | r[2] << 8, 0x401);
}

TEST(SimMousepadProtocol, ReadsAtTwentyFiveWritesAtSixtyFour) {
  auto backend = MakeSimBackend("mousepad", NoPersistence());
  auto pad = backend->Device("mousepad");
  auto handle = backend->Open(CommandPath(*backend, "mousepad"), true, true);
  ASSERT_TRUE(handle);
  const auto info = ReadBlock(*handle, kCmdReadInfo, kInfoBlockSize, 24);
  ASSERT_EQ(info.size(), kInfoBlockSize);
  EXPECT_EQ(info[5], 0) << "no keys";
  EXPECT_EQ(info[4], SimMousepad::kLedCount);
  const std::vector<uint8_t> block(21, 0x33);
  ASSERT_EQ(WriteBlock(*handle, kCmdWriteSettings, block, 24, 4 * SimMousepad::kWriteStride), kStatusOk);
  EXPECT_EQ(ReadBlock(*handle, kCmdReadSettings, 26, 24, 4 * 25).size(), 26u);
  pad->SetPowerState(40, 1, 3, 2);
  const auto power = ReadBlock(*handle, kCmdReadRange, 6, 24);
  ASSERT_EQ(power.size(), 6u);
  EXPECT_EQ(power[0], 40);
  EXPECT_EQ(power[1], 1) << "charging";
  EXPECT_EQ(power[4], 3);
  EXPECT_EQ(power[5], 2) << "phone on the charging area";
  EXPECT_EQ(Exchange(*handle, MakeRequest(kCmdReadKeyTable, 24, 0)).reply[7], kStatusRefused);
}

}  // namespace
}  // namespace orlo::sim::test
