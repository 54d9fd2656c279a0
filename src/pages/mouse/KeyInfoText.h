#pragma once
// The name the mouse page shows for a key's current assignment in its key information list.
#include <optional>
#include <string>
#include <vector>

#include "profile/KeyAssign.h"

namespace orlo {

struct KeyInfoName {
  std::string text;
  bool isTextId = true;  // shown translated; macro names and the fixed fallback are not
};

// Name of `code`; none for types whose rows are left untouched and for codes no table names
// (a macro beyond the catalogue, a gun key above 3, a combined key without matches).
// Parts of a combined key name are text ids joined by "+"; translate each with NameOfParts.
std::optional<KeyInfoName> KeyInfoNameOf(const AssignCode& code,
                                         const std::vector<std::string>& macroNames);

// Splits a name at "+" (a combined key) so each part can be translated.
std::vector<std::string> NameParts(const std::string& name);

// Text id of page button i's own name ("mouse_key_left" ...), empty beyond the 11 buttons.
std::string MouseButtonNameId(int button);

}  // namespace orlo
