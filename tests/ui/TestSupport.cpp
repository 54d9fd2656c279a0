#include "TestSupport.h"

#include <QFile>

#include "ui/LanguageStore.h"
#include "ui/ResourceManager.h"

namespace orlo::ui::test {

void UseSourceSkin() {
  CResourceManager::GetInstance().SetResourcePath(std::string(ORLO_SOURCE_DIR "/skin/"));
  CLanguageStore::GetInstance().LoadLanguage("lan_en.xml");
}

std::string WriteLayout(const QTemporaryDir& dir, const std::string& name, const std::string& widgets,
                        const std::string& customWidgets) {
  const std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ui version=\"4.0\">\n"
      " <widget class=\"QWidget\" name=\"root\">\n"
      "  <property name=\"geometry\"><rect><x>0</x><y>0</y><width>400</width><height>300</height></rect></property>\n" +
      widgets + " </widget>\n" +
      (customWidgets.empty() ? std::string() : " <customwidgets>\n" + customWidgets + " </customwidgets>\n") +
      "</ui>\n";
  const QString path = dir.filePath(QString::fromStdString(name));
  QFile out(path);
  if (!out.open(QIODevice::WriteOnly)) return {};
  out.write(text.data(), static_cast<qint64>(text.size()));
  return path.toStdString();
}

std::vector<TNotifyUI> RecordingWindow::OfType(const std::string& type) const {
  std::vector<TNotifyUI> out;
  for (const auto& m : received) {
    if (m.sType == type) out.push_back(m);
  }
  return out;
}

std::vector<std::string> RecordingWindow::SendersOf(const std::string& type) const {
  std::vector<std::string> out;
  for (const auto& m : received) {
    if (m.sType == type) out.push_back(m.sSenderName);
  }
  return out;
}

}  // namespace orlo::ui::test
