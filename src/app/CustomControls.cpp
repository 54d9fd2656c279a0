#include "app/CustomControls.h"

#include <QApplication>

#include "pages/MousePageUI.h"
#include "ui/ControlFactory.h"
#include "ui/SkinStyle.h"

namespace orlo {

void RegisterCustomControls() {
  // The picture panel and key button; the page and device classes register with their own work.
  ui::RegisterToolkitControls();
  RegisterDevicePages();
}

void ApplySkinStyle(QApplication& app) {
  ui::CSkinStyle::Apply(app);
}

}  // namespace orlo
