// The routes of the keyboard page's controls: each changes the keyboard driver's model and
// commits it (one save and one write per burst of changes), then shows the result. The repeat
// rate and delay live in the profile only: they are saved, nothing is written.
#include "device/keyboard/TessaroKeyboardDevice.h"
#include "pages/keyboard/KeyboardPageUI.h"
#include "pages/macro/MacroControlUI.h"

namespace orlo {

void CKeyboardPageUI::RegisterRoutes(CRouteTable& routes) {
  CDevicePageUI::RegisterRoutes(routes);
  CMacroControlUI::RegisterRoutes(
      routes, [this] { return findChild<CMacroControlUI*>(); }, [this]() -> IPageHost& { return Host(); });
  keySet_.Register(routes);
  using ui::TNotifyUI;
  namespace n = ui::notify;

  routes.OnPrefix(n::kClick, "key_", [this](TNotifyUI&, long long i) { OnKeyClick(i); });

  auto written = [this](TNotifyUI&, long long) {
    if (Keyboard() == nullptr) return;
    StoreSystemSettings();
    Commit();
  };
  auto saved = [this](TNotifyUI&, long long) {
    CTessaroKeyboardDevice* k = Keyboard();
    if (k == nullptr) return;
    StoreSystemSettings();
    k->Session().Submit([k] {
      auto lock = k->ModelLock();
      k->NotifyProfileChanged();
    });
  };
  for (const char* name : {"winlockflag_option", "wflag_option", "6flag_option"})
    routes.OnName(n::kSelectChanged, name, written);
  routes.OnPrefix(n::kSelectChanged, "polling_rate_option_", [this, written](TNotifyUI& msg, long long i) {
    if (msg.wParam == 0) return;
    SelectReportRate(static_cast<int>(i));
    written(msg, i);
  });
  routes.OnName(n::kValueChanged, "repeat_rate_slider", saved);
  routes.OnPrefix(n::kSelectChanged, "repeat_delay_check_", [this, saved](TNotifyUI& msg, long long i) {
    if (msg.wParam == 0) return;
    SelectRepeatDelay(static_cast<int>(i));
    saved(msg, i);
  });
  // Colour groups of the per-key colour effect: the chosen group is stored and written with the
  // settings block, then loaded onto the keys and sent; the two buttons fill the group.
  routes.OnName(n::kItemSelect, "light_combo_custommodeSelect", [this](TNotifyUI& msg, long long) {
    CTessaroKeyboardDevice* k = Keyboard();
    if (k == nullptr) return;
    const int group = static_cast<int>(msg.wParam);
    const int width = Host().ScreenWidth(), height = Host().ScreenHeight();
    k->Session().Submit([k, group, width, height] {
      if (k->SelectCustomGroup(group) != 1) return;
      k->ApplySettings(0, 0, 1, width, height);
      k->LoadCustomGroup();
    });
  });
  for (const bool on : {true, false})
    routes.OnName(n::kClick, on ? "custom_bright_color_btn" : "custom_off_color_btn", [this, on](TNotifyUI&, long long) {
      if (CTessaroKeyboardDevice* k = Keyboard()) k->Session().Submit([k, on] { k->FillCustomGroup(on); });
    });
  // A rubber band over the drawing only marks buttons; nothing is written.
  routes.OnName(n::kClickSelectEnd, "keyboard_device_key_light", [](TNotifyUI&, long long) {});
}

void CKeyboardPageUI::OnKeyClick(long long position) {
  CTessaroKeyboardDevice* k = Keyboard();
  if (k == nullptr || position < 0 || position >= kPositions) return;
  if (k->GetFunctionTab() == 1) {
    // Lighting tab: in the per-key colour effect a click paints the key.
    const int p = static_cast<int>(position);
    k->Session().Submit([k, p] { k->PaintKey(p); });
    return;
  }
  if (k->GetFunctionTab() != 2) return;
  k->SetSelectedKey(static_cast<int>(position));
  SelectKey(static_cast<int>(position));
}

}  // namespace orlo
