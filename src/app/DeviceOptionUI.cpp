#include "app/DeviceOptionUI.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QIcon>
#include <QLabel>
#include <QStackedWidget>

#include "device/link/Catalogue.h"
#include "device/model/TessaroUSBDevice.h"
#include "pages/common/DevicePageUI.h"
#include "platform/DebugLog.h"
#include "ui/LanguageStore.h"
#include "ui/ResourceManager.h"
#include "ui/Selection.h"
#include "ui/TimerService.h"
#include "ui/WindowUI.h"

namespace orlo {

namespace {

QString SkinPath(const std::string& relative) {
  return QString::fromStdString(ui::CResourceManager::GetInstance().ResolveFile(relative));
}

}  // namespace

CDeviceOptionUI::CDeviceOptionUI(QWidget* parent) : QWidget(parent) {
  // Created hidden: a tab appears only when its device has a connection.
  QWidget::setVisible(false);
}

CDeviceOptionUI::~CDeviceOptionUI() { ui::CTimerService::Instance().KillTimers(this); }

void CDeviceOptionUI::FindChildren() const {
  if (childrenFound_) return;
  childrenFound_ = true;
  select_ = qobject_cast<QAbstractButton*>(ui::FindSubControlByName(this, "device_select"));
  synchro_ = qobject_cast<QAbstractButton*>(ui::FindSubControlByName(this, "synchro_device_select"));
  name_ = qobject_cast<QLabel*>(ui::FindSubControlByName(this, "device_select_name"));
  if (select_) {
    select_->setCheckable(true);
    auto* self = const_cast<CDeviceOptionUI*>(this);
    connect(select_, &QAbstractButton::toggled, self, [self](bool on) { self->OnSelectToggled(on); });
  }
  if (synchro_) synchro_->setCheckable(true);
}

QAbstractButton* CDeviceOptionUI::SelectButton() const {
  FindChildren();
  return select_;
}

QAbstractButton* CDeviceOptionUI::SynchroButton() const {
  FindChildren();
  return synchro_;
}

void CDeviceOptionUI::SetDevice(CTessaroUSBDevice* device, CDevicePageUI* page, QWidget* previewControl) {
  device_ = device;
  page_ = page;
  preview_ = previewControl;
}

void CDeviceOptionUI::SetIcon(int kind, int variant) {
  const std::string word = IconSetWord(static_cast<uint16_t>(kind), variant);
  // A mousepad variant without its own drawings keeps what the tab had.
  if (word.empty()) return;
  const IconSet set = MakeIconSet(word);
  iconKind_ = kind;
  iconVariant_ = variant;
  normalImage_ = set.normal;
  selectedImage_ = set.selected;
  synchroNormalImage_ = set.synchroNormal;
  synchroSelectedImage_ = set.synchroSelected;
  ApplyButtonImages();
  if (QAbstractButton* b = SelectButton()) {
    b->setProperty("disabledimage", QString::fromStdString(normalImage_));
    // By its text id, so that a language switch retranslates it with the other texts.
    b->setProperty(ui::kToolTipIdProperty, QString::fromStdString(set.nameText));
    b->setToolTip(QString::fromStdString(ui::TextOf(set.nameText)));
  }
}

void CDeviceOptionUI::ApplyButtonImages() {
  QAbstractButton* b = SelectButton();
  if (!b || normalImage_.empty()) return;
  const bool synchro = IsSynchro();
  const std::string& normal = synchro ? synchroNormalImage_ : normalImage_;
  const std::string& selected = synchro ? synchroSelectedImage_ : selectedImage_;
  b->setProperty("normalimage", QString::fromStdString(normal));
  b->setProperty("selectedimage", QString::fromStdString(selected));
  QIcon icon;
  icon.addFile(SkinPath(normal), QSize(), QIcon::Normal, QIcon::Off);
  icon.addFile(SkinPath(selected), QSize(), QIcon::Normal, QIcon::On);
  icon.addFile(SkinPath(normalImage_), QSize(), QIcon::Disabled, QIcon::Off);
  b->setIcon(icon);
}

void CDeviceOptionUI::SetGroup(const std::string& name) {
  QAbstractButton* b = SelectButton();
  if (!b || name.empty()) return;
  // One exclusive group per name in the window, so the tabs of a row select one another away.
  QWidget* host = window();
  const QString groupName = QStringLiteral("optiongroup:") + QString::fromStdString(name);
  auto* group = host->findChild<QButtonGroup*>(groupName, Qt::FindDirectChildrenOnly);
  if (!group) {
    group = new QButtonGroup(host);
    group->setObjectName(groupName);
    group->setExclusive(true);
  }
  if (QButtonGroup* old = b->group(); old && old != group) old->removeButton(b);
  group->addButton(b);
  b->setProperty("group", QString::fromStdString(name));
}

void CDeviceOptionUI::BindPage(const std::string& tabLayoutName, int index) {
  if (!SelectButton()) return;
  boundLayout_ = tabLayoutName;
  boundIndex_ = index;
}

std::string CDeviceOptionUI::BoundLayoutName() const { return SelectButton() ? boundLayout_ : std::string(); }

int CDeviceOptionUI::BoundIndex() const { return SelectButton() ? boundIndex_ : -1; }

void CDeviceOptionUI::SetPowerPage(const std::string& layoutName, int index) {
  powerLayoutName_ = layoutName;
  if (index >= 0) powerIndex_ = index;
}

void CDeviceOptionUI::SetName(const std::string& text) {
  FindChildren();
  if (name_) name_->setText(QString::fromStdString(text));
}

std::string CDeviceOptionUI::Name() const {
  FindChildren();
  return name_ ? name_->text().toStdString() : std::string();
}

void CDeviceOptionUI::SetVisible(bool shown) {
  visible_ = shown;
  QWidget::setVisible(shown);
}

void CDeviceOptionUI::Select(bool selected) {
  QAbstractButton* b = SelectButton();
  if (!b) return;
  if (selected) {
    b->setChecked(true);
    return;
  }
  // An exclusive group keeps one button checked; unchecking the checked one needs it lifted.
  QButtonGroup* group = b->group();
  const bool exclusive = group && group->exclusive();
  if (exclusive) group->setExclusive(false);
  b->setChecked(false);
  if (exclusive) group->setExclusive(true);
}

bool CDeviceOptionUI::IsSelected() const {
  QAbstractButton* b = SelectButton();
  return b && b->isChecked();
}

void CDeviceOptionUI::ShowSynchro(bool shown) {
  if (QAbstractButton* s = SynchroButton()) s->setVisible(shown);
  ApplyButtonImages();
}

void CDeviceOptionUI::SetSynchro(bool selected) {
  if (QAbstractButton* s = SynchroButton()) ui::SelectOption(s, selected, false);
  ApplyButtonImages();
}

bool CDeviceOptionUI::IsSynchro() const {
  QAbstractButton* s = SynchroButton();
  return s && s->isChecked();
}

void CDeviceOptionUI::OnSelectToggled(bool on) {
  if (!on) return;
  if (!boundLayout_.empty() && boundIndex_ >= 0) {
    auto* stack = qobject_cast<QStackedWidget*>(ui::FindSubControlByName(window(), boundLayout_));
    if (stack && boundIndex_ < stack->count()) stack->setCurrentIndex(boundIndex_);
  }
  if (selectedSink_) selectedSink_();
}

// ---- timers ------------------------------------------------------------------------------------

void CDeviceOptionUI::ArmTimer(int id, int ms) { ui::CTimerService::Instance().SetTimer(this, id, ms); }

bool CDeviceOptionUI::TimerArmed(int id) const {
  return ui::CTimerService::Instance().IsArmed(const_cast<CDeviceOptionUI*>(this), id);
}

void CDeviceOptionUI::StopTimers() {
  ui::CTimerService::Instance().KillTimers(this);
  contactMade_ = false;
  reachRetries_ = 0;
}

void CDeviceOptionUI::StartContact() { ArmTimer(kTimerFirstContact, 500); }

void CDeviceOptionUI::ArmPresence(int ms) {
  if (device_ && device_->link().IsOpen()) ArmTimer(kTimerPresence, ms);
}

void CDeviceOptionUI::SetWindowShown(bool shown) {
  if (windowShown_ == shown) return;
  windowShown_ = shown;
  if (shown && contactMade_ && PollsLeds() && device_->link().IsOpen() && !TimerArmed(kTimerPaint))
    ArmTimer(kTimerPaint, 5);
}

bool CDeviceOptionUI::PollsLeds() const {
  // A page that paints on the light thread's notice needs no timer waking the window for it.
  return device_ != nullptr && !(page_ && page_->PaintsOnLedChange());
}

void CDeviceOptionUI::SendReachability(int state) {
  if (messageSink_) messageSink_(kReachabilityMessage, tabRow_, state);
}

bool CDeviceOptionUI::OnControlTimer(int id) {
  if (id < kTimerPaint || id > kTimerPresence) return false;
  // Each timer fires once and is re-armed below as its job requires.
  ui::CTimerService::Instance().KillTimer(this, id);
  if (!device_) return true;
  CTessaroUSBDevice* device = device_;
  switch (id) {
    case kTimerPaint: {
      // Painting an invisible window only costs wake-ups; SetWindowShown resumes it.
      if (!windowShown_ || !PollsLeds()) break;
      if (page_) page_->PaintLeds();
      if (preview_ && IsSelected() && device->WindowActive()) preview_->update();
      if (device->link().IsOpen()) ArmTimer(kTimerPaint, device->IsReceiverConnection() ? 100 : 10);
      break;
    }
    case kTimerFirstContact:
      OnFirstContactTimer();
      break;
    case kTimerReload:
      device->Session().Submit([device] { device->ReloadFromDevice(); });
      break;
    case kTimerBattery:
      if (!device->link().IsOpen()) break;
      device->Session().Submit([device] { device->PollBattery(); });
      if (device->HasPowerIndicator()) ArmTimer(kTimerBattery, 5000);
      break;
    case kTimerPresence:
      OnPresenceTimer();
      break;
    default:
      break;
  }
  return true;
}

void CDeviceOptionUI::OnFirstContactTimer() {
  CTessaroUSBDevice* device = device_;
  const bool receiver = device->IsReceiverConnection();
  // A closed link has nothing to probe; the manager starts contact again on the next arrival.
  if (receiver && !device->link().IsOpen()) return;
  // The exchanges may wait up to the receiver's time-out: they run on the device's worker.
  // The answer comes back through the tab's dispatcher, which drops it if the tab is gone; the
  // device (and its worker) always ends before its tab.
  device->Session().Submit([this, device, receiver] {
    const bool reachable = !receiver || device->IsReachable() != 0;
    // Once: a second run would read the whole device and write its settings again for nothing.
    if (reachable) device->OnFirstContact();
    ui_.Post([this, receiver, reachable] { AfterFirstContact(receiver, reachable); });
  });
}

void CDeviceOptionUI::AfterFirstContact(bool receiver, bool reachable) {
  if (!device_) return;
  if (!reachable) {
    reachRetries_ = (reachRetries_ + 1) % kMaxReachRetries;
    SendReachability(0);
    ArmTimer(kTimerFirstContact, 3000);
    return;
  }
  if (receiver) SendReachability(1);
  reachRetries_ = 0;
  contactMade_ = true;
  if (PollsLeds()) ArmTimer(kTimerPaint, 5);
  if (device_->HasPowerIndicator() && device_->link().IsOpen()) ArmTimer(kTimerBattery, 50);
  if (receiver) ArmPresence(2000);
}

void CDeviceOptionUI::RestoreAfterResume() {
  // A first contact still to come writes the profile itself; a hidden receiver tab restores
  // when its device answers again.
  if (!device_ || !contactMade_ || !visible_ || !device_->link().IsOpen()) return;
  CTessaroUSBDevice* device = device_;
  device->Session().Submit([device] { device->RestoreSettings(); });
}

void CDeviceOptionUI::OnPresenceTimer() {
  CTessaroUSBDevice* device = device_;
  if (!device->link().IsOpen()) return;
  if (!device->IsReceiverConnection()) {
    DebugLine("2.4gcesvdfherhue  12312423");
    return;
  }
  device->Session().Submit([this, device] {
    const bool reachable = device->IsReachable() != 0;
    ui_.Post([this, reachable] { AfterPresence(reachable); });
  });
}

void CDeviceOptionUI::AfterPresence(bool reachable) {
  if (!device_) return;
  if (reachable && !visible_) {
    SendReachability(1);
    // Woken behind its receiver: it may have lost what it was sent.
    CTessaroUSBDevice* device = device_;
    device->Session().Submit([device] { device->RestoreSettings(); });
    if (device->HasPowerIndicator()) device->Session().Submit([device] { device->PollBattery(); });
    DebugLine("2.4gcesvdfherhue  12312423 123342341");
  } else if (!reachable && visible_) {
    SendReachability(0);
    DebugLine("2.4gcesvdfherhue");
  }
  ArmTimer(kTimerPresence, 3000);
}

}  // namespace orlo
