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

constexpr const char* kBaseMin = "orloBaseMinSize";
constexpr const char* kBaseMax = "orloBaseMaxSize";
constexpr const char* kBaseGeometry = "orloBaseGeometry";
constexpr const char* kBaseSize = "orloBaseSize";

QSize ScaleSize(const QSize& s) {
  auto one = [](int v) { return v >= QWIDGETSIZE_MAX ? v : CDpiManager::Scale(v); };
  return QSize(one(s.width()), one(s.height()));
}

QVariant Base(QWidget* w, const char* name, const QVariant& now) {
  QVariant base = w->property(name);
  if (!base.isValid()) {
    w->setProperty(name, now);
    base = now;
  }
  return base;
}

void ScaleOne(QWidget* w) {
  w->setMinimumSize(ScaleSize(Base(w, kBaseMin, w->minimumSize()).toSize()));
  w->setMaximumSize(ScaleSize(Base(w, kBaseMax, w->maximumSize()).toSize()));
  if (w->isWindow()) {
    w->resize(ScaleSize(Base(w, kBaseSize, w->size()).toSize()));
  } else if (w->parentWidget() != nullptr && w->parentWidget()->layout() == nullptr) {
    // Placed by position (device pictures): positions scale with sizes.
    const QRect g = Base(w, kBaseGeometry, w->geometry()).toRect();
    w->setGeometry(CDpiManager::Scale(g.x()), CDpiManager::Scale(g.y()), CDpiManager::Scale(g.width()),
                   CDpiManager::Scale(g.height()));
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
  // Rounded to the nearest pixel, halves away from zero.
  const long long scaled = static_cast<long long>(px) * g_dpi;
  return static_cast<int>(scaled >= 0 ? (scaled + 48) / 96 : (scaled - 48) / 96);
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
