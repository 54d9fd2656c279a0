#include "ui/DpiManager.h"

#include <QApplication>
#include <QLayout>
#include <QWidget>

#include "platform/DebugLog.h"
#include "ui/FontTable.h"
#include "ui/WindowUI.h"

namespace orlo::ui {
namespace {

int g_dpi = 96;

// The DPI a widget's sizes currently stand at. Sizes are rescaled by ratio from there, so that
// sizes set by code after the layout was built (a window resized at 96) are kept.
constexpr const char* kAppliedDpi = "orloAppliedDpi";

int Rescale(int v, int from, int to) {
  if (v >= QWIDGETSIZE_MAX || from == to) return v;
  const long long scaled = static_cast<long long>(v) * to;
  return static_cast<int>(scaled >= 0 ? (scaled + from / 2) / from : (scaled - from / 2) / from);
}

QSize Rescale(const QSize& s, int from, int to) {
  return QSize(Rescale(s.width(), from, to), Rescale(s.height(), from, to));
}

void ScaleOne(QWidget* w) {
  bool ok = false;
  int from = w->property(kAppliedDpi).toInt(&ok);
  if (!ok || !CDpiManager::IsAccepted(from)) from = 96;  // a layout is designed at 96
  w->setProperty(kAppliedDpi, g_dpi);
  if (from == g_dpi) return;
  w->setMinimumSize(Rescale(w->minimumSize(), from, g_dpi));
  w->setMaximumSize(Rescale(w->maximumSize(), from, g_dpi));
  if (w->isWindow()) {
    w->resize(Rescale(w->size(), from, g_dpi));
  } else if (w->parentWidget() != nullptr && w->parentWidget()->layout() == nullptr) {
    // Placed by position (device pictures): positions scale with sizes.
    const QRect g = w->geometry();
    w->setGeometry(Rescale(g.x(), from, g_dpi), Rescale(g.y(), from, g_dpi), Rescale(g.width(), from, g_dpi),
                   Rescale(g.height(), from, g_dpi));
  }
}

}  // namespace

bool CDpiManager::IsAccepted(int dpi) { return dpi >= 48 && dpi <= 192 && dpi % 24 == 0; }

int CDpiManager::Checked(int dpi, const std::string& diagnostic) {
  if (IsAccepted(dpi)) return dpi;
  DebugLine(diagnostic);
  return 96;
}

int CDpiManager::ForScreen(int width, int height) { return width > 1500 && height > 960 ? 144 : 96; }

int CDpiManager::Dpi() { return g_dpi; }

int CDpiManager::Scale(int px) {
  return Rescale(px, 96, g_dpi);
}

void CDpiManager::SetAllDPI(int dpi) {
  if (!IsAccepted(dpi) || dpi == g_dpi) return;
  g_dpi = dpi;
  const auto windows = QApplication::topLevelWidgets();
  // Only our own windows: Qt's dialogs and menus size themselves.
  for (QWidget* w : windows) {
    if (dynamic_cast<CWindowUI*>(w) != nullptr) ApplyTo(w);
  }
}

void CDpiManager::ApplyTo(QWidget* tree) {
  if (tree == nullptr) return;
  ScaleOne(tree);
  const auto children = tree->findChildren<QWidget*>();
  for (QWidget* w : children) {
    if (!w->objectName().startsWith(QLatin1String("qt_"))) ScaleOne(w);
  }
  CFontTable::GetInstance().ApplyFonts(tree);
}

}  // namespace orlo::ui
