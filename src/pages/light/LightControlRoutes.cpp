#include "pages/light/LightControlRoutes.h"

#include <algorithm>
#include <string>

#include "base/DeviceKinds.h"
#include "device/model/TessaroUSBDevice.h"
#include "pages/common/DevicePageUI.h"

namespace orlo {

namespace {

uint8_t Red(uint32_t argb) { return static_cast<uint8_t>(argb >> 16); }
uint8_t Green(uint32_t argb) { return static_cast<uint8_t>(argb >> 8); }
uint8_t Blue(uint32_t argb) { return static_cast<uint8_t>(argb); }

// A colour component typed into an edit: digits only, above 255 taken as 255, empty as 0.
uint8_t ComponentOf(const std::string& text) {
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    value = std::min(value * 10 + (c - '0'), 1000L);
  }
  return static_cast<uint8_t>(std::min(value, 255L));
}

// The music record's edited colour: the foreground colour when the colour-type flag is set.
void SetEditedColour(AudioLightInfo& r, uint32_t argb) {
  if (r.colorTypeFlag != 0) {
    r.fgRed = Red(argb), r.fgGreen = Green(argb), r.fgBlue = Blue(argb);
  } else {
    r.bkRed = Red(argb), r.bkGreen = Green(argb), r.bkBlue = Blue(argb);
  }
}

}  // namespace

CLightControlRoutes::CLightControlRoutes(CDevicePageUI& page, HostFn host) : page_(page), host_(std::move(host)) {}

CTessaroUSBDevice* CLightControlRoutes::Device() const { return page_.Device(); }

bool CLightControlRoutes::Bind() {
  if (panel_) return true;
  auto* panel = page_.findChild<CLightControlUI*>(QLatin1String(CLightControlUI::kItemName));
  if (panel == nullptr || !panel->FindControls()) return false;
  panel_ = panel;
  if (CTessaroUSBDevice* d = Device()) panel->SetKind(d->Family());
  panel->SetSyncAllowed(syncAllowed_);
  return true;
}

void CLightControlRoutes::SetSyncAllowed(bool allowed) {
  syncAllowed_ = allowed;
  if (panel_) panel_->SetSyncAllowed(allowed);
}

void CLightControlRoutes::ShowLighting() {
  CTessaroUSBDevice* d = Device();
  if (!panel_ || d == nullptr) return;
  const LightInfo e = d->GetLightEffect();
  panel_->ShowEffect(e);
  panel_->SelectCustomMode(e.customGroup);
  if (d->Family() == kKindKeyboard) {
    AudioLightInfo music;
    {
      auto lock = d->ModelLock();
      music = AudioLightFromBytes(d->GetAudioLightSettings());
    }
    panel_->SetAudioLightInfo(music);
  }
}

void CLightControlRoutes::ShowCatalogues(const std::vector<BuiltInLightEntry>& builtIns,
                                         const std::vector<CustomLightEntry>& customs, int firstCustom) {
  if (!panel_) return;
  std::vector<std::string> names;
  std::vector<bool> visible;
  // Mode m is item m: built-ins up to the first custom number, gaps hidden, then the customs.
  const size_t builtInEnd = firstCustom > 0 ? std::min(builtIns.size(), static_cast<size_t>(firstCustom)) : builtIns.size();
  for (size_t i = 0; i < builtInEnd; ++i) {
    names.push_back(builtIns[i].name);
    visible.push_back(builtIns[i].visible);
  }
  for (size_t i = 0; i < customs.size(); ++i) {
    const size_t mode = static_cast<size_t>(std::max(firstCustom, 0)) + i;
    if (mode < names.size() || mode > 255) continue;  // a built-in has that number
    names.resize(mode, std::string());
    visible.resize(mode, false);
    names.push_back(customs[i].name);
    visible.push_back(true);
  }
  panel_->FillModeList(names, visible, 4, 4);
  panel_->RefreshTexts();
  page_.ShowLighting();
}

void CLightControlRoutes::Change(const std::function<void(LightInfo&)>& change) {
  CTessaroUSBDevice* d = Device();
  if (d == nullptr) return;
  d->ChangeLighting(change);
  IPageHost& host = host_();
  d->SetScreenSize(host.ScreenWidth(), host.ScreenHeight());
  d->RequestCommit();
  page_.ShowLighting();
}

void CLightControlRoutes::SetColour(uint32_t argb) {
  Change([argb](LightInfo& e) {
    e.red = Red(argb);
    e.green = Green(argb);
    e.blue = Blue(argb);
  });
}

void CLightControlRoutes::ChangeMusic(bool readColour, const std::function<void(AudioLightInfo&)>& change) {
  CTessaroUSBDevice* d = Device();
  if (!panel_ || d == nullptr) return;
  std::optional<AudioLightInfo> record = panel_->GetAudioLightInfo(readColour);
  if (!record) return;  // the page has no music controls (written to the debug output)
  change(*record);
  const std::array<uint8_t, 9> bytes = AudioLightBytes(*record);
  auto word = [&bytes](int at) {
    return uint32_t{bytes[at]} | uint32_t{bytes[at + 1]} << 8 | uint32_t{bytes[at + 2]} << 16 |
           uint32_t{bytes[at + 3]} << 24;
  };
  {
    auto lock = d->ModelLock();
    d->SetAudioLightSettings(word(0), word(4), bytes[8]);
    d->LoadProfileIntoState();
  }
  d->Session().Submit([d] {
    auto lock = d->ModelLock();
    d->NotifyProfileChanged();
  });
  panel_->SetAudioLightInfo(*record);
}

void CLightControlRoutes::Register(CRouteTable& routes) {
  using ui::TNotifyUI;
  namespace n = ui::notify;
  auto panel = [this] { return panel_.data(); };

  // ---- the effect ------------------------------------------------------------------------------
  routes.OnName(n::kItemSelect, "light_combo_modeSelect", [this](TNotifyUI& msg, long long) {
    const long long mode = msg.wParam;
    if (mode < 0 || mode > 255) return;
    Change([mode](LightInfo& e) { e.mode = static_cast<uint8_t>(mode); });
  });
  routes.OnName(n::kItemSelect, "light_combo_ZZCCmodeSelect", [this](TNotifyUI& msg, long long) {
    CTessaroUSBDevice* d = Device();
    if (d == nullptr || d->Family() != kKindKeyboard || msg.wParam < 0 || msg.wParam > 255) return;
    const auto second = static_cast<uint8_t>(msg.wParam);
    Change([second](LightInfo& e) { e.secondMode = second; });
  });
  routes.OnName(n::kValueChanged, "deng_light_slider", [this, panel](TNotifyUI&, long long) {
    if (!panel()) return;
    const auto level = static_cast<uint8_t>(std::clamp(panel()->GetBrightness(), 0, 4));
    Change([level](LightInfo& e) { e.brightness = level; });
  });
  routes.OnName(n::kValueChanged, "deng_speed_slider", [this, panel](TNotifyUI&, long long) {
    if (!panel()) return;
    const auto speed = static_cast<uint8_t>(std::clamp(panel()->GetSpeed(), 0, 4));
    Change([speed](LightInfo& e) { e.speed = speed; });
  });
  routes.OnName(n::kSelectChanged, "deng_FXL_check", [this](TNotifyUI& msg, long long) {
    if (msg.wParam != 0) Change([](LightInfo& e) { e.direction = 1; });
  });
  routes.OnName(n::kSelectChanged, "deng_FXR_check", [this](TNotifyUI& msg, long long) {
    if (msg.wParam != 0) Change([](LightInfo& e) { e.direction = 0; });
  });
  routes.OnName(n::kSelectChanged, "deng_7color_check", [this](TNotifyUI& msg, long long) {
    const uint8_t flag = msg.wParam != 0 ? 1 : 0;
    Change([flag](LightInfo& e) { e.multiColor = flag; });
  });

  // ---- the colour ------------------------------------------------------------------------------
  routes.OnName(n::kColorChanged, "deng_Color_Pallet",
                [this](TNotifyUI& msg, long long) { SetColour(static_cast<uint32_t>(msg.wParam)); });
  routes.OnPrefix(n::kClick, "color_option_", [this, panel](TNotifyUI&, long long i) {
    if (!panel()) return;
    if (const uint32_t argb = panel()->GetPresetColour(static_cast<int>(i)); argb != 0) SetColour(argb);
  });
  routes.OnName(n::kClick, "deng_colordp_btn", [this, panel](TNotifyUI&, long long) {
    if (!panel() || Device() == nullptr) return;
    uint32_t argb = panel()->GetColourButton();
    if (host_().PickColour(argb)) SetColour(argb);
  });
  static constexpr const char* kEdits[] = {"deng_edit_R", "deng_edit_G", "deng_edit_B"};
  for (int c = 0; c < 3; ++c) {
    routes.OnName(n::kKillFocus, kEdits[c], [this, panel, c](TNotifyUI&, long long) {
      if (!panel()) return;
      const std::string text = c == 0 ? panel()->GetRedText() : c == 1 ? panel()->GetGreenText() : panel()->GetBlueText();
      if (text.empty()) return;
      const uint8_t v = ComponentOf(text);
      Change([c, v](LightInfo& e) { (c == 0 ? e.red : c == 1 ? e.green : e.blue) = v; });
    });
  }

  // ---- window actions --------------------------------------------------------------------------
  routes.OnName(n::kClick, "deng_same_mode", [this](TNotifyUI&, long long) { host_().SyncLighting(); });
  routes.OnName(n::kClick, "music_setting_btn", [this](TNotifyUI&, long long) { host_().OpenMusicWindow(); });

  // ---- the music lighting record -------------------------------------------------------------------
  auto unchanged = [](AudioLightInfo&) {};
  routes.OnName(n::kItemSelect, "light_combo_audiomodeSelect",
                [this, unchanged](TNotifyUI&, long long) { ChangeMusic(true, unchanged); });
  routes.OnName(n::kSelectChanged, "deng_7audiocolor_check",
                [this, unchanged](TNotifyUI&, long long) { ChangeMusic(true, unchanged); });
  for (const char* name : {"audio_BkColor_check", "audio_FgColor_check"})
    routes.OnName(n::kSelectChanged, name, [this, unchanged](TNotifyUI& msg, long long) {
      if (msg.wParam != 0) ChangeMusic(false, unchanged);
    });
  routes.OnName(n::kColorChanged, "deng_audioColor_Pallet", [this, panel](TNotifyUI&, long long) {
    if (!panel()) return;
    const uint32_t argb = panel()->GetAudioPaletteColour();
    ChangeMusic(true, [argb](AudioLightInfo& r) { SetEditedColour(r, argb); });
  });
  routes.OnPrefix(n::kClick, "audiocolor_option_", [this, panel](TNotifyUI&, long long i) {
    if (!panel()) return;
    const uint32_t argb = panel()->GetAudioPresetColour(static_cast<int>(i));
    if (argb == 0) return;  // no such preset
    ChangeMusic(true, [argb](AudioLightInfo& r) {
      SetEditedColour(r, argb);
      if (r.colorTypeFlag != 0) r.sevenColorFlag = 0;
    });
  });
  static constexpr const char* kAudioEdits[] = {"deng_audioedit_R", "deng_audioedit_G", "deng_audioedit_B"};
  for (int c = 0; c < 3; ++c) {
    routes.OnName(n::kKillFocus, kAudioEdits[c], [this, panel, c](TNotifyUI&, long long) {
      if (!panel()) return;
      const std::optional<std::string> text = panel()->GetLightAudioColor(c);
      if (!text) return;
      const uint8_t v = ComponentOf(*text);
      ChangeMusic(false, [c, v](AudioLightInfo& r) {
        const bool fg = r.colorTypeFlag != 0;
        uint8_t* colour[] = {fg ? &r.fgRed : &r.bkRed, fg ? &r.fgGreen : &r.bkGreen, fg ? &r.fgBlue : &r.bkBlue};
        *colour[c] = v;
        if (fg) r.sevenColorFlag = 0;
      });
    });
  }
  routes.OnName(n::kClick, "Close_bkColor_btn", [this](TNotifyUI&, long long) {
    ChangeMusic(true, [](AudioLightInfo& r) { r.bkRed = r.bkGreen = r.bkBlue = 0; });
  });
}

}  // namespace orlo
