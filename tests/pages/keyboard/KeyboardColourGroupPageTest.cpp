// The colour group controls of the keyboard page: shown only with the per-key colour effect;
// choosing a group writes it into the settings block and sends it, the two buttons light or
// darken every key of the group on the keyboard.
#include <QComboBox>

#include "pages/keyboard/KeyboardPageRig.h"
#include "ui/NotifyUI.h"

namespace orlo {
namespace {

using testing_support::KeyboardPageRig;
using Bytes = std::vector<uint8_t>;
namespace n = ui::notify;

class KeyboardColourGroupPageTest : public KeyboardPageRig {
 protected:
  void ShowEffect(uint8_t mode) {
    LightInfo e = keyboard_->GetLightEffect();
    e.mode = mode, e.brightness = 4, e.red = 0x10, e.green = 0x20, e.blue = 0x30;
    keyboard_->SetLightEffect(e);
    page_->ShowLighting();
  }
  // LEDs 10 and 11 ("A" and Esc) of group g in the keyboard's light data area.
  Bytes TwoLeds(int group) const {
    const auto area = memory_->Snapshot(sim::Area::LightData);
    return Bytes(area.begin() + group * 512 + 30, area.begin() + group * 512 + 36);
  }
};

TEST_F(KeyboardColourGroupPageTest, AChosenGroupIsWrittenAndTheButtonsFillIt) {
  OpenPage();
  ShowEffect(6);
  EXPECT_TRUE(Find<QWidget>("lightcustom_layout")->isHidden());
  ShowEffect(20);
  EXPECT_FALSE(Find<QWidget>("lightcustom_layout")->isHidden());
  ASSERT_EQ(Find<QComboBox>("light_combo_custommodeSelect")->count(), 8);

  sim_->ClearLog();
  Raise("light_combo_custommodeSelect", n::kItemSelect, 2);
  EXPECT_EQ(sim_->SettingsBlock(0)[25], 2);
  ASSERT_FALSE(Chunks(kCmdWriteLightData).empty());
  EXPECT_EQ(Chunks(kCmdWriteLightData).front(), (std::pair<int, int>{56, 1024}));

  Raise("custom_bright_color_btn", n::kClick);
  EXPECT_EQ(TwoLeds(2), (Bytes{0x0F, 0x1F, 0x2F, 0x0F, 0x1F, 0x2F}));
  EXPECT_EQ(TwoLeds(0), Bytes(6, 0));  // another group untouched
  Raise("custom_off_color_btn", n::kClick);
  EXPECT_EQ(TwoLeds(2), Bytes(6, 0));
}

}  // namespace
}  // namespace orlo
