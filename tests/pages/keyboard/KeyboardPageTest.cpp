// The keyboard page on the simulated keyboard: the drawing's buttons bound to key positions and
// shown only where the keyboard has a key, a reassigned key drawn apart, the system settings
// routed into the settings block (the repeat values saved, never written), and a host-driven
// effect that keeps reaching the keyboard while the window is hidden.
#include <QAbstractButton>
#include <QLabel>
#include <QSlider>
#include <QTest>
#include <chrono>

#include "pages/keyboard/KeyboardPageRig.h"
#include "profile/JsonFile.h"
#include "ui/DeviceKeyButtonUI.h"
#include "ui/NotifyUI.h"

namespace orlo {
namespace {

using namespace std::chrono_literals;
using testing_support::KeyboardPageRig;
namespace n = ui::notify;

class KeyboardPageTest : public KeyboardPageRig {
 protected:
  void Check(const std::string& name, bool on) {
    auto* b = Find<QAbstractButton>(name);
    ASSERT_NE(b, nullptr) << name;
    b->setChecked(on);
  }
  std::string Label(const std::string& name) { return Find<QLabel>(name)->text().toStdString(); }
};

TEST_F(KeyboardPageTest, ButtonsFollowTheKeyPositionsTheKeyboardHas) {
  OpenPage();
  // "A" (position 64) is drawn and this keyboard has it; position 16 is drawn but absent here.
  ASSERT_NE(page_->KeyButton(64), nullptr);
  ASSERT_NE(page_->LightButton(64), nullptr);
  EXPECT_FALSE(page_->KeyButton(64)->isHidden());
  ASSERT_NE(page_->KeyButton(16), nullptr);
  EXPECT_TRUE(page_->KeyButton(16)->isHidden());
  EXPECT_TRUE(page_->LightButton(16)->isHidden());
  // Positions without a place on the drawing have no button.
  EXPECT_EQ(page_->KeyButton(150), nullptr);

  // "A" now sends "B": its button shows B's name and is drawn apart; "S" is unchanged.
  keyboard_->SetKeyAssignment(64, {0x20, 0x00, 0x05});
  page_->ShowKeyAssignments();
  EXPECT_EQ(page_->KeyButton(64)->text(), page_->KeyButton(89)->text());
  EXPECT_NE(page_->KeyButton(64)->text(), page_->KeyButton(65)->text());
  EXPECT_TRUE(page_->KeyButton(64)->property("changed").toBool());
  EXPECT_FALSE(page_->KeyButton(65)->property("changed").toBool());
}

TEST_F(KeyboardPageTest, SwitchesAndReportRateReachTheSettingsBlock) {
  OpenPage();
  Check("6flag_option", true);
  Raise("6flag_option", n::kSelectChanged, 1);
  Check("winlockflag_option", true);
  Raise("winlockflag_option", n::kSelectChanged, 1);
  Raise("polling_rate_option_1", n::kSelectChanged, 1);
  const std::vector<uint8_t> block = sim_->SettingsBlock(0);
  EXPECT_EQ(block[19], 0x00);  // WFlag
  EXPECT_EQ(block[20], 0x01);  // Key6Flag
  EXPECT_EQ(block[21], 0x01);  // WinFlag
  EXPECT_EQ(block[22], 0x01);  // report rate index
  EXPECT_TRUE(Find<QAbstractButton>("polling_rate_option_1")->isChecked());
  EXPECT_FALSE(Find<QAbstractButton>("polling_rate_option_3")->isChecked());
}

TEST_F(KeyboardPageTest, RepeatValuesAreSavedAndShownButNeverWritten) {
  OpenPage();
  const size_t writes = CountOf(kCmdWriteSettings);
  Raise("repeat_delay_check_2", n::kSelectChanged, 1);
  EXPECT_TRUE(Label("repeat_delay_time_label1").ends_with("750ms")) << Label("repeat_delay_time_label1");
  Find<QSlider>("repeat_rate_slider")->setValue(12);
  Raise("repeat_rate_slider", n::kValueChanged, 12);
  EXPECT_EQ(CountOf(kCmdWriteSettings), writes);
  CJsonFile file;
  const Json::Value doc = file.ReadDocument(keyboard_->GetProfileName());
  EXPECT_EQ(doc["Device"][0]["SystemStages"]["RepeatDelay"].asInt(), 2);
  EXPECT_EQ(doc["Device"][0]["SystemStages"]["Repeat"].asInt(), 12);
  // A stored delay outside the four shows as the first (250 ms).
  EXPECT_EQ(page_->SelectRepeatDelay(7), 0);
  EXPECT_TRUE(Label("repeat_delay_time_label1").ends_with("250ms"));
  EXPECT_TRUE(Find<QAbstractButton>("repeat_delay_check_0")->isChecked());
}

TEST_F(KeyboardPageTest, AHostDrivenEffectKeepsStreamingWhileTheWindowIsHidden) {
  OpenPage();
  window_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
  LightInfo e = keyboard_->GetLightEffect();
  e.mode = 30, e.brightness = 4;
  keyboard_->SetLightEffect(e);
  const int32_t style[3] = {0x10, 0x20, 0x30};
  keyboard_->SetAudioStyle(style, 3);
  // Shown: five frames are at least 40 ms, past the paint gap, so the buttons take the colour.
  ASSERT_TRUE(keyboard_->WaitForFrames(keyboard_->FramesStreamed() + 5, 3s));
  const long long shownPaints = page_->LightPaints();
  page_->PaintLeds();
  EXPECT_GT(page_->LightPaints(), shownPaints);

  // Hidden: the page paints nothing, the keyboard still gets its frames.
  window_->hide();
  const long long paints = page_->LightPaints();
  const int32_t other[3] = {0x40, 0x50, 0x60};
  keyboard_->SetAudioStyle(other, 3);
  ASSERT_TRUE(keyboard_->WaitForFrames(keyboard_->FramesStreamed() + 5, 3s));
  page_->PaintLeds();
  EXPECT_EQ(page_->LightPaints(), paints);
  const auto frames = sim_->StreamedFrames();
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(std::vector<uint8_t>(frames.back().bytes.begin() + 30, frames.back().bytes.begin() + 33),
            (std::vector<uint8_t>{0x3F, 0x4F, 0x5F}));
}

}  // namespace
}  // namespace orlo
