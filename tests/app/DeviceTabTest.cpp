// The device tab and the power indicator as built from their layouts.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QProgressBar>
#include <QStackedWidget>
#include <array>
#include <memory>
#include <vector>

#include "app/DeviceManager.h"
#include "app/DeviceOptionUI.h"
#include "app/MpDevicePowerUI.h"
#include "device/link/Catalogue.h"
#include "ui/DialogBuilder.h"
#include "ui/ResourceManager.h"

namespace orlo {
namespace {

class DeviceTabTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ui::CResourceManager::GetInstance().SetResourcePath(std::string(ORLO_SOURCE_DIR "/skin/"));
    CDeviceManager::RegisterControls();
  }
  template <class T>
  std::unique_ptr<T> Build(const char* file) {
    ui::CDialogBuilder builder;
    QWidget* w = builder.Create(file);
    EXPECT_NE(w, nullptr) << builder.LastError();
    auto* typed = qobject_cast<T*>(w);
    if (!typed) delete w;
    return std::unique_ptr<T>(typed);
  }
  std::unique_ptr<CMpDevicePowerUI> Power(int kind) {
    auto p = Build<CMpDevicePowerUI>("XML\\CustomControlXML\\MpDevicePower.xml");
    if (p) p->SetKind(kind, 0);
    return p;
  }
  static QWidget* Child(QWidget* root, const char* name) { return root->findChild<QWidget*>(name); }
};

TEST_F(DeviceTabTest, PowerChargingOnReceiverShowsWirelessImageWithoutBar) {
  auto power = Power(kKindMouse);
  ASSERT_TRUE(power);
  // Nothing is shown before the first state arrives.
  EXPECT_TRUE(Child(power.get(), "device_power_Layout")->isHidden());
  const uint8_t state[6] = {85, 1, 0, 1, 0, 0};
  power->Update(state, 6);
  EXPECT_EQ(qobject_cast<QLabel*>(Child(power.get(), "device_power_value"))->text(), "85%");
  auto* bar = qobject_cast<QProgressBar*>(Child(power.get(), "device_Power_progress"));
  EXPECT_TRUE(bar->isHidden());
  EXPECT_EQ(bar->value(), 15);
  EXPECT_EQ(CMpDevicePowerUI::ImageOf(Child(power.get(), "device_power_status")), "file='power/wuxian_powering.png'");
  EXPECT_FALSE(Child(power.get(), "device_wuxian_logo")->isHidden());
  EXPECT_FALSE(Child(power.get(), "device_power_Layout")->isHidden());

  // The same mouse charging on its cable: bar back, cable charging image, no wireless logo.
  const uint8_t wired[6] = {85, 1, 0, 0, 0, 0};
  power->Update(wired, 6);
  EXPECT_FALSE(bar->isHidden());
  EXPECT_EQ(CMpDevicePowerUI::ImageOf(Child(power.get(), "device_power_status")), "file='power/powering.png'");
  EXPECT_TRUE(Child(power.get(), "device_wuxian_logo")->isHidden());

  const uint8_t full[6] = {100, 2, 0, 0, 0, 0};
  power->Update(full, 6);
  EXPECT_EQ(CMpDevicePowerUI::ImageOf(Child(power.get(), "device_power_status")), "file='power/power.png'");
  EXPECT_EQ(bar->value(), 0);
  const uint8_t discharging[6] = {40, 0, 0, 1, 0, 0};
  power->Update(discharging, 6);
  EXPECT_EQ(CMpDevicePowerUI::ImageOf(Child(power.get(), "device_power_status")), "file='power/powered.png'");
  EXPECT_EQ(bar->value(), 60);
}

TEST_F(DeviceTabTest, MousepadPhoneImagesAndOddStateLengths) {
  auto pad = Power(kKindMousePad);
  ASSERT_TRUE(pad);
  QWidget* phone = Child(pad.get(), "device_phone_type");
  const std::array<std::pair<uint8_t, const char*>, 5> cases = {{
      {1, "file='power/Phone_type_iphone.png'"},
      {2, "file='power/Phone_type_samsung.png'"},
      {3, "file='power/Phone_type_other.png'"},
      {7, "file='power/Phone_type_no_device.png'"},
      {0, "file='power/Phone_type_no_device.png'"},
  }};
  for (const auto& [byte5, image] : cases) {
    const uint8_t state[6] = {50, 0, 0, 0, 0, byte5};
    pad->Update(state, 6);
    EXPECT_EQ(CMpDevicePowerUI::ImageOf(phone), image) << int(byte5);
  }
  // A mouse has no phone area: the control stays untouched.
  auto mouse = Power(kKindMouse);
  const uint8_t withPhone[6] = {50, 0, 0, 0, 0, 1};
  mouse->Update(withPhone, 6);
  EXPECT_EQ(CMpDevicePowerUI::ImageOf(Child(mouse.get(), "device_phone_type")), "");

  // Short states read as zero-padded; an over-long one is cut, never read past 64 bytes.
  const uint8_t shortState[1] = {33};
  pad->Update(shortState, 1);
  EXPECT_EQ(qobject_cast<QLabel*>(Child(pad.get(), "device_power_value"))->text(), "33%");
  EXPECT_EQ(CMpDevicePowerUI::ImageOf(phone), "file='power/Phone_type_no_device.png'");
  std::vector<uint8_t> longState(200, 3);
  longState[0] = 77;
  longState[1] = 0;
  pad->Update(longState.data(), static_cast<int>(longState.size()));
  EXPECT_EQ(CMpDevicePowerUI::ImageOf(phone), "file='power/Phone_type_other.png'");
  pad->Update(nullptr, -5);
  EXPECT_EQ(qobject_cast<QLabel*>(Child(pad.get(), "device_power_value"))->text(), "0%");
}

TEST_F(DeviceTabTest, TabIconsSynchroImagesAndPageBinding) {
  QWidget host;
  auto* stack = new QStackedWidget(&host);
  stack->setObjectName("device_switch");
  stack->addWidget(new QWidget);
  stack->addWidget(new QWidget);
  auto tab = Build<CDeviceOptionUI>("XML\\CustomControlXML\\DeviceOption.xml");
  ASSERT_TRUE(tab);
  tab->setParent(&host);
  ASSERT_NE(tab->SelectButton(), nullptr);
  EXPECT_TRUE(tab->isHidden());

  tab->SetIcon(kKindMouseReceiver, 0);
  EXPECT_EQ(tab->NormalImage(), "common/device_ico/ms_device_normal.png");
  EXPECT_EQ(tab->SelectButton()->property("selectedimage").toString(), "common/device_ico/ms_device_selected.png");
  tab->SetSynchro(true);
  EXPECT_TRUE(tab->IsSynchro());
  EXPECT_EQ(tab->SelectButton()->property("normalimage").toString(), "common/device_ico/ms_device_synchro_normal.png");
  tab->SetSynchro(false);
  EXPECT_EQ(tab->SelectButton()->property("normalimage").toString(), "common/device_ico/ms_device_normal.png");
  // A mousepad variant without drawings keeps the set the tab had.
  tab->SetIcon(kKindMousePad, 4);
  EXPECT_EQ(tab->IconKind(), kKindMouseReceiver);
  EXPECT_EQ(tab->NormalImage(), "common/device_ico/ms_device_normal.png");

  tab->BindPage("device_switch", 1);
  EXPECT_EQ(tab->BoundLayoutName(), "device_switch");
  EXPECT_EQ(tab->BoundIndex(), 1);
  tab->SelectButton()->click();
  EXPECT_TRUE(tab->IsSelected());
  EXPECT_EQ(stack->currentIndex(), 1);

  tab->SetPowerPage("device_power_switch", -1);
  EXPECT_EQ(tab->PowerIndex(), -1);
  tab->SetPowerPage("device_power_switch", 3);
  tab->SetPowerPage("device_power_switch", -1);
  EXPECT_EQ(tab->PowerIndex(), 3);

  // Without a device the timers do nothing; a timer that is not the tab's is left to the window.
  tab->StartContact();
  EXPECT_TRUE(tab->TimerArmed(CDeviceOptionUI::kTimerFirstContact));
  EXPECT_TRUE(tab->OnControlTimer(CDeviceOptionUI::kTimerFirstContact));
  EXPECT_FALSE(tab->TimerArmed(CDeviceOptionUI::kTimerFirstContact));
  EXPECT_FALSE(tab->OnControlTimer(1011));
}

}  // namespace
}  // namespace orlo
