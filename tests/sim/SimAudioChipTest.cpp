// The simulated headset's audio chip, driven the way the headset driver drives it: through the
// chip port.
#include "sim/SimAudioChip.h"

#include <gtest/gtest.h>

#include "platform/audio/AudioChipPort.h"
#include "platform/audio/ChipText.h"
#include "sim/SimBackend.h"
#include "sim/SimHeadset.h"

namespace orlo::sim {
namespace {

using audio::Flow;
constexpr Flow kRec = Flow::kRecording;
constexpr Flow kPlay = Flow::kPlayback;

struct SimChipTest : ::testing::Test {
  void Start() {
    const audio::ChipStart s = port.Start();
    ASSERT_EQ(s.initResult, audio::kChipOk);
  }
  std::shared_ptr<SimAudioChip> chip = std::make_shared<SimAudioChip>();
  audio::AudioChipPort port{chip};
};

TEST_F(SimChipTest, StartsWithItsTwoEndpointsAndTheVoiceChanger) {
  Start();
  EXPECT_EQ(port.Endpoint(kRec).record, (audio::EndpointRecord{2, 2, 0, 1}));
  EXPECT_TRUE(port.Endpoint(kPlay).featuresRead);
  EXPECT_TRUE(port.OffersVoiceChanger());
  // Factory levels as the driver reads them.
  EXPECT_EQ(audio::LevelFromChipScalar(port.Get(kRec, "VolumeScalarControl", {-1}).text), 80);
  EXPECT_EQ(audio::LevelFromChipScalar(port.Get(kRec, "AAVolumeScalarControl", {0}).text), 50);
  EXPECT_EQ(port.Get(kRec, "GetAAMaxVol").text, "100");
}

TEST_F(SimChipTest, KeepsWhatWasSetWithinEachPropertysRange) {
  Start();
  EXPECT_EQ(port.SetFloat(kRec, "VolumeScalarControl", 0.35f, {-1}), audio::kChipOk);
  EXPECT_EQ(chip->FloatValue(kRec, "VolumeScalarControl"), 0.35f);
  EXPECT_EQ(port.Get(kRec, "VolumeScalarControl", {-1}).text, "0.35");
  EXPECT_EQ(port.SetInt(kPlay, "EQ_Slider10", -13), audio::kChipOk);
  EXPECT_EQ(chip->IntValue(kPlay, "EQ_Slider10"), -13);
  EXPECT_EQ(port.SetInt(kRec, "MagicVoice_Selection", 3), audio::kChipOk);
  EXPECT_EQ(port.SetInt(kRec, "Enable_MAGICVOICE", 1), audio::kChipOk);
  EXPECT_EQ(chip->IntValue(kRec, "Enable_MAGICVOICE"), 1);

  // Outside the range, on the wrong endpoint, unknown or get-only: refused, nothing changes.
  EXPECT_EQ(port.SetInt(kPlay, "EQ_Slider1", 21), audio::kChipBadValue);
  EXPECT_EQ(port.SetInt(kRec, "MagicVoice_Selection", 4), audio::kChipBadValue);
  EXPECT_EQ(port.SetFloat(kRec, "AAVolumeScalarControl", -0.1f, {0}), audio::kChipBadValue);
  EXPECT_EQ(port.SetFloat(kRec, "VolumeScalarControl", 0.5f, {2}), audio::kChipBadValue);
  EXPECT_EQ(port.SetInt(kPlay, "MuteControl", 1), audio::kChipUnsupported);
  EXPECT_EQ(port.SetInt(kRec, "EQ_Slider1", 1), audio::kChipUnsupported);
  EXPECT_EQ(port.SetInt(kPlay, "EQ_Slider11", 1), audio::kChipUnsupported);
  EXPECT_EQ(port.SetInt(kRec, "GetAAMaxVol", 5), audio::kChipUnsupported);
  EXPECT_EQ(chip->IntValue(kPlay, "EQ_Slider1"), 0);
  EXPECT_EQ(chip->IntValue(kRec, "MagicVoice_Selection"), 3);
  EXPECT_EQ(chip->FloatValue(kRec, "VolumeScalarControl"), 0.35f);
}

TEST_F(SimChipTest, InjectedFaults) {
  chip->SetInitResult(5);
  EXPECT_EQ(port.Start().initResult, 5);
  EXPECT_FALSE(port.Endpoint(kPlay).found);  // a chip that failed to start lists nothing

  chip->SetInitResult(audio::kChipOk);
  Start();
  chip->SetPropertyResult("MuteControl", audio::kChipFailed);
  EXPECT_EQ(port.SetInt(kRec, "MuteControl", 1), audio::kChipFailed);
  EXPECT_EQ(port.Get(kRec, "MuteControl").result, audio::kChipFailed);
  EXPECT_EQ(chip->IntValue(kRec, "MuteControl"), 0);
  chip->SetPropertyResult("MuteControl", audio::kChipOk);
  EXPECT_EQ(port.SetInt(kRec, "MuteControl", 1), audio::kChipOk);
  EXPECT_EQ(chip->IntValue(kRec, "MuteControl"), 1);

  port.SetInt(kPlay, "Enable_EQ_GFX", 1);
  chip->Reset();
  EXPECT_EQ(chip->IntValue(kPlay, "Enable_EQ_GFX"), 0);
  EXPECT_TRUE(chip->Calls().empty());
}

TEST(SimHeadsetChip, TheSimulatedHeadsetKeepsOneChipForEveryPort) {
  auto backend = MakeSimBackend("headset", SimOptions{false, {}, {}});
  auto headset = std::dynamic_pointer_cast<SimHeadset>(backend->Device("headset"));
  ASSERT_TRUE(headset && headset->AudioChip());
  audio::AudioChipPort first(headset->AudioChip());
  first.Start();
  ASSERT_EQ(first.SetInt(kPlay, "EQ_Slider4", 9), audio::kChipOk);
  audio::AudioChipPort second(headset->AudioChip());
  second.Start();
  EXPECT_EQ(second.Get(kPlay, "EQ_Slider4").text, "9");
}

}  // namespace
}  // namespace orlo::sim
