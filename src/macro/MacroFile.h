#pragma once
// The content of one ".mac" file: {"MacroName", "Guid", "Events": [...], "Version": 64}.
// Reading never throws: a file that is not a JSON object gives an empty macro. `events` holds
// the events this version can play; `elements` every element of "Events" as read, so that a
// save can carry what it cannot show. A file of more than 4000 events is not read at all
// (tooLong): cutting it would lose the rest at the next save.
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
  std::vector<Json::Value> elements;
  bool tooLong = false;

  static CMacroFile FromDocument(const Json::Value& document);
  // Parses text as the file reader does; malformed or too deeply nested text gives an empty macro.
  static CMacroFile FromText(std::string_view text);
  // Reads path; a missing, empty or malformed file gives an empty macro.
  static CMacroFile Read(const std::string& path);

  // The document as a save writes it ("Delay" as a decimal string, "Version" 64), from events.
  Json::Value ToDocument() const;
  // The same from elements as read (or built by the editor): each object element gets its
  // "Delay" normalised to a decimal string; anything else is written as it came.
  static Json::Value DocumentOf(const std::string& name, const std::string& guid,
                                const std::vector<Json::Value>& elements);
};

}  // namespace orlo
