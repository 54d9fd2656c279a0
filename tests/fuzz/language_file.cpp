// Fuzz target for the language file reader: any bytes must read without a crash or an
// exception, the same way every time, never yielding an entry without an id; and the texts read
// must come back unchanged from a file written out of them.
#include <QByteArray>
#include <QString>
#include <QXmlStreamWriter>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "ui/LanguageFile.h"

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// True when the writer can carry the string into a file and back: every character may stand in
// an XML 1.0 document (one read from a character reference may not), and no carriage return,
// which the writer puts down raw and a reader takes as a line end.
bool Writable(const QString& s) {
  for (QChar c : s) {
    const char16_t u = c.unicode();
    if (u < 0x20 && u != '\t' && u != '\n') return false;
    if (u == 0xFFFE || u == 0xFFFF) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const auto texts = orlo::ui::ParseLanguageFile(text);
  const auto again = orlo::ui::ParseLanguageFile(text);
  Check(texts.has_value() == again.has_value());
  if (!texts) return 0;
  Check(*texts == *again);

  QByteArray out;
  QXmlStreamWriter writer(&out);
  writer.writeStartDocument();
  writer.writeStartElement(QStringLiteral("language"));
  for (const auto& [id, value] : *texts) {
    Check(!id.empty());
    const QString qid = QString::fromStdString(id);
    const QString qvalue = QString::fromStdString(value);
    if (!Writable(qid) || !Writable(qvalue)) return 0;
    writer.writeStartElement(QStringLiteral("text"));
    writer.writeAttribute(QStringLiteral("id"), qid);
    writer.writeCharacters(qvalue);
    writer.writeEndElement();
  }
  writer.writeEndElement();
  writer.writeEndDocument();
  const auto reread = orlo::ui::ParseLanguageFile(out.toStdString());
  Check(reread.has_value());
  Check(*reread == *texts);
  return 0;
}
