#pragma once
// Saves a picture of a window for the documentation when ORLO_SCREENSHOT_DIR is set, with the
// program's style sheet and its pending layout work done, as the program would show it.
#include <QApplication>
#include <QLayout>
#include <QWidget>

#include "ui/SkinStyle.h"

namespace orlo {

inline void MaybeSaveShot(QWidget* window, const char* name) {
  const QByteArray dir = qgetenv("ORLO_SCREENSHOT_DIR");
  if (dir.isEmpty()) return;
  ui::CSkinStyle::Apply(*qApp);
  QCoreApplication::sendPostedEvents();
  for (QLayout* layout : window->findChildren<QLayout*>()) layout->activate();
  window->grab().save(QString::fromUtf8(dir) + "/" + name, "PNG");
}

}  // namespace orlo
