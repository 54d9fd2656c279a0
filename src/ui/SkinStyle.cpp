#include "ui/SkinStyle.h"

#include <QApplication>
#include <QFile>
#include <QPalette>

#include "ui/ResourceManager.h"

namespace orlo::ui {

std::string CSkinStyle::Load(const std::string& file) {
  auto& resources = CResourceManager::GetInstance();
  QFile in(QString::fromStdString(resources.ResolveFile("style/" + file)));
  if (!in.open(QIODevice::ReadOnly)) return {};
  QString sheet = QString::fromUtf8(in.readAll());
  sheet.replace(QLatin1String("@skin/"), QString::fromStdString(resources.GetResourcePath()));
  return sheet.toStdString();
}

bool CSkinStyle::Apply(QApplication& app, const std::string& file) {
  const std::string sheet = Load(file);
  if (sheet.empty()) return false;
  // Custom painting (rubber band, selected keys) takes its colours from the palette.
  QPalette palette = app.palette();
  palette.setColor(QPalette::Window, QColor(0x1E, 0x1F, 0x22));
  palette.setColor(QPalette::WindowText, QColor(0xE6, 0xE7, 0xE9));
  palette.setColor(QPalette::Base, QColor(0x17, 0x18, 0x1B));
  palette.setColor(QPalette::Button, QColor(0x2E, 0x30, 0x35));
  palette.setColor(QPalette::ButtonText, QColor(0xE6, 0xE7, 0xE9));
  palette.setColor(QPalette::Text, QColor(0xE6, 0xE7, 0xE9));
  palette.setColor(QPalette::Highlight, QColor(0x2F, 0xB5, 0xA8));
  palette.setColor(QPalette::HighlightedText, QColor(0x11, 0x12, 0x14));
  app.setPalette(palette);
  app.setStyleSheet(QString::fromStdString(sheet));
  return true;
}

}  // namespace orlo::ui
