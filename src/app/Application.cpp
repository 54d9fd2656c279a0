#include "app/Application.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <QFontDatabase>
#include <QMetaObject>
#include <QPointer>
#include <QSocketNotifier>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "app/CustomControls.h"
#include "app/DeviceManager.h"
#include "app/IDeviceManager.h"
#include "app/MainWnd.h"
#include "app/SimulatedDevices.h"
#include "device/model/WorkerThread.h"
#include "platform/DebugLog.h"
#include "platform/Paths.h"
#include "platform/UserNotice.h"
#include "platform/bus/DBusBus.h"
#include "platform/bus/RegisteredMessages.h"
#include "platform/bus/SingleInstance.h"
#include "ui/MsgWnd.h"
#include "ui/ResourceManager.h"

namespace orlo {

namespace {

void PrintUsage() {
  std::printf(
      "usage: orlo [--simulate LIST] [--screenshot FILE] [--minimized | --no-window]\n"
      "  --simulate LIST    use simulated devices (comma-separated: mouse, mouse-receiver,\n"
      "                     keyboard, keyboard-receiver, mousepad, headset)\n"
      "  --screenshot FILE  save a PNG of the main window once it is shown, then exit\n"
      "  --minimized        start in the tray (shown where the desktop has no tray)\n"
      "  --no-window        no window and no tray: keep the devices configured and answer\n"
      "                     orloctl on the session bus; needs no display\n");
}

bool HaveDisplay() {
  for (const char* v : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
    const char* s = std::getenv(v);
    if (s && *s) return true;
  }
  return false;
}

// SIGTERM and SIGINT end the program the orderly way, through the main window's exit.
int g_signalPipe[2] = {-1, -1};
void OnSignal(int) {
  char c = 1;
  [[maybe_unused]] auto n = ::write(g_signalPipe[1], &c, 1);
}

class CPrivateFonts {
 public:
  void LoadAll(const std::string& programFolder) {
    for (const auto& rel : PrivateFontFiles()) {
      // A missing or unreadable font is skipped; the system fonts stand in.
      ids_.push_back(QFontDatabase::addApplicationFont(QString::fromStdString(programFolder + rel)));
    }
  }
  ~CPrivateFonts() {
    for (auto it = ids_.rbegin(); it != ids_.rend(); ++it) {
      if (*it >= 0) QFontDatabase::removeApplicationFont(*it);
    }
  }

 private:
  std::vector<int> ids_;
};

}  // namespace

const std::vector<std::string>& PrivateFontFiles() {
  static const std::vector<std::string> files = {
      "Font/Simplified_Chinese.ttf", "Font/Deradode-Regular.otf",
      "Font/NotoSansThai-Regular.ttf", "Font/NotoSansCJKtc-Regular.otf"};
  return files;
}

AppArguments ParseAppArguments(int argc, char** argv) {
  AppArguments a;
  for (int i = 1; i < argc; ++i) {
    std::string s = argv[i];
    if (s == "--help" || s == "-h") {
      a.help = true;
    } else if (s == "--minimized") {
      a.minimized = true;
    } else if (s == "--no-window") {
      a.noWindow = true;
    } else if ((s == "--simulate" || s == "--screenshot") && i + 1 < argc) {
      (s == "--simulate" ? a.simulate : a.screenshot) = argv[++i];
    } else if (s.rfind("--simulate=", 0) == 0) {
      a.simulate = s.substr(11);
    } else if (s.rfind("--screenshot=", 0) == 0) {
      a.screenshot = s.substr(13);
    } else {
      a.ignored.push_back(s);
    }
  }
  return a;
}

CMainWnd* CreateMainWindow(bus::MessageBus* bus, std::unique_ptr<IDeviceManager> devices,
                           const MainWindowOptions& options) {
  auto* window = new CMainWnd(bus, std::move(devices), options);
  if (!window->Create("Tavrin ORLO", window)) {
    delete window;
    return nullptr;
  }
  window->resize(800, 572);
  window->CenterWindow();
  // Window-init before the first show, so the window never flashes up before the first scan.
  window->SendNotify(window->Root(), "windowinit");
  return window;
}

int RunApplication(int argc, char** argv) {
  const AppArguments args = ParseAppArguments(argc, argv);
  if (args.help) {
    PrintUsage();
    return 0;
  }
  for (const auto& s : args.ignored) std::fprintf(stderr, "orlo: ignoring argument '%s'\n", s.c_str());

  const uint32_t instanceMessage = bus::RegisterWindowMessage(bus::kInstanceName);
  DebugPrintf("软件标示：%d", instanceMessage);

  bus::SingleInstance guard;
  if (guard.state() == bus::SingleInstance::State::AlreadyRuns) {
    if (args.noWindow || args.minimized) {
      // A start that shows no window must not raise the running one.
      std::printf("Tavrin ORLO is already running.\n");
      return 0;
    }
    // Wake the running instance and leave; no window, no display needed.
    QCoreApplication core(argc, argv);
    bus::DBusBus bus;
    if (bus.Broadcast(instanceMessage, 0, 1)) {
      bus.Flush();
      std::printf("Tavrin ORLO is already running; brought it to the front.\n");
    } else {
      std::printf("Tavrin ORLO is already running (no session bus to wake it).\n");
    }
    return 0;
  }

  // Without a window nothing is drawn on a screen; a display that goes away with the desktop
  // session must not end the program either.
  if (args.noWindow) qputenv("QT_QPA_PLATFORM", "offscreen");
  if (!HaveDisplay()) {
    std::fprintf(stderr, "orlo: no display (set DISPLAY, or run under xvfb-run)\n");
    return 0;
  }

  QApplication app(argc, argv);
  QApplication::setApplicationName("Tavrin ORLO");
  // Wayland compositors find the window's icon and name through its desktop entry.
  QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
  const std::string programFolder = paths::ProgramFolder();
  DebugPrintf("program folder: %s", programFolder.c_str());
  CPrivateFonts fonts;
  fonts.LoadAll(programFolder);

  DeviceManagerOptions deviceOptions;
  if (!args.simulate.empty()) {
    std::string error;
    if ((deviceOptions.backend = MakeSimulatedDevices(args.simulate, &error))) {
      std::printf("simulated devices: %s\n", args.simulate.c_str());
    } else {
      std::fprintf(stderr, "orlo: --simulate %s: %s\n", args.simulate.c_str(), error.c_str());
    }
  }

  auto& resources = ui::CResourceManager::GetInstance();
  resources.SetResourcePath(programFolder + "skin/");
  resources.LoadResource("res.xml");
  RegisterCustomControls();
  (void)bus::Messages();
  ApplySkinStyle(app);

  // Notices about the user's files may come from any thread, the first ones while the window is
  // being made; each is shown in the message box on the UI thread once the loop runs.
  auto noticeOwner = std::make_shared<QPointer<CMainWnd>>();
  SetUserNoticeSink([noticeOwner](const std::string& text) {
    QMetaObject::invokeMethod(
        qApp,
        [noticeOwner, text] {
          CMainWnd* owner = *noticeOwner;
          ui::CMsgWnd::ShowMessageBox(owner, {}, text, owner ? owner->Dpi() : 96, false, ui::CMsgWnd::kConfirmOnly);
        },
        Qt::QueuedConnection);
  });

  bus::DBusBus bus;
  MainWindowOptions options;
  options.screenshotPath = args.screenshot;
  options.start = args.noWindow ? WindowStart::kNoWindow : args.minimized ? WindowStart::kMinimized : WindowStart::kShown;
  if (args.noWindow) std::printf("running without a window\n");
  CMainWnd* window = CreateMainWindow(&bus, std::make_unique<CDeviceManager>(deviceOptions), options);
  if (!window) {
    SetUserNoticeSink({});
    std::fprintf(stderr, "orlo: the main window layout could not be built\n");
    return 0;
  }
  *noticeOwner = window;

  // The window hides to the tray; only its own shutdown ends the loop.
  QApplication::setQuitOnLastWindowClosed(false);
  QObject::connect(window, &CMainWnd::Destroyed, &app, [] { QCoreApplication::exit(0); },
                   Qt::QueuedConnection);

  if (::socketpair(AF_UNIX, SOCK_STREAM, 0, g_signalPipe) == 0) {
    auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, window);
    QObject::connect(notifier, &QSocketNotifier::activated, window, [window] {
      char c;
      [[maybe_unused]] auto n = ::read(g_signalPipe[0], &c, 1);
      window->Exit();
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
  }

  app.exec();

  SetUserNoticeSink({});
  // A worker thread deaf to its stop signal was let go at shutdown and may still use the window
  // and what it owns: nothing is freed under it, the process ends here.
  if (CWorkerThread::AbandonedRunning() > 0) {
    DebugLine("a worker thread did not stop; ending without tearing down the window");
    std::fflush(nullptr);
    std::_Exit(0);
  }
  delete window;
  return 0;
}

}  // namespace orlo
