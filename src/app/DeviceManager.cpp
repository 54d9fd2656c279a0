#include "app/DeviceManager.h"

#include <QBoxLayout>
#include <QCoreApplication>
#include <QMetaObject>
#include <QStackedWidget>
#include <QWidget>
#include <algorithm>
#include <chrono>

#include "app/DeviceLightTarget.h"
#include "base/DeviceKinds.h"
#include "app/DeviceOptionUI.h"
#include "app/MpDevicePowerUI.h"
#include "app/QtUiDispatcher.h"
#include "app/WorkerRecords.h"
#include "device/model/TessaroUSBDevice.h"
#include "pages/common/DeviceFamilies.h"
#include "pages/common/DevicePageUI.h"
#include "platform/DebugLog.h"
#include "sim/SimBackend.h"
#include "sim/SimControl.h"
#include "ui/ControlFactory.h"
#include "ui/DialogBuilder.h"
#include "ui/WindowUI.h"
#include "update/UpdateRows.h"

namespace orlo {

namespace {

constexpr uint32_t kMsgArrival = 3090;
constexpr uint32_t kMsgRemoval = 3091;
constexpr uint32_t kMsgReachability = CDeviceOptionUI::kReachabilityMessage;
constexpr int kBatteryMessage = 3329;
// A receiver may need a moment after it was opened before it reaches its device.
constexpr int kReceiverTries = 26;
constexpr std::chrono::milliseconds kReceiverTryGap{50};


const char* ArrivalTrace(uint16_t family) {
  switch (family) {
    case kKindKeyboard: return "添加一个键盘设备";
    case kKindMouse: return "添加一个鼠标设备";
    case kKindMousePad: return "添加一个鼠标垫设备";
    default: return nullptr;
  }
}

const char* RemovalTrace(uint16_t family) {
  switch (family) {
    case kKindKeyboard: return "删除一个键盘设备";
    case kKindMouse: return "删除一个鼠标设备";
    case kKindMousePad: return "删除一个鼠标垫设备";
    default: return nullptr;
  }
}

}  // namespace

struct CDeviceManager::Record {
  int identitySlot = -1;  // the wired command slot that names this device
  int tabRow = -1;
  std::unique_ptr<CTessaroUSBDevice> device;
  std::unique_ptr<CDeviceLightTarget> lightTarget;  // made on first use; goes before the device
  QPointer<CDevicePageUI> page;
  QPointer<CDeviceOptionUI> tab;
  QPointer<CMpDevicePowerUI> power;
};

CDeviceManager::CDeviceManager(DeviceManagerOptions options)
    : options_(std::move(options)), scanner_(options_.backend) {}

CDeviceManager::~CDeviceManager() {
  for (auto& r : records_) {
    lightSync_.Forget(r->device.get());
    // The driver's threads stop with it; the page and tab (owned by the window) must not reach it
    // afterwards.
    if (r->tab) {
      r->tab->StopTimers();
      r->tab->SetDevice(nullptr, nullptr);
      r->tab->SetMessageSink({});
      r->tab->SetSelectedSink({});
    }
    if (r->page) {
      r->page->SetTimerSink({});
      r->page->SetPowerSink({});
      r->page->Attach(nullptr);
    }
    r->device.reset();
  }
}

void CDeviceManager::RegisterControls() {
  auto& factory = ui::CControlFactory::GetInstance();
  factory.RegistControl(CDeviceOptionUI::kClassName, [](QWidget* parent) { return new CDeviceOptionUI(parent); });
  factory.RegistControl(CMpDevicePowerUI::kClassName, [](QWidget* parent) { return new CMpDevicePowerUI(parent); });
  // The pages the devices are built with.
  RegisterDeviceFamilies();
}

std::shared_ptr<hid::HidBackend> CDeviceManager::Backend() const {
  return options_.backend ? options_.backend : hid::DefaultBackend();
}

QWidget* CDeviceManager::Find(const char* name) const {
  return host_.window ? host_.window->FindControl(name) : nullptr;
}

void CDeviceManager::AttachHost(DeviceManagerHost host) { host_ = std::move(host); }

void CDeviceManager::Initialise() {
  RegisterControls();
  // The mouse and the keyboard get their objects (and hidden tabs) at once, so that their tabs
  // come first in the row.
  for (int row = 0; row < 2 && row < kDeviceTabCount; ++row) {
    const DeviceTabEntry& t = kDeviceTabTable[static_cast<size_t>(row)];
    const int slot = FindInterfaceRow(static_cast<uint16_t>(t.vendorId), static_cast<uint16_t>(t.productId),
                                      static_cast<uint16_t>(t.kind), static_cast<uint16_t>(t.variant));
    if (slot >= 0 && !TabExistsFor(slot)) CreateDevice(slot);
  }
}

void CDeviceManager::ScanPass(IUiDispatcher& handoff, const CStopEvent& stop) {
  scanner_.Pass([&](int slot) { return handoff.Send([this, slot] { OnArrival(slot); }, stop); },
                [&](int slot) { return handoff.Send([this, slot] { OnRemoval(slot); }, stop); },
                [&] { return stop.IsSet(); },
                [&](const std::string& path) {
                  return handoff.Send([this, path] { if (host_.accessDenied) host_.accessDenied(path); }, stop);
                });
}

// ---- identities ----------------------------------------------------------------------------------

int CDeviceManager::CommandSlotOf(int slot) const {
  const InterfaceEntry e = scanner_.Slot(slot);
  if (e.variant != kVariantCompanion) return slot;
  const auto all = scanner_.Slots();
  for (size_t i = 0; i < all.size(); ++i) {
    const auto& c = all[i];
    if (c.vendorId == e.vendorId && c.productId == e.productId && c.kind == e.kind && c.variant == kVariantCommand)
      return static_cast<int>(i);
  }
  return -1;
}

int CDeviceManager::IdentitySlot(int slot) const {
  const int command = CommandSlotOf(slot);
  if (command < 0) return -1;
  const InterfaceEntry e = scanner_.Slot(command);
  // A receiver stands for the same device as the cable that names it back.
  if (IsReceiverKind(e.kind) && e.hasPartner && scanner_.ValidSlot(e.partnerIndex)) {
    const InterfaceEntry p = scanner_.Slot(e.partnerIndex);
    if (p.hasPartner && p.partnerIndex == command) return e.partnerIndex;
  }
  return command;
}

bool CDeviceManager::PartnerPresent(int slot) const {
  const InterfaceEntry e = scanner_.Slot(slot);
  if (!e.hasPartner || !scanner_.ValidSlot(e.partnerIndex)) return false;
  const InterfaceEntry p = scanner_.Slot(e.partnerIndex);
  return p.present != 0 && !p.devicePath.empty() && p.hasPartner && p.partnerIndex == slot;
}

CDeviceManager::Record* CDeviceManager::RecordFor(int slot) {
  const int identity = IdentitySlot(slot);
  if (identity < 0) return nullptr;
  for (auto& r : records_)
    if (r->identitySlot == identity) return r.get();
  return nullptr;
}

int CDeviceManager::IndexOf(const Record* record) const {
  for (size_t i = 0; i < records_.size(); ++i)
    if (records_[i].get() == record) return static_cast<int>(i);
  return -1;
}

bool CDeviceManager::TabExistsFor(int slot) const {
  const int identity = IdentitySlot(slot);
  for (const auto& r : records_)
    if (r->identitySlot == identity && identity >= 0 && r->tab) return true;
  return false;
}

// ---- creation ------------------------------------------------------------------------------------

std::unique_ptr<CTessaroUSBDevice> CDeviceManager::MakeDriver(int kind) {
  if (options_.makeDriver) return options_.makeDriver(kind, Backend());
  return orlo::MakeDriver(static_cast<uint16_t>(kind), Backend());
}

int CDeviceManager::CreateDevice(int slot) {
  if (!scanner_.ValidSlot(slot)) return 0;
  const int identity = IdentitySlot(slot);
  if (identity < 0) return 0;
  const InterfaceEntry id = scanner_.Slot(identity);
  const int tabRow = FindTabRow(id.vendorId, id.productId, id.kind, id.variant);
  if (tabRow < 0 || tabRow >= kDevicePageCount) return 0;
  const DeviceTabEntry& tabEntry = kDeviceTabTable[static_cast<size_t>(tabRow)];
  const DevicePageEntry& pageEntry = kDevicePageTable[static_cast<size_t>(tabRow)];

  auto* tabRowWidget = Find(kTabRowName);
  auto* pages = qobject_cast<QStackedWidget*>(Find(kPageSwitchName));
  auto* powers = qobject_cast<QStackedWidget*>(Find(tabEntry.powerLayoutName.c_str()));
  auto* tabLayout = tabRowWidget ? qobject_cast<QBoxLayout*>(tabRowWidget->layout()) : nullptr;
  if (!pages || !powers || !tabLayout) return 0;

  auto device = MakeDriver(FoldKind(id.kind));
  if (!device) return 0;

  ui::CDialogBuilder builder;
  const std::string pageFile = options_.pageLayout ? options_.pageLayout(tabRow) : pageEntry.pageLayoutFile;
  QWidget* powerWidget = builder.Create(kPowerLayoutFile, host_.controls);
  QWidget* tabWidget = builder.Create(tabEntry.tabLayoutFile, host_.controls);
  QWidget* pageWidget = builder.Create(pageFile, host_.controls);
  auto* power = qobject_cast<CMpDevicePowerUI*>(powerWidget);
  auto* tab = qobject_cast<CDeviceOptionUI*>(tabWidget);
  auto* page = qobject_cast<CDevicePageUI*>(pageWidget);
  if (!power || !tab || !page) {
    DebugPrintf("device of tab row %d: layout not built (%s)", tabRow, builder.LastError().c_str());
    delete powerWidget;
    delete tabWidget;
    delete pageWidget;
    return 0;
  }

  auto record = std::make_unique<Record>();
  record->identitySlot = identity;
  record->tabRow = tabRow;
  record->power = power;
  record->tab = tab;
  record->page = page;

  powers->addWidget(power);
  power->SetKind(tabEntry.kind, tabEntry.variant);

  CTessaroUSBDevice* d = device.get();
  page->Attach(d);
  QPointer<CDeviceOptionUI> tabRef(tab);
  page->SetTimerSink([tabRef](int timer, int ms) {
    if (tabRef) tabRef->ArmTimer(timer, ms);
  });
  QPointer<CMpDevicePowerUI> powerRef(power);
  page->SetPowerSink([this, powerRef](const std::vector<uint8_t>& bytes) {
    if (powerRef)
      powerRef->Update(bytes.data(), std::min(static_cast<int>(bytes.size()), CMpDevicePowerUI::kStateSize));
    // Byte 4 is the battery level the window announces.
    if (bytes.size() > 4 && host_.postMessage) host_.postMessage(kBatteryMessage, bytes[4], 0);
  });
  d->SetHasPowerIndicator(pageEntry.hasPowerIndicator != 0);
  d->SetNames(tabEntry.displayName, pageEntry.lightConfigName);
  d->SetSlotEntry(id);
  d->SetProfileKindIndex(tabEntry.profileKindIndex);
  d->SetWindowActive(false);
  // The list first: the page's profile controls show it, and first contact loads its selection.
  d->OpenProfileList();
  page->BuildPage();
  page->SetUpProfileControl();

  pages->addWidget(page);

  // Before the row's trailing stretch, after the tabs already there.
  tabLayout->insertWidget(tabLayout->count() - 1, tab);
  tab->ShowSynchro(false);
  tab->SetGroup(tabEntry.groupName);
  tab->BindPage(kPageSwitchName, pages->indexOf(page));
  tab->SetPowerPage(tabEntry.powerLayoutName, powers->indexOf(power));
  tab->SetIcon(tabEntry.kind, tabEntry.variant);
  tab->SetVisible(false);
  tab->SetName(tabEntry.displayName);
  tab->SetDevice(d, page);
  tab->SetTabRow(tabRow);
  tab->SetWindowShown(!windowHidden_);
  tab->SetMessageSink([this](int message, int64_t w, int64_t l) { OnWindowMessage(static_cast<uint32_t>(message), w, l); });
  Record* raw = record.get();
  tab->SetSelectedSink([this, raw] { OnTabSelected(IndexOf(raw)); });

  // A device that arrives after the window set the light-control state starts with it.
  if (lightControl_) device->SetLightControl(*lightControl_);
  record->device = std::move(device);
  records_.push_back(std::move(record));
  return 1;
}

// ---- arrival and removal -------------------------------------------------------------------------

void CDeviceManager::OnWindowMessage(uint32_t message, int64_t wParam, int64_t lParam) {
  if (wParam < INT32_MIN || wParam > INT32_MAX) return;
  const int index = static_cast<int>(wParam);
  switch (message) {
    case kMsgArrival: OnArrival(index); break;
    case kMsgRemoval: OnRemoval(index); break;
    case kMsgReachability: OnReachability(index, lParam != 0 ? 1 : 0); break;
    default: break;
  }
}

void CDeviceManager::OnArrival(int slot) {
  if (!scanner_.ValidSlot(slot)) return;
  const InterfaceEntry e = scanner_.Slot(slot);
  const uint16_t family = FoldKind(e.kind);
  if (family != kKindKeyboard && family != kKindMouse && family != kKindMousePad && family != kKindHeadset) return;
  if (const char* trace = ArrivalTrace(family)) DebugLine(trace);
  if (!TabExistsFor(slot)) CreateDevice(slot);
  if (e.variant == kVariantCompanion) {
    CompanionArrived(slot);
  } else {
    CommandInterfaceArrived(slot);
  }
  if (host_.bringToFront) host_.bringToFront();
}

void CDeviceManager::OnRemoval(int slot) {
  if (!scanner_.ValidSlot(slot)) return;
  const InterfaceEntry e = scanner_.Slot(slot);
  const uint16_t family = FoldKind(e.kind);
  if (const char* trace = RemovalTrace(family)) DebugLine(trace);
  if (e.variant == kVariantCompanion) {
    CompanionLost(slot);
  } else {
    CommandInterfaceLost(slot);
  }
}

void CDeviceManager::CommandInterfaceArrived(int slot) {
  const InterfaceEntry e = scanner_.Slot(slot);
  Record* record = RecordFor(slot);
  if (!record || !record->device) return;
  CTessaroUSBDevice& device = *record->device;
  const bool receiver = IsReceiverKind(e.kind);
  if (PartnerPresent(slot)) {
    if (!receiver) {
      SwitchConnection(slot, true);
      return;
    }
    // The cable is in use; the receiver waits until the cable goes.
    if (device.link().IsOpen()) return;
  }
  if (!device.link().IsOpen()) device.Connect(e);
  CDeviceOptionUI* tab = record->tab;
  if (!tab) return;
  // A receiver's device shows its tab once it answers a probe.
  if (!receiver) ShowTab(IndexOf(record), true, VisibleCount() == 0);
  tab->StartContact();
}

void CDeviceManager::CloseConnection(Record& record) {
  record.device->Session().Close();
  if (record.tab) record.tab->StopTimers();
  HideTab(IndexOf(&record));
}

void CDeviceManager::CommandInterfaceLost(int slot) {
  const InterfaceEntry e = scanner_.Slot(slot);
  const uint16_t family = FoldKind(e.kind);
  if (family == kKindMouse) DebugLine("鼠标设备丢失");
  if (family == kKindKeyboard) DebugLine("键盘设备丢失");
  Record* record = RecordFor(slot);
  if (!record || !record->device) return;
  const bool receiver = IsReceiverKind(e.kind);
  if (PartnerPresent(slot)) {
    if (!receiver) {
      SwitchConnection(slot, false);
      return;
    }
    // The device runs on its cable: only the receiver's channel goes with the receiver.
    if (!record->device->IsReceiverConnection()) {
      record->device->Session().DropReceiver();
      return;
    }
  }
  CloseConnection(*record);
}

void CDeviceManager::SwitchConnection(int slot, bool toWired) {
  const InterfaceEntry wired = scanner_.Slot(slot);
  if (!wired.hasPartner || !scanner_.ValidSlot(wired.partnerIndex)) return;
  const InterfaceEntry receiverSlot = scanner_.Slot(wired.partnerIndex);
  Record* record = RecordFor(slot);
  if (!record || !record->device) return;
  CTessaroUSBDevice* device = record->device.get();
  CDeviceOptionUI* tab = record->tab;
  const InterfaceEntry& target = toWired ? wired : receiverSlot;
  switch (device->Session().SwitchTo(target)) {
    case CDeviceSession::Switch::kKeptFormer: return;
    case CDeviceSession::Switch::kClosed:
      CloseConnection(*record);
      return;
    case CDeviceSession::Switch::kMoved: break;
  }
  device->SetSlotEntry(target);
  if (toWired) {
    if (tab) {
      tab->StartContact();
      OnReachability(record->tabRow, 1);
    }
    if (device->HasPowerIndicator()) device->Session().Submit([device] { device->PollBattery(); });
    return;
  }
  // Through the receiver: the waits run on the device's worker, never on the UI thread.
  const bool contact = tab != nullptr;
  device->Session().Submit([device, contact] {
    if (device->HasPowerIndicator()) {
      device->Session().AwaitReceiver(kReceiverTries, kReceiverTryGap);
      DebugLine("获取2");
      device->PollBattery();
    }
    if (contact) device->OnFirstContact();
  });
  if (tab) tab->ArmPresence(2000);
}

void CDeviceManager::CompanionArrived(int slot) {
  const InterfaceEntry e = scanner_.Slot(slot);
  Record* record = RecordFor(slot);
  if (record && record->device) record->device->OpenEvents(e);
}

void CDeviceManager::CompanionLost(int slot) {
  const InterfaceEntry e = scanner_.Slot(slot);
  Record* record = RecordFor(slot);
  if (record && record->device) record->device->CloseEvents(e.kind);
}

// ---- tabs ----------------------------------------------------------------------------------------

CDeviceOptionUI* CDeviceManager::Tab(int index) const {
  if (index < 0 || index >= TabCount()) return nullptr;
  return records_[static_cast<size_t>(index)]->tab;
}

CTessaroUSBDevice* CDeviceManager::DeviceOfTab(int index) const {
  if (index < 0 || index >= TabCount()) return nullptr;
  return records_[static_cast<size_t>(index)]->device.get();
}

CMpDevicePowerUI* CDeviceManager::PowerOfTab(int index) const {
  if (index < 0 || index >= TabCount()) return nullptr;
  return records_[static_cast<size_t>(index)]->power;
}

CDevicePageUI* CDeviceManager::PageOfTab(int index) const {
  if (index < 0 || index >= TabCount()) return nullptr;
  return records_[static_cast<size_t>(index)]->page;
}

int CDeviceManager::VisibleCount() const {
  int n = 0;
  for (const auto& r : records_)
    if (r->tab && r->tab->IsVisible()) ++n;
  return n;
}

int CDeviceManager::LinkedDeviceCount() const { return VisibleCount(); }

std::pair<int, int> CDeviceManager::FirstVisibleTab() const {
  int first = -1;
  int count = 0;
  for (int i = 0; i < TabCount(); ++i) {
    CDeviceOptionUI* t = Tab(i);
    if (!t || !t->IsVisible()) continue;
    if (first < 0) first = i;
    ++count;
  }
  return {first, count};
}

void CDeviceManager::ShowTab(int index, bool visible, bool select) {
  CDeviceOptionUI* tab = Tab(index);
  if (!tab) return;
  tab->SetVisible(visible);
  if (select) {
    if (auto* stack = qobject_cast<QStackedWidget*>(Find(tab->BoundLayoutName().c_str()))) {
      if (tab->BoundIndex() >= 0 && tab->BoundIndex() < stack->count()) stack->setCurrentIndex(tab->BoundIndex());
    }
    if (QWidget* powerLayout = Find(tab->PowerLayoutName().c_str())) {
      auto* stack = qobject_cast<QStackedWidget*>(powerLayout);
      if (tab->PowerIndex() >= 0 && stack && tab->PowerIndex() < stack->count()) {
        powerLayout->show();
        stack->setCurrentIndex(tab->PowerIndex());
      } else {
        powerLayout->hide();
      }
    }
    tab->Select(true);
  }

  int shown = 0;
  int synchro = 0;
  for (int i = 0; i < TabCount(); ++i) {
    CDeviceOptionUI* t = Tab(i);
    if (!t || !t->IsVisible()) continue;
    ++shown;
    if (t->IsSynchro()) ++synchro;
  }
  QWidget* noDevice = Find(kNoDeviceName);
  if (QWidget* hint = Find("device_select_hint")) hint->setVisible(shown == 0);
  if (shown > 0) {
    if (noDevice) noDevice->hide();
  } else {
    if (auto* powers = qobject_cast<QStackedWidget*>(Find(kPowerSwitchName))) powers->setCurrentIndex(0);
    if (auto* pages = qobject_cast<QStackedWidget*>(Find(kPageSwitchName))) pages->setCurrentIndex(0);
    if (noDevice) noDevice->show();
  }
  for (auto& r : records_)
    if (r->page) r->page->SetSyncAllowed(shown > 1);
  if (shown <= 1) {
    for (auto& r : records_)
      if (r->device) r->device->link().SetLightSyncActive(false);
  }
  if (synchro <= 1) {
    for (int i = 0; i < TabCount(); ++i)
      if (CDeviceOptionUI* t = Tab(i)) t->SetSynchro(false);
  }
}

void CDeviceManager::HideTab(int index) {
  CDeviceOptionUI* tab = Tab(index);
  if (!tab) return;
  int other = -1;
  if (tab->IsVisible() && tab->IsSelected()) {
    // A key capture or recording on this device's page cannot go on without it.
    if (host_.endPendingCapture) host_.endPendingCapture();
    for (int i = 0; i < TabCount() && other < 0; ++i) {
      CDeviceOptionUI* t = Tab(i);
      if (i != index && t && t->IsVisible()) other = i;
    }
  }
  tab->Select(false);
  ShowTab(index, false, false);
  if (other >= 0) ShowTab(other, true, true);
  if (selectedTab_ == index && other < 0) selectedTab_ = -1;
}

ILightTarget* CDeviceManager::SelectedLightTarget() {
  for (int i = 0; i < TabCount(); ++i) {
    CDeviceOptionUI* t = Tab(i);
    Record& r = *records_[static_cast<size_t>(i)];
    if (!t || !t->IsVisible() || !t->IsSelected() || !r.device) continue;
    if (!r.lightTarget) r.lightTarget = std::make_unique<CDeviceLightTarget>(*r.device);
    return r.lightTarget.get();
  }
  return nullptr;
}

CTessaroUSBDevice* CDeviceManager::SelectedDevice() const {
  for (int i = 0; i < TabCount(); ++i) {
    CDeviceOptionUI* t = Tab(i);
    if (t && t->IsVisible() && t->IsSelected()) return DeviceOfTab(i);
  }
  return nullptr;
}

void CDeviceManager::OnReachability(int tabRow, int state) {
  int index = -1;
  for (int i = 0; i < TabCount(); ++i)
    if (records_[static_cast<size_t>(i)]->tabRow == tabRow) index = i;
  if (index < 0) return;
  if (state == 0) {
    HideTab(index);
  } else if (!Tab(index)->IsVisible()) {
    ShowTab(index, true, VisibleCount() == 0);
  }
}

void CDeviceManager::OnTabSelected(QWidget* sender) {
  for (int i = 0; i < TabCount(); ++i) {
    CDeviceOptionUI* t = Tab(i);
    if (t && sender && (sender == t || t->isAncestorOf(sender))) {
      OnTabSelected(i);
      return;
    }
  }
}

void CDeviceManager::OnTabSelected(int index) {
  CDeviceOptionUI* tab = Tab(index);
  if (!tab) return;
  selectedTab_ = index;
  selectedIconKind_ = tab->IconKind();
  selectedIconVariant_ = tab->IconVariant();
  QWidget* powerLayout = Find(tab->PowerLayoutName().c_str());
  auto* stack = qobject_cast<QStackedWidget*>(powerLayout);
  if (!powerLayout) return;
  if (tab->PowerIndex() < 0 || !stack || tab->PowerIndex() >= stack->count()) {
    powerLayout->hide();
  } else {
    powerLayout->show();
    stack->setCurrentIndex(tab->PowerIndex());
  }
}

void CDeviceManager::SelectPreviousTab() {
  for (int i = selectedTab_ - 1; i >= 0; --i) {
    if (Tab(i) && Tab(i)->IsVisible()) {
      ShowTab(i, true, true);
      return;
    }
  }
}

void CDeviceManager::SelectNextTab() {
  for (int i = selectedTab_ + 1; i < TabCount(); ++i) {
    if (Tab(i) && Tab(i)->IsVisible()) {
      ShowTab(i, true, true);
      return;
    }
  }
}

// ---- window state --------------------------------------------------------------------------------

void CDeviceManager::SetLightControl(int state) {
  lightControl_ = state;
  // Each device takes the state on its own worker: a claim is an exchange with the device.
  for (auto& r : records_)
    if (r->device) {
      CTessaroUSBDevice* device = r->device.get();
      device->Session().Submit([device, state] { device->SetLightControl(state); });
    }
}

// ---- lighting synchronisation --------------------------------------------------------------------

void CDeviceManager::SyncLighting(CTessaroUSBDevice* from) {
  if (from == nullptr) return;
  const LightInfo source = from->GetLightEffect();
  const std::optional<SyncEffect> effect = SyncEffectOf(from->Family(), source);
  if (!effect) return;  // a mode the other devices have no counterpart of
  std::vector<CLightSync::Member> members;
  // Keyboards first, then mice, pads and headsets.
  for (const int family : {kKindKeyboard, kKindMouse, kKindMousePad, kKindHeadset}) {
    for (auto& r : records_) {
      CTessaroUSBDevice* device = r->device.get();
      if (device == nullptr || device->Family() != family || !device->link().IsOpen()) continue;
      const std::optional<int> mode = SyncModeOf(family, effect->type);
      if (!mode) continue;
      device->link().SetLightSyncActive(true);
      LightInfo own = source;
      own.mode = static_cast<uint8_t>(*mode);
      {
        auto lock = device->ModelLock();
        device->SetLightEffect(own);
        device->LoadProfileIntoState();
      }
      if (r->page) r->page->ShowLighting();
      device->RequestCommit();  // saves the profile and writes the settings on the device's worker
      QPointer<CDeviceOptionUI> tab = r->tab;
      if (tab) {
        tab->ShowSynchro(true);
        tab->SetSynchro(true);
      }
      // Once the device leaves, its tab loses the synchronised look (on the UI thread).
      auto left = [tab] {
        QMetaObject::invokeMethod(qApp, [tab] {
          if (!tab) return;
          tab->SetSynchro(false);
          tab->ShowSynchro(false);
        }, Qt::QueuedConnection);
      };
      members.push_back({device, std::move(left)});
    }
  }
  lightSync_.Begin(*effect, std::move(members));
}

CTessaroUSBDevice* CDeviceManager::FirstKeyboard() const {
  for (const auto& r : records_)
    if (r->device && r->device->Family() == kKindKeyboard) return r->device.get();
  return nullptr;
}

void CDeviceManager::OnAudioLevels(const int32_t* levels, size_t count) {
  // The light engine takes the levels under its own lock; its thread shows them at its next step.
  if (CTessaroUSBDevice* keyboard = FirstKeyboard()) keyboard->OnAudioLevels(levels, count);
}

void CDeviceManager::OnAudioStyle(const int32_t* values, size_t count) {
  if (CTessaroUSBDevice* keyboard = FirstKeyboard()) keyboard->SetAudioStyle(values, count);
}

void CDeviceManager::SetWindowActive(bool active) {
  for (auto& r : records_)
    if (r->device) r->device->SetWindowActive(active);
}

void CDeviceManager::SetWindowHidden(bool hidden) {
  windowHidden_ = hidden;
  for (auto& r : records_)
    if (r->tab) r->tab->SetWindowShown(!hidden);
}

void CDeviceManager::OnResume() {
  for (auto& r : records_)
    if (r->tab) r->tab->RestoreAfterResume();
}

std::vector<ConnectedDevice> CDeviceManager::ConnectedDevices() const {
  std::vector<ConnectedDevice> out;
  for (const auto& r : records_) {
    if (!r->tab || !r->tab->IsVisible() || !r->device) continue;
    CTessaroUSBDevice& d = *r->device;
    ConnectedDevice c;
    c.name = KindWord(d.Family());
    c.receiver = d.IsReceiverConnection();
    const int selected = d.ProfileList().GetSelectedIndex();
    const auto entries = d.ProfileList().ReadEntries();
    if (selected >= 0 && static_cast<size_t>(selected) < entries.size()) c.profile = entries[static_cast<size_t>(selected)].name;
    out.push_back(std::move(c));
  }
  return out;
}

void CDeviceManager::RefreshTexts() {
  // The pages fill these texts from the driver's model; they refill them in the new language.
  for (auto& r : records_) {
    if (!r->page || !r->device) continue;
    r->page->OnCataloguesLoaded();
    r->page->OnProfileStateChanged();
    r->page->OnKeyAssignmentsChanged();
  }
}

std::vector<uint32_t> CDeviceManager::FirmwareVersions() const {
  return update::WiredFirmwareVersions(Backend());
}

bool CDeviceManager::OnSimCommand(const std::string& text) {
  const auto command = sim::ParseSimCommand(text);
  auto simBackend = std::dynamic_pointer_cast<sim::SimBackend>(Backend());
  if (!command || !simBackend) {
    DebugLine("simulated-device command refused");
    return false;
  }
  const bool ok = sim::ApplySimCommand(*simBackend, *command);
  DebugPrintf("simulated device: %s %s", sim::FormatSimCommand(*command).c_str(), ok ? "done" : "(no such device)");
  return ok;
}

}  // namespace orlo
