#include "app/Router.h"

#include <QWidget>

#include "device/model/TessaroUSBDevice.h"
#include "pages/common/DevicePageUI.h"
#include "platform/DebugLog.h"

namespace orlo {

CDevicePageUI* IRouterHost::PageOf(CTessaroUSBDevice* device) {
  return device != nullptr ? dynamic_cast<CDevicePageUI*>(device->Observer()) : nullptr;
}

CRouter::CRouter(IRouterHost& host) : host_(host) { BuildTables(); }

void CRouter::BuildTables() {
  using ui::TNotifyUI;
  namespace n = ui::notify;
  auto caption = [this](IRouterHost::Caption which) {
    return [this, which](TNotifyUI&, long long) { host_.CaptionCommand(which); };
  };
  window_.OnName(n::kClick, "closebtn", caption(IRouterHost::Caption::kClose));
  window_.OnName(n::kClick, "nodevice_ok_btn", caption(IRouterHost::Caption::kNoDeviceOk));
  window_.OnName(n::kClick, "control_light_status", caption(IRouterHost::Caption::kLightControl));
  for (const char* idle : {"gamemodebtn", "cloudbtn", "smarteyesbtn"})
    window_.OnName(n::kClick, idle, [](TNotifyUI&, long long) {});
  window_.OnName(n::kClick, "device_select_prev", [this](TNotifyUI&, long long) { host_.SelectNeighbourTab(false); });
  window_.OnName(n::kClick, "device_select_next", [this](TNotifyUI&, long long) { host_.SelectNeighbourTab(true); });
  for (const char* name : {"device_select", "synchro_device_select"}) {
    window_.OnName(n::kSelectChanged, name, [this](TNotifyUI& msg, long long) {
      if (msg.wParam != 0) host_.OnTabSelected(msg.pSender);
    });
  }
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
  if (window_.Dispatch(msg)) return true;
  if (CTessaroUSBDevice* device = host_.SelectedDevice())
    if (CDevicePageUI* page = host_.PageOf(device)) page->Route(msg, host_);
  return true;
}

std::vector<std::string> CRouter::RouteNames() const {
  std::vector<std::string> names = window_.Names();
  if (CTessaroUSBDevice* device = host_.SelectedDevice())
    if (CDevicePageUI* page = host_.PageOf(device)) {
      const auto own = page->RouteNames();
      names.insert(names.end(), own.begin(), own.end());
    }
  return names;
}

}  // namespace orlo
