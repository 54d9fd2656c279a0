// The mouse's shoot page against the simulated mouse: a bullet edited on the page lands in its
// gun file and, saved to the mouse, in the shooting block, sent in 56-byte reports whether the
// mouse is on its cable or behind its receiver; guns exported, reset and imported.
#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QStackedWidget>
#include <filesystem>
#include <fstream>

#include "pages/profile/ProfilePageRig.h"
#include "pages/shoot/ShootControlUI.h"
#include "profile/JsonFile.h"
#include "sim/SimProtocol.h"
#include "ui/LanguageStore.h"

namespace orlo {
namespace {

using testing_support::ProfilePageRig;
using ui::notify::kClick;
using ui::notify::kKillFocus;
using ui::notify::kSelectChanged;

class ShootPageTest : public ProfilePageRig, public ::testing::WithParamInterface<bool> {
 protected:
  CShootControlUI* Shoot() { return Find<CShootControlUI>(CShootControlUI::kItemName); }
  Json::Value Gun(int gun) { return CJsonFile().ReadDocument(DeviceFolder() + "ShootData_" + std::to_string(gun) + ".Shoot"); }
  static Json::Value Event(const char* action, int button, int delay, int type) {
    Json::Value e;
    e["Action"] = action, e["Button"] = button, e["Delay"] = delay, e["Type"] = type;
    return e;
  }
  // Gun 2, bullet 30: 12 px left, 7 px down, 150 ms; typed into the page's editors.
  void EditLastBulletOfGun2() {
    Raise("shoot_gun_op_2", kSelectChanged, 1);
    Raise("bullet_op_29", kSelectChanged, 1);
    Find<QLineEdit>("bullet_x_eidt")->setText("12");
    Find<QLineEdit>("bullet_y_eidt")->setText("7");
    Find<QLineEdit>("bullet_delay_eidt")->setText("150");
    Raise("bullet_delay_eidt", kKillFocus);
    Find<QAbstractButton>("bullet_x_check")->setChecked(true);  // raises "selectchanged"
    Settle();
  }
};

TEST_P(ShootPageTest, EditedPatternReachesTheMouseInChunksOf56) {
  ui::CLanguageStore::GetInstance().LoadLanguage("lan_en.xml");
  OpenProfilePage(GetParam());
  ASSERT_NE(Shoot(), nullptr);
  // Set-up gave every gun the default pattern and selected gun 0, bullet 1.
  for (int g = 0; g < 4; ++g) EXPECT_EQ(Gun(g)["Events"].size(), 180u) << g;
  EXPECT_EQ(Find<QLabel>("bullet_select_index")->text(), "1");

  EditLastBulletOfGun2();
  EXPECT_EQ(Find<QStackedWidget>("shoot_image_display_switch")->currentIndex(), 2);
  EXPECT_EQ(Find<QLabel>("bullet_select_index")->text(), "30");
  EXPECT_EQ(Find<QAbstractButton>("bullet_x_check")->text(), "Move left");
  const Json::Value events = Gun(2)["Events"];
  ASSERT_EQ(events.size(), 180u);
  EXPECT_EQ(events[174], Event("down", 1, 10, 1));
  EXPECT_EQ(events[175], Event("up", 1, 0, 1));
  EXPECT_EQ(events[176], Event("down", 12, 5, 4));
  EXPECT_EQ(events[177], Event("up", 7, 150, 5));
  EXPECT_EQ(events[178], Event("down", 0, 0, 4));
  EXPECT_EQ(events[179], Event("up", 0, 0, 5));

  sim_->ClearLog();
  Raise("shootdate_save_btn", kClick);
  // Four guns of 180 events: 16 + 4 × 2 + 4 × (4 + 720) = 2920 bytes.
  const auto block = memory_->Snapshot(sim::Area::Shoot);
  ASSERT_GE(block.size(), 2920u);
  EXPECT_EQ(std::vector<uint8_t>(block.begin(), block.begin() + 6), (std::vector<uint8_t>{0xAA, 0x55, 0x68, 0x0B, 4, 0}));
  EXPECT_EQ(std::vector<uint8_t>(block.begin() + 16, block.begin() + 24),
            (std::vector<uint8_t>{24, 0, 0xEC, 0x02, 0xC0, 0x05, 0x94, 0x08}));  // 24, 748, 1472, 2196
  EXPECT_EQ(std::vector<uint8_t>(block.begin() + 1472, block.begin() + 1476), (std::vector<uint8_t>{180, 0, 0, 0}));
  // Gun 2's bullet 30 from event 174: 1472 + 4 + 174 × 4.
  EXPECT_EQ(std::vector<uint8_t>(block.begin() + 2172, block.begin() + 2196),
            (std::vector<uint8_t>{10, 0, 0x81, 1, 0, 0, 0x01, 1, 5, 0, 0x84, 12,
                                  150, 0, 0x05, 7, 0, 0, 0x84, 0, 0, 0, 0x05, 0}));
  // 52 reports of 56 bytes and one of 8, at offsets 0, 56, 112 ...
  std::vector<std::pair<int, int>> chunks;
  for (const auto& r : sim_->Log())
    if (r.code == sim::kCmdWriteShoot) chunks.emplace_back(r.length, r.offset);
  ASSERT_EQ(chunks.size(), 53u);
  for (int i = 0; i < 52; ++i) EXPECT_EQ(chunks[i], (std::pair<int, int>{56, 56 * i})) << i;
  EXPECT_EQ(chunks[52], (std::pair<int, int>{8, 2912}));
  EXPECT_TRUE(Window().messages.empty());
}

INSTANTIATE_TEST_SUITE_P(WiredAndReceiver, ShootPageTest, ::testing::Values(false, true));

class ShootFilesTest : public ShootPageTest {};

TEST_F(ShootFilesTest, ExportResetImportAndStepping) {
  OpenProfilePage();
  EditLastBulletOfGun2();
  const std::string exported = (root_ / "gun2.shoot").string();
  Window().savePath = exported;
  Raise("shootdate_export_btn", kClick);
  EXPECT_EQ(Window().filters, (std::vector<std::string>{"Shoot Files(*.shoot)"}));
  EXPECT_EQ(CJsonFile().ReadDocument(exported), Gun(2));

  Raise("shootdate_reset_btn", kClick);
  const Json::Value defaults = CJsonFile().ReadDocument(std::string(ORLO_SOURCE_DIR) + "/DefaultData/ShootData_2.Shoot");
  EXPECT_EQ(Gun(2), defaults);
  EXPECT_EQ(Find<QLineEdit>("bullet_x_eidt")->text().toInt(), defaults["Events"][176]["Button"].asInt());

  Window().openPath = exported;
  Raise("shootdate_import_btn", kClick);
  EXPECT_EQ(Gun(2)["Events"][176], Event("down", 12, 5, 4));
  EXPECT_EQ(Find<QLineEdit>("bullet_x_eidt")->text(), "12");

  // A file that is no pattern is refused and the gun kept.
  std::filesystem::path junk = root_ / "junk.shoot";
  { std::ofstream(junk) << "{\"Events\": 3}"; }
  Window().openPath = junk.string();
  Raise("shootdate_import_btn", kClick);
  EXPECT_EQ(Window().messages, (std::vector<std::string>{"shoot_import_invalid_text"}));
  EXPECT_EQ(Gun(2)["Events"][176], Event("down", 12, 5, 4));

  // The ends do not wrap; typed text that is no number is kept as 0, numbers clamped.
  Raise("bullet_selected_next", kClick);
  EXPECT_EQ(Shoot()->CurrentBullet(), 29);
  Raise("bullet_op_0", kSelectChanged, 1);
  Raise("bullet_selected_prev", kClick);
  EXPECT_EQ(Shoot()->CurrentBullet(), 0);
  Find<QLineEdit>("bullet_y_eidt")->setText("abc");
  Find<QLineEdit>("bullet_x_eidt")->setText("999");
  Raise("bullet_y_eidt", kKillFocus);
  EXPECT_EQ(Gun(2)["Events"][3]["Button"].asInt(), 0);
  EXPECT_EQ(Gun(2)["Events"][2]["Button"].asInt(), 255);
  EXPECT_EQ(Find<QLineEdit>("bullet_x_eidt")->text(), "255");
}

}  // namespace
}  // namespace orlo
