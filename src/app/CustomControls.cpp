#include "app/CustomControls.h"

#include <QApplication>

#include "pages/common/DeviceFamilies.h"
#include "ui/CommonControls.h"
#include "ui/ControlFactory.h"
#include "ui/SkinStyle.h"

namespace orlo {

void RegisterCustomControls() {
  // The generic controls with the picture panel and key button; the page and device classes
  // register with their own work.
  ui::RegisterCommonControls();
  RegisterDeviceFamilies();
}

void ApplySkinStyle(QApplication& app) {
  ui::CSkinStyle::Apply(app);
}

}  // namespace orlo
