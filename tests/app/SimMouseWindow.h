#pragma once
// The main window on one simulated wired mouse, as the program starts it, with its data,
// settings and skin choice in a scratch folder and the system language given.
#include <QTemporaryDir>
#include <memory>
#include <string>

#include "app/Application.h"
#include "app/CustomControls.h"
#include "app/DeviceManager.h"
#include "app/MainWnd.h"
#include "platform/bus/LoopbackBus.h"
#include "sim/SimBackend.h"

namespace orlo::testing_support {

struct SimMouseWindow {
  explicit SimMouseWindow(const std::string& systemLocale) {
    qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
    qputenv("XDG_CONFIG_HOME", dir.filePath("config").toUtf8());
    sim::SimOptions o;
    o.persist = false;
    RegisterCustomControls();
    endpoint = hub->Connect();
    DeviceManagerOptions devices;
    devices.backend = sim::MakeSimBackend("mouse", o);
    MainWindowOptions options;
    options.languageIniPath = dir.filePath("config/settings.ini").toStdString();
    options.systemLocale = systemLocale;
    options.aux.skinIniPath = dir.filePath("data/main.ini").toStdString();
    window.reset(CreateMainWindow(endpoint.get(), std::make_unique<CDeviceManager>(devices), options));
  }

  QTemporaryDir dir;
  std::shared_ptr<bus::LoopbackHub> hub = std::make_shared<bus::LoopbackHub>();
  std::unique_ptr<bus::LoopbackEndpoint> endpoint;
  std::unique_ptr<CMainWnd> window;
};

}  // namespace orlo::testing_support
