#pragma once
// The chosen background image, kept in "main.ini" of the user data folder: section
// "SKINIMAGE", "FLAGS" ("1" for a chosen image, "0" after a reset) and "IMAGE" (its name).
#include <optional>
#include <string>

namespace orlo {

class CSkinSetting {
 public:
  static constexpr const char* kDefaultImage = "common/background.png";

  // iniPath empty: the user data folder's "main.ini".
  explicit CSkinSetting(std::string iniPath = {});

  // A chosen image ("FLAGS" 1) ...
  bool StoreImage(const std::string& image) const { return Store("1", image); }
  // ... or the reset to the default background ("FLAGS" 0).
  bool StoreReset() const { return Store("0", kDefaultImage); }
  // The image to restore at start-up: the stored one while "FLAGS" is 1, else none.
  std::optional<std::string> Restored() const;

  const std::string& Path() const { return path_; }

 private:
  bool Store(const std::string& flags, const std::string& image) const;
  std::string path_;
};

}  // namespace orlo
