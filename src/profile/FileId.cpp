#include "profile/FileId.h"

namespace orlo {

bool IsSafeFileId(const std::string& id) {
  if (id.empty() || id.find("..") != std::string::npos) return false;
  for (char ch : id) {
    auto c = static_cast<unsigned char>(ch);
    if (c == '/' || c == '\\' || c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

}  // namespace orlo
