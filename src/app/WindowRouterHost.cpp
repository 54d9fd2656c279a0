#include "app/WindowRouterHost.h"

#include <QFileDialog>

#include "app/ColorSelectWnd.h"
#include "app/DeviceOptionUI.h"
#include "pages/common/DevicePageUI.h"
#include "ui/LanguageStore.h"
#include "ui/MsgWnd.h"
#include "ui/WindowUI.h"

namespace orlo {

CWindowRouterHost::CWindowRouterHost(ui::CWindowUI* window, Actions actions)
    : window_(window), actions_(std::move(actions)) {}

CTessaroUSBDevice* CWindowRouterHost::SelectedDevice() {
  if (actions_.selectedDevice) return actions_.selectedDevice();
  QWidget* row = window_ != nullptr ? window_->FindControl("device_select_layout") : nullptr;
  if (row == nullptr) return nullptr;
  for (CDeviceOptionUI* tab : row->findChildren<CDeviceOptionUI*>()) {
    if (tab->Device() != nullptr && tab->IsVisible() && tab->IsSelected()) return tab->Device();
  }
  return nullptr;
}

CDevicePageUI* CWindowRouterHost::PageOf(CTessaroUSBDevice* device) {
  if (device == nullptr || window_ == nullptr) return nullptr;
  for (CDevicePageUI* page : window_->findChildren<CDevicePageUI*>())
    if (page->Device() == device) return page;
  return nullptr;
}

bool CWindowRouterHost::IsCachedControl(const QWidget* sender, std::string_view name) const {
  return window_ != nullptr && sender != nullptr && window_->FindControl(std::string(name)) == sender;
}

void CWindowRouterHost::CaptionCommand(Caption which) {
  if (actions_.caption) actions_.caption(which);
}

void CWindowRouterHost::ShowMessage(const std::string& textId) {
  ui::CMsgWnd::ShowMessageBox(window_, {}, textId, actions_.dpi ? actions_.dpi() : 96, true,
                              ui::CMsgWnd::kConfirmOnly);
}

bool CWindowRouterHost::Confirm(const std::string& textId) {
  return ui::CMsgWnd::ShowMessageBox(window_, {}, textId, actions_.dpi ? actions_.dpi() : 96, true,
                                     ui::CMsgWnd::kConfirmCancel) == 1;
}

void CWindowRouterHost::ShowText(const std::string& text) {
  ui::CMsgWnd::ShowMessageBox(window_, {}, text, actions_.dpi ? actions_.dpi() : 96, false,
                              ui::CMsgWnd::kConfirmOnly);
}

std::string CWindowRouterHost::ChooseFile(bool save, const std::string& filter) {
  const QString f = QString::fromStdString(filter);
  const QString path = save ? QFileDialog::getSaveFileName(window_, {}, {}, f)
                            : QFileDialog::getOpenFileName(window_, {}, {}, f);
  return path.toStdString();
}

bool CWindowRouterHost::PickColour(uint32_t& argb) {
  const std::optional<uint32_t> chosen = CColorSelectWnd::Pick(window_, argb, CColourOptionFile());
  if (!chosen) return false;
  argb = *chosen;
  return true;
}

void CWindowRouterHost::ShowNumberMessage(const std::string& textId, long long number) {
  ui::CMsgWnd::ShowMessageBox(window_, {}, ui::FormatTextWithNumber(ui::TextOf(textId), number),
                              actions_.dpi ? actions_.dpi() : 96, false, ui::CMsgWnd::kConfirmOnly);
}

std::string CWindowRouterHost::AskOpenPath(const std::string& filter) {
  return QFileDialog::getOpenFileName(window_, {}, {}, QString::fromStdString(filter)).toStdString();
}

std::string CWindowRouterHost::AskSavePath(const std::string& filter) {
  return QFileDialog::getSaveFileName(window_, {}, {}, QString::fromStdString(filter)).toStdString();
}

void CWindowRouterHost::StartProfileSwitchTimer() {
  if (actions_.profileSwitchTimer) actions_.profileSwitchTimer();
}

void CWindowRouterHost::SetRecordingLock(bool locked) {
  if (window_ != nullptr)
    if (QWidget* row = window_->FindControl("device_select_layout")) row->setEnabled(!locked);
  if (CDevicePageUI* page = PageOf(SelectedDevice())) page->SetRecordingLock(locked);
  if (actions_.recordingLock) actions_.recordingLock(locked);
}

void CWindowRouterHost::SyncLighting() {
  if (actions_.syncLighting) actions_.syncLighting();
}

void CWindowRouterHost::OpenMusicWindow() {
  if (actions_.musicWindow) actions_.musicWindow();
}

void CWindowRouterHost::OnTabSelected(QWidget* sender) {
  if (actions_.tabSelected) actions_.tabSelected(sender);
}

void CWindowRouterHost::SelectNeighbourTab(bool next) {
  if (actions_.neighbourTab) actions_.neighbourTab(next);
}

}  // namespace orlo
