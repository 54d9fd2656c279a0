#pragma once
// Reading a language file (<skin>/lang/*.xml): a root element holding <text id="...">...</text>
// entries. Other elements are skipped with their content, entries without an id are ignored and
// a later entry with the same id wins. Needs Qt Core only, so the reader can be checked without
// any widget code.
#include <map>
#include <optional>
#include <string>

namespace orlo::ui {

// The texts by id; nullopt for malformed XML or a file without a root element.
std::optional<std::map<std::string, std::string>> ParseLanguageFile(const std::string& xml);

}  // namespace orlo::ui
