// Name splitting and the routing rules: case, prefixes, identity of caption buttons, indices out
// of range and notifications without a selected device.
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QStackedWidget>

#include "pages/mouse/MousePageRig.h"

namespace orlo {
namespace {

using testing_support::MousePageRig;
using testing_support::RoutedWindow;
using ui::TNotifyUI;

TEST(RouterSplitTest, SplitsAtTheLastUnderscore) {
  const SplitName a = SplitControlName("DPI_slider_3");
  EXPECT_TRUE(a.split);
  EXPECT_EQ(a.prefix, "DPI_slider_");
  EXPECT_EQ(a.index, 3);
  const SplitName b = SplitControlName("key_x");  // no digits: index 0
  EXPECT_EQ(b.prefix, "key_");
  EXPECT_EQ(b.index, 0);
  EXPECT_EQ(SplitControlName("key_butt_keysave").prefix, "key_butt_");
  EXPECT_EQ(SplitControlName("light_0_12").index, 12);
  EXPECT_EQ(SplitControlName("x_-2").index, -2);
  EXPECT_EQ(SplitControlName("x_+7abc").index, 7);
  EXPECT_EQ(SplitControlName("trailing_").index, 0);
  EXPECT_FALSE(SplitControlName("closebtn").split);
  // A run of digits far beyond any index saturates instead of wrapping around.
  EXPECT_GT(SplitControlName("key_99999999999999999999999").index, 1000);
}

TEST(RouterHostTest, CaptionButtonsByIdentityAndSwallowedTypes) {
  struct Host : IRouterHost {
    CTessaroUSBDevice* SelectedDevice() override { return nullptr; }
    bool IsCachedControl(const QWidget* sender, std::string_view name) const override {
      return sender == cached && name == "minbtn";
    }
    void CaptionCommand(Caption c) override { captions.push_back(c); }
    QWidget* cached = nullptr;
    std::vector<Caption> captions;
  } host;
  QPushButton cached, impostor;
  host.cached = &cached;
  CRouter router(host);

  TNotifyUI byName{"click", &impostor, "minbtn", 0, 0};
  EXPECT_TRUE(router.Route(byName));
  EXPECT_TRUE(host.captions.empty());  // a control merely named like the cached one
  TNotifyUI byIdentity{"click", &cached, "whatever", 0, 0};
  router.Route(byIdentity);
  ASSERT_EQ(host.captions.size(), 1u);
  EXPECT_EQ(host.captions[0], IRouterHost::Caption::kMinimize);
  TNotifyUI close{"click", &impostor, "CloseBtn", 0, 0};
  router.Route(close);
  EXPECT_EQ(host.captions.back(), IRouterHost::Caption::kClose);

  TNotifyUI removed{"click_wpremove", nullptr, "x", 0, 0};
  EXPECT_FALSE(router.Route(removed));
  // Device routes without a selected device are dropped.
  for (const char* type : {"valuechanged", "killfocus", "selectchanged"}) {
    TNotifyUI m{type, nullptr, "DPI_slider_1", 1, 0};
    EXPECT_TRUE(router.Route(m));
  }
}

class RouterTest : public MousePageRig {};

TEST_F(RouterTest, NamesMatchInAnyCaseAndIndicesOutOfRangeAreDropped) {
  OpenPage();
  sim_->ClearLog();
  TNotifyUI upper{"valuechanged", nullptr, "dpi_SLIDER_3", 20, 0};
  window_->Notify(upper);
  Flush();
  EXPECT_EQ(Find<QSlider>("DPI_slider_3")->value(), 20);
  EXPECT_EQ(CountOf(sim::kCmdBeginConfig), 1u);

  // Stage indices beyond the five stages touch nothing.
  sim_->ClearLog();
  for (const char* name : {"DPI_slider_5", "DPI_slider_-1", "DPI_edit_99", "DPI_select_check_7"}) {
    TNotifyUI m{std::string(name).find("edit") != std::string::npos ? "killfocus"
                : std::string(name).find("select") != std::string::npos ? "selectchanged"
                                                                         : "valuechanged",
                nullptr, name, 1, 0};
    window_->Notify(m);
  }
  Flush();
  EXPECT_EQ(CountOf(sim::kCmdBeginConfig), 0u);

  // Without a selected device nothing is routed.
  window_->selected = nullptr;
  TNotifyUI later{"valuechanged", nullptr, "DPI_slider_3", 90, 0};
  window_->Notify(later);
  Flush();
  EXPECT_EQ(Find<QSlider>("DPI_slider_3")->value(), 20);
  EXPECT_EQ(CountOf(sim::kCmdBeginConfig), 0u);
}

TEST_F(RouterTest, FunctionTabsSwitchThePageLayouts) {
  OpenPage();
  Raise("deng_Op_tab", ui::notify::kSelectChanged, 1);
  EXPECT_EQ(mouse_->GetFunctionTab(), 1);
  EXPECT_EQ(Find<QStackedWidget>("device_key_function_switch")->currentIndex(), 0);
  Raise("system_Op_tab", ui::notify::kSelectChanged, 1);
  EXPECT_EQ(mouse_->GetFunctionTab(), 4);
  EXPECT_EQ(Find<QStackedWidget>("device_key_function_switch")->currentIndex(), 2);
  // An option that was switched off does nothing.
  Raise("deng_Op_tab", ui::notify::kSelectChanged, 0);
  EXPECT_EQ(mouse_->GetFunctionTab(), 4);

  Raise("mouse_device_seting_option_1", ui::notify::kSelectChanged, 1);
  EXPECT_EQ(Find<QStackedWidget>("mouse_device_seting_layout")->currentIndex(), 1);
  Raise("mouse_device_seting_option_8", ui::notify::kSelectChanged, 1);  // beyond the pages
  EXPECT_EQ(Find<QStackedWidget>("mouse_device_seting_layout")->currentIndex(), 0);
}

TEST_F(RouterTest, DefaultButtonReloadsAfterConfirmationOnly) {
  OpenPage();
  Raise("DPI_slider_0", ui::notify::kValueChanged, 60);
  ASSERT_NE(mouse_->Profile().GetDPIStages()[0].dpiX, 400);

  window_->confirm = false;
  Raise("default_btn", ui::notify::kClick);
  EXPECT_NE(mouse_->Profile().GetDPIStages()[0].dpiX, 400);

  window_->confirm = true;
  sim_->ClearLog();
  Raise("default_btn", ui::notify::kClick);
  EXPECT_EQ(window_->messages.back(), "message_text_22");
  EXPECT_EQ(mouse_->Profile().GetDPIStages()[0].dpiX, 400);
  EXPECT_EQ(Find<QLineEdit>("DPI_edit_0")->text(), "400");
  EXPECT_GE(CountOf(sim::kCmdWriteSettings), 1u);
}

TEST_F(RouterTest, StageColourComesFromThePickerAndCancelKeepsIt) {
  OpenPage();
  const uint32_t before = page_->GetStageColour(1);
  Raise("DPI_color_option_1", ui::notify::kClick);  // cancelled
  EXPECT_EQ(page_->GetStageColour(1), before);
  window_->pickedColour = 0xFF123456u;
  Raise("DPI_color_option_1", ui::notify::kClick);
  EXPECT_EQ(page_->GetStageColour(1), 0xFF123456u);
  const auto block = Block(0);
  EXPECT_EQ(block[14 + 9 + 6], 0x12);
  EXPECT_EQ(block[14 + 9 + 8], 0x56);
}

}  // namespace
}  // namespace orlo
