// The headset page built from its layout, driven through the router as in the main window: the
// voice controls reaching the chip, and a headset without its chip showing why.
#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <gtest/gtest.h>

#include "device/headset/TessaroRO6533Device.h"
#include "pages/headset/HeadsetPageUI.h"
#include "pages/headset/StripPageRig.h"
#include "sim/SimHeadset.h"
#include "ui/LanguageStore.h"

namespace orlo {
namespace {

using namespace ui::notify;
using testing_support::RoutedWindow;

using testing_support::StripPageRig;

using HeadsetPage = StripPageRig<CTessaroRO6533Device, sim::SimHeadset, CHeadsetPageUI>;

TEST_F(HeadsetPage, VoiceControlsReachTheChipAndShowTheResult) {
  std::shared_ptr<sim::SimAudioChip> chip;
  OpenPage("headset", kKindHeadset, "XML\\DeviceXml\\ro6533device.xml", [&](CTessaroRO6533Device& d) {
    chip = sim_->AudioChip();
    d.SetAudioChip(chip);
  });
  EXPECT_EQ(page_->LightButtonCount(), 13);
  Raise("6533_eq_option_7", kSelectChanged, 1);
  const int expected[10] = {14, 10, 4, 0, -4, -3, -1, 1, 2, 3};
  for (int b = 0; b < 10; ++b) {
    EXPECT_EQ(chip->IntValue(audio::Flow::kPlayback, "EQ_Slider" + std::to_string(b + 1)), expected[b]) << b;
    EXPECT_EQ(Find<QSlider>("6533_eq_hz_slider_" + std::to_string(b))->value(), expected[b]) << b;
  }
  Raise("6533_MicIn_slider", kValueChanged, 35);
  EXPECT_FLOAT_EQ(*chip->FloatValue(audio::Flow::kRecording, "VolumeScalarControl"), 0.35f);
  Raise("magic_option_2", kSelectChanged, 1);
  EXPECT_EQ(chip->IntValue(audio::Flow::kRecording, "MagicVoice_Selection"), 1);
  EXPECT_FALSE(Find<QLabel>("chip_state_label")->isVisibleTo(page_));
  EXPECT_TRUE(Find<QWidget>("eq_band_row")->isEnabled());
}

TEST_F(HeadsetPage, CustomEqualiserSavedFromTheSlidersAndADuplicateNameRefused) {
  OpenPage("headset", kKindHeadset, "XML\\DeviceXml\\ro6533device.xml",
           [&](CTessaroRO6533Device& d) { d.SetAudioChip(sim_->AudioChip()); });
  for (int b = 0; b < 10; ++b) Find<QSlider>("6533_eq_hz_slider_" + std::to_string(b))->setValue(b - 5);
  Find<QLineEdit>("custom_eq_name_edit")->setText("Late night");
  Raise("hs_EQ_btn_save", kClick, 0);
  EXPECT_EQ(driver_->CustomEqNames(), (std::vector<std::string>{"Late night"}));
  EXPECT_EQ(driver_->Profile().GetCustomEQValues(0), (std::vector<int32_t>{-5, -4, -3, -2, -1, 0, 1, 2, 3, 4}));
  EXPECT_EQ(Find<QComboBox>("custom_eq_name_combo")->currentText().toStdString(), "Late night");
  EXPECT_TRUE(Find<QWidget>("custom_eq_option_layout")->isEnabled());
  EXPECT_TRUE(window_->messages.empty());

  Find<QLineEdit>("custom_eq_name_edit")->setText("LATE NIGHT");
  Raise("hs_EQ_btn_save", kClick, 0);
  EXPECT_EQ(window_->messages, (std::vector<std::string>{"message_text_5"}));
  EXPECT_EQ(driver_->CustomEqNames().size(), 1u);
}

TEST_F(HeadsetPage, WithoutTheChipTheVoiceControlsAreDisabledWithTheReason) {
  // The page's texts come from the language file: Chinese here, back to none afterwards.
  auto& language = ui::CLanguageStore::GetInstance();
  ASSERT_TRUE(language.LoadLanguage(ORLO_SOURCE_DIR "/skin/lang/lan_cn.xml"));
  struct Restore {
    ~Restore() { ui::CLanguageStore::GetInstance().LoadFromString("<language></language>"); }
  } restore;
  OpenPage("headset", kKindHeadset, "XML\\DeviceXml\\ro6533device.xml", [](CTessaroRO6533Device& d) {
    d.SetChipSource([](const std::string&, uint16_t, uint16_t) {
      return std::pair<std::shared_ptr<audio::IAudioChip>, std::string>{nullptr, "no sound card with USB id 0000:0000"};
    });
  });
  page_->ShowVoice();
  EXPECT_EQ(Find<QLabel>("chip_state_label")->text().toStdString(),
            "语音设置不可用：no sound card with USB id 0000:0000");
  EXPECT_EQ(Find<QAbstractButton>("6533_MicIn_option")->text().toStdString(), "麦克风");
  EXPECT_EQ(Find<QAbstractButton>("magic_enable_option")->text().toStdString(), "变声器");
  EXPECT_FALSE(Find<QWidget>("mic_row")->isEnabled());
  EXPECT_FALSE(Find<QWidget>("eq_band_row")->isEnabled());
  // A route still runs, but nothing reaches a chip and the profile keeps its level.
  const int level = driver_->Profile().GetSystemSetStages().micInValue;
  Raise("6533_MicIn_slider", kValueChanged, level == 10 ? 11 : 10);
  EXPECT_EQ(driver_->Profile().GetSystemSetStages().micInValue, level);
}

}  // namespace
}  // namespace orlo
