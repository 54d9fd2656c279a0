#pragma once
// How profile and macro names are compared and cleaned: names are unique ignoring (ASCII) case,
// and blanks around a typed name do not count.
#include <string>

namespace orlo {

bool SameNameIgnoringCase(const std::string& a, const std::string& b);
// s without blanks (spaces, tabs, line breaks) at both ends.
std::string TrimBlanks(const std::string& s);

}  // namespace orlo
