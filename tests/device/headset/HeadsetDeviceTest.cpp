// The headset driver against the simulated headset and its audio chip: the twelve LED reports,
// the chip properties each voice operation sets, what is stored only when the chip took it, and
// the reset that keeps the user's custom equalisers.
#include <gtest/gtest.h>

#include <vector>

#include "base/DeviceKinds.h"
#include "device/headset/HeadsetLedReports.h"
#include "device/headset/TessaroRO6533Device.h"
#include "device/mousepad/StripDeviceRig.h"
#include "sim/SimHeadset.h"

namespace orlo {
namespace {

using Bytes = std::vector<uint8_t>;
using audio::Flow;

const char* const kBands[10] = {"EQ_Slider1", "EQ_Slider2", "EQ_Slider3", "EQ_Slider4", "EQ_Slider5",
                                "EQ_Slider6", "EQ_Slider7", "EQ_Slider8", "EQ_Slider9", "EQ_Slider10"};

TEST(HeadsetLedReports, TwelveReportsInTheirOrderWithComponentsCappedAt247) {
  EXPECT_EQ(LedComponent(255, 255), 247);  // 65025 >> 8 = 254, capped
  EXPECT_EQ(LedComponent(200, 128), 100);
  EXPECT_EQ(LedComponent(248, 255), 247);
  EXPECT_EQ(LedComponent(247, 255), 246);

  LedComponents red{}, green{}, blue{};
  for (int i = 0; i < kHeadsetLeds; ++i) {
    red[i] = static_cast<uint8_t>(i + 1);
    green[i] = static_cast<uint8_t>(0x40 + i);
    blue[i] = static_cast<uint8_t>(0x80 + i);
  }
  const auto reports = BuildLedReports(red, green, blue);
  const std::vector<std::pair<uint8_t, uint8_t>> order = {{0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD},
                                                          {0x22, 0xAB}, {0x22, 0xAE}, {0x44, 0xAB}, {0x44, 0xAE},
                                                          {0x22, 0xAC}, {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF}};
  for (size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(reports[i][1], order[i].first) << i;
    EXPECT_EQ(reports[i][2], order[i].second) << i;
  }
  EXPECT_EQ(Bytes(reports[0].begin(), reports[0].end()),
            (Bytes{0xFF, 0x22, 0xAA, 0, 1, 2, 3, 4, 5, 6, 7, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Bytes(reports[7].begin(), reports[7].end()),
            (Bytes{0xFF, 0x44, 0xAE, 0, 0x47, 0x48, 0x49, 0x4A, 0x4B, 0x4C, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(Bytes(reports[11].begin(), reports[11].end()),
            (Bytes{0xFF, 0x44, 0xAF, 0, 0x87, 0x88, 0x89, 0x8A, 0x8B, 0x8C, 0, 0, 0, 0, 0, 0, 0}));
}

class HeadsetRig : public testing_support::StripDeviceRig<CTessaroRO6533Device, sim::SimHeadset> {
 protected:
  void Start() {
    Connect("headset", kKindHeadset);
    chip_ = sim_->AudioChip();
    driver_->SetAudioChip(chip_);
    driver_->LoadProfile();
    ASSERT_TRUE(driver_->StartAudioChip());
    chip_->ClearCalls();
  }
  std::optional<int32_t> Int(Flow flow, const char* name) const { return chip_->IntValue(flow, name); }
  std::vector<std::string> SetNames() const {
    std::vector<std::string> names;
    for (const auto& c : chip_->Calls())
      if (c.mode == audio::PropertyMode::kSet) names.push_back(c.name);
    return names;
  }

  std::shared_ptr<sim::SimAudioChip> chip_;
};

TEST_F(HeadsetRig, LedFrameGoesOutAsTwelveReportsOnTheWiredChannel) {
  Connect("headset", kKindHeadset);
  for (int i = 0; i < kHeadsetLeds; ++i) driver_->ledState().Set(i, {255, 0, 128}, 255);
  driver_->ledState().Set(12, {10, 20, 30}, 0);
  EXPECT_EQ(driver_->SendLedFrame(), 12);
  const auto outputs = sim_->OtherOutputs();
  ASSERT_EQ(outputs.size(), 12u);
  EXPECT_EQ(outputs[0], (Bytes{0xFF, 0x22, 0xAA, 0, 247, 247, 247, 247, 247, 247, 247, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(outputs[1], (Bytes{0xFF, 0x22, 0xAD, 0, 247, 247, 247, 247, 247, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(outputs[8], (Bytes{0xFF, 0x22, 0xAC, 0, 127, 127, 127, 127, 127, 127, 127, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(sim_->LedColour(0x44, 3), (std::array<uint8_t, 3>{247, 0, 127}));
  EXPECT_EQ(sim_->LedColour(0x44, 12), (std::array<uint8_t, 3>{0, 0, 0}));

  // With the light control off nothing goes out.
  driver_->SetLightControl(0);
  EXPECT_EQ(driver_->SendLedFrame(), 0);
  EXPECT_EQ(sim_->OtherOutputs().size(), 12u);
}

TEST_F(HeadsetRig, PowerStateReportedAsWired) {
  Connect("headset", kKindHeadset);
  // Byte 3 is forced to 0 whatever the headset answers there.
  const uint8_t state[6] = {64, 1, 0, 9, 7, 0};
  sim_->Memory().Write(sim::Area::Power, 0, state, sizeof state);
  driver_->PollBattery();
  EXPECT_EQ(observer_.Power(), (Bytes{64, 1, 0, 0, 7, 0}));
  // A failed read reports nothing.
  sim_->InjectFault(sim::Fault::StatusFailed);
  driver_->PollBattery();
  EXPECT_EQ(observer_.Count("OnPowerChanged"), 1);
}

TEST_F(HeadsetRig, PresetAndBandSetTheEqualiserProperties) {
  Start();
  ASSERT_EQ(driver_->ApplyEqPreset(2), 0);
  EXPECT_EQ(Int(Flow::kPlayback, "Enable_EQ_GFX"), 1);
  const std::vector<int32_t> preset2 = {7, 11, 6, -3, -11, -1, 6, 13, 6, 13};
  for (int b = 0; b < 10; ++b) EXPECT_EQ(Int(Flow::kPlayback, kBands[b]), preset2[b]) << b;
  // The equaliser is switched on before the first band.
  ASSERT_FALSE(SetNames().empty());
  EXPECT_EQ(SetNames().front(), "Enable_EQ_GFX");
  EXPECT_EQ(driver_->Stages().eqType, 2);
  EXPECT_EQ(driver_->Profile().GetEQValues(2), preset2);

  // Preset 5 is flat; 0 and 14 change nothing.
  ASSERT_EQ(driver_->ApplyEqPreset(5), 0);
  for (int b = 0; b < 10; ++b) EXPECT_EQ(Int(Flow::kPlayback, kBands[b]), 0) << b;
  chip_->ClearCalls();
  driver_->ApplyEqPreset(0);
  driver_->ApplyEqPreset(14);
  EXPECT_TRUE(chip_->Calls().empty());
  EXPECT_EQ(driver_->Stages().eqType, 5);

  // One band: the chip gets it, the equaliser becomes custom with nothing selected.
  ASSERT_EQ(driver_->SetEqBand(3, -7), 0);
  EXPECT_EQ(Int(Flow::kPlayback, "EQ_Slider4"), -7);
  EXPECT_EQ(driver_->Stages().eqType, 13);
  EXPECT_EQ(driver_->Stages().customEqSelectIndex, -1);
  EXPECT_EQ(driver_->Bands(), (std::vector<int32_t>{0, 0, 0, -7, 0, 0, 0, 0, 0, 0}));
}

TEST_F(HeadsetRig, LevelsMutesAndVoiceChangerAreStoredOnlyWhenTheChipTookThem) {
  Start();
  ASSERT_EQ(driver_->SetMicLevel(35), 0);
  EXPECT_FLOAT_EQ(*chip_->FloatValue(Flow::kRecording, "VolumeScalarControl"), 0.35f);
  EXPECT_EQ(driver_->Profile().GetSystemSetStages().micInValue, 35);
  ASSERT_EQ(driver_->SetMonitorLevel(60), 0);
  EXPECT_FLOAT_EQ(*chip_->FloatValue(Flow::kRecording, "AAVolumeScalarControl"), 0.6f);

  chip_->SetPropertyResult("MuteControl", audio::kChipFailed);
  const int before = driver_->Stages().micInSelect;
  EXPECT_EQ(driver_->SetMicOn(before == 0), audio::kChipFailed);
  EXPECT_EQ(driver_->Stages().micInSelect, before);
  chip_->SetPropertyResult("MuteControl", audio::kChipOk);
  ASSERT_EQ(driver_->SetMicOn(false), 0);
  EXPECT_EQ(Int(Flow::kRecording, "MuteControl"), 1);
  EXPECT_EQ(driver_->Stages().micInSelect, 0);

  // Switching the voice changer on silences the microphone echo; switching it off does not.
  chip_->ClearCalls();
  ASSERT_EQ(driver_->SetVoiceChangerEnabled(true), 0);
  EXPECT_EQ(SetNames(), (std::vector<std::string>{"Enable_MAGICVOICE", "Enable_MICECHO"}));
  EXPECT_EQ(Int(Flow::kRecording, "Enable_MICECHO"), 0);
  chip_->ClearCalls();
  ASSERT_EQ(driver_->SetVoiceChangerEnabled(false), 0);
  EXPECT_EQ(SetNames(), (std::vector<std::string>{"Enable_MAGICVOICE"}));
  ASSERT_EQ(driver_->SelectVoiceChanger(3), 0);
  EXPECT_EQ(Int(Flow::kRecording, "MagicVoice_Selection"), 2);
  EXPECT_EQ(driver_->SelectVoiceChanger(5), audio::kChipBadValue);
  EXPECT_EQ(driver_->Profile().GetSystemSetStages().magicType, 3);
}

TEST_F(HeadsetRig, ChipStateIsReadBackAndAnOutOfRangeAnswerKeepsTheStage) {
  Connect("headset", kKindHeadset);
  chip_ = sim_->AudioChip();
  chip_->SetAnswer(Flow::kRecording, "VolumeScalarControl", "0.5");
  chip_->SetAnswer(Flow::kRecording, "MagicVoice_Selection", "4");
  driver_->SetAudioChip(chip_);
  driver_->LoadProfile();
  const int typeBefore = driver_->Stages().magicType;
  ASSERT_TRUE(driver_->StartAudioChip());
  EXPECT_EQ(driver_->Stages().micInValue, 50);
  EXPECT_EQ(driver_->Stages().magicType, typeBefore);
}

TEST_F(HeadsetRig, WithoutAChipTheControlsFailAndTheProfileKeepsItsValues) {
  Connect("headset", kKindHeadset);
  driver_->LoadProfile();
  driver_->SetAudioChip(nullptr, "no sound card with the headset's USB id");
  EXPECT_FALSE(driver_->StartAudioChip());
  EXPECT_EQ(driver_->ChipUnavailableReason(), "no sound card with the headset's USB id");
  const HeadsetSystemSetStages before = driver_->Profile().GetSystemSetStages();
  EXPECT_EQ(driver_->SetMicLevel(10), audio::kChipNotReady);
  EXPECT_EQ(driver_->Profile().GetSystemSetStages(), before);
}

TEST_F(HeadsetRig, CustomEqualisersAreNamedOnceAndSurviveTheReset) {
  Start();
  driver_->ApplyEqPreset(5);  // flat, then two bands moved
  driver_->SetEqBand(0, 4);
  driver_->SetEqBand(9, -2);
  EXPECT_EQ(driver_->SaveCustomEq("Mine"), 1);
  EXPECT_EQ(driver_->SaveCustomEq("MINE"), 0);
  EXPECT_EQ(driver_->SaveCustomEq("Äther"), 1);
  EXPECT_EQ(driver_->CustomEqNames(), (std::vector<std::string>{"Mine", "Äther"}));
  driver_->ApplyEqPreset(3);
  driver_->SetMicLevel(12);

  driver_->ReloadProfile();
  EXPECT_EQ(driver_->CustomEqNames(), (std::vector<std::string>{"Mine", "Äther"}));
  EXPECT_EQ(driver_->Profile().GetCustomEQValues(0), (std::vector<int32_t>{4, 0, 0, 0, 0, 0, 0, 0, 0, -2}));
  // Everything else is the default document's again.
  EXPECT_NE(driver_->Stages().micInValue, 12);

  // Deleting the first moves the second's bands with its name.
  ASSERT_EQ(driver_->ApplyCustomEq(0), 0);
  driver_->DeleteCustomEq();
  EXPECT_EQ(driver_->CustomEqNames(), (std::vector<std::string>{"Äther"}));
  EXPECT_EQ(driver_->Profile().GetCustomEQValues(0), (std::vector<int32_t>{4, 0, 0, 0, 0, 0, 0, 0, 0, -2}));
}

}  // namespace
}  // namespace orlo
