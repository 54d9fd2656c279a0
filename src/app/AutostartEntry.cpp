#include "app/AutostartEntry.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cstdlib>

#include "app/Application.h"

namespace orlo {

namespace {

std::string UserConfigHome() {
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && xdg[0] == '/') return xdg;
  const char* home = std::getenv("HOME");
  return std::string(home ? home : "") + "/.config";
}

}  // namespace

CAutostartEntry::CAutostartEntry(std::string configHome)
    : configHome_(configHome.empty() ? UserConfigHome() : std::move(configHome)) {}

std::string CAutostartEntry::Path() const {
  return configHome_ + "/autostart/" + kDesktopFileName + ".desktop";
}

bool CAutostartEntry::Enabled() const { return QFileInfo::exists(QString::fromStdString(Path())); }

std::string CAutostartEntry::ExecArgument(const std::string& argument) {
  bool plain = !argument.empty();
  for (unsigned char c : argument) {
    const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                    c == '/' || c == '.' || c == '-' || c == '_' || c == '+' || c == ',' || c >= 0x80;
    if (!ok) plain = false;
  }
  std::string out;
  if (plain) return argument;
  out += '"';
  for (char c : argument) {
    if (c == '"' || c == '`' || c == '$') {
      out += "\\\\";  // the quoting backslash, itself escaped for the entry's string value
      out += c;
    } else if (c == '\\') {
      out += "\\\\\\\\";
    } else if (c == '%') {
      out += "%%";
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

std::string CAutostartEntry::Content(const std::string& program) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Tavrin ORLO\n"
         "Comment=Keeps the mouse, keyboard, mousepad and headset settings applied\n"
         "Exec=" + ExecArgument(program) + " --minimized\n"
         "Icon=" + kDesktopFileName + "\n"
         "Terminal=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

bool CAutostartEntry::Enable(const std::string& program) {
  const QString path = QString::fromStdString(Path());
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return false;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly)) return false;
  const std::string text = Content(program);
  if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
    file.cancelWriting();
    return false;
  }
  return file.commit();
}

bool CAutostartEntry::Disable() {
  const QString path = QString::fromStdString(Path());
  return !QFileInfo::exists(path) || QFile::remove(path);
}

}  // namespace orlo
