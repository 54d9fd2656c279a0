#pragma once
// Process start-up and teardown: private fonts, the message table, the single-instance guard,
// the toolkit's resources and custom controls, the main window and its message loop.
#include <memory>
#include <string>
#include <vector>

namespace orlo {

namespace bus {
class MessageBus;
}
class CMainWnd;
class IDeviceManager;
struct MainWindowOptions;

// The application id: the desktop entry's file name without ".desktop", and the AppStream id.
inline constexpr const char* kDesktopFileName = "org.tavrin.orlo";

struct AppArguments {
  std::string simulate;    // --simulate LIST
  std::string screenshot;  // --screenshot FILE
  bool minimized = false;  // --minimized: start in the tray (the autostart entry's start)
  bool noWindow = false;   // --no-window: no window and no tray, devices and bus only
  bool help = false;
  std::vector<std::string> ignored;  // anything else (reported, then ignored)
};

AppArguments ParseAppArguments(int argc, char** argv);

// Creates the main window (800 x 572, centred) and runs its window-init; it stays hidden until
// the first scan pass. Null when the layout cannot be built.
CMainWnd* CreateMainWindow(bus::MessageBus* bus, std::unique_ptr<IDeviceManager> devices,
                           const MainWindowOptions& options);

// The whole life of the program; always returns 0.
int RunApplication(int argc, char** argv);

// Relative paths of the private fonts, in load order.
const std::vector<std::string>& PrivateFontFiles();

}  // namespace orlo
