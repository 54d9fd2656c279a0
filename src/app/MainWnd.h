#pragma once
// The program's main window: its layout, window-init, visibility, layout step, tray, timers,
// the messages of other programs, language, light-control state, game lighting, suspend and
// resume, and the orderly shutdown of its worker threads.
#include <QPointer>
#include <memory>
#include <string>

#include "app/AudioCaptureProcess.h"
#include "app/AuxWindows.h"
#include "app/AudioInbox.h"
#include "app/AudioLevels.h"
#include "app/GameLighting.h"
#include "app/LanguageSetting.h"
#include "app/LightControl.h"
#include "app/MusicSettings.h"
#include "app/QtUiDispatcher.h"
#include "app/WorkerRecords.h"
#include "ui/DialogBuilder.h"
#include "ui/WindowUI.h"

class QSystemTrayIcon;
class QMenu;

namespace orlo {

namespace bus {
class MessageBus;
}
class IDeviceManager;
class CRouter;
class CWindowRouterHost;
class CMusicWnd;

// Private message numbers other parts send to the main window.
enum MainWindowMessage : uint32_t {
  kMsgTray = 1025,
  kMsgKeyCapture = 1054,
  kMsgMenuCommand = 1145,
  kMsgShowProgress = 3072,
  kMsgLanguageChanged = 3089,
  kMsgDeviceArrived = 3090,
  kMsgDeviceRemoved = 3091,
  kMsgOpenSettings = 3093,
  kMsgUpdateCheckEnded = 3094,
  kMsgWirelessState = 3331,
};

// Timer ids of the window.
enum MainWindowTimer : int {
  kTimerLayout = 1011,
  kTimerTrayMenu = 1032,
  kTimerProfileSwitch = 1055,
  kTimerGameRestore = 1066,
};

// How the window comes up after the first device scan.
enum class WindowStart {
  kShown,      // shown and raised
  kMinimized,  // in the tray until the user opens it (shown where the desktop has no tray)
  kNoWindow,   // never shown, no tray: the devices are kept configured and the bus answered
};

struct MainWindowOptions {
  std::string screenshotPath;  // save a PNG once shown and laid out, then exit
  std::string languageIniPath; // empty: the configuration folder's file
  std::string systemLocale;    // empty: the system's ("zh_CN", "en_US", "C" ...)
  AuxWindowsOptions aux;        // settings, about and skin windows (empty: the defaults)
  WindowStart start = WindowStart::kShown;
  std::string sleepBusAddress;  // where suspend and resume are announced; empty: the system bus
  std::string musicFilePath;    // the user's AudioFile.json; empty: the user data folder's
};

class CMainWnd : public ui::CWindowUI, public ui::IDialogBuilderCallback {
  Q_OBJECT
 public:
  CMainWnd(bus::MessageBus* bus, std::unique_ptr<IDeviceManager> devices,
           MainWindowOptions options = {});
  ~CMainWnd() override;

  std::string GetWindowClassName() const override { return "MainWnd"; }
  std::string GetSkinFile() const override { return "XML_MAIN"; }
  void InitWindow() override;
  void Notify(ui::TNotifyUI& msg) override;
  QWidget* CreateControl(const std::string& className, QWidget* parent) override;

  // Window-init: runs once; the window stays hidden until the first scan pass is done.
  void WindowInit();
  // A registered message from another program or from this program's own parts.
  void OnRegisteredMessage(uint32_t id, int64_t wParam, int64_t lParam);
  // A data block from another program.
  void OnDataBlock(int64_t wParam, uint32_t kind, const std::vector<uint8_t>& data);
  // A private message (numbers above).
  void OnPrivateMessage(uint32_t message, int64_t wParam, int64_t lParam);
  void OnMenuCommand(const std::string& item);

  void BringToFront();
  void ToggleFromTray();
  void LayoutStep();
  // Switches to language `index` of Language.config; nothing when it is the current one or not
  // in the list. `remember`: store it as the user's choice (the start-up language is not one).
  void SwitchLanguage(int index, bool remember = true);
  // A supported device is present but may not be opened: says so once per run, with the command
  // that installs the device access rule.
  void OnAccessDenied(const std::string& path);
  void SetLightControl(int state);
  // Timer 1055: the selected device takes the profile chosen in its page's list.
  void SwitchToChosenProfile();
  // While a macro recording runs: the device tabs and the selected device's profile control
  // are locked, so that neither the device nor its profile changes under the recording.
  void SetRecordingLock(bool locked);
  // Music lighting on or off: runs or stops the audio-capture program that feeds its levels.
  bool SetMusicLighting(bool on) {
    if (!on) audioCaptureId_ = 0;
    return audioCapture_.SetMusicLighting(on);
  }
  // Music styles: read at window-init (the default copy takes the place of a missing user
  // copy), put back to the defaults by a profile reset, edited in the music style window
  // (confirmed: the colour is sent on, the styles stored and saved; cancelled: nothing changes).
  void LoadMusicSettings();
  void ResetMusicSettings();
  void OpenMusicWindow();
  // The selected style's colour to the audio-capture program, once that program is known (its
  // first data block names it). Posted: the window never waits for it.
  void SendMusicColour(const MusicStyleSettings& settings);
  // A command of the audio-capture message to the audio-capture program, once it is known:
  // 6, 7, 8 with the value of the R, G, B light slider.
  void SendAudioCommand(int command, int64_t value);
  // At shutdown: the commands 2, 4 and 5 to the audio-capture program when it is on the bus.
  void SendShutdownCommands();
  void OnSuspend();
  void OnResume();
  // Closes the auxiliary windows, then the main window (which ends the program).
  void Exit();

  int LanguageIndex() const { return languageIndex_; }
  int Dpi() const { return dpi_; }
  bool Awake() const { return light_.Awake(); }
  // Whether the worker thread of a record (CWorkerRecords) still runs.
  bool WorkerRunning(int record) const { return workers_.Running(record); }
  int LightControlState() const { return light_.State(); }
  const CAudioInbox& Audio() const { return audio_; }
  const CMusicSettings& Music() const { return music_; }
  // The audio-capture program's id (the wParam of its blocks), 0 while none is known.
  int64_t AudioCaptureId() const { return audioCaptureId_; }
  // The music style window while it is open.
  CMusicWnd* MusicWindow() const;
  const CLanguageSetting& Language() const { return language_; }
  bool WindowInitDone() const { return initDone_; }
  bool ShownOnce() const { return shownOnce_; }
  // The notice OnAccessDenied showed, while it is open.
  QWidget* AccessNotice() const { return accessNotice_; }
  CAuxWindows& Aux() const { return *aux_; }

 Q_SIGNALS:
  // Emitted after the layout step, and after BringToFront.
  void LaidOut();
  void BroughtToFront();
  // A request to show the window was declined: it starts in the tray or runs without one.
  void StayedHidden();
  // The window has shut down; the message loop ends on this.
  void Destroyed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  void changeEvent(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void OnDestroy();
  void CreateTray();
  void ShowTrayMenu();
  void SendDivuRudoReport();
  // What `orloctl status` is told: the window's state and the connected devices, as JSON.
  std::string StatusText() const;
  void SetLightButtonText(int state);
  void SetNoDeviceVisible(bool visible);
  void MaybeTakeScreenshot();
  void ArmTimer(int id, int ms);
  // A caption button routed by the router (IRouterHost::Caption).
  void OnCaption(int which);
  // The sender of an audio data block is the audio-capture program; a new one gets the colour.
  void NoteAudioCapture(int64_t sender);
  // "R_light_slider", "G_light_slider", "B_light_slider": the value to the capture program and
  // to the slider's label.
  void OnMusicSlider(const ui::TNotifyUI& msg);

  bus::MessageBus* bus_;
  std::unique_ptr<IDeviceManager> devices_;
  MainWindowOptions options_;
  CQtUiDispatcher handoff_;
  CWorkerRecords workers_;
  CLightControl light_;
  CGameLighting game_;
  CAudioInbox audio_;
  CAudioLevels audioLevels_;
  CAudioCaptureProcess audioCapture_;
  CMusicSettings music_;
  int64_t audioCaptureId_ = 0;
  QPointer<CMusicWnd> musicWnd_;
  CLanguageSetting language_;
  // Notifications of the pages' controls become device operations here.
  std::unique_ptr<CWindowRouterHost> routerHost_;
  std::unique_ptr<CRouter> router_;
  std::unique_ptr<CAuxWindows> aux_;

  QWidget* closeBtn_ = nullptr;
  QWidget* maxBtn_ = nullptr;
  QWidget* restoreBtn_ = nullptr;
  QWidget* minBtn_ = nullptr;
  QWidget* skinBtn_ = nullptr;
  QWidget* gameModeBtn_ = nullptr;
  QWidget* cloudBtn_ = nullptr;
  QWidget* smartEyesBtn_ = nullptr;
  QWidget* setBtn_ = nullptr;

  QPointer<QWidget> accessNotice_;
  bool accessNoticeGiven_ = false;

  QSystemTrayIcon* tray_ = nullptr;
  QMenu* trayMenu_ = nullptr;

  // Requests to show the window are declined (a minimised start until the user opens it; a
  // start without a window for good).
  bool keepHidden_ = false;
  bool initDone_ = false;
  bool destroyed_ = false;
  bool shownOnce_ = false;
  bool laidOut_ = false;
  bool screenshotTaken_ = false;
  bool windowActive_ = false;
  bool screenHooked_ = false;
  int languageIndex_ = -1;
  int dpi_ = 96;
  int screenWidth_ = 0;
  int screenHeight_ = 0;
};

}  // namespace orlo
