// The lighting panel on each device page against its simulated device: a change made through the
// panel's controls reaches the device's settings bytes and the profile; the keyboard's music
// controls change its music lighting record.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>

#include "device/headset/TessaroRO6533Device.h"
#include "device/mousepad/TessaroMousePadDevice.h"
#include "pages/headset/HeadsetPageUI.h"
#include "pages/headset/StripPageRig.h"
#include "pages/keyboard/KeyboardPageRig.h"
#include "pages/mouse/MousePageRig.h"
#include "pages/mousepad/MousePadPageUI.h"
#include "profile/JsonFile.h"
#include "sim/SimHeadset.h"
#include "sim/SimMousepad.h"

namespace orlo {
namespace {

using namespace ui::notify;
using Bytes = std::vector<uint8_t>;

Bytes Slice(const std::vector<uint8_t>& block, size_t from, size_t count) {
  return Bytes(block.begin() + static_cast<long>(from), block.begin() + static_cast<long>(from + count));
}

// ---- mouse ----------------------------------------------------------------------------------------

class MouseLightingTest : public testing_support::MousePageRig {};

TEST_F(MouseLightingTest, ModeSpeedAndColourReachTheSettingsBlock) {
  OpenPage();
  Find<QComboBox>("light_combo_modeSelect")->setCurrentIndex(4);  // blink
  Find<QSlider>("deng_speed_slider")->setValue(1);
  Raise("color_option_3", kClick);  // the green preset
  // Bytes 1-8: mode code, brightness, 4 - speed, direction, multicolour, red, green, blue.
  const Bytes block = Block(0);
  EXPECT_EQ(block[1], 4);
  EXPECT_EQ(block[3], 3);
  EXPECT_EQ(Slice(block, 6, 3), (Bytes{0x00, 0xFF, 0x00}));
  EXPECT_EQ(CJsonFile().ReadDocument(mouse_->GetProfileName())["Device"][0]["LightInfo"]["Green"].asInt(), 255);
  // Blink has no direction; the edits show the preset.
  EXPECT_FALSE(Find<QWidget>("deng_fx_layout")->isEnabled());
  EXPECT_EQ(Find<QLineEdit>("deng_edit_G")->text().toStdString(), "255");

  // The colour button asks the window's colour picker; cancelling it changes nothing.
  Raise("deng_colordp_btn", kClick);
  EXPECT_EQ(Slice(Block(0), 6, 3), (Bytes{0x00, 0xFF, 0x00}));
  window_->pickedColour = 0xFF102030u;
  Raise("deng_colordp_btn", kClick);
  EXPECT_EQ(Slice(Block(0), 6, 3), (Bytes{0x10, 0x20, 0x30}));
  // A typed component above 255 is 255; an empty edit changes nothing.
  Find<QLineEdit>("deng_edit_R")->setText("300");
  Raise("deng_edit_R", kKillFocus);
  Find<QLineEdit>("deng_edit_B")->setText("");
  Raise("deng_edit_B", kKillFocus);
  EXPECT_EQ(Slice(Block(0), 6, 3), (Bytes{0xFF, 0x20, 0x30}));
}

// ---- keyboard -------------------------------------------------------------------------------------

class KeyboardLightingTest : public testing_support::KeyboardPageRig {
 protected:
  Json::Value Music() {
    return CJsonFile().ReadDocument(keyboard_->GetProfileName())["Device"][0]["AudioLightInfo"];
  }
  // The record as the route would find it: foreground edited, colours and flags set.
  void StartMusic() {
    AudioLightInfo r{};
    r.audioMode = 1, r.bkRed = 10, r.bkGreen = 20, r.bkBlue = 30, r.fgRed = 40, r.fgGreen = 50, r.fgBlue = 60;
    r.sevenColorFlag = 1, r.colorTypeFlag = 1;
    const auto b = AudioLightBytes(r);
    {
      auto lock = keyboard_->ModelLock();
      keyboard_->SetAudioLightSettings(b[0] | b[1] << 8 | b[2] << 16 | b[3] << 24,
                                       b[4] | b[5] << 8 | b[6] << 16 | uint32_t{b[7]} << 24, b[8]);
    }
    page_->ShowLighting();
  }
};

TEST_F(KeyboardLightingTest, FixedColourAndItsSecondModeReachTheSettingsBlock) {
  OpenPage();
  Find<QComboBox>("light_combo_modeSelect")->setCurrentIndex(17);
  Flush();
  EXPECT_FALSE(Find<QWidget>("light_combo_ZZCCmodeSelectLayout")->isHidden());
  EXPECT_TRUE(Find<QWidget>("deng_speed_layout")->isHidden());
  Find<QComboBox>("light_combo_ZZCCmodeSelect")->setCurrentIndex(2);
  Flush();
  Raise("deng_Color_Pallet", kColorChanged, 0xFFFF8000);
  // Bytes 1 mode code, 6-8 colour, 18 second mode.
  const Bytes block = sim_->SettingsBlock(0);
  EXPECT_EQ(block[1], 17);
  EXPECT_EQ(Slice(block, 6, 3), (Bytes{0xFF, 0x80, 0x00}));
  EXPECT_EQ(block[18], 2);
  EXPECT_EQ(Find<QLineEdit>("deng_edit_G")->text().toStdString(), "128");

  Raise("deng_same_mode", kClick);
  Raise("music_setting_btn", kClick);
  EXPECT_EQ(window_->syncRequests, 1);
  EXPECT_EQ(window_->musicWindowRequests, 1);
}

TEST_F(KeyboardLightingTest, MusicColourEditsClampAndClearTheMulticolour) {
  OpenPage();
  StartMusic();
  Find<QLineEdit>("deng_audioedit_G")->setText("300");
  Raise("deng_audioedit_G", kKillFocus);
  Json::Value music = Music();
  EXPECT_EQ(music["FgColorG"].asInt(), 255);
  EXPECT_EQ(music["FgColorR"].asInt(), 40);
  EXPECT_EQ(music["BkColorG"].asInt(), 20);
  EXPECT_EQ(music["7ColorFlags"].asInt(), 0);
  Find<QLineEdit>("deng_audioedit_B")->setText("");
  Raise("deng_audioedit_B", kKillFocus);
  EXPECT_EQ(Music()["FgColorB"].asInt(), 0);

  Raise("audiocolor_option_5", kClick);  // the blue preset into the foreground
  music = Music();
  EXPECT_EQ((Bytes{uint8_t(music["FgColorR"].asInt()), uint8_t(music["FgColorG"].asInt()), uint8_t(music["FgColorB"].asInt())}),
            (Bytes{0, 0, 255}));
  Find<QComboBox>("light_combo_audiomodeSelect")->setCurrentIndex(3);
  Flush();
  EXPECT_EQ(Music()["AudioMode"].asInt(), 3);
  EXPECT_FALSE(Find<QWidget>("light_audiocolor_layout")->isEnabled());
  EXPECT_EQ(keyboard_->GetAudioLightSettings()[0], 3);
}

TEST_F(KeyboardLightingTest, BlackBackgroundLeavesTheForegroundAndTheFlags) {
  OpenPage();
  StartMusic();
  Raise("Close_bkColor_btn", kClick);
  const Json::Value music = Music();
  EXPECT_EQ(music["BkColorR"].asInt() + music["BkColorG"].asInt() + music["BkColorB"].asInt(), 0);
  EXPECT_EQ(music["FgColorR"].asInt(), 40);
  EXPECT_EQ(music["FgColorG"].asInt(), 50);
  EXPECT_EQ(music["FgColorB"].asInt(), 60);
  EXPECT_EQ(music["7ColorFlags"].asInt(), 1);
  EXPECT_EQ(music["ColorTypeFlags"].asInt(), 1);

  // Switching to the background edits the background: its colour shows.
  Find<QAbstractButton>("audio_BkColor_check")->setChecked(true);
  Flush();
  EXPECT_EQ(Music()["ColorTypeFlags"].asInt(), 0);
  EXPECT_EQ(Find<QLineEdit>("deng_audioedit_R")->text().toStdString(), "0");
  EXPECT_FALSE(Find<QWidget>("deng_7audiocolor_check")->isEnabled());
}

// ---- mousepad and headset ---------------------------------------------------------------------------

using PadLightingTest = testing_support::StripPageRig<CTessaroMousePadDevice, sim::SimMousepad, CMousePadPageUI>;
using HeadsetLightingTest = testing_support::StripPageRig<CTessaroRO6533Device, sim::SimHeadset, CHeadsetPageUI>;

// Bytes 1-8 of the lighting block: mode, brightness, 4 - speed, direction, multicolour, colour.
TEST_F(PadLightingTest, FifteenLightsAndAStaticColourWrittenAsTheBlock) {
  OpenPage("mousepad", kKindMousePad, "XML\\DeviceXml\\mousepaddevice.xml");
  EXPECT_EQ(page_->LightButtonCount(), 15);
  Find<QComboBox>("light_combo_modeSelect")->setCurrentIndex(3);  // static
  Find<QSlider>("deng_light_slider")->setValue(2);
  Raise("color_option_5", kClick);
  driver_->Debounce().Fire();
  Settle();
  EXPECT_EQ(Peek(1, 2), (Bytes{3, 2}));
  EXPECT_EQ(Peek(6, 3), (Bytes{0x00, 0x00, 0xFF}));
  EXPECT_EQ(driver_->Profile().GetLightInfo().blue, 255);
  EXPECT_FALSE(Find<QWidget>("deng_speed_layout")->isEnabled());
}

TEST_F(HeadsetLightingTest, DirectionStoredAndMulticolourWrittenAsTheBlock) {
  OpenPage("headset", kKindHeadset, "XML\\DeviceXml\\ro6533device.xml",
           [&](CTessaroRO6533Device& d) { d.SetAudioChip(sim_->AudioChip()); });
  Find<QComboBox>("light_combo_modeSelect")->setCurrentIndex(0);  // wave: every group
  Find<QAbstractButton>("deng_FXR_check")->setChecked(true);
  Find<QAbstractButton>("deng_FXL_check")->setChecked(true);
  Find<QAbstractButton>("deng_7color_check")->setChecked(true);
  driver_->Debounce().Fire();
  Settle();
  // The block's byte 4 belongs to the headset (written back as read): the direction lives in
  // the profile and the preview.
  EXPECT_EQ(Peek(1, 1), (Bytes{0}));
  EXPECT_EQ(Peek(5, 1), (Bytes{1}));
  EXPECT_EQ(driver_->Profile().GetLightInfo().direction, 1);
  EXPECT_EQ(driver_->GetLightEffect().multiColor, 1);
  EXPECT_TRUE(Find<QWidget>("deng_fx_layout")->isEnabled());
}

}  // namespace
}  // namespace orlo
