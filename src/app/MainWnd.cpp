#include "app/MainWnd.h"

#include <QAbstractButton>
#include <QAction>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QLocale>
#include <QMetaObject>
#include <QMenu>
#include <QPixmap>
#include <QScreen>
#include <QStackedWidget>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QWindow>
#include <json/json.h>

#include "app/AccessRuleCommand.h"
#include "app/IDeviceManager.h"
#include "app/DivuRudoReport.h"
#include "app/MusicWnd.h"
#include "app/Router.h"
#include "app/WindowRouterHost.h"
#include "pages/common/DevicePageUI.h"
#include "platform/DebugLog.h"
#include "platform/Paths.h"
#include "platform/bus/MessageBus.h"
#include "platform/bus/RegisteredMessages.h"
#include "platform/bus/SleepWatch.h"
#include "sim/SimControl.h"
#include "ui/DpiManager.h"
#include "ui/FontTable.h"
#include "ui/LanguageStore.h"
#include "ui/MsgWnd.h"
#include "ui/ResourceManager.h"
#include "update/UpdateRows.h"
#include "update/UpdateSettings.h"

namespace orlo {

namespace {
// Between two passes of the device scan: hot-plug is noticed within this and one pass.
constexpr std::chrono::milliseconds kScanPeriod{200};

QString SkinFile(const std::string& relative) {
  return QString::fromStdString(ui::CResourceManager::GetInstance().ResolveFile(relative));
}
}  // namespace

CMainWnd::CMainWnd(bus::MessageBus* bus, std::unique_ptr<IDeviceManager> devices,
                   MainWindowOptions options)
    : ui::CWindowUI(nullptr, Qt::Window | Qt::FramelessWindowHint),
      bus_(bus),
      devices_(devices ? std::move(devices) : std::make_unique<CEmptyDeviceManager>()),
      options_(std::move(options)),
      handoff_(this),
      light_(
          [this](int state) { devices_->SetLightControl(state); },
          [this](int state) {
            if (bus_) bus_->Broadcast(bus::Messages().lightControlNotify, 1, state);
          },
          [this](int state) { SetLightButtonText(state); }),
      game_([this](int ms) { ArmTimer(kTimerGameRestore, ms); }),
      music_(paths::ProgramFolder() + "DefaultData/" + CMusicSettings::kFileName,
             options_.musicFilePath.empty() ? paths::AppDataFolder() + CMusicSettings::kFileName
                                            : options_.musicFilePath),
      language_(options_.languageIniPath) {
  setObjectName("MainWnd");
  if (bus_) {
    bus_->SetMessageHandler([this](uint32_t id, int64_t w, int64_t l) { OnRegisteredMessage(id, w, l); });
    bus_->SetDataHandler([this](int64_t w, uint32_t kind, const std::vector<uint8_t>& data) {
      OnDataBlock(w, kind, data);
    });
    bus_->SetStatusHandler([this] { return StatusText(); });
  }
}

CMainWnd::~CMainWnd() {
  if (bus_) {
    bus_->SetMessageHandler({});
    bus_->SetDataHandler({});
    bus_->SetStatusHandler({});
  }
  // Threads may still hand work to this window; they are stopped before the members go.
  workers_.StopAll();
}

void CMainWnd::InitWindow() {
  DebugLine("InitWindow");
  ui::CLanguageStore::GetInstance().LoadLanguage("lan_cn.xml");
  closeBtn_ = FindControl("closebtn");
  maxBtn_ = FindControl("maxbtn");
  restoreBtn_ = FindControl("restorebtn");
  minBtn_ = FindControl("minbtn");
  skinBtn_ = FindControl("skinbtn");
  gameModeBtn_ = FindControl("gamemodebtn");
  cloudBtn_ = FindControl("cloudbtn");
  smartEyesBtn_ = FindControl("smarteyesbtn");
  setBtn_ = FindControl("setbtn");
  // The window has one fixed size per DPI: no maximise.
  if (maxBtn_) maxBtn_->hide();
  if (restoreBtn_) restoreBtn_->hide();
  QIcon icon(SkinFile("common/app_icon.png"));
  setWindowIcon(icon);
  if (bus_) bus_->Publish(bus::kInstanceName);
  if (options_.start != WindowStart::kNoWindow) CreateTray();
  // A minimised start waits in the tray; without a tray it could never be opened: shown.
  keepHidden_ = options_.start == WindowStart::kNoWindow || (options_.start == WindowStart::kMinimized && tray_);
  AuxWindowsOptions aux = options_.aux;
  if (!aux.settings.toMain) {
    aux.settings.toMain = [this](uint32_t message, int64_t w, int64_t l) { OnPrivateMessage(message, w, l); };
  }
  if (!aux.settings.rows) {
    // Runs on the settings window's check thread.
    aux.settings.rows = [this] { return update::MakeUpdateRows(devices_->FirmwareVersions(), update::ApplicationVersion()); };
  }
  aux_ = std::make_unique<CAuxWindows>(this, std::move(aux));
  aux_->AttachSkin(Root());
}

QWidget* CMainWnd::CreateControl(const std::string& /*className*/, QWidget* /*parent*/) {
  // The device classes and the page items come with the device manager and the pages.
  return nullptr;
}

void CMainWnd::CreateTray() {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    DebugLine("no system tray: the window's close button ends the program");
    return;
  }
  tray_ = new QSystemTrayIcon(windowIcon(), this);
  tray_->setToolTip(QStringLiteral("Tavrin ORLO"));
  trayMenu_ = new QMenu(this);
  trayMenu_->setObjectName("tray_menu");
  for (const char* item : {"setwnd_menu", "about_menu", "exit"}) {
    QAction* a = trayMenu_->addAction(QString::fromStdString(ui::TextOf(item)));
    a->setObjectName(item);
    std::string name = item;
    connect(a, &QAction::triggered, this, [this, name] { OnMenuCommand(name); });
  }
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
    if (r == QSystemTrayIcon::Trigger) OnPrivateMessage(kMsgTray, 0, 514);
    if (r == QSystemTrayIcon::Context) OnPrivateMessage(kMsgTray, 0, 517);
  });
  tray_->show();
}

void CMainWnd::ShowTrayMenu() {
  if (!trayMenu_) return;
  for (QAction* a : trayMenu_->actions()) a->setText(QString::fromStdString(ui::TextOf(a->objectName().toStdString())));
  // Kept inside the screen that holds the cursor, whichever edge the panel is on.
  QPoint at = QCursor::pos();
  if (QScreen* s = QGuiApplication::screenAt(at)) {
    QRect area = s->availableGeometry();
    QSize size = trayMenu_->sizeHint();
    if (at.y() + size.height() > area.bottom()) at.setY(at.y() - size.height());
    if (at.x() + size.width() > area.right()) at.setX(at.x() - size.width());
  }
  trayMenu_->popup(at);
}

void CMainWnd::WindowInit() {
  if (initDone_) return;
  initDone_ = true;
  // Other programs learn that this program drives the lighting.
  light_.AnnounceStart();
  // Language.
  language_.LoadConfig(paths::ProgramFolder() + "DefaultData/Language.config");
  // Until the user picks a language, each start follows the system's.
  const std::string locale =
      options_.systemLocale.empty() ? QLocale::system().name().toStdString() : options_.systemLocale;
  SwitchLanguage(language_.StartupIndex(locale), false);
  DeviceManagerHost host;
  host.window = this;
  host.controls = this;
  host.bringToFront = [this] { BringToFront(); };
  host.postMessage = [this](int message, int64_t w, int64_t l) {
    QMetaObject::invokeMethod(
        this, [this, message, w, l] { OnPrivateMessage(static_cast<uint32_t>(message), w, l); },
        Qt::QueuedConnection);
  };
  host.endPendingCapture = [this] { OnPrivateMessage(kMsgKeyCapture, 0, 0); };
  host.accessDenied = [this](const std::string& path) { OnAccessDenied(path); };
  devices_->AttachHost(std::move(host));
  devices_->Initialise();
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    screenWidth_ = s->size().width();
    screenHeight_ = s->size().height();
  }
  game_.SetScreenSize(screenWidth_, screenHeight_);
  CWindowRouterHost::Actions actions;
  actions.selectedDevice = [this] { return devices_->SelectedDevice(); };
  actions.tabSelected = [this](QWidget* sender) { devices_->OnTabSelected(sender); };
  actions.neighbourTab = [this](bool next) { devices_->SelectNeighbourTab(next); };
  actions.caption = [this](IRouterHost::Caption which) { OnCaption(static_cast<int>(which)); };
  actions.dpi = [this] { return dpi_; };
  actions.profileSwitchTimer = [this] { ArmTimer(kTimerProfileSwitch, 400); };
  actions.syncLighting = [this] { devices_->SyncLighting(devices_->SelectedDevice()); };
  actions.musicWindow = [this] { OpenMusicWindow(); };
  actions.musicReset = [this] { ResetMusicSettings(); };
  routerHost_ = std::make_unique<CWindowRouterHost>(this, std::move(actions));
  routerHost_->SetScreenSize(screenWidth_, screenHeight_);
  router_ = std::make_unique<CRouter>(*routerHost_);
  // A resolution change re-runs the layout step (a DPI change arrives as a screen change).
  for (QScreen* screen : QGuiApplication::screens()) {
    connect(screen, &QScreen::geometryChanged, this, [this] {
      if (!Awake()) return;
      DebugLine("显示器分辨率发生变化");
      LayoutStep();
    });
  }
  hide();
  workers_.Start(CWorkerRecords::kScanRecord, [this](const CStopEvent& stop) {
    bool firstPass = true;
    for (;;) {
      if (stop.IsSet()) {
        DebugLine("抓取设备线程设定退出");
        return;
      }
      devices_->ScanPass(handoff_, stop);
      if (firstPass) {
        firstPass = false;
        const uint32_t instance = bus::Messages().instance;
        handoff_.Post([this, instance] { OnRegisteredMessage(instance, 0, 0); });
      }
      // One wake-up per pass: a device plugged in is noticed within a pass and a scan period.
      if (stop.WaitFor(kScanPeriod)) {
        DebugLine("抓取设备线程设定退出");
        return;
      }
    }
  });
  workers_.Start(CWorkerRecords::kLightSyncRecord,
                 [this](const CStopEvent& stop) { devices_->LightSyncThread(stop); });
  ArmTimer(kTimerLayout, 100);
  // Suspend and resume, when the machine has a login manager on the system bus.
  auto* sleep = new bus::SleepWatch(QString::fromStdString(options_.sleepBusAddress), this);
  connect(sleep, &bus::SleepWatch::Suspending, this, [this] { OnSuspend(); });
  connect(sleep, &bus::SleepWatch::Resumed, this, [this] { OnResume(); });
  LoadMusicSettings();
}

void CMainWnd::ArmTimer(int id, int ms) { SetTimer(Root() ? Root() : this, id, ms); }

void CMainWnd::Notify(ui::TNotifyUI& msg) {
  if (msg.sType == ui::notify::kWindowInit) {
    WindowInit();
    return;
  }
  if (msg.sType == ui::notify::kTimer) {
    // Timers wait while the machine sleeps; they fire again after the resume.
    if (!Awake()) return;
    const int id = static_cast<int>(msg.wParam);
    switch (id) {
      case kTimerLayout:
        KillTimer(msg.pSender, id);
        LayoutStep();
        update();
        break;
      case kTimerTrayMenu:
        KillTimer(msg.pSender, id);
        ShowTrayMenu();
        break;
      case kTimerProfileSwitch:
        KillTimer(msg.pSender, id);
        SwitchToChosenProfile();
        break;
      case kTimerGameRestore:
        KillTimer(msg.pSender, id);
        game_.OnRestoreTimer();
        break;
      default:
        break;
    }
    return;
  }
  if (msg.sType == ui::notify::kValueChanged) OnMusicSlider(msg);
  if (router_) router_->Route(msg);
}

void CMainWnd::SwitchToChosenProfile() {
  if (!routerHost_) return;
  if (CDevicePageUI* page = routerHost_->PageOf(devices_->SelectedDevice())) page->SwitchToChosenProfile(*routerHost_);
}

void CMainWnd::SetRecordingLock(bool locked) {
  if (routerHost_) routerHost_->SetRecordingLock(locked);
}

void CMainWnd::OnCaption(int which) {
  using Caption = IRouterHost::Caption;
  switch (static_cast<Caption>(which)) {
    case Caption::kClose:
      if (tray_) {
        hide();
        devices_->SetWindowHidden(true);
      } else {
        Exit();
      }
      break;
    case Caption::kNoDeviceOk: hide(); break;
    case Caption::kLightControl: SetLightControl(light_.State() ? 0 : 1); break;
    case Caption::kMinimize: showMinimized(); break;
    case Caption::kMaximize: showMaximized(); break;
    case Caption::kRestore: showNormal(); break;
    case Caption::kSettings: OnPrivateMessage(kMsgOpenSettings, 0, 0); break;
    case Caption::kSkin: aux_->OpenSkin(skinBtn_); break;
  }
}

void CMainWnd::OnRegisteredMessage(uint32_t id, int64_t wParam, int64_t lParam) {
  const bus::RegisteredMessages& m = bus::Messages();
  if (id == m.instance) {
    // A second start (lParam 1) is the user asking for the window; the first scan pass is not.
    if (lParam != 0 && options_.start != WindowStart::kNoWindow) keepHidden_ = false;
    BringToFront();
  } else if (id == m.updateStatus) {
    if (aux_) aux_->OnUpdaterMessage(wParam, lParam);
  } else if (id == m.lightControlSet) {
    light_.OnSetMessage(wParam, lParam);
  } else if (id == m.divuRudoReport) {
    SendDivuRudoReport();
  } else if (m.IsGame(id)) {
    if (!Awake()) return;
    game_.OnGameMessage(devices_->SelectedLightTarget(), wParam, lParam);
  } else if (m.IsHook(id) || m.IsMouse(id)) {
    if (!Awake()) return;
    // Key capture and macro recording arrive with the input hooks.
  }
}

void CMainWnd::OnDataBlock(int64_t wParam, uint32_t kind, const std::vector<uint8_t>& data) {
  if (!Awake()) return;
  if (kind == sim::kSimControlKind) {
    // Acted on only when the program runs on simulated devices.
    devices_->OnSimCommand(std::string(data.begin(), data.end()));
    return;
  }
  switch (audio_.Accept(kind, data)) {
    case CAudioInbox::Result::Frame:
      NoteAudioCapture(wParam);
      if (audioLevels_.OnFrame(audio_.Frame(), audio_.PreviousFrame()))
        devices_->OnAudioLevels(audioLevels_.Block().data(), audioLevels_.Block().size());
      break;
    case CAudioInbox::Result::Style:
      NoteAudioCapture(wParam);
      devices_->OnAudioStyle(audio_.Style().data(), audio_.Style().size());
      break;
    case CAudioInbox::Result::Refused:
      DebugPrintf("data block of kind %u and %zu bytes refused", kind, data.size());
      break;
  }
}

void CMainWnd::OnPrivateMessage(uint32_t message, int64_t wParam, int64_t lParam) {
  // Arrivals, removals and reachability change what is bound; dropping them during a suspend
  // would leave a device unopened until it is plugged again.
  if (message == kMsgDeviceArrived || message == kMsgDeviceRemoved || message == kMsgWirelessState) {
    devices_->OnWindowMessage(message, wParam, lParam);
    return;
  }
  if (!Awake()) return;
  switch (message) {
    case kMsgTray:
      if (lParam == 514) ToggleFromTray();
      if (lParam == 517) ArmTimer(kTimerTrayMenu, 10);
      break;
    case kMsgLanguageChanged:
      if (wParam >= 0 && wParam <= INT32_MAX) SwitchLanguage(static_cast<int>(wParam));
      break;
    case kMsgShowProgress:
      if (QWidget* p = FindControl("setting_progress")) p->show();
      break;
    case kMsgUpdateCheckEnded:
      if (setBtn_) setBtn_->setProperty("foreimage", QString());
      break;
    case kMsgOpenSettings:
      if (aux_) aux_->OpenSettings(languageIndex_);
      break;
    case 1224:
      DebugLine("1224");
      break;
    default:
      break;
  }
}

void CMainWnd::OnMenuCommand(const std::string& item) {
  if (item == "exit") {
    Exit();
  } else if (item == "setwnd_menu") {
    OnPrivateMessage(kMsgOpenSettings, 0, 0);
  } else if (item == "about_menu") {
    if (aux_) aux_->OpenAbout();
  }
}

void CMainWnd::LoadMusicSettings() {
  music_.Load();
  SendMusicColour(music_.Style());
}

void CMainWnd::ResetMusicSettings() { music_.Reset(); }

CMusicWnd* CMainWnd::MusicWindow() const { return musicWnd_.data(); }

void CMainWnd::OpenMusicWindow() {
  if (musicWnd_) return;
  QPointer<CMusicWnd> wnd = new CMusicWnd(this);
  musicWnd_ = wnd;
  wnd->SetDpi(dpi_);
  wnd->SetSettings(music_.ReadStyle());
  const int result = wnd->Run();
  // The window may have gone with its owner during the run.
  if (!wnd) return;
  if (result == 1) {
    const MusicStyleSettings s = wnd->GetSettings();
    SendMusicColour(s);
    music_.WriteStyle(s);
    if (!music_.Save()) DebugPrintf("music settings: %s was not written", music_.UserPath().c_str());
  }
  musicWnd_ = nullptr;
  delete wnd.data();
}

void CMainWnd::NoteAudioCapture(int64_t sender) {
  if (sender == 0 || sender == audioCaptureId_) return;
  audioCaptureId_ = sender;
  DebugPrintf("audio capture program %lld is sending", static_cast<long long>(sender));
  SendMusicColour(music_.Style());
}

void CMainWnd::SendMusicColour(const MusicStyleSettings& settings) {
  if (!bus_ || audioCaptureId_ == 0) return;
  const MusicStyleColour& c = settings.SelectedColour();
  bus_->PostData(bus::kAudioCaptureTitle, static_cast<int64_t>(winId()), CMusicSettings::kColourKind,
                 CMusicSettings::ColourBlock(settings));
  DebugPrintf("music colour %u %u %u sent", c.red, c.green, c.blue);
}

void CMainWnd::SendAudioCommand(int command, int64_t value) {
  if (!bus_ || audioCaptureId_ == 0) return;
  bus_->Broadcast(bus::Messages().audioRecord, command, value);
}

void CMainWnd::SendShutdownCommands() {
  if (!bus_ || !bus_->PeerPresent(bus::kAudioCaptureTitle)) return;
  for (int command : {2, 4, 5}) bus_->Broadcast(bus::Messages().audioRecord, command, 0);
}

void CMainWnd::OnMusicSlider(const ui::TNotifyUI& msg) {
  static constexpr const char* kSliders[] = {"R_light_slider", "G_light_slider", "B_light_slider"};
  static constexpr const char* kLabels[] = {"R_light_label", "G_light_label", "B_light_label"};
  static constexpr char kLetters[] = {'R', 'G', 'B'};
  for (int i = 0; i < 3; ++i) {
    if (msg.sSenderName != kSliders[i]) continue;
    SendAudioCommand(6 + i, msg.wParam);
    if (auto* label = FindControl<QLabel>(kLabels[i]))
      label->setText(QStringLiteral("%1 %2").arg(QChar(kLetters[i])).arg(msg.wParam));
  }
}

void CMainWnd::OnAccessDenied(const std::string& path) {
  if (accessNoticeGiven_) return;
  accessNoticeGiven_ = true;
  const std::string command =
      AccessRuleInstallCommand(OrloctlBeside(QCoreApplication::applicationFilePath().toStdString()));
  std::fprintf(stderr, "orlo: %s may not be opened by this user; to install the device access rule, run:\n  %s\n",
               path.c_str(), command.c_str());
  // Not modal: the scan goes on, and the device appears by itself once the rule is in place.
  // One step of the command per line; a line ending in "&&" goes on on the next when pasted.
  QString shown = QString::fromStdString(command);
  shown.replace(QLatin1String(" && "), QLatin1String(" &&\n"));
  auto* box = new ui::CMsgWnd(this);
  if (!box->Prepare(ui::TextOf("access_denied_title"), ui::TextOf("access_denied_text") + "\n\n" + shown.toStdString(),
                    dpi_, false, ui::CMsgWnd::kConfirmOnly)) {
    delete box;
    return;
  }
  if (auto* text = box->FindControl<QLabel>("MessageText")) {
    text->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  }
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setMinimumWidth(700);  // the command's longest line unbroken
  box->adjustSize();
  box->CenterWindow();
  box->show();
  accessNotice_ = box;
}

void CMainWnd::SetNoDeviceVisible(bool visible) {
  if (QWidget* w = FindControl("No_device_Link")) {
    if (auto* stack = qobject_cast<QStackedWidget*>(w->parentWidget())) {
      if (visible) stack->setCurrentWidget(w);
    }
    w->setVisible(visible);
  }
  // The tab row's hint stands in for the tabs while there are none.
  if (QWidget* hint = FindControl("device_select_hint")) hint->setVisible(visible);
}

void CMainWnd::BringToFront() {
  if (keepHidden_) {
    devices_->SetWindowHidden(true);
    emit StayedHidden();
    return;
  }
  SetNoDeviceVisible(devices_->LinkedDeviceCount() == 0);
  devices_->SetWindowHidden(false);
  showNormal();
  raise();
  activateWindow();
  shownOnce_ = true;
  DebugLine("main window brought to front");
  emit BroughtToFront();
  MaybeTakeScreenshot();
}

void CMainWnd::ToggleFromTray() {
  keepHidden_ = false;
  if (isVisible() && !isMinimized()) {
    hide();
    devices_->SetWindowHidden(true);
    return;
  }
  LayoutStep();
  BringToFront();
  update();
}

void CMainWnd::LayoutStep() {
  QScreen* s = screen();
  if (QScreen* near = QGuiApplication::screenAt(frameGeometry().center())) s = near;
  const QSize monitor = s ? s->size() : QSize(1280, 1024);
  dpi_ = ui::CDpiManager::Checked(ui::CDpiManager::ForScreen(monitor.width(), monitor.height()),
                                  "MAIN_WND DPI SET ERROR");
  // The design size is set at 96 DPI and then scaled with everything else.
  ui::CDpiManager::SetAllDPI(96);
  resize(1000, 640);
  ui::CDpiManager::SetAllDPI(dpi_);
  // The window's own size follows the design size, whatever size the toolkit first saw.
  resize(ui::CDpiManager::Scale(1000), ui::CDpiManager::Scale(640));
  // Button icons are drawn at a size of their own; they follow the DPI too.
  for (QAbstractButton* b : findChildren<QAbstractButton*>()) {
    QVariant base = b->property("orloBaseIconSize");
    if (!base.isValid()) {
      base = b->iconSize();
      b->setProperty("orloBaseIconSize", base);
    }
    const QSize s0 = base.toSize();
    b->setIconSize(QSize(ui::CDpiManager::Scale(s0.width()), ui::CDpiManager::Scale(s0.height())));
  }
  CenterWindow();
  laidOut_ = true;
  emit LaidOut();
  MaybeTakeScreenshot();
}

void CMainWnd::SwitchLanguage(int index, bool remember) {
  if (index == languageIndex_) return;
  const LanguageEntry* entry = language_.At(index);
  // Without a language list only the first position exists (texts stay as loaded).
  if (!entry && !(language_.Languages().empty() && index == 0)) {
    DebugPrintf("language %d is not in the list", index);
    return;
  }
  ui::CLanguageFaces faces;
  faces.LoadFile(ui::CResourceManager::GetInstance().ResolveFile("style/fonts.xml"));
  if (auto face = faces.FaceFor(index, languageIndex_)) {
    ui::CFontTable::GetInstance().SetInterfaceFonts(*face);
    ui::CFontTable::GetInstance().ReloadFonts();
  }
  languageIndex_ = index;
  if (entry) {
    auto& store = ui::CLanguageStore::GetInstance();
    store.SetLanguage(entry->name);
    store.LoadLanguage(entry->file);
    store.ReloadText();
    if (remember) language_.WriteValue(entry->id);
  }
  // Texts put together in code (not from a text id) are refilled by their owners.
  devices_->RefreshTexts();
  if (aux_) aux_->OnLanguageChanged(index);
  if (musicWnd_) musicWnd_->OnLanguageChanged();
  SetLightButtonText(light_.State());
  update();
}

void CMainWnd::SetLightButtonText(int state) {
  if (QWidget* b = FindControl("control_light_status")) {
    ui::CLanguageStore::GetInstance().SetControlText(
        b, state ? "control_light_text_1" : "control_light_text_0", true);
    b->setProperty("lightControl", state);
    b->style()->unpolish(b);
    b->style()->polish(b);
  }
}

void CMainWnd::SetLightControl(int state) { light_.Set(state); }

void CMainWnd::OnSuspend() { light_.Suspend(); }

void CMainWnd::OnResume() {
  light_.Resume();
  // A device may have lost its settings while the machine slept.
  devices_->OnResume();
}

std::string CMainWnd::StatusText() const {
  Json::Value out(Json::objectValue);
  out["window"] = options_.start == WindowStart::kNoWindow ? "none" : isVisible() ? "shown" : "hidden";
  out["awake"] = Awake();
  Json::Value& list = out["devices"] = Json::Value(Json::arrayValue);
  for (const ConnectedDevice& d : devices_->ConnectedDevices()) {
    Json::Value v;
    v["device"] = d.name;
    v["connection"] = d.receiver ? "receiver" : "wired";
    v["profile"] = d.profile;
    list.append(v);
  }
  Json::StreamWriterBuilder writer;
  writer["indentation"] = "";
  return Json::writeString(writer, out);
}

void CMainWnd::SendDivuRudoReport() {
  if (!bus_ || !bus_->PeerPresent(kDivuRudoTitle)) return;
  bus_->SendData(kDivuRudoTitle, static_cast<int64_t>(winId()), kDivuRudoDataKind,
                 BuildDivuRudoBlock(UpdateTableIntegers()));
}

void CMainWnd::MaybeTakeScreenshot() {
  if (options_.screenshotPath.empty() || screenshotTaken_ || !shownOnce_ || !laidOut_) return;
  screenshotTaken_ = true;
  // Let the first paint after the layout step settle; ORLO_SCREENSHOT_DELAY_MS waits longer, so
  // that devices found by the first scan have been read and their pages filled.
  int delay = 300;
  if (const QByteArray v = qgetenv("ORLO_SCREENSHOT_DELAY_MS"); !v.isEmpty())
    delay = std::clamp(v.toInt(), 0, 60000);
  QTimer::singleShot(delay, this, [this] {
    const QString path = QString::fromStdString(options_.screenshotPath);
    if (grab().save(path, "PNG")) {
      std::printf("screenshot: %s\n", options_.screenshotPath.c_str());
    } else {
      std::fprintf(stderr, "orlo: cannot write %s\n", options_.screenshotPath.c_str());
    }
    std::fflush(stdout);
    Exit();
  });
}

void CMainWnd::Exit() {
  if (destroyed_) return;
  if (aux_) aux_->CloseAll();
  if (musicWnd_) musicWnd_->Close(0);
  OnDestroy();
  QWidget::close();
}

void CMainWnd::closeEvent(QCloseEvent* event) {
  if (destroyed_) {
    event->accept();
    return;
  }
  // Closed from outside (window manager, session end): as the close button.
  event->ignore();
  if (tray_) {
    hide();
    devices_->SetWindowHidden(true);
  } else {
    Exit();
  }
}

void CMainWnd::OnDestroy() {
  destroyed_ = true;
  if (tray_) {
    tray_->hide();
    delete tray_;
    tray_ = nullptr;
  }
  DebugLine("退出测试");
  hide();
  workers_.StopAll();
  // The audio-capture program is told to stop, after the threads.
  SendShutdownCommands();
  audioCapture_.SetMusicLighting(false);
  emit Destroyed();
}

void CMainWnd::showEvent(QShowEvent* event) {
  ui::CWindowUI::showEvent(event);
  if (!screenHooked_ && windowHandle()) {
    screenHooked_ = true;
    connect(windowHandle(), &QWindow::screenChanged, this, [this](QScreen*) {
      if (!Awake()) return;
      DebugLine("界面 DPI 发生变化");
      LayoutStep();
    });
  }
}

void CMainWnd::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange) {
    windowActive_ = isActiveWindow();
    devices_->SetWindowActive(windowActive_);
  }
  ui::CWindowUI::changeEvent(event);
}

void CMainWnd::enterEvent(QEnterEvent* event) {
  DebugLine("鼠标移入");
  devices_->SetWindowActive(true);
  ui::CWindowUI::enterEvent(event);
}

void CMainWnd::leaveEvent(QEvent* event) {
  DebugLine("鼠标移出");
  devices_->SetWindowActive(false);
  ui::CWindowUI::leaveEvent(event);
}

}  // namespace orlo
