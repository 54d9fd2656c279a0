#include "ui/LanguageFile.h"

#include <QByteArray>
#include <QXmlStreamReader>

namespace orlo::ui {

std::optional<std::map<std::string, std::string>> ParseLanguageFile(const std::string& xmlText) {
  std::map<std::string, std::string> texts;
  QXmlStreamReader xml(QByteArray::fromStdString(xmlText));
  bool sawRoot = false;
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (!sawRoot) {
      sawRoot = true;
      continue;
    }
    if (xml.name() != QLatin1String("text")) {
      xml.skipCurrentElement();
      continue;
    }
    const std::string id = xml.attributes().value(QLatin1String("id")).toString().toStdString();
    const std::string text = xml.readElementText().toStdString();
    if (!id.empty()) texts[id] = text;
  }
  if (xml.hasError() || !sawRoot) return std::nullopt;
  return texts;
}

}  // namespace orlo::ui
