#include "pages/common/ProfileCommandRoutes.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <utility>

#include "pages/common/DevicePageUI.h"
#include "pages/common/DeviceProfileUI.h"
#include "pages/common/PageHost.h"
#include "pages/common/RouteTable.h"

namespace orlo {

CDeviceProfileUI* CProfileCommandRoutes::Control() const { return page_.ProfileControl(); }

void CProfileCommandRoutes::Register(CRouteTable& routes) {
  using ui::TNotifyUI;
  namespace n = ui::notify;
  auto unlocked = [this] {
    CDeviceProfileUI* c = Control();
    return c != nullptr && page_.Device() != nullptr && !c->IsRecordingLocked();
  };
  routes.OnName(n::kItemSelect, "device_profile_combo", [this, unlocked](TNotifyUI&, long long) {
    // Choices in quick succession switch once, to the last one.
    if (unlocked()) page_.Host().StartProfileSwitchTimer();
  });
  routes.OnExactName(n::kClick, "profile_fun_spread_btn", [this, unlocked](TNotifyUI&, long long) {
    if (unlocked()) Control()->ShowProfileMenu(!Control()->IsProfileMenuVisible());
  });
  routes.OnName(n::kClick, "device_add_btn", [this, unlocked](TNotifyUI&, long long) {
    if (unlocked()) Control()->AddProfile();
  });
  routes.OnName(n::kClick, "device_copy_btn", [this, unlocked](TNotifyUI&, long long) {
    if (unlocked()) Control()->CopyProfile();
  });
  using Command = void (CProfileCommandRoutes::*)(IPageHost&);
  static constexpr std::pair<const char*, Command> kCommands[] = {
      {"device_sub_btn", &CProfileCommandRoutes::Delete},
      {"device_profile_edit_save_btn", &CProfileCommandRoutes::Rename},
      {"device_import_btn", &CProfileCommandRoutes::Import},
      {"device_export_btn", &CProfileCommandRoutes::Export},
      {"device_reset_btn", &CProfileCommandRoutes::Reset},
      {"device_download_btn", &CProfileCommandRoutes::Download},
  };
  for (const auto& [name, command] : kCommands) {
    routes.OnName(n::kClick, name, [this, unlocked, command = command](TNotifyUI&, long long) {
      if (unlocked()) (this->*command)(page_.Host());
    });
  }
}

void CProfileCommandRoutes::Report(IPageHost& host, const CTessaroUSBDevice::ProfileWrite& outcome) {
  if (outcome.excess > 0) {
    host.ShowNumberMessage("message_text_16", outcome.excess);
  } else if (outcome.macrosFailed) {
    host.ShowMessage("message_text_7");
  }
}

void CProfileCommandRoutes::WriteToDevice(IPageHost& host, bool reload, bool withSettings, bool save,
                                          std::function<void(CTessaroUSBDevice&)> first) {
  CTessaroUSBDevice* d = page_.Device();
  if (d == nullptr) return;
  d->SetScreenSize(host.ScreenWidth(), host.ScreenHeight());
  // A change still waiting for its commit is saved first, into the profile it was made in.
  d->Debounce().Fire();
  // The window outlives its pages; the page may go before the worker is done.
  QPointer<CDevicePageUI> page(&page_);
  IPageHost* shell = &host;
  d->Session().Submit([d, page, shell, reload, withSettings, save, first = std::move(first)] {
    if (first) first(*d);
    if (reload) d->LoadProfile();
    if (save) d->NotifyProfileChanged();
    const CTessaroUSBDevice::ProfileWrite outcome = d->WriteProfileToDevice(withSettings);
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [page, shell, outcome] {
          if (!page) return;
          page->ApplyProfileToPage();
          Report(*shell, outcome);
        },
        Qt::QueuedConnection);
  });
}

void CProfileCommandRoutes::SwitchToChosenProfile(IPageHost& host) {
  CDeviceProfileUI* c = Control();
  CTessaroUSBDevice* d = page_.Device();
  if (c == nullptr || d == nullptr || c->IsRecordingLocked()) return;
  if (!c->SelectProfile(c->GetSelectedIndex(), false)) return;
  const std::string id = c->GetSelectedUUID();
  if (id.empty()) return;
  d->SetActiveProfileId(id);
  WriteToDevice(host, true, true, false);
}

void CProfileCommandRoutes::Download(IPageHost& host) { WriteToDevice(host, false, false, true); }

void CProfileCommandRoutes::Reset(IPageHost& host) {
  if (Control() == nullptr || !host.Confirm("message_text_22")) return;
  host.ResetMusicSettings();
  // On the worker, after any commit still due: it must not save the old settings over the
  // reset document.
  WriteToDevice(host, true, true, false, [](CTessaroUSBDevice& d) {
    auto lock = d.ModelLock();
    d.ProfileList().ResetProfile();
  });
}

void CProfileCommandRoutes::Delete(IPageHost& host) {
  CDeviceProfileUI* c = Control();
  CTessaroUSBDevice* d = page_.Device();
  if (c == nullptr || d == nullptr) return;
  const std::string before = c->GetSelectedUUID();
  if (!c->DeleteProfile()) return;
  // The device must not go on saving into the document just deleted: it takes the profile
  // the list selected instead.
  const std::string id = c->GetSelectedUUID();
  if (id.empty() || id == before) return;
  d->SetActiveProfileId(id);
  WriteToDevice(host, true, true, false);
}

void CProfileCommandRoutes::Import(IPageHost& host) {
  CDeviceProfileUI* c = Control();
  if (c == nullptr || c->GetSelectedIndex() < 0) return;
  const std::string path = host.AskOpenPath(kProfileFilter);
  if (path.empty()) return;
  switch (c->ImportProfile(path)) {
    case CProfileList::kImportDone: break;
    case CProfileList::kImportOtherKind: host.ShowMessage("profile_import_kind_text"); break;
    case CProfileList::kImportUnreadable:
    case CProfileList::kImportNotProfile: host.ShowMessage("profile_import_invalid_text"); break;
  }
}

void CProfileCommandRoutes::Export(IPageHost& host) {
  CDeviceProfileUI* c = Control();
  if (c == nullptr || c->GetSelectedIndex() < 0) return;
  const std::string path = host.AskSavePath(kProfileFilter);
  if (path.empty()) return;
  if (!c->ExportProfile(path)) host.ShowMessage("profile_export_failed_text");
}

void CProfileCommandRoutes::Rename(IPageHost& host) {
  CDeviceProfileUI* c = Control();
  if (c == nullptr) return;
  const std::string text = c->GetNameEditText();
  if (text.empty()) return;
  switch (c->RenameProfile(text)) {
    case CProfileList::kRenameNameUsed: host.ShowMessage("message_text_5"); break;
    case CProfileList::kRenameEmpty: host.ShowMessage("message_text_25"); break;
    default: break;
  }
}

}  // namespace orlo
