#pragma once
// The content of one ".mac" file: {"MacroName", "Guid", "Events": [...], "Version": 64}.
// Reading never throws: a file that is not a JSON object gives an empty macro, events that
// cannot be played are dropped, and at most 4000 events are kept.
#include <json/json.h>

#include <string>
#include <string_view>
#include <vector>

#include "macro/MacroEvent.h"

namespace orlo {

class CMacroFile {
 public:
  std::string name;  // "MacroName": copy of the catalogue name
  std::string guid;  // "Guid": copy of the catalogue identity
  std::vector<MacroEvent> events;

  static CMacroFile FromDocument(const Json::Value& document);
  // Parses text as the file reader does; malformed or too deeply nested text gives an empty macro.
  static CMacroFile FromText(std::string_view text);
  // Reads path; a missing, empty or malformed file gives an empty macro.
  static CMacroFile Read(const std::string& path);

  // The document as a save writes it ("Delay" as a decimal string, "Version" 64).
  Json::Value ToDocument() const;
};

}  // namespace orlo
