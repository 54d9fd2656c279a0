#include "macro/MacroFile.h"

#include <exception>

#include "profile/JsonAccess.h"
#include "profile/JsonFile.h"

namespace orlo {
namespace {

// jsoncpp's reader throws on text nested deeper than its stack limit; such text is as
// malformed as any other.
Json::Value ParseJsonText(std::string_view text) {
  Json::Value root;
  try {
    Json::Reader reader;
    if (!reader.parse(text.data(), text.data() + text.size(), root, true)) return Json::Value();
  } catch (const std::exception&) {
    return Json::Value();
  }
  return root;
}

}  // namespace

CMacroFile CMacroFile::FromDocument(const Json::Value& document) {
  CMacroFile f;
  if (!document.isObject()) return f;
  f.name = json::String(json::Peek(&document, "MacroName"));
  f.guid = json::String(json::Peek(&document, "Guid"));
  const Json::Value* events = json::Peek(&document, "Events");
  Json::ArrayIndex n = json::Size(events);
  if (n > static_cast<Json::ArrayIndex>(kMacroMaxEvents)) {
    f.tooLong = true;
    return f;
  }
  for (Json::ArrayIndex i = 0; i < n; ++i) {
    f.elements.push_back((*events)[i]);
    if (auto e = MacroEventFromJson((*events)[i])) f.events.push_back(*e);
  }
  return f;
}

CMacroFile CMacroFile::FromText(std::string_view text) {
  // The file reader stops at the first 0 byte, as a C string would.
  if (auto zero = text.find('\0'); zero != std::string_view::npos) text = text.substr(0, zero);
  if (text.empty()) return {};
  return FromDocument(ParseJsonText(text));
}

CMacroFile CMacroFile::Read(const std::string& path) {
  return FromText(CJsonFile().readjsonFile(path));
}

Json::Value CMacroFile::ToDocument() const {
  Json::Value doc(Json::objectValue);
  doc["MacroName"] = name;
  doc["Guid"] = guid;
  Json::Value& list = doc["Events"] = Json::Value(Json::arrayValue);
  for (const MacroEvent& e : events) list.append(MacroEventToJson(e));
  doc["Version"] = kMacroFileVersion;
  return doc;
}

Json::Value CMacroFile::DocumentOf(const std::string& name, const std::string& guid,
                                   const std::vector<Json::Value>& elements) {
  Json::Value doc(Json::objectValue);
  doc["MacroName"] = name;
  doc["Guid"] = guid;
  Json::Value& list = doc["Events"] = Json::Value(Json::arrayValue);
  for (Json::Value element : elements) {
    if (element.isObject()) {
      const Json::Value* delay = json::Peek(&element, "Delay");
      element["Delay"] = std::to_string(delay != nullptr ? ParseMacroDelay(*delay) : 0);
    }
    list.append(element);
  }
  doc["Version"] = kMacroFileVersion;
  return doc;
}

}  // namespace orlo
