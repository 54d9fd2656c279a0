#include "pages/common/DeviceProfileUI.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <algorithm>

#include "base/DeviceKinds.h"
#include "device/model/TessaroUSBDevice.h"
#include "pages/common/DevicePageUI.h"
#include "pages/common/QuietControls.h"
#include "ui/ControlFactory.h"
#include "ui/DialogBuilder.h"
#include "ui/NotifyBridge.h"

namespace orlo {

namespace {
constexpr const char* kTabNames[CDeviceProfileUI::kFunctionTabs] = {
    "deng_Op_tab",   "key_Op_tab",        "macro_Op_tab", "system_Op_tab",
    "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"};

}  // namespace

CDeviceProfileUI::CDeviceProfileUI(QWidget* parent) : QWidget(parent) {
  ui::CDialogBuilder().CreateInside(kLayoutFile, this);
  combo_ = findChild<QComboBox*>(QStringLiteral("device_profile_combo"));
  nameEdit_ = findChild<QLineEdit*>(QStringLiteral("device_profile_name_edit"));
  menu_ = findChild<QFrame*>(QStringLiteral("profile_menu_layout"));
  menuButton_ = findChild<QWidget*>(QStringLiteral("profile_fun_spread_btn"));
  if (menu_) menu_->hide();
}

void CDeviceProfileUI::RegisterControl() {
  ui::CControlFactory::GetInstance().RegistControl(kClassName,
                                                   [](QWidget* parent) { return new CDeviceProfileUI(parent); });
}

void CDeviceProfileUI::Bind(CTessaroUSBDevice* device) { device_ = device; }

QWidget* CDeviceProfileUI::PageWidget() const {
  for (QWidget* w = parentWidget(); w != nullptr; w = w->parentWidget())
    if (qobject_cast<CDevicePageUI*>(w)) return w;
  return parentWidget();
}

QWidget* CDeviceProfileUI::Tab(int n) const {
  QWidget* page = PageWidget();
  if (page == nullptr || n < 1 || n > kFunctionTabs) return nullptr;
  return page->findChild<QWidget*>(QLatin1String(kTabNames[n - 1]));
}

void CDeviceProfileUI::Init() {
  Refill();
  if (device_ == nullptr) return;
  int selected;
  {
    auto lock = device_->ModelLock();
    selected = device_->ProfileList().GetSelectedIndex();
  }
  if (selected >= 0) SelectProfile(selected, false);
  // The function tabs a device kind has no page for.
  std::vector<const char*> hidden;
  switch (FoldKind(device_->Family())) {
    case kKindKeyboard: hidden = {"cursor_Op_tab"}; break;
    case kKindMousePad: hidden = {"cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"}; break;
    case kKindHeadset: hidden = {"cursor_Op_tab", "macro_Op_tab", "system_Op_tab", "key_Op_tab"}; break;
    default: break;
  }
  QWidget* page = PageWidget();
  for (const char* name : hidden)
    if (QWidget* tab = page ? page->findChild<QWidget*>(QLatin1String(name)) : nullptr) tab->hide();
  if (FoldKind(device_->Family()) == kKindHeadset) {
    for (const char* name : {"6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"})
      if (QWidget* tab = page ? page->findChild<QWidget*>(QLatin1String(name)) : nullptr) tab->show();
  }
}

void CDeviceProfileUI::Refill() {
  if (combo_ == nullptr) return;
  std::vector<CProfileList::Entry> entries;
  if (device_ != nullptr) {
    auto lock = device_->ModelLock();
    entries = device_->ProfileList().ReadEntries();
  }
  ui::CNotifyBridge::Mute mute(combo_);
  const int keep = combo_->currentIndex();
  combo_->clear();
  for (const auto& e : entries) {
    combo_->addItem(QString::fromStdString(e.name));
    combo_->setItemData(combo_->count() - 1, QString::fromStdString(e.name), Qt::ToolTipRole);
  }
  if (keep >= 0 && keep < combo_->count()) combo_->setCurrentIndex(keep);
}

std::vector<std::string> CDeviceProfileUI::Names() const {
  std::vector<std::string> names;
  if (combo_ == nullptr) return names;
  for (int i = 0; i < combo_->count(); ++i) names.push_back(combo_->itemText(i).toStdString());
  return names;
}

int CDeviceProfileUI::GetSelectedIndex() const { return combo_ != nullptr ? combo_->currentIndex() : -1; }

bool CDeviceProfileUI::SelectProfile(int index, bool notify) {
  if (combo_ == nullptr || device_ == nullptr || index < 0 || index >= combo_->count()) return false;
  {
    auto lock = device_->ModelLock();
    if (!device_->ProfileList().SelectProfile(index)) return false;
  }
  if (notify) {
    combo_->setCurrentIndex(index);
  } else {
    ui::CNotifyBridge::Mute mute(combo_);
    combo_->setCurrentIndex(index);
  }
  SetNameEditText(combo_->itemText(index).toStdString());
  return true;
}

std::string CDeviceProfileUI::GetSelectedUUID() const {
  if (device_ == nullptr) return {};
  auto lock = device_->ModelLock();
  return device_->ProfileList().GetSelectedUUID();
}

int CDeviceProfileUI::GetProfileCount() const {
  if (device_ == nullptr) return 0;
  auto lock = device_->ModelLock();
  return device_->ProfileList().GetProfileCount();
}

int CDeviceProfileUI::AddProfile() { return AddEntry([](CProfileList& list) { return list.AddProfile(); }); }

int CDeviceProfileUI::CopyProfile() { return AddEntry([](CProfileList& list) { return list.CopyProfile(); }); }

int CDeviceProfileUI::AddEntry(const std::function<int(CProfileList&)>& add) {
  if (device_ == nullptr || locked_) return -1;
  int index;
  {
    auto lock = device_->ModelLock();
    index = add(device_->ProfileList());
  }
  if (index >= 0) Refill();
  return index;
}

bool CDeviceProfileUI::DeleteProfile() {
  if (device_ == nullptr || locked_) return false;
  int selected;
  {
    auto lock = device_->ModelLock();
    if (!device_->ProfileList().DeleteProfile()) return false;
    selected = device_->ProfileList().GetSelectedIndex();
  }
  Refill();
  if (combo_ != nullptr && selected >= 0 && selected < combo_->count()) {
    ui::CNotifyBridge::Mute mute(combo_);
    combo_->setCurrentIndex(selected);
    SetNameEditText(combo_->itemText(selected).toStdString());
  }
  return true;
}

CProfileList::ImportResult CDeviceProfileUI::ImportProfile(const std::string& path) {
  if (device_ == nullptr || locked_) return CProfileList::kImportUnreadable;
  CProfileList::ImportResult r;
  {
    auto lock = device_->ModelLock();
    r = device_->ProfileList().ImportProfile(path);
  }
  if (r == CProfileList::kImportDone) Refill();
  return r;
}

bool CDeviceProfileUI::ExportProfile(const std::string& path) {
  if (device_ == nullptr) return false;
  auto lock = device_->ModelLock();
  return device_->ProfileList().ExportProfile(path);
}

int CDeviceProfileUI::RenameProfile(const std::string& name) {
  if (device_ == nullptr || locked_) return CProfileList::kRenameNoProfile;
  int r;
  {
    auto lock = device_->ModelLock();
    r = device_->ProfileList().RenameProfile(name);
  }
  if (r == CProfileList::kRenameDone) {
    const int selected = GetSelectedIndex();
    Refill();
    if (combo_ != nullptr && selected >= 0) SetNameEditText(combo_->itemText(selected).toStdString());
  }
  return r;
}

std::string CDeviceProfileUI::GetNameEditText() const {
  return nameEdit_ != nullptr ? nameEdit_->text().toStdString() : std::string();
}

void CDeviceProfileUI::SetNameEditText(const std::string& text) {
  if (nameEdit_ != nullptr) nameEdit_->setText(QString::fromStdString(text));
}

void CDeviceProfileUI::ShowProfileMenu(bool show) {
  if (menu_ == nullptr) return;
  if (!show || locked_) {
    menu_->hide();
    return;
  }
  // Laid over the page, below the control, so that opening it moves nothing on the page.
  if (QWidget* page = PageWidget(); page != nullptr && menu_->parentWidget() != page) {
    menu_->setParent(page);
    ui::CNotifyBridge::Instance().Attach(menu_);
  }
  PlaceMenu();
  menu_->show();
  menu_->raise();
}

void CDeviceProfileUI::PlaceMenu() {
  QWidget* host = menu_->parentWidget();
  if (host == nullptr) return;
  menu_->adjustSize();
  QPoint at = mapTo(host, QPoint(width() - menu_->width(), height() + 6));
  at.setX(std::clamp(at.x(), 0, std::max(0, host->width() - menu_->width())));
  menu_->move(at);
}

void CDeviceProfileUI::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (IsProfileMenuVisible()) PlaceMenu();
}

bool CDeviceProfileUI::IsProfileMenuVisible() const { return menu_ != nullptr && menu_->isVisibleTo(menu_->parentWidget()); }

void CDeviceProfileUI::SelectFunctionTab(int n) {
  for (int t = 1; t <= kFunctionTabs; ++t) {
    auto* tab = qobject_cast<QAbstractButton*>(Tab(t));
    if (tab == nullptr) continue;
    // Outside 1..8 the virtual-sound tab keeps its state.
    if ((n < 1 || n > kFunctionTabs) && t == kFunctionTabs) continue;
    SetCheckedQuietly(tab, t == n);
  }
}

void CDeviceProfileUI::SetRecordingLock(bool locked) {
  locked_ = locked;
  if (locked && combo_ != nullptr && device_ != nullptr) {
    // A choice still waiting for its switch is dropped: the list shows the profile in use.
    int selected;
    {
      auto lock = device_->ModelLock();
      selected = device_->ProfileList().GetSelectedIndex();
    }
    ui::CNotifyBridge::Mute mute(combo_);
    if (selected >= 0 && selected < combo_->count()) combo_->setCurrentIndex(selected);
  }
  if (combo_) combo_->setEnabled(!locked);
  if (menuButton_) menuButton_->setEnabled(!locked);
  if (locked) ShowProfileMenu(false);
  if (menu_) menu_->setEnabled(!locked);
}

}  // namespace orlo
