#include "platform/hid/ReportDescriptor.h"

#include <gtest/gtest.h>

#include <random>

using namespace orlo::hid;

namespace {

// Three-button boot mouse: buttons 1-3, five bits of padding, relative X and Y.
const std::vector<uint8_t> kBootMouse = {
    0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x09, 0x01, 0xA1, 0x00,  // Mouse / Pointer
    0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x15, 0x00, 0x25, 0x01,  // Buttons 1..3
    0x95, 0x03, 0x75, 0x01, 0x81, 0x02,                          // 3 x 1 bit, Data Var Abs
    0x95, 0x01, 0x75, 0x05, 0x81, 0x01,                          // padding
    0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x15, 0x81, 0x25, 0x7F,  // X, Y: -127..127
    0x75, 0x08, 0x95, 0x02, 0x81, 0x06,                          // 2 x 8 bit, Data Var Rel
    0xC0, 0xC0};

// Keyboard (report id 1) and consumer control (report id 2) on one interface.
const std::vector<uint8_t> kKeyboardAndConsumer = {
    0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x85, 0x01,              // Keyboard, id 1
    0x05, 0x07, 0x19, 0xE0, 0x29, 0xE7, 0x15, 0x00, 0x25, 0x01,  // modifiers
    0x75, 0x01, 0x95, 0x08, 0x81, 0x02,                          //
    0x95, 0x01, 0x75, 0x08, 0x81, 0x01,                          // reserved byte
    0x95, 0x05, 0x75, 0x01, 0x05, 0x08, 0x19, 0x01, 0x29, 0x05,  // LEDs out
    0x91, 0x02, 0x95, 0x01, 0x75, 0x03, 0x91, 0x01,              // LED padding
    0x95, 0x06, 0x75, 0x08, 0x15, 0x00, 0x25, 0x65,              // six key slots
    0x05, 0x07, 0x19, 0x00, 0x29, 0x65, 0x81, 0x00,              // array
    0xC0,                                                        //
    0x05, 0x0C, 0x09, 0x01, 0xA1, 0x01, 0x85, 0x02,              // Consumer Control, id 2
    0x15, 0x00, 0x26, 0x3C, 0x02, 0x19, 0x00, 0x2A, 0x3C, 0x02,  // 0..0x23C
    0x75, 0x10, 0x95, 0x01, 0x81, 0x00,                          // one 16-bit array slot
    0xC0};

// Vendor command collection: 64-byte input and output reports with id 4.
const std::vector<uint8_t> kVendorCommand = {
    0x06, 0x1C, 0xFF, 0x09, 0x92, 0xA1, 0x01, 0x85, 0x04,  // page 0xFF1C, usage 0x92
    0x09, 0x01, 0x15, 0x00, 0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x3F, 0x81, 0x02,
    0x09, 0x01, 0x91, 0x02, 0xC0};

// Gamepad with usage ranges: 16 buttons, and a value range X..Rz with only four slots, scaled
// to a physical range.
const std::vector<uint8_t> kGamepad = {
    0x05, 0x01, 0x09, 0x05, 0xA1, 0x01,                          // Game Pad
    0x05, 0x09, 0x19, 0x01, 0x29, 0x10, 0x15, 0x00, 0x25, 0x01,  // Buttons 1..16
    0x75, 0x01, 0x95, 0x10, 0x81, 0x02,                          //
    0x05, 0x01, 0x19, 0x30, 0x29, 0x35,                          // X..Rz
    0x15, 0x00, 0x26, 0xFF, 0x00, 0x35, 0x9C, 0x45, 0x64,        // 0..255 -> -100..100
    0x75, 0x08, 0x95, 0x04, 0x81, 0x02, 0xC0};

ParsedDescriptor MustParse(const std::vector<uint8_t>& d) {
  ParsedDescriptor p;
  EXPECT_EQ(ParseReportDescriptor(d, p), kHidStatusSuccess) << p.error;
  return p;
}

void ExpectFails(const std::vector<uint8_t>& d, const char* what) {
  ParsedDescriptor p;
  EXPECT_EQ(ParseReportDescriptor(d, p), kHidStatusInvalidPreparsedData) << what;
  EXPECT_TRUE(p.collections.empty()) << what;
  EXPECT_FALSE(p.error.empty()) << what;
}

std::vector<uint16_t> Usages(const TopLevelCollection& c, uint16_t page, const std::vector<uint8_t>& report,
                             int32_t* status = nullptr) {
  std::vector<uint16_t> list(MaxUsageListLength(c, ReportType::Input, page));
  uint32_t n = static_cast<uint32_t>(list.size());
  const int32_t st = GetUsages(c, ReportType::Input, page, 0, list.data(), n, report.data(), report.size());
  if (status) *status = st;
  list.resize(n);
  return list;
}

int32_t RawValue(const TopLevelCollection& c, uint16_t page, uint16_t usage, const std::vector<uint8_t>& report,
                 uint32_t& raw) {
  return GetUsageValue(c, ReportType::Input, page, 0, usage, raw, report.data(), report.size());
}
int32_t ScaledValue(const TopLevelCollection& c, uint16_t page, uint16_t usage, const std::vector<uint8_t>& report,
                    int32_t& scaled) {
  return GetScaledUsageValue(c, ReportType::Input, page, 0, usage, scaled, report.data(), report.size());
}

}  // namespace

TEST(ReportDescriptor, BootMouseCapsAndExtraction) {
  auto p = MustParse(kBootMouse);
  ASSERT_EQ(p.collections.size(), 1u);
  const auto& c = p.collections[0];
  EXPECT_EQ(c.caps.usagePage, 0x01);
  EXPECT_EQ(c.caps.usage, 0x02);
  EXPECT_EQ(c.caps.inputReportByteLength, 4);  // id byte + 3
  EXPECT_EQ(c.caps.outputReportByteLength, 0);
  EXPECT_EQ(c.caps.numberInputButtonCaps, 1);
  EXPECT_EQ(c.caps.numberInputValueCaps, 2);
  EXPECT_FALSE(c.usesReportIds);
  EXPECT_EQ(c.Buttons(ReportType::Input)[0].linkCollection, 1);  // inside the physical collection

  const std::vector<uint8_t> report = {0x00, 0x05, 0xFE, 0x03};  // buttons 1+3, X -2, Y 3
  EXPECT_EQ(Usages(c, 0x09, report), (std::vector<uint16_t>{1, 3}));
  uint32_t raw = 0;
  int32_t scaled = 0;
  EXPECT_EQ(GetUsageValue(c, ReportType::Input, 0x01, 0, 0x30, raw, report.data(), report.size()), kHidStatusSuccess);
  EXPECT_EQ(raw, 0xFEu);
  EXPECT_EQ(GetScaledUsageValue(c, ReportType::Input, 0x01, 0, 0x30, scaled, report.data(), report.size()),
            kHidStatusSuccess);
  EXPECT_EQ(scaled, -2);
  EXPECT_EQ(GetScaledUsageValue(c, ReportType::Input, 0x01, 0, 0x31, scaled, report.data(), report.size()),
            kHidStatusSuccess);
  EXPECT_EQ(scaled, 3);
  // Wheel is not in this descriptor; a report shorter than the layout is refused.
  EXPECT_EQ(GetUsageValue(c, ReportType::Input, 0x01, 0, 0x38, raw, report.data(), report.size()),
            kHidStatusUsageNotFound);
  EXPECT_EQ(GetUsageValue(c, ReportType::Input, 0x01, 0, 0x31, raw, report.data(), 3), kHidStatusInvalidReportLength);
}

TEST(ReportDescriptor, KeyboardWithReportIdsSplitsCollections) {
  auto p = MustParse(kKeyboardAndConsumer);
  ASSERT_EQ(p.collections.size(), 2u);
  const auto& kb = p.collections[0];
  const auto& cc = p.collections[1];
  EXPECT_EQ(kb.caps.usage, 0x06);
  EXPECT_EQ(kb.reportIds, (std::vector<uint8_t>{1}));
  EXPECT_EQ(kb.caps.inputReportByteLength, 9);
  EXPECT_EQ(kb.caps.outputReportByteLength, 2);
  EXPECT_EQ(cc.caps.usagePage, 0x0C);
  EXPECT_EQ(cc.reportIds, (std::vector<uint8_t>{2}));
  EXPECT_EQ(cc.caps.inputReportByteLength, 3);
  EXPECT_TRUE(kb.HasReportId(1));
  EXPECT_FALSE(kb.HasReportId(2));

  // Left shift plus keys 'a' and 'b'; empty array slots (0) give no usage.
  const std::vector<uint8_t> keys = {0x01, 0x02, 0x00, 0x04, 0x05, 0x00, 0x00, 0x00, 0x00};
  EXPECT_EQ(Usages(kb, 0x07, keys), (std::vector<uint16_t>{0xE1, 0x04, 0x05}));
  EXPECT_EQ(MaxUsageListLength(kb, ReportType::Input, 0x07), 8u + 6u);

  // A 16-bit array index picks a consumer usage above 0xFF.
  const std::vector<uint8_t> volume = {0x02, 0x23, 0x02};
  EXPECT_EQ(Usages(cc, 0x0C, volume), (std::vector<uint16_t>{0x223}));
  int32_t st = 0;
  Usages(kb, 0x07, volume, &st);
  EXPECT_EQ(st, kHidStatusIncompatibleReportId);

  // Capacity smaller than the keys held down.
  uint16_t one[1] = {};
  uint32_t n = 1;
  EXPECT_EQ(GetUsages(kb, ReportType::Input, 0x07, 0, one, n, keys.data(), keys.size()), kHidStatusBufferTooSmall);
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(one[0], 0xE1);
}

TEST(ReportDescriptor, VendorCommandCollection) {
  auto p = MustParse(kVendorCommand);
  ASSERT_EQ(p.collections.size(), 1u);
  const auto& c = p.collections[0];
  EXPECT_EQ(c.caps.usagePage, 0xFF1C);
  EXPECT_EQ(c.caps.usage, 0x92);
  EXPECT_EQ(c.caps.inputReportByteLength, 64);
  EXPECT_EQ(c.caps.outputReportByteLength, 64);
  EXPECT_EQ(c.caps.featureReportByteLength, 0);
  EXPECT_TRUE(c.usesReportIds);
  EXPECT_EQ(c.reportIds, (std::vector<uint8_t>{4}));
  ASSERT_EQ(c.Values(ReportType::Output).size(), 1u);
  EXPECT_EQ(c.Values(ReportType::Output)[0].reportCount, 63);
  EXPECT_EQ(c.ReportByteLength(ReportType::Input, 4), 64u);
  EXPECT_EQ(c.ReportByteLength(ReportType::Input, 5), 0u);
}

TEST(ReportDescriptor, UsageRangesAndPhysicalScaling) {
  auto p = MustParse(kGamepad);
  const auto& c = p.collections[0];
  ASSERT_EQ(c.Values(ReportType::Input).size(), 1u);
  const auto& v = c.Values(ReportType::Input)[0];
  // Six usages named, four slots: the range shrinks to the slots that exist.
  EXPECT_EQ(v.usageMin, 0x30);
  EXPECT_EQ(v.usageMax, 0x33);
  EXPECT_EQ(v.physicalMin, -100);
  EXPECT_EQ(v.physicalMax, 100);
  EXPECT_EQ(c.caps.numberInputDataIndices, 16 + 4);

  const std::vector<uint8_t> report = {0x00, 0x01, 0x80, 0x00, 0xFF, 0x80, 0x10};
  EXPECT_EQ(Usages(c, 0x09, report), (std::vector<uint16_t>{1, 16}));
  int32_t scaled = 1;
  EXPECT_EQ(GetScaledUsageValue(c, ReportType::Input, 0x01, 0, 0x30, scaled, report.data(), report.size()),
            kHidStatusSuccess);
  EXPECT_EQ(scaled, -100);
  EXPECT_EQ(GetScaledUsageValue(c, ReportType::Input, 0x01, 0, 0x31, scaled, report.data(), report.size()),
            kHidStatusSuccess);
  EXPECT_EQ(scaled, 100);
  uint32_t raw = 0;
  EXPECT_EQ(GetUsageValue(c, ReportType::Input, 0x01, 0, 0x33, raw, report.data(), report.size()), kHidStatusSuccess);
  EXPECT_EQ(raw, 0x10u);
  EXPECT_EQ(GetUsageValue(c, ReportType::Input, 0x01, 0, 0x35, raw, report.data(), report.size()),
            kHidStatusUsageNotFound);
}

TEST(ReportDescriptor, ShortMaximaReadUnsignedOnlyAboveANonNegativeMinimum) {
  // Four values: [logical 0..0xFF, physical 0..0xC8] in one byte each (read 255 and 200),
  // [logical -1..0xFF] (a negative minimum keeps the maximum signed: -1), and the same one-byte
  // maxima after four-byte ones (0xFFFFFFFF is -1 whatever the minimum).
  const std::vector<uint8_t> d = {
      0x05, 0x01, 0x09, 0x04, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01,
      0x15, 0x00, 0x25, 0xFF, 0x35, 0x00, 0x45, 0xC8, 0x09, 0x30, 0x81, 0x02,  // X
      0x15, 0xFF, 0x25, 0xFF, 0x35, 0x9C, 0x45, 0x64, 0x09, 0x31, 0x81, 0x02,  // Y
      0x15, 0x00, 0x27, 0xFF, 0xFF, 0xFF, 0xFF, 0x35, 0x00, 0x47, 0xFF, 0xFF, 0xFF, 0xFF,
      0x09, 0x32, 0x81, 0x02,  // Z
      0xC0};
  auto p = MustParse(d);
  const auto& values = p.collections[0].Values(ReportType::Input);
  ASSERT_EQ(values.size(), 3u);
  EXPECT_EQ(values[0].logicalMax, 255);
  EXPECT_EQ(values[0].physicalMax, 200);
  EXPECT_EQ(values[1].logicalMin, -1);
  EXPECT_EQ(values[1].logicalMax, -1);
  EXPECT_EQ(values[1].physicalMax, 100);
  EXPECT_EQ(values[2].logicalMax, -1);
  EXPECT_EQ(values[2].physicalMax, -1);
}

TEST(ReportDescriptor, PushPopRestoresGlobals) {
  // Push, switch to the button page for one item, pop back to the desktop page for the next.
  const std::vector<uint8_t> d = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01,
                                  0x95, 0x01, 0xA4, 0x05, 0x09, 0x09, 0x01, 0x81, 0x02, 0xB4,  // push/pop
                                  0x09, 0x30, 0x75, 0x07, 0x25, 0x7F, 0x81, 0x02, 0xC0};
  auto p = MustParse(d);
  const auto& c = p.collections[0];
  ASSERT_EQ(c.Buttons(ReportType::Input).size(), 1u);
  EXPECT_EQ(c.Buttons(ReportType::Input)[0].usagePage, 0x09);
  ASSERT_EQ(c.Values(ReportType::Input).size(), 1u);
  EXPECT_EQ(c.Values(ReportType::Input)[0].usagePage, 0x01);
  EXPECT_EQ(c.Values(ReportType::Input)[0].bitPosition, 1u);
}

TEST(ReportDescriptor, MalformedInputFailsClearly) {
  ExpectFails({}, "empty");
  ExpectFails({0x05}, "truncated one-byte item");
  ExpectFails({0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x26, 0xFF}, "truncated two-byte item");
  ExpectFails({0x05, 0x01, 0xB4}, "pop without push");
  ExpectFails({0x05, 0x01, 0x09, 0x02, 0xA1, 0x01}, "collection never closed");
  ExpectFails({0xC0}, "end collection without collection");
  ExpectFails({0x75, 0x08, 0x95, 0x01, 0x81, 0x02}, "main item outside a collection");
  ExpectFails({0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x85, 0x00, 0xC0}, "report id 0");
  // Report count of two billion, and a count that fits alone but makes a huge report.
  ExpectFails({0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x75, 0x08, 0x97, 0x00, 0x00, 0x00, 0x80, 0x81, 0x02, 0xC0},
              "absurd report count");
  ExpectFails({0x05, 0x01, 0x09, 0x02, 0xA1, 0x01, 0x75, 0x20, 0x96, 0x00, 0x20, 0x81, 0x02, 0xC0},
              "report over the size limit");
  // Deep nesting, and pushes past the limit.
  std::vector<uint8_t> deep;
  for (int i = 0; i < 5000; ++i) deep.insert(deep.end(), {0xA1, 0x00});
  deep.resize(kMaxDescriptorBytes);
  ExpectFails(deep, "deep nesting");
  std::vector<uint8_t> pushes(100, 0xA4);
  ExpectFails(pushes, "pushes past the limit");
  // Value ranges that would make millions of data items across report ids.
  std::vector<uint8_t> wide = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00, 0x25, 0x03, 0x75, 0x02, 0x96, 0x00, 0x40};
  for (uint8_t id = 1; id <= 5; ++id) wide.insert(wide.end(), {0x85, id, 0x19, 0x00, 0x2A, 0xFF, 0x3F, 0x81, 0x02});
  wide.push_back(0xC0);
  ExpectFails(wide, "value usages past the limit");
  // Usage maximum below its minimum.
  ExpectFails({0x05, 0x09, 0xA1, 0x01, 0x19, 0x05, 0x29, 0x01, 0x75, 0x01, 0x95, 0x01, 0x81, 0x02, 0xC0},
              "inverted usage range");
}

TEST(ReportDescriptor, PaddingReservedAndLongItemsAreSkipped) {
  // The boot mouse with a reserved main tag carrying data (0xD1 0x05), a reserved-type item
  // (0x0E 0x12 0x34), a reserved-type item of four data bytes (0xFF ...) and a long item with two
  // data bytes after its buttons, and a 0x00 padding byte at the end.
  std::vector<uint8_t> d = kBootMouse;
  d.insert(d.begin() + 26, {0xD1, 0x05, 0x0E, 0x12, 0x34, 0xFF, 0x01, 0x02, 0x03, 0x04, 0xFE, 0x02, 0x10, 0xAA, 0xBB});
  d.push_back(0x00);
  auto p = MustParse(d);
  ASSERT_EQ(p.collections.size(), 1u);
  const auto& c = p.collections[0];
  EXPECT_EQ(c.caps.inputReportByteLength, 4);
  EXPECT_EQ(c.caps.numberInputButtonCaps + c.caps.numberInputValueCaps, 1 + 2);
  // Every main item is listed, padding included, where it lies.
  ASSERT_EQ(c.fields.size(), 3u);
  EXPECT_EQ(c.fields[0].bitPosition, 0u);
  EXPECT_EQ(c.fields[0].reportCount, 3u);
  EXPECT_EQ(c.fields[0].usages, (std::vector<UsageSpan>{{0x09, 1, 3}}));
  EXPECT_EQ(c.fields[1].bitPosition, 3u);
  EXPECT_EQ(c.fields[1].bitSize, 5u);
  EXPECT_EQ(c.fields[1].flags, kFieldConstant);
  EXPECT_TRUE(c.fields[1].usages.empty());
  EXPECT_EQ(c.fields[2].bitPosition, 8u);
  EXPECT_EQ(c.fields[2].usages, (std::vector<UsageSpan>{{0x01, 0x30, 0x30}, {0x01, 0x31, 0x31}}));
  const std::vector<uint8_t> report = {0x00, 0x05, 0xFE, 0x03};
  EXPECT_EQ(Usages(c, 0x09, report), (std::vector<uint16_t>{1, 3}));

  // A reserved main item is still a main item: the usage declared before it is gone.
  auto q = MustParse({0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x08, 0x95, 0x01,  //
                      0x09, 0x05, 0x00, 0x09, 0x06, 0x81, 0x02, 0xC0});
  EXPECT_EQ(q.collections[0].fields[0].usages, (std::vector<UsageSpan>{{0xFF00, 6, 6}}));
}

TEST(ReportDescriptor, ItemsCutShortAtTheEndFailWithTheirPlace) {
  const std::vector<uint8_t> head = {0x05, 0x01, 0x09, 0x02, 0xA1, 0x01};
  auto cut = [&](std::vector<uint8_t> tail, size_t offset, const std::string& error) {
    std::vector<uint8_t> d = head;
    d.insert(d.end(), tail.begin(), tail.end());
    ParsedDescriptor p;
    EXPECT_EQ(ParseReportDescriptor(d, p), kHidStatusInvalidPreparsedData) << error;
    EXPECT_EQ(p.errorOffset, offset);
    EXPECT_EQ(p.error, error);
  };
  cut({0xC0, 0x26, 0xFF}, 7, "byte 7: item cut short: 2 data bytes announced, 1 left");
  cut({0xC0, 0x27}, 7, "byte 7: item cut short: 4 data bytes announced, 0 left");
  cut({0xC0, 0xFE, 0x05}, 7, "byte 7: long item cut short in its header");
  cut({0xC0, 0xFE, 0x05, 0x10, 0x01, 0x02}, 7, "byte 7: long item cut short: 5 data bytes announced, 2 left");
  cut({}, 6, "end of descriptor: collection not closed");
}

TEST(ReportDescriptor, EachUsageKeepsThePageItWasDeclaredUnder) {
  // One button item declaring buttons 1-2 then consumer 0xE9-0xEA, four bits of padding, one
  // value item declaring desktop X, Y then the simulation page's throttle (0xBB).
  const std::vector<uint8_t> d = {
      0x05, 0x01, 0x09, 0x05, 0xA1, 0x01, 0x15, 0x00, 0x25, 0x01, 0x75, 0x01, 0x95, 0x04,  //
      0x05, 0x09, 0x09, 0x01, 0x09, 0x02, 0x05, 0x0C, 0x09, 0xE9, 0x09, 0xEA, 0x81, 0x02,  //
      0x81, 0x01,                                                                          //
      0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x03,                                            //
      0x05, 0x01, 0x09, 0x30, 0x09, 0x31, 0x05, 0x02, 0x09, 0xBB, 0x81, 0x02,              //
      0xC0};
  auto p = MustParse(d);
  const auto& c = p.collections[0];
  ASSERT_EQ(c.Buttons(ReportType::Input).size(), 4u);
  const std::vector<uint8_t> report = {0x00, 0x05, 0x10, 0x20, 0x30};  // button 1, volume up
  EXPECT_EQ(Usages(c, 0x09, report), (std::vector<uint16_t>{1}));
  EXPECT_EQ(Usages(c, 0x0C, report), (std::vector<uint16_t>{0xE9}));
  uint32_t raw = 0;
  EXPECT_EQ(RawValue(c, 0x01, 0x31, report, raw), kHidStatusSuccess);
  EXPECT_EQ(raw, 0x20u);
  EXPECT_EQ(RawValue(c, 0x02, 0xBB, report, raw), kHidStatusSuccess);
  EXPECT_EQ(raw, 0x30u);
  EXPECT_EQ(RawValue(c, 0x02, 0x30, report, raw), kHidStatusUsageNotFound);
  EXPECT_EQ(c.fields[2].usages, (std::vector<UsageSpan>{{0x01, 0x30, 0x30}, {0x01, 0x31, 0x31}, {0x02, 0xBB, 0xBB}}));
}

TEST(ReportDescriptor, AUsagePageAfterTheLastUsagesRepagesTheShortOnesAtTheEnd) {
  auto pages = [](const std::vector<uint8_t>& usages) {
    std::vector<uint8_t> d = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x75, 0x01, 0x95, 0x04, 0x25, 0x01};
    d.insert(d.end(), usages.begin(), usages.end());
    d.insert(d.end(), {0x81, 0x02, 0xC0});
    auto p = MustParse(d);
    return p.collections.empty() ? std::vector<UsageSpan>{} : p.collections[0].fields[0].usages;
  };
  // Buttons 1, 2 then the consumer page with no usage after it: both become consumer usages.
  EXPECT_EQ(pages({0x05, 0x09, 0x09, 0x01, 0x09, 0x02, 0x05, 0x0C}),
            (std::vector<UsageSpan>{{0x0C, 1, 1}, {0x0C, 2, 2}}));
  // The walk back stops at the first usage already on the last page; a four-byte usage is passed.
  EXPECT_EQ(pages({0x05, 0x09, 0x09, 0x01, 0x05, 0x07, 0x09, 0x04, 0x05, 0x09, 0x09, 0x02,  //
                   0x0B, 0xE9, 0x00, 0x0C, 0x00, 0x05, 0x07}),
            (std::vector<UsageSpan>{{0x09, 1, 1}, {0x07, 4, 4}, {0x07, 2, 2}, {0x0C, 0xE9, 0xE9}}));
  // A range keeps its page like a single usage.
  EXPECT_EQ(pages({0x05, 0x09, 0x19, 0x01, 0x29, 0x03, 0x05, 0x0C, 0x09, 0xCD}),
            (std::vector<UsageSpan>{{0x09, 1, 3}, {0x0C, 0xCD, 0xCD}}));
}

TEST(ReportDescriptor, FieldsWiderThan32BitsGetCapsAndFittingValues) {
  // X: 64 bits, 0..0x7FFFFFFF; Y: 40 bits, 0x80000000..0x7FFFFFFF.
  const std::vector<uint8_t> d = {
      0x05, 0x01, 0x09, 0x04, 0xA1, 0x01,                                                    //
      0x09, 0x30, 0x15, 0x00, 0x27, 0xFF, 0xFF, 0xFF, 0x7F, 0x75, 0x40, 0x95, 0x01, 0x81, 0x02,  //
      0x09, 0x31, 0x17, 0x00, 0x00, 0x00, 0x80, 0x75, 0x28, 0x81, 0x02,                      //
      0xC0};
  auto p = MustParse(d);
  const auto& c = p.collections[0];
  EXPECT_EQ(c.caps.inputReportByteLength, 14);
  ASSERT_EQ(c.Values(ReportType::Input).size(), 2u);
  EXPECT_EQ(c.Values(ReportType::Input)[0].bitSize, 64);
  EXPECT_EQ(c.Values(ReportType::Input)[1].bitSize, 40);
  EXPECT_EQ(c.Values(ReportType::Input)[1].bitPosition, 64u);

  // X 0x12345678, Y -2.
  const std::vector<uint8_t> small = {0x00, 0x78, 0x56, 0x34, 0x12, 0x00, 0x00, 0x00, 0x00,
                                      0xFE, 0xFF, 0xFF, 0xFF, 0xFF};
  uint32_t raw = 0;
  int32_t scaled = 0;
  EXPECT_EQ(RawValue(c, 0x01, 0x30, small, raw), kHidStatusSuccess);
  EXPECT_EQ(raw, 0x12345678u);
  EXPECT_EQ(ScaledValue(c, 0x01, 0x30, small, scaled), kHidStatusSuccess);
  EXPECT_EQ(scaled, 0x12345678);
  EXPECT_EQ(RawValue(c, 0x01, 0x31, small, raw), kHidStatusBufferTooSmall);
  EXPECT_EQ(ScaledValue(c, 0x01, 0x31, small, scaled), kHidStatusSuccess);
  EXPECT_EQ(scaled, -2);

  // X 0x100000000, Y +0x80000000: neither fits 32 bits.
  const std::vector<uint8_t> big = {0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00,
                                    0x00, 0x00, 0x00, 0x80, 0x00};
  EXPECT_EQ(RawValue(c, 0x01, 0x30, big, raw), kHidStatusBufferTooSmall);
  EXPECT_EQ(ScaledValue(c, 0x01, 0x30, big, scaled), kHidStatusNull);
  EXPECT_EQ(ScaledValue(c, 0x01, 0x31, big, scaled), kHidStatusNull);
}

TEST(ReportDescriptor, RandomBytesNeverCrash) {
  std::mt19937 rng(12345);
  int parsed = 0;
  for (int round = 0; round < 3000; ++round) {
    std::vector<uint8_t> d;
    // Start from a real descriptor and flip bytes, so the parser gets past the first items.
    d = round % 2 ? kKeyboardAndConsumer : kGamepad;
    const int flips = 1 + static_cast<int>(rng() % 6);
    for (int i = 0; i < flips; ++i) d[rng() % d.size()] = static_cast<uint8_t>(rng());
    if (round % 5 == 0) d.resize(rng() % d.size());
    ParsedDescriptor p;
    const int32_t st = ParseReportDescriptor(d, p);
    if (st != kHidStatusSuccess) {
      EXPECT_FALSE(p.error.empty());
      continue;
    }
    ++parsed;
    // Extraction on whatever came out stays inside the report it is given.
    std::vector<uint8_t> report(1 + rng() % 12);
    for (auto& b : report) b = static_cast<uint8_t>(rng());
    for (const auto& c : p.collections) {
      for (const auto& b : c.Buttons(ReportType::Input)) {
        std::vector<uint16_t> list(MaxUsageListLength(c, ReportType::Input, b.usagePage) + 1);
        uint32_t n = static_cast<uint32_t>(list.size());
        report[0] = b.reportId;
        GetUsages(c, ReportType::Input, b.usagePage, 0, list.data(), n, report.data(), report.size());
        EXPECT_LE(n, list.size());
      }
      for (const auto& v : c.Values(ReportType::Input)) {
        uint32_t raw;
        int32_t scaled;
        report[0] = v.reportId;
        GetUsageValue(c, ReportType::Input, v.usagePage, 0, v.usageMin, raw, report.data(), report.size());
        GetScaledUsageValue(c, ReportType::Input, v.usagePage, 0, v.usageMax, scaled, report.data(), report.size());
      }
    }
  }
  EXPECT_GT(parsed, 0);  // the mutations must not all be rejected, or extraction went untested
}
