#include "app/CustomControls.h"

#include <QApplication>
#include <QFile>

#include "ui/ControlFactory.h"
#include "ui/ResourceManager.h"

namespace orlo {

void RegisterCustomControls() {
  // The picture panel and key button; the page and device classes register with their own work.
  ui::RegisterToolkitControls();
}

void ApplySkinStyle(QApplication& app) {
  QFile qss(QString::fromStdString(ui::CResourceManager::GetInstance().ResolveFile("style/dark.qss")));
  if (qss.open(QIODevice::ReadOnly)) app.setStyleSheet(QString::fromUtf8(qss.readAll()));
}

}  // namespace orlo
