#pragma once
// Ids that become file names: profile ids ("profileUUID"), macro ids ("Guid") and custom effect
// names. They come from documents that may have been edited or imported, so each is checked
// before it is joined to a folder.
#include <string>

namespace orlo {

// True when id can name a file inside a folder: not empty, no path separator ('/' or '\\'),
// no "..", no control characters (a 0 byte among them).
bool IsSafeFileId(const std::string& id);

}  // namespace orlo
