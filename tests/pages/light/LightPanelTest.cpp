// The lighting panel on its own, built from its layout: a whole effect shown, the mode list's
// hidden names, the groups a mode enables, and the music lighting controls.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTest>
#include <memory>

#include "base/DeviceKinds.h"
#include "pages/light/LightControlUI.h"
#include "ui/ColorPaletteUI.h"
#include "ui/ControlFactory.h"

namespace orlo {
namespace {

class LightPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::RegisterToolkitControls();
    host_ = std::make_unique<QWidget>();
    panel_ = new CLightControlUI(host_.get());
    ASSERT_TRUE(panel_->FindControls());
    std::vector<std::string> names;
    for (int m = 0; m <= 30; ++m) names.push_back("mode " + std::to_string(m));
    panel_->FillModeList(names, std::vector<bool>(names.size(), true), 4, 4);
  }
  QWidget* W(const char* name) const { return panel_->findChild<QWidget*>(QLatin1String(name)); }
  bool Enabled(const char* name) const { return W(name)->isEnabled(); }
  bool Shown(const char* name) const { return W(name)->isVisibleTo(panel_); }
  std::string Text(const char* name) const { return panel_->findChild<QLineEdit*>(QLatin1String(name))->text().toStdString(); }

  std::unique_ptr<QWidget> host_;
  CLightControlUI* panel_ = nullptr;
};

TEST_F(LightPanelTest, ShowEffectFillsEveryControl) {
  panel_->SetKind(kKindMouse);
  LightInfo e;
  e.mode = 4, e.brightness = 3, e.speed = 1, e.direction = 1, e.multiColor = 1;
  e.red = 255, e.green = 128, e.blue = 0;
  panel_->ShowEffect(e);
  EXPECT_EQ(panel_->GetPaletteColour(), 0xFFFF8000u);
  EXPECT_EQ(panel_->GetColourButton(), 0xFFFF8000u);
  EXPECT_EQ(Text("deng_edit_R"), "255");
  EXPECT_EQ(Text("deng_edit_G"), "128");
  EXPECT_EQ(Text("deng_edit_B"), "0");
  EXPECT_EQ(panel_->GetMode(), 4);
  EXPECT_EQ(panel_->GetBrightness(), 3);
  EXPECT_EQ(panel_->GetSpeed(), 1);
  EXPECT_TRUE(panel_->GetMulticolour());
  EXPECT_TRUE(panel_->findChild<QAbstractButton*>("deng_FXL_check")->isChecked());
  EXPECT_FALSE(panel_->findChild<QAbstractButton*>("deng_FXR_check")->isChecked());
  EXPECT_EQ(panel_->GetPresetColour(3), 0xFF00FF00u);  // from the layout's swatch
  EXPECT_EQ(panel_->GetPresetColour(99), 0u);
}

TEST_F(LightPanelTest, AHiddenModeNameKeepsTheLaterIndices) {
  panel_->FillModeList({"Breathing", "Hidden", "Static"}, {true, false, true}, 4, 4);
  auto* list = panel_->findChild<QComboBox*>("light_combo_modeSelect");
  ASSERT_EQ(list->count(), 3);
  panel_->SelectMode(2);
  EXPECT_EQ(list->currentText().toStdString(), "Static");
  EXPECT_EQ(panel_->GetMode(), 2);
}

TEST_F(LightPanelTest, KeyboardOffModeLeavesOnlyTheEffectListAndSyncWhenAllowed) {
  panel_->SetKind(kKindKeyboard);
  panel_->SelectMode(28);
  EXPECT_TRUE(Enabled("lighteffect_layout"));
  for (const char* group : {"deng_7color_check", "deng_color_layout", "colorpallet_layout", "deng_light_layout",
                            "deng_speed_layout", "deng_fx_layout"})
    EXPECT_FALSE(Enabled(group)) << group;
  EXPECT_FALSE(Shown("deng_same_mode"));
  panel_->SetSyncAllowed(true);
  EXPECT_TRUE(Shown("deng_same_mode"));
  panel_->SelectMode(7);  // no synchronisation in this mode
  EXPECT_FALSE(Shown("deng_same_mode"));
  panel_->SelectMode(29);
  EXPECT_EQ(panel_->findChild<QStackedWidget*>("light_color_tablayout")->currentIndex(), 1);
  EXPECT_TRUE(Shown("light_combo_AudiomodeSelectLayout"));
  EXPECT_FALSE(Shown("deng_speed_layout"));
  // Another kind never shows the keyboard's groups.
  panel_->SetKind(kKindMousePad);
  EXPECT_FALSE(Shown("light_combo_AudiomodeSelectLayout"));
}

TEST_F(LightPanelTest, MusicRecordShownAndReadBack) {
  AudioLightInfo r{};
  r.audioMode = 3, r.bkRed = 1, r.bkGreen = 2, r.bkBlue = 3, r.fgRed = 200, r.fgGreen = 100, r.fgBlue = 50;
  r.sevenColorFlag = 1, r.colorTypeFlag = 1;
  ASSERT_TRUE(panel_->SetAudioLightInfo(r));
  EXPECT_EQ(Text("deng_audioedit_R"), "200");  // the foreground colour
  EXPECT_FALSE(Enabled("light_audiocolor_layout"));
  EXPECT_FALSE(Enabled("audiocolorpallet_layout"));
  EXPECT_TRUE(Enabled("deng_7audiocolor_check"));
  EXPECT_EQ(panel_->GetAudioPaletteColour(), 0xFFC86432u);

  r.audioMode = 1, r.colorTypeFlag = 0;
  ASSERT_TRUE(panel_->SetAudioLightInfo(r));
  EXPECT_EQ(Text("deng_audioedit_B"), "3");  // the background colour
  EXPECT_TRUE(Enabled("light_audiocolor_layout"));
  EXPECT_FALSE(Enabled("deng_7audiocolor_check"));
  // The user switches to the foreground: the flag follows, the button's colour is stored there.
  panel_->findChild<QAbstractButton*>("audio_FgColor_check")->setChecked(true);
  const auto read = panel_->GetAudioLightInfo(true);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->colorTypeFlag, 1);
  EXPECT_EQ(read->fgRed, 1);
  EXPECT_EQ(read->bkRed, 1);
  EXPECT_EQ(read->audioMode, 1);
}

TEST_F(LightPanelTest, ThePaletteAnnouncesThePickedColourOnRelease) {
  auto* palette = panel_->findChild<ui::CColorPaletteUI*>("deng_Color_Pallet");
  palette->resize(241, 81);
  QSignalSpy announced(palette, &ui::CColorPaletteUI::colorChanged);
  QTest::mouseClick(palette, Qt::LeftButton, {}, QPoint(0, 40));  // left edge, middle row: red
  ASSERT_EQ(announced.count(), 1);
  EXPECT_EQ(announced[0][0].value<QColor>().rgba(), 0xFFFF0000u);
  QTest::mouseClick(palette, Qt::LeftButton, {}, QPoint(120, 80));  // bottom row: black
  EXPECT_EQ(palette->GetSelectColor(), 0xFF000000u);
  panel_->SetPaletteColour(0xFF00FF00);  // from code: not announced
  EXPECT_EQ(palette->GetSelectColor(), 0xFF00FF00u);
  EXPECT_EQ(announced.count(), 2);
}

TEST(LightPanelWithoutMusic, MissingMusicControlsAreIgnored) {
  QWidget host;
  auto* panel = new CLightControlUI(&host);
  auto* modes = new QComboBox(panel);  // a layout with a mode list and nothing else
  modes->setObjectName("light_combo_modeSelect");
  ASSERT_TRUE(panel->FindControls());
  EXPECT_FALSE(panel->SetAudioLightInfo(AudioLightInfo{}));
  EXPECT_FALSE(panel->GetAudioLightInfo(true).has_value());
  EXPECT_FALSE(panel->GetLightAudioColor(1).has_value());
  EXPECT_EQ(panel->GetPaletteColour(), 0xFF000000u);
  EXPECT_EQ(panel->GetBrightness(), 0);
}

}  // namespace
}  // namespace orlo
