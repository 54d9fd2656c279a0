#include "pages/keyset/KeySetRoutes.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "device/model/TessaroUSBDevice.h"
#include "macro/MacroCatalogue.h"
#include "pages/common/DevicePageUI.h"
#include "ui/LanguageStore.h"

namespace orlo {

namespace {
constexpr const char* kKeyEdit = "keyset_keyboard_text_edit";
}  // namespace

CKeySetRoutes::CKeySetRoutes(CDevicePageUI& page, HostFn host) : page_(page), host_(std::move(host)) {}

CTessaroUSBDevice* CKeySetRoutes::Device() const { return page_.Device(); }

bool CKeySetRoutes::Bind() {
  if (panel_) return true;
  auto* panel = page_.findChild<CKeySetControlUI*>(QStringLiteral("keyset_layout"));
  if (panel == nullptr || !panel->FindControls()) return false;
  panel_ = panel;
  if (CTessaroUSBDevice* d = Device()) panel->SetKind(d->Family());
  panel->SetPanelVisible(false);
  panel->SetButtonsEnabled(false);
  QObject::connect(panel, &CKeySetControlUI::keyCaptured, panel, [this] { Write(); });
  return true;
}

void CKeySetRoutes::ShowKey(int key) {
  CTessaroUSBDevice* d = Device();
  if (!panel_ || d == nullptr) return;
  const auto record = d->KeyAssignmentOf(key);
  if (!record) {
    panel_->SetPanelVisible(false);
    return;
  }
  panel_->SetPanelVisible(true);
  panel_->ShowKeyAssign(*record);
}

void CKeySetRoutes::ShowCatalogues() {
  CTessaroUSBDevice* d = Device();
  if (!panel_ || d == nullptr) return;
  panel_->SetMacroNames(CMacroCatalogue(d->DeviceFolder()).Names());
  panel_->RefreshTexts();
}

void CKeySetRoutes::Write() {
  CTessaroUSBDevice* d = Device();
  if (!panel_ || d == nullptr) return;
  const KeyAssign record = panel_->ReadAssign();
  const int key = d->SelectedKey();
  if (key < 0 || key != record.key) return;  // the panel shows no key of this device
  d->SetKeyAssignment(key, record.Current());
  page_.ShowKeyAssignments();
  panel_->SetButtonsEnabled(true);
}

void CKeySetRoutes::Download() {
  CTessaroUSBDevice* d = Device();
  if (!panel_ || d == nullptr) return;
  // The window outlives its pages: while the panel exists, so does the host.
  IPageHost* host = &host_();
  QPointer<CKeySetControlUI> panel = panel_;
  d->Session().Submit([d, host, panel] {
    const CTessaroUSBDevice::KeyDownload r = d->DownloadKeyAssignments();
    // Macros that do not fit change nothing: the device keeps its assignments, the profile
    // document its last saved state, and the buttons stay on for another try.
    if (!r.Refused()) {
      auto lock = d->ModelLock();
      d->NotifyProfileChanged();
    }
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [host, panel, r] {
          if (!panel) return;
          if (r.Refused()) {
            host->ShowText(ui::FormatTextWithNumber(ui::TextOf("message_text_16"), r.macros));
            return;
          }
          if (r.macros != 0) host->ShowMessage("message_text_7");
          panel->SetButtonsEnabled(false);
        },
        Qt::QueuedConnection);
  });
}

void CKeySetRoutes::Register(CRouteTable& routes) {
  using ui::TNotifyUI;
  namespace n = ui::notify;
  auto write = [this](TNotifyUI&, long long) { Write(); };

  routes.OnName(n::kClick, "key_butt_keysave", write);
  routes.OnName(n::kClick, "key_butt_keydefalut", [this](TNotifyUI&, long long) {
    if (!panel_) return;
    panel_->ShowDefault();
    panel_->SetButtonsEnabled(true);
  });
  routes.OnName(n::kClick, "key_butt_keycancel", [this](TNotifyUI&, long long) {
    if (!panel_) return;
    panel_->ShowCurrent();
    panel_->SetButtonsEnabled(false);
  });
  routes.OnName(n::kClick, "key_butt_prosave", [this](TNotifyUI&, long long) { Download(); });

  routes.OnPrefix(n::kSelectChanged, "key_ComBox_check_", [this](TNotifyUI& msg, long long i) {
    if (!panel_ || msg.wParam == 0 || i < 0 || i >= CKeySetControlUI::kModifierOptions) return;
    panel_->SelectModifier(static_cast<int>(i));
    Write();
  });

  routes.OnName(n::kItemSelect, "keyset_function_combo", [this](TNotifyUI& msg, long long) {
    if (!panel_) return;
    const int page = panel_->GetFunctionNumberAt(static_cast<int>(msg.wParam));
    panel_->ShowFunctionPage(page);
    // A keyboard key starts empty: the next key pressed in the key field is the one.
    if (page == CKeySetControlUI::kFnKeyboard) panel_->ClearKeyboardKey();
    // A macro runs in the first run mode until another is chosen.
    if (page == CKeySetControlUI::kFnMacro && panel_->GetRunModeIndex() < 0) panel_->SelectRunMode(0);
    Write();
  });
  routes.OnName(n::kItemSelect, "keyset_macro_over_combo", [this](TNotifyUI& msg, long long) {
    if (!panel_) return;
    panel_->SetRepeatVisible(msg.wParam == CKeySetControlUI::kRunModes);
    Write();
  });
  for (const char* combo : {"keyset_mousekey_combo", "keyset_mouseswing_combo", "keyset_mousewheel_combo",
                            "keyset_mousedpi_combo", "keyset_media_combo", "keyset_system_combo",
                            "keyset_macro_combo", "keyset_gunkey_combo", "keyset_combokey_combo"})
    routes.OnName(n::kItemSelect, combo, write);

  for (const char* edit : {"keyset_mouseswing_num_edit", "keyset_mouseswing_delay_edit",
                           "keyset_mouseswing_speed_edit", "keyset_mousewheel_num_edit",
                           "keyset_mousewheel_delay_edit", "keyset_mousewheel_speed_edit",
                           "keyset_mousefire_interval_edit", "keyset_mousefire_num_edit", "keyset_macro_cycle_edit"})
    routes.OnName(n::kKillFocus, edit, write);

  // Single-key capture runs while the key field has the focus, and only then.
  routes.OnName(n::kSetFocus, kKeyEdit, [this](TNotifyUI&, long long) {
    if (panel_) panel_->SetCaptureArmed(true);
  });
  routes.OnName(n::kKillFocus, kKeyEdit, [this](TNotifyUI&, long long) {
    if (panel_) panel_->SetCaptureArmed(false);
  });
}

}  // namespace orlo
