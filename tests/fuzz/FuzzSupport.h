#pragma once
// What the document fuzz targets share: the input read as a file's text is read, and the checks
// that abort on a broken property.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "profile/JsonFile.h"

namespace orlo::fuzz {

inline void Check(bool ok) {
  if (!ok) std::abort();
}

// The input as a file's text: it ends at the first 0 byte. Parsed in memory; null when it is no
// JSON.
inline Json::Value ParseInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  text.resize(text.find('\0') == std::string::npos ? text.size() : text.find('\0'));
  Json::Value doc;
  const bool parsed = CJsonFile::ParseDocument(text, doc);
  Check(parsed || doc.isNull());
  return doc;
}

// What is written can be read again, so a saved document never becomes one that the next start
// moves aside as invalid.
inline Json::Value CheckWrittenTextParses(const Json::Value& doc, std::string* written = nullptr) {
  const std::string text = CJsonFile::DocumentText(doc);
  Json::Value again;
  Check(CJsonFile::ParseDocument(text, again));
  if (written) *written = text;
  return again;
}

// ... and saving it again changes nothing. The writer turns strings that are no valid UTF-8 into
// valid ones (which may also reorder the members whose names change), so such a text settles
// after one more save; any other drift is a fault.
inline void CheckWrittenTextSettles(const Json::Value& doc) {
  std::string first, second, third;
  const Json::Value again = CheckWrittenTextParses(doc, &first);
  const Json::Value settled = CheckWrittenTextParses(again, &second);
  if (second == first) return;
  CheckWrittenTextParses(settled, &third);
  Check(third == second);
}

}  // namespace orlo::fuzz
