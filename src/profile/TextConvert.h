#pragma once
// Conversions between UTF-8 (how every string is stored in documents and kept in memory) and
// wide strings (for callers that need code points). Malformed input never throws: a bad UTF-8
// sequence becomes U+FFFD, and a wide character that is no Unicode scalar value is written as
// U+FFFD as well.
#include <string>

namespace orlo {

std::wstring Utf8ToWide(const std::string& utf8);
std::string WideToUtf8(const std::wstring& wide);

}  // namespace orlo
