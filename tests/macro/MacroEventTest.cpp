#include <gtest/gtest.h>

#include "macro/MacroEvent.h"
#include "macro/MacroFile.h"

namespace orlo {
namespace {

Json::Value Str(const char* s) { return Json::Value(s); }

TEST(MacroDelay, StringsAreReadFromTheirLeadingDigitsAndCapped) {
  EXPECT_EQ(ParseMacroDelay(Str("120")), 120);
  EXPECT_EQ(ParseMacroDelay(Str("  42ms")), 42);
  EXPECT_EQ(ParseMacroDelay(Str("+7")), 7);
  EXPECT_EQ(ParseMacroDelay(Str("abc")), 0);
  EXPECT_EQ(ParseMacroDelay(Str("")), 0);
  EXPECT_EQ(ParseMacroDelay(Str("70000")), 65535);
  EXPECT_EQ(ParseMacroDelay(Str("99999999999999999999999")), 65535);
  // A negative delay cannot be played; it must not wrap to a large 16-bit value.
  EXPECT_EQ(ParseMacroDelay(Str("-5")), 0);
}

TEST(MacroDelay, NumbersFromOtherWritersAreAcceptedAndOtherTypesReadAsZero) {
  EXPECT_EQ(ParseMacroDelay(Json::Value(300)), 300);
  EXPECT_EQ(ParseMacroDelay(Json::Value(1e12)), 65535);
  EXPECT_EQ(ParseMacroDelay(Json::Value(-1)), 0);
  EXPECT_EQ(ParseMacroDelay(Json::Value(Json::objectValue)), 0);
  EXPECT_EQ(ParseMacroDelay(Json::Value(true)), 0);
}

TEST(MacroDelay, EditTextIsNormalisedAsASaveStoresIt) {
  EXPECT_EQ(NormalizeMacroDelayText(""), "0");
  EXPECT_EQ(NormalizeMacroDelayText("007"), "7");
  EXPECT_EQ(NormalizeMacroDelayText("12x"), "12");
  EXPECT_EQ(NormalizeMacroDelayText("80000"), "65535");
}

TEST(MacroEventJson, ReadsEventsAndRejectsWhatCannotBePlayed) {
  Json::Value e;
  e["Type"] = 10;
  e["Button"] = 0x04;
  e["Action"] = "down";
  e["Delay"] = "35";
  auto ev = MacroEventFromJson(e);
  ASSERT_TRUE(ev);
  EXPECT_EQ(*ev, (MacroEvent{10, 4, true, 35}));

  e["Action"] = "sideways";  // anything but "down" is a release
  EXPECT_FALSE(MacroEventFromJson(e)->down);

  Json::Value bad = e;
  bad["Type"] = Json::Value(Json::objectValue);  // wrong type reads as missing: kind 0
  EXPECT_FALSE(MacroEventFromJson(bad));
  bad = e;
  bad["Type"] = 7;
  EXPECT_FALSE(MacroEventFromJson(bad));
  bad = e;
  bad["Button"] = 256;
  EXPECT_FALSE(MacroEventFromJson(bad));
  bad = e;
  bad["Button"] = -1;
  EXPECT_FALSE(MacroEventFromJson(bad));
  EXPECT_FALSE(MacroEventFromJson(Json::Value("event")));
  EXPECT_FALSE(MacroEventFromJson(Json::Value(Json::arrayValue)));

  Json::Value odd;  // kinds 2 and 3 are kept although nothing names them
  odd["Type"] = 3;
  odd["Button"] = "x";
  auto kept = MacroEventFromJson(odd);
  ASSERT_TRUE(kept);
  EXPECT_EQ(*kept, (MacroEvent{3, 0, false, 0}));
}

TEST(MacroEventBytes, DelayLittleEndianThenTypeWithDownBitThenButton) {
  auto b = MacroEventBytes({kMacroKey, 0x28, true, 0x1234});
  EXPECT_EQ(b, (std::array<uint8_t, 4>{0x34, 0x12, 0x8A, 0x28}));
  b = MacroEventBytes({kMacroMoveY, 200, false, 65535});
  EXPECT_EQ(b, (std::array<uint8_t, 4>{0xFF, 0xFF, 0x05, 200}));
}

TEST(MacroEventNames, KeysModifiersButtonsAndMoves) {
  EXPECT_EQ(MacroEventNameId({kMacroKey, 0x04, true, 0}), "keyboard_key_A");
  // A usage that no recordable key has still finds its key in the whole table.
  EXPECT_EQ(MacroEventNameId({kMacroKey, 0x32, true, 0}), "keyboard_key_K42");
  EXPECT_EQ(MacroEventNameId({kMacroKey, 0xF0, true, 0}), "");
  EXPECT_EQ(MacroEventNameId({kMacroModifier, 0x02, true, 0}), "keyboard_key_LShift");
  EXPECT_EQ(MacroEventNameId({kMacroModifier, 0x03, true, 0}), "");
  EXPECT_EQ(MacroEventNameId({kMacroMouseButton, 16, false, 0}), "mouse_key_forward");
  EXPECT_EQ(MacroEventNameId({kMacroMouseButton, 8, true, 0}), "mouse_key_back");
  EXPECT_EQ(MacroEventNameId({kMacroMoveX, 5, true, 0}), "mouse_move_to_left_text");
  EXPECT_EQ(MacroEventNameId({kMacroMoveX, 5, false, 0}), "mouse_move_to_right_text");
  EXPECT_EQ(MacroEventNameId({kMacroMoveY, 5, true, 0}), "mouse_move_to_up_text");
  EXPECT_EQ(MacroEventNameId({kMacroMoveY, 5, false, 0}), "mouse_move_to_down_text");
  EXPECT_EQ(MacroEventNameId({2, 1, true, 0}), "");
}

TEST(MacroFileText, RoundTripsAndSurvivesMalformedText) {
  CMacroFile f{"Combo", "2024_03_07_09_05_01_042",
               {{kMacroKey, 4, true, 10}, {kMacroKey, 4, false, 70000}, {kMacroMoveX, 30, true, 0}},
               {}, false};
  Json::Value doc = f.ToDocument();
  EXPECT_EQ(doc["Version"].asInt(), 64);
  CMacroFile back = CMacroFile::FromText(Json::StyledWriter().write(doc));
  EXPECT_EQ(back.name, "Combo");
  EXPECT_EQ(back.guid, f.guid);
  ASSERT_EQ(back.events.size(), 3u);
  EXPECT_EQ(back.events[1].delay, 65535);
  EXPECT_EQ(back.events[2], f.events[2]);

  EXPECT_TRUE(CMacroFile::FromText("").events.empty());
  EXPECT_TRUE(CMacroFile::FromText("{\"Events\": [").events.empty());
  EXPECT_TRUE(CMacroFile::FromText("[1,2,3]").events.empty());
  EXPECT_TRUE(CMacroFile::FromText("{\"Events\": {\"Type\": 1}}").events.empty());
  // Deeper than the reader's stack limit: must read as malformed, not throw.
  EXPECT_TRUE(CMacroFile::FromText(std::string(5000, '[')).events.empty());
  // The text ends at a 0 byte; what is left is not valid JSON.
  std::string withZero = "{\"Events\": [{\"Type\": 1, \"Button\": 1}]";
  withZero += '\0';
  withZero += "}";
  EXPECT_TRUE(CMacroFile::FromText(withZero).events.empty());
}

TEST(MacroFileText, KeepsUnplayableElementsAndRefusesMoreThan4000Events) {
  Json::Value doc;
  Json::Value& events = doc["Events"];
  for (int i = 0; i < 4000; ++i) {
    Json::Value e;
    e["Type"] = i == 0 ? 99 : 1;
    e["Button"] = 1;
    e["Delay"] = std::to_string(i);
    events.append(e);
  }
  CMacroFile f = CMacroFile::FromDocument(doc);
  EXPECT_FALSE(f.tooLong);
  ASSERT_EQ(f.events.size(), 3999u);  // the unplayable first event cannot be played ...
  EXPECT_EQ(f.events.front().delay, 1);
  ASSERT_EQ(f.elements.size(), 4000u);  // ... but is kept for the next save
  EXPECT_EQ(f.elements[0]["Type"].asInt(), 99);
  events.append(events[1]);
  f = CMacroFile::FromDocument(doc);
  EXPECT_TRUE(f.tooLong);  // never cut to 4000
  EXPECT_TRUE(f.events.empty());
  EXPECT_TRUE(f.elements.empty());
}

}  // namespace
}  // namespace orlo
