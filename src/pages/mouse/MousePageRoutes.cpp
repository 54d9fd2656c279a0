// The routes of the mouse page's controls: each changes the mouse driver's model and commits it
// (one save and one write per burst of changes), then shows the result.
#include <algorithm>

#include "device/mouse/TessaroMouseDevice.h"
#include "pages/mouse/MousePageUI.h"
#include "pages/macro/MacroControlUI.h"
#include "pages/shoot/ShootControlUI.h"

namespace orlo {

namespace {

bool InStageRange(long long index) { return index >= 0 && index < CMousePageUI::kStages; }

constexpr AssignCode kPrimaryClick{0x10, 1, 0};

int SliderPosition(int64_t value) {
  return static_cast<int>(std::clamp<int64_t>(value, 0, CDpiScale::kMaxPosition));
}

}  // namespace

void CMousePageUI::RegisterRoutes(CRouteTable& routes) {
  CDevicePageUI::RegisterRoutes(routes);
  CMacroControlUI::RegisterRoutes(
      routes, [this] { return findChild<CMacroControlUI*>(); }, [this]() -> IPageHost& { return Host(); });
  keySet_.Register(routes);
  using ui::TNotifyUI;
  namespace n = ui::notify;

  routes.OnPrefix(n::kClick, "key_", [this](TNotifyUI&, long long i) { OnKeyClick(i); });
  if (auto* shoot = findChild<CShootControlUI*>(QLatin1String(CShootControlUI::kItemName)))
    shoot->RegisterRoutes(routes, [this] { return Mouse(); }, [this]() -> IPageHost& { return Host(); });
  routes.OnPrefix(n::kClick, "dpi_color_option_", [this](TNotifyUI&, long long i) {
    if (InStageRange(i)) OnStageColourClicked(static_cast<int>(i));
  });

  routes.OnPrefix(n::kSelectChanged, "dpi_enable_check_", [this](TNotifyUI& msg, long long i) {
    if (InStageRange(i)) OnStageEnableChanged(static_cast<int>(i), msg.wParam != 0);
  });
  routes.OnPrefix(n::kSelectChanged, "dpi_select_check_", [this](TNotifyUI& msg, long long i) {
    if (InStageRange(i)) OnStageSelected(static_cast<int>(i), msg.wParam != 0);
  });
  routes.OnPrefix(n::kSelectChanged, "polling_rate_option_", [this](TNotifyUI& msg, long long i) {
    CTessaroMouseDevice* m = Mouse();
    if (m == nullptr || msg.wParam == 0) return;
    m->SetReportRate(SelectReportRate(i >= 0 && i < kRates ? static_cast<int>(i) : 0));
    Commit();
  });
  routes.OnPrefix(n::kSelectChanged, "mouse_device_seting_option_", [this](TNotifyUI& msg, long long i) {
    if (msg.wParam != 0) ShowSettingTab(i >= 0 && i < 64 ? static_cast<int>(i) : 0);
  });
  auto systemChanged = [this](TNotifyUI&, long long) {
    if (Mouse() == nullptr) return;
    StoreSystemSettings();
    Commit();
  };
  for (const char* name : {"pointer_precision_check", "scrolls_page_check"})
    routes.OnName(n::kSelectChanged, name, systemChanged);
  for (const char* name : {"pointer_speed_slider", "scroll_speed_slider", "double_click_slider"})
    routes.OnName(n::kValueChanged, name, systemChanged);

  routes.OnPrefix(n::kValueChanged, "dpi_slider_", [this](TNotifyUI& msg, long long i) {
    if (InStageRange(i)) OnStagePositionChanged(static_cast<int>(i), SliderPosition(msg.wParam));
  });
  // While dragging only the edit follows; the value itself comes with "valuechanged".
  routes.OnPrefix(n::kMoveValueChanged, "dpi_slider_", [this](TNotifyUI& msg, long long i) {
    if (InStageRange(i)) ShowStageResolution(static_cast<int>(i), SliderPosition(msg.wParam));
  });
  routes.OnPrefix(n::kKillFocus, "dpi_edit_", [this](TNotifyUI&, long long i) {
    if (InStageRange(i)) OnStagePositionChanged(static_cast<int>(i), GetTypedPosition(static_cast<int>(i)));
  });

  // A rubber band over the picture only marks buttons; nothing is written.
  for (const char* name : {"device_key_light", "mouse_device_key_light"})
    routes.OnName(n::kClickSelectEnd, name, [](TNotifyUI&, long long) {});
}

void CMousePageUI::OnKeyClick(long long index) {
  CTessaroMouseDevice* m = Mouse();
  if (m == nullptr || m->GetFunctionTab() != 2 || index < 0 || index >= kKeyButtons) return;
  const auto key = static_cast<size_t>(index);
  {
    auto lock = m->ModelLock();
    const auto& list = m->KeyList();
    if (key < list.size() && list[key].Current() == kPrimaryClick) {
      // The primary click must stay on some button: it cannot be reassigned from its only holder.
      bool elsewhere = false;
      for (size_t j = 0; j < list.size(); ++j)
        if (j != key && list[j].Current() == kPrimaryClick) elsewhere = true;
      if (!elsewhere) {
        lock.unlock();
        Host().ShowMessage("message_text_6");
        return;
      }
    }
  }
  m->SetSelectedKey(static_cast<int>(index));
  SelectKey(static_cast<int>(index));
}

void CMousePageUI::OnStageEnableChanged(int s, bool on) {
  CTessaroMouseDevice* m = Mouse();
  if (m == nullptr) return;
  if (!on) {
    int enabled = 0;
    for (int k = 0; k < kStages; ++k) enabled += k != s && IsStageEnabled(k) ? 1 : 0;
    if (enabled == 0 || s == SelectedStage()) {
      SetStageEnabled(s, true);  // the last or the active stage stays on
      return;
    }
  }
  SetStageEnabled(s, on);
  m->SetStageEnabled(s, on);
  Commit();
}

void CMousePageUI::OnStageSelected(int s, bool on) {
  CTessaroMouseDevice* m = Mouse();
  if (m == nullptr) return;
  // The active stage's own check cannot be cleared by clicking it again.
  if (!on || !IsStageEnabled(s)) {
    SelectStage(SelectedStage());
    return;
  }
  SelectStage(s);
  Commit();
}

void CMousePageUI::OnStagePositionChanged(int s, int position) {
  CTessaroMouseDevice* m = Mouse();
  if (m == nullptr) return;
  SetStagePosition(s, position);
  m->SetStageResolution(s, Scale().ResolutionAt(GetStagePosition(s)));
  Commit();
}

void CMousePageUI::OnStageColourClicked(int s) {
  CTessaroMouseDevice* m = Mouse();
  if (m == nullptr) return;
  uint32_t colour = GetStageColour(s);
  if (!Host().PickColour(colour)) return;
  SetStageColour(s, colour);
  m->SetStageColour(s, static_cast<uint8_t>(colour >> 16), static_cast<uint8_t>(colour >> 8),
                    static_cast<uint8_t>(colour));
  Commit();
}

}  // namespace orlo
