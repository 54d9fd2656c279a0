// orloctl's mousepad and headset commands against the simulated devices: what reaches the block
// and the chip, what the profile keeps, and what is refused before anything is written.
#include <sstream>

#include "support/CtlRunner.h"

namespace orlo {
namespace {

class StripCommandTest : public testing_support::CtlRunner {
 protected:
  // Runs a command that prints the state and parses it; a failure fails the test.
  Json::Value Set(const std::string& args) {
    const Result r = Run(args);
    EXPECT_EQ(r.code, 0) << args << ": " << r.err;
    Json::Value v;
    std::istringstream in(r.out);
    in >> v;
    return v;
  }
};

constexpr char kTwelveZeros[] = " 00 00 00 00 00 00 00 00 00 00 00 00";

TEST_F(StripCommandTest, PadLightIsWrittenWithDeviceCodesAndKeptInTheProfile) {
  Prepare("mousepad");
  Json::Value v = Set("set mousepad light 7 3 1 0 10 20 30");
  // Speed index 1 goes out as 3; the mode index 7 as its code.
  EXPECT_EQ(v["settings"]["written"].asString(), std::string("00 07 03 03 00 01 0a 14 1e") + kTwelveZeros);
  const Json::Value read = Read("mousepad");
  EXPECT_EQ(read["profileLight"]["mode"].asInt(), 7);
  EXPECT_EQ(read["profileLight"]["speed"].asInt(), 1);
  EXPECT_EQ(read["profileLight"]["colour"].asString(), "0a 14 1e");

  // A mode past the pad's own goes out as mode 0's code.
  v = Set("set mousepad light 12");
  EXPECT_EQ(v["settings"]["written"].asString(), std::string("00 00 03 03 00 01 0a 14 1e") + kTwelveZeros);

  // A level out of range is refused before anything is read or written.
  const Result bad = Run("set mousepad light 7 9");
  EXPECT_EQ(bad.code, 2);
  EXPECT_NE(bad.err.find("usage: set mousepad light"), std::string::npos) << bad.err;
  EXPECT_EQ(Read("mousepad")["profileLight"]["mode"].asInt(), 12);
}

TEST_F(StripCommandTest, HeadsetVoiceSettingsReachTheChipAndTheStages) {
  Prepare("headset");
  Json::Value v = Set("set headset mic 35");
  EXPECT_EQ(v["voice"]["micLevel"].asInt(), 35);
  EXPECT_EQ(v["chip"]["properties"]["VolumeScalarControl"].asString(), "0.35");

  v = Set("set headset preset 2");
  EXPECT_EQ(v["voice"]["eqType"].asInt(), 2);
  const Json::Value& props = v["chip"]["properties"];
  EXPECT_EQ(props["Enable_EQ_GFX"].asString(), "1");
  const char* bands[] = {"7", "11", "6", "-3", "-11", "-1", "6", "13", "6", "13"};
  for (int b = 0; b < 10; ++b)
    EXPECT_EQ(props["EQ_Slider" + std::to_string(b + 1)].asString(), bands[b]) << "band " << b + 1;

  // One band: the equaliser becomes the custom type with no custom equaliser selected.
  v = Set("set headset eq 3 -4");
  EXPECT_EQ(v["voice"]["eqType"].asInt(), 13);
  EXPECT_EQ(v["voice"]["customEq"].asInt(), -1);
  EXPECT_EQ(v["chip"]["properties"]["EQ_Slider3"].asString(), "-4");

  v = Set("set headset voice 2");
  EXPECT_EQ(v["voice"]["voiceChanger"].asInt(), 1);
  EXPECT_EQ(v["voice"]["voiceChangerType"].asInt(), 2);
  EXPECT_EQ(v["chip"]["properties"]["MagicVoice_Selection"].asString(), "1");

  v = Set("set headset light 7 4 0 0 10 20 30");
  EXPECT_EQ(v["settings"]["written"].asString(), std::string("00 07 04 04 00 01 0a 14 1e") + kTwelveZeros);

  // Out of range: refused with the usage code, the profile keeps the preset.
  EXPECT_EQ(Run("set headset preset 14").code, 2);
  EXPECT_EQ(Run("set headset mic 101").code, 2);
  EXPECT_EQ(Run("set headset mic mute maybe").code, 2);
  EXPECT_EQ(Read("headset")["voice"]["eqType"].asInt(), 2);
}

}  // namespace
}  // namespace orlo
