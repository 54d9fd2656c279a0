// The mouse page against a simulated wired mouse: filled from first contact, and changed
// through the router as the main window routes the page's notifications.
#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>

#include "pages/mouse/MousePageRig.h"
#include "profile/JsonFile.h"
#include "ui/DeviceKeyButtonUI.h"

namespace orlo {
namespace {

using testing_support::MousePageRig;
using ui::notify::kKillFocus;
using ui::notify::kSelectChanged;
using ui::notify::kValueChanged;

constexpr size_t kStage0 = 14;  // first stage entry of the settings block
constexpr size_t kStageSize = 9;

class MousePageTest : public MousePageRig {
 protected:
  Json::Value Document() { return CJsonFile().ReadDocument(mouse_->GetProfileName()); }
  uint16_t BlockStageResolution(int stage) {
    const auto block = Block(0);
    const size_t at = kStage0 + kStageSize * static_cast<size_t>(stage) + 2;
    return static_cast<uint16_t>(block[at] | (block[at + 1] << 8));
  }
  QString EditText(int s) { return Find<QLineEdit>("DPI_edit_" + std::to_string(s))->text(); }
  QSlider* Slider(int s) { return Find<QSlider>("DPI_slider_" + std::to_string(s)); }
  QAbstractButton* Button(const std::string& name) { return Find<QAbstractButton>(name); }
};

TEST_F(MousePageTest, FirstContactFillsStagesReportRateKeysAndLights) {
  OpenPage();
  const int active = mouse_->Profile().GetActiveDPIStage();
  const int resolutions[] = {400, 800, 1600, 3200};
  for (int s = 0; s < 4; ++s) {
    EXPECT_EQ(EditText(s).toInt(), resolutions[s]) << s;
    EXPECT_EQ(page_->Scale().ResolutionAt(Slider(s)->value()), resolutions[s]) << s;
    EXPECT_EQ(Button("DPI_select_check_" + std::to_string(s))->isChecked(), s == active);
    // The active stage cannot be switched off.
    EXPECT_EQ(Button("DPI_enable_check_" + std::to_string(s))->isEnabled(), s != active);
  }
  EXPECT_EQ(Slider(active)->property("thumbimage").toString(), "Control/SliderBar1_Thumb.png");
  EXPECT_EQ(page_->SelectedReportRate(), mouse_->Profile().SystemStages().reportRate);

  // Every one of the 11 buttons has an assignment with a name, so a row each.
  ASSERT_EQ(page_->KeyInfoRowCount(), CMousePageUI::kKeyButtons);
  EXPECT_FALSE(page_->KeyInfoRowText(0).empty());
  EXPECT_FALSE(page_->KeyButton(0)->toolTip().isEmpty());

  // The light thread animates the LEDs; the page paints them into the light buttons while shown.
  window_->show();
  ASSERT_TRUE(WaitFor([&] {
    page_->PaintLeds();
    for (int i = 0; i < CMousePageUI::kLights; ++i)
      if (page_->LightButton(i)->IsLightOn()) return true;
    return false;
  }));
}

TEST_F(MousePageTest, DraggingShowsOnlyAndReleasingWritesOnce) {
  OpenPage();
  sim_->ClearLog();
  QSlider* slider = Slider(2);
  slider->setSliderDown(true);
  slider->setSliderPosition(40);  // a drag: "movevaluechanged"
  Settle();
  EXPECT_EQ(EditText(2), "4100");
  EXPECT_EQ(CountOf(sim::kCmdWriteSettings), 0u);

  slider->setSliderDown(false);  // released: "valuechanged"
  Flush();
  // One configuration session (the 78 bytes travel in two reports).
  EXPECT_EQ(CountOf(sim::kCmdBeginConfig), 1u);
  EXPECT_EQ(CountOf(sim::kCmdEndConfig), 1u);
  EXPECT_EQ(BlockStageResolution(2), 4100);
  EXPECT_EQ(Document()["Device"][0]["DPIStages"]["StageDPIs"][2]["StageDPIX"].asInt(), 4100);
}

TEST_F(MousePageTest, TypedResolutionSelectsThePositionThatShowsIt) {
  OpenPage();
  QLineEdit* edit = Find<QLineEdit>("DPI_edit_1");
  edit->setText("5100");
  Raise("DPI_edit_1", kKillFocus);
  EXPECT_EQ(Slider(1)->value(), 49);
  EXPECT_EQ(EditText(1), "5100");
  EXPECT_EQ(BlockStageResolution(1), 5100);

  edit->setText("5000");  // between two positions: the lower one
  Raise("DPI_edit_1", kKillFocus);
  EXPECT_EQ(EditText(1), "4900");

  edit->setText("");  // empty counts as 0, below the minimum as the minimum
  Raise("DPI_edit_1", kKillFocus);
  EXPECT_EQ(Slider(1)->value(), 0);
  EXPECT_EQ(EditText(1), "100");

  edit->setText("99999");  // beyond what the edit accepts
  Raise("DPI_edit_1", kKillFocus);
  EXPECT_LE(EditText(1).toInt(), CDpiScale::kMaxTyped);
  EXPECT_EQ(BlockStageResolution(1), EditText(1).toInt());
}

TEST_F(MousePageTest, StagesSwitchOffDownToTheLastAndTheActiveStays) {
  OpenPage();
  Raise("DPI_select_check_0", kSelectChanged, 1);
  ASSERT_EQ(mouse_->Profile().GetActiveDPIStage(), 0);
  EXPECT_EQ(Block(0)[12], 0);

  for (int s = 4; s >= 2; --s) Raise("DPI_enable_check_" + std::to_string(s), kSelectChanged, 0);
  EXPECT_EQ(Block(0)[kStage0 + kStageSize * 4], 0);
  EXPECT_TRUE(Button("DPI_enable_check_1")->isEnabled());
  EXPECT_FALSE(Find<QWidget>("DPI_layout_4")->isEnabled());

  // Switching off the second-last leaves one, whose check is then disabled.
  Raise("DPI_enable_check_1", kSelectChanged, 0);
  EXPECT_FALSE(page_->IsStageEnabled(1));
  EXPECT_FALSE(Button("DPI_enable_check_0")->isEnabled());
  // A routed switch-off of the last stage is refused and nothing is written.
  sim_->ClearLog();
  Raise("DPI_enable_check_0", kSelectChanged, 0);
  EXPECT_TRUE(page_->IsStageEnabled(0));
  EXPECT_EQ(CountOf(sim::kCmdWriteSettings), 0u);
  // A switched-off stage cannot become the active one.
  Raise("DPI_select_check_3", kSelectChanged, 1);
  EXPECT_EQ(mouse_->Profile().GetActiveDPIStage(), 0);
  EXPECT_TRUE(Button("DPI_select_check_0")->isChecked());
  EXPECT_FALSE(Button("DPI_select_check_3")->isChecked());

  // Switching one on again enables the checks of the others.
  Raise("DPI_enable_check_3", kSelectChanged, 1);
  EXPECT_TRUE(page_->IsStageEnabled(3));
  EXPECT_TRUE(Button("DPI_enable_check_3")->isEnabled());
  EXPECT_EQ(Block(0)[kStage0 + kStageSize * 3], 1);
}

TEST_F(MousePageTest, ReportRateAndSystemSettingsReachBlockAndProfile) {
  OpenPage();
  Raise("polling_rate_option_2", kSelectChanged, 1);
  EXPECT_EQ(Block(0)[11], 2);
  EXPECT_TRUE(Button("polling_rate_option_2")->isChecked());
  EXPECT_EQ(Document()["Device"][0]["ReportStages"]["StageActive"].asInt(), 2);
  // An index beyond the five options selects the first.
  Raise("polling_rate_option_9", kSelectChanged, 1);
  EXPECT_EQ(Block(0)[11], 0);
  EXPECT_TRUE(Button("polling_rate_option_0")->isChecked());
  EXPECT_FALSE(Button("polling_rate_option_2")->isChecked());
  // A click on the option already chosen, or on the active stage, changes and writes nothing.
  sim_->ClearLog();
  Button("polling_rate_option_0")->click();
  const int active = mouse_->Profile().GetActiveDPIStage();
  Button("DPI_select_check_" + std::to_string(active))->click();
  Flush();
  EXPECT_TRUE(Button("polling_rate_option_0")->isChecked());
  EXPECT_TRUE(Button("DPI_select_check_" + std::to_string(active))->isChecked());
  EXPECT_EQ(CountOf(sim::kCmdBeginConfig), 0u);

  Find<QSlider>("pointer_speed_slider")->setValue(14);  // raises "valuechanged" itself
  Button("scrolls_page_check")->click();
  Flush();
  const Json::Value system = Document()["Device"][0]["SystemStages"];
  EXPECT_EQ(system["MouseSpeed"].asInt(), 14);
  EXPECT_EQ(system["ScorllPage"].asInt(), 1);
  EXPECT_FALSE(Find<QSlider>("scroll_speed_slider")->isEnabled());
}

TEST_F(MousePageTest, KeyClicksSelectOnlyOnTheKeyTabAndKeepThePrimaryClick) {
  OpenPage();
  Raise("key_1", ui::notify::kClick);
  EXPECT_EQ(mouse_->SelectedKey(), -1);  // the performance tab is shown

  Button("key_Op_tab")->click();
  Settle();
  ASSERT_EQ(mouse_->GetFunctionTab(), 2);
  EXPECT_EQ(Find<QStackedWidget>("device_key_function_switch")->currentIndex(), 1);
  Raise("key_1", ui::notify::kClick);
  EXPECT_EQ(mouse_->SelectedKey(), 1);
  EXPECT_EQ(page_->KeyButton(1)->Selected(), 1u);
  // key_butt_keysave splits as "key_butt_": not a key of the picture.
  Raise("key_butt_keysave", ui::notify::kClick);
  EXPECT_EQ(mouse_->SelectedKey(), 1);

  // Button 0 is the only one with the primary click.
  ASSERT_EQ(mouse_->KeyList()[0].Current(), (AssignCode{0x10, 1, 0}));
  Raise("key_0", ui::notify::kClick);
  EXPECT_EQ(mouse_->SelectedKey(), 1);
  EXPECT_EQ(window_->messages, std::vector<std::string>{"message_text_6"});
}

}  // namespace
}  // namespace orlo
