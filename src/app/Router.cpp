#include "app/Router.h"


#include <QComboBox>
#include <QLineEdit>
#include <QWidget>
#include <algorithm>
#include <cctype>

#include "app/DeviceLightTarget.h"
#include "device/mouse/TessaroMouseDevice.h"
#include "pages/mouse/MousePageUI.h"
#include "platform/DebugLog.h"

namespace orlo {
namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

bool InStageRange(long long index) { return index >= 0 && index < CMousePageUI::kStages; }

constexpr AssignCode kPrimaryClick{0x10, 1, 0};

}  // namespace

SplitName SplitControlName(std::string_view name) {
  SplitName out;
  const size_t at = name.rfind('_');
  if (at == std::string_view::npos) return out;
  out.split = true;
  out.prefix = std::string(name.substr(0, at + 1));
  std::string_view rest = name.substr(at + 1);
  bool negative = false;
  size_t i = 0;
  if (i < rest.size() && (rest[i] == '+' || rest[i] == '-')) negative = rest[i++] == '-';
  long long value = 0;
  for (; i < rest.size() && rest[i] >= '0' && rest[i] <= '9'; ++i) {
    // Saturate: an absurdly long number must not overflow into a valid-looking index.
    if (value > 1'000'000'000LL) {
      value = 1'000'000'000LL;
      continue;
    }
    value = value * 10 + (rest[i] - '0');
  }
  out.index = negative ? -value : value;
  return out;
}

CDevicePageUI* IRouterHost::PageOf(CTessaroUSBDevice* device) {
  return device != nullptr ? dynamic_cast<CDevicePageUI*>(device->Observer()) : nullptr;
}

CRouter::CRouter(IRouterHost& host) : host_(host) { BuildTables(); }

CTessaroMouseDevice* CRouter::Mouse() { return dynamic_cast<CTessaroMouseDevice*>(host_.SelectedDevice()); }

CMousePageUI* CRouter::MousePage() {
  CTessaroMouseDevice* m = Mouse();
  return m != nullptr ? dynamic_cast<CMousePageUI*>(host_.PageOf(m)) : nullptr;
}

void CRouter::SettingsUpdate(CTessaroUSBDevice* d) {
  if (d == nullptr) return;
  d->NotifyProfileChanged();
  d->ApplySettings(0, 0, 1, host_.ScreenWidth(), host_.ScreenHeight());
}

void CRouter::LightingUpdate(const std::function<void(LightInfo&)>& change) {
  CTessaroUSBDevice* d = host_.SelectedDevice();
  if (d == nullptr) return;
  RunLightingUpdate(*d, change, host_.ScreenWidth(), host_.ScreenHeight());
  if (CMousePageUI* page = MousePage()) page->ShowLighting();
}

void CRouter::OnKeyClick(ui::TNotifyUI& /*msg*/, long long index) {
  CTessaroUSBDevice* d = host_.SelectedDevice();
  if (d == nullptr || d->GetFunctionTab() != 2) return;
  if (auto* m = dynamic_cast<CTessaroMouseDevice*>(d)) {
    const auto& list = m->KeyList();
    if (index < 0 || index >= CMousePageUI::kKeyButtons) return;
    const auto key = static_cast<size_t>(index);
    if (key < list.size() && list[key].Current() == kPrimaryClick) {
      // The primary click must stay on some button: it cannot be reassigned from its only holder.
      bool elsewhere = false;
      for (size_t j = 0; j < list.size(); ++j)
        if (j != key && list[j].Current() == kPrimaryClick) elsewhere = true;
      if (!elsewhere) {
        host_.ShowMessage("message_text_6");
        return;
      }
    }
    m->SelectKey(static_cast<int>(index));
  }
  // Keyboards select keys here too; their page arrives with the keyboard driver.
}

void CRouter::BuildTables() {
  using ui::TNotifyUI;
  auto on = [](const TNotifyUI& msg) { return msg.wParam != 0; };

  // ---- click ---------------------------------------------------------------------------------
  Table& click = tables_[ui::notify::kClick];
  click.whole["closebtn"] = [this](TNotifyUI&, long long) { host_.CaptionCommand(IRouterHost::Caption::kClose); };
  click.whole["nodevice_ok_btn"] = [this](TNotifyUI&, long long) {
    host_.CaptionCommand(IRouterHost::Caption::kNoDeviceOk);
  };
  click.whole["control_light_status"] = [this](TNotifyUI&, long long) {
    host_.CaptionCommand(IRouterHost::Caption::kLightControl);
  };
  for (const char* idle : {"gamemodebtn", "cloudbtn", "smarteyesbtn"})
    click.whole[idle] = [](TNotifyUI&, long long) {};
  click.prefix["key_"] = [this](TNotifyUI& msg, long long i) { OnKeyClick(msg, i); };
  click.prefix["dpi_color_option_"] = [this](TNotifyUI&, long long i) {
    CMousePageUI* page = MousePage();
    if (page == nullptr || !InStageRange(i)) return;
    uint32_t colour = page->GetStageColour(static_cast<int>(i));
    if (!host_.PickColour(colour)) return;
    page->SetStageColour(static_cast<int>(i), colour);
    page->StoreStages();
    SettingsUpdate(Mouse());
  };
  click.whole["default_btn"] = [this](TNotifyUI&, long long) {
    CTessaroUSBDevice* d = host_.SelectedDevice();
    if (d == nullptr || !host_.Confirm("message_text_22")) return;
    d->ReloadProfile();
    d->RewriteKeyAssignments(0);
    d->ApplySettings(0, 0, 1, host_.ScreenWidth(), host_.ScreenHeight());
  };
  click.whole["device_select_prev"] = [this](TNotifyUI&, long long) { host_.SelectNeighbourTab(false); };
  click.whole["device_select_next"] = [this](TNotifyUI&, long long) { host_.SelectNeighbourTab(true); };

  // ---- selectchanged -----------------------------------------------------------------------------
  Table& select = tables_[ui::notify::kSelectChanged];
  select.prefix["dpi_enable_check_"] = [this](TNotifyUI& msg, long long i) {
    CMousePageUI* page = MousePage();
    if (page == nullptr || !InStageRange(i)) return;
    const int s = static_cast<int>(i);
    if (msg.wParam == 0) {
      int enabled = 0;
      for (int k = 0; k < CMousePageUI::kStages; ++k) enabled += k != s && page->IsStageEnabled(k) ? 1 : 0;
      if (enabled == 0 || s == page->SelectedStage()) {
        page->SetStageEnabled(s, true);  // the last or the active stage stays on
        return;
      }
    }
    page->SetStageEnabled(s, msg.wParam != 0);
    page->StoreStages();
    SettingsUpdate(Mouse());
  };
  select.prefix["dpi_select_check_"] = [this, on](TNotifyUI& msg, long long i) {
    CMousePageUI* page = MousePage();
    if (page == nullptr || !InStageRange(i)) return;
    // The active stage's own check cannot be cleared by clicking it again.
    if (!on(msg) || !page->IsStageEnabled(static_cast<int>(i))) {
      page->SelectStage(page->SelectedStage());  // the active stage stays checked
      return;
    }
    page->SelectStage(static_cast<int>(i));
    page->StoreStages();
    SettingsUpdate(Mouse());
  };
  select.prefix["polling_rate_option_"] = [this, on](TNotifyUI& msg, long long i) {
    CMousePageUI* page = MousePage();
    if (page == nullptr || !on(msg)) return;
    const int taken = page->SelectReportRate(i >= 0 && i < CMousePageUI::kRates ? static_cast<int>(i) : 0);
    page->StoreReportRate(taken);
    SettingsUpdate(Mouse());
  };
  select.prefix["mouse_device_seting_option_"] = [this, on](TNotifyUI& msg, long long i) {
    CMousePageUI* page = MousePage();
    if (page == nullptr || !on(msg)) return;
    page->ShowSettingTab(i >= 0 && i < 64 ? static_cast<int>(i) : 0);
  };
  for (const char* name : {"pointer_precision_check", "scrolls_page_check"}) {
    select.whole[name] = [this](TNotifyUI&, long long) {
      CMousePageUI* page = MousePage();
      if (page == nullptr) return;
      page->StoreSystemSettings();
      SettingsUpdate(Mouse());
    };
  }
  for (const char* name : {"device_select", "synchro_device_select"}) {
    select.whole[name] = [this, on](TNotifyUI& msg, long long) {
      if (on(msg)) host_.OnTabSelected(msg.pSender);
    };
  }
  static constexpr const char* kFunctionTabs[] = {"deng_Op_tab",   "key_Op_tab",    "macro_Op_tab",
                                                  "system_Op_tab", "cursor_Op_tab", "6533_voice_Op_tab",
                                                  "magic_Op_tab",  "Virtual7.1_Op_tab"};
  for (int n = 1; n <= 8; ++n) {
    select.whole[Lower(kFunctionTabs[n - 1])] = [this, on, n](TNotifyUI& msg, long long) {
      CTessaroUSBDevice* d = host_.SelectedDevice();
      if (d == nullptr || !on(msg)) return;
      d->ShowFunctionTab(n);
    };
  }
  select.whole["deng_fxl_check"] = [this, on](TNotifyUI& msg, long long) {
    if (on(msg)) LightingUpdate([](LightInfo& e) { e.direction = 1; });
  };
  select.whole["deng_fxr_check"] = [this, on](TNotifyUI& msg, long long) {
    if (on(msg)) LightingUpdate([](LightInfo& e) { e.direction = 0; });
  };
  select.whole["deng_7color_check"] = [this](TNotifyUI& msg, long long) {
    const uint8_t flag = msg.wParam != 0 ? 1 : 0;
    LightingUpdate([flag](LightInfo& e) { e.multiColor = flag; });
  };

  // ---- valuechanged --------------------------------------------------------------------------------
  Table& value = tables_[ui::notify::kValueChanged];
  value.prefix["dpi_slider_"] = [this](TNotifyUI& msg, long long i) {
    CMousePageUI* page = MousePage();
    if (page == nullptr || !InStageRange(i)) return;
    page->SetStagePosition(static_cast<int>(i), static_cast<int>(std::clamp<int64_t>(msg.wParam, 0, 149)));
    page->StoreStages();
    SettingsUpdate(Mouse());
  };
  for (const char* name : {"pointer_speed_slider", "scroll_speed_slider", "double_click_slider"}) {
    value.whole[name] = [this](TNotifyUI&, long long) {
      CMousePageUI* page = MousePage();
      if (page == nullptr) return;
      page->StoreSystemSettings();
      SettingsUpdate(Mouse());
    };
  }
  value.whole["deng_light_slider"] = [this](TNotifyUI& msg, long long) {
    const auto level = static_cast<uint8_t>(std::clamp<int64_t>(msg.wParam, 0, 4));
    LightingUpdate([level](LightInfo& e) { e.brightness = level; });
  };
  value.whole["deng_speed_slider"] = [this](TNotifyUI& msg, long long) {
    const auto speed = static_cast<uint8_t>(std::clamp<int64_t>(msg.wParam, 0, 4));
    LightingUpdate([speed](LightInfo& e) { e.speed = speed; });
  };

  // ---- movevaluechanged: the page only ------------------------------------------------------------
  Table& move = tables_[ui::notify::kMoveValueChanged];
  move.prefix["dpi_slider_"] = [this](TNotifyUI& msg, long long i) {
    CMousePageUI* page = MousePage();
    if (page == nullptr || !InStageRange(i)) return;
    page->ShowStageResolution(static_cast<int>(i), static_cast<int>(std::clamp<int64_t>(msg.wParam, 0, 149)));
  };

  // ---- itemselect -----------------------------------------------------------------------------------
  Table& item = tables_[ui::notify::kItemSelect];
  item.whole["light_combo_modeselect"] = [this](TNotifyUI& msg, long long) {
    int mode = static_cast<int>(msg.wParam);
    // The combo lists only the modes shown; each item carries its mode index.
    if (auto* combo = qobject_cast<QComboBox*>(msg.pSender)) {
      const QVariant data = combo->itemData(static_cast<int>(msg.wParam));
      if (data.isValid()) mode = data.toInt();
    }
    if (mode < 0 || mode > 255) return;
    LightingUpdate([mode](LightInfo& e) { e.mode = static_cast<uint8_t>(mode); });
  };

  // ---- colorchanged ---------------------------------------------------------------------------------
  Table& colour = tables_[ui::notify::kColorChanged];
  colour.whole["deng_color_pallet"] = [this](TNotifyUI& msg, long long) {
    const auto argb = static_cast<uint32_t>(msg.wParam);
    LightingUpdate([argb](LightInfo& e) {
      e.red = static_cast<uint8_t>(argb >> 16);
      e.green = static_cast<uint8_t>(argb >> 8);
      e.blue = static_cast<uint8_t>(argb);
    });
  };

  // ---- killfocus -------------------------------------------------------------------------------------
  Table& focus = tables_[ui::notify::kKillFocus];
  focus.prefix["dpi_edit_"] = [this](TNotifyUI&, long long i) {
    CMousePageUI* page = MousePage();
    if (page == nullptr || !InStageRange(i)) return;
    const int s = static_cast<int>(i);
    page->SetStagePosition(s, page->GetTypedPosition(s));
    page->StoreStages();
    SettingsUpdate(Mouse());
  };
  for (int c = 0; c < 3; ++c) {
    static constexpr const char* kEdits[] = {"deng_edit_r", "deng_edit_g", "deng_edit_b"};
    focus.whole[kEdits[c]] = [this, c](TNotifyUI& msg, long long) {
      auto* edit = qobject_cast<QLineEdit*>(msg.pSender);
      if (edit == nullptr || edit->text().trimmed().isEmpty()) return;
      bool ok = false;
      const int v = edit->text().trimmed().toInt(&ok);
      if (!ok) return;
      const auto component = static_cast<uint8_t>(std::clamp(v, 0, 255));
      LightingUpdate([c, component](LightInfo& e) { (c == 0 ? e.red : c == 1 ? e.green : e.blue) = component; });
    };
  }

  // ---- click_select_end: the marks stay on the picture; nothing is written ----------------------------
  Table& band = tables_[ui::notify::kClickSelectEnd];
  for (const char* name : {"device_key_light", "mouse_device_key_light"})
    band.whole[name] = [](TNotifyUI&, long long) {};
}

bool CRouter::Dispatch(const Table& table, ui::TNotifyUI& msg, bool prefixThenWhole) {
  const SplitName split = SplitControlName(msg.sSenderName);
  bool handled = false;
  if (split.split) {
    if (auto it = table.prefix.find(Lower(split.prefix)); it != table.prefix.end()) {
      it->second(msg, split.index);
      handled = true;
      if (!prefixThenWhole) return true;
    }
  }
  if (auto it = table.exact.find(msg.sSenderName); it != table.exact.end()) {
    it->second(msg, split.index);
    return true;
  }
  if (auto it = table.whole.find(Lower(msg.sSenderName)); it != table.whole.end()) {
    it->second(msg, split.index);
    return true;
  }
  return handled;
}

bool CRouter::Route(ui::TNotifyUI& msg) {
  if (msg.sType != ui::notify::kTimer) DebugPrintf("%s %s", msg.sType.c_str(), msg.sSenderName.c_str());
  if (msg.sType == "click_wpremove" || msg.sType == "click_wpedit") return false;
  if (msg.sType == ui::notify::kClick) {
    // Caption buttons cached at initialisation: by identity, not by name.
    static constexpr std::pair<const char*, IRouterHost::Caption> kCached[] = {
        {"minbtn", IRouterHost::Caption::kMinimize},  {"maxbtn", IRouterHost::Caption::kMaximize},
        {"restorebtn", IRouterHost::Caption::kRestore}, {"skinbtn", IRouterHost::Caption::kSkin},
        {"setbtn", IRouterHost::Caption::kSettings}};
    for (const auto& [name, which] : kCached) {
      if (msg.pSender != nullptr && host_.IsCachedControl(msg.pSender, name)) {
        host_.CaptionCommand(which);
        return true;
      }
    }
  }
  auto it = tables_.find(msg.sType);
  if (it != tables_.end()) Dispatch(it->second, msg, msg.sType == ui::notify::kClick);
  return true;
}

std::vector<std::string> CRouter::RouteNames() const {
  std::vector<std::string> names;
  for (const auto& [type, table] : tables_) {
    for (const auto& [name, h] : table.prefix) names.push_back(type + ":" + name + "*");
    for (const auto& [name, h] : table.whole) names.push_back(type + ":" + name);
    for (const auto& [name, h] : table.exact) names.push_back(type + ":" + name);
  }
  return names;
}

}  // namespace orlo
