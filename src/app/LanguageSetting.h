#pragma once
// The interface language: the list of languages in DefaultData/Language.config, and the
// "LANGUAGE" value (the chosen language's id) kept in an INI file in the configuration folder.
#include <optional>
#include <string>
#include <vector>

namespace orlo {

struct LanguageEntry {
  std::string name;  // "Language_name"
  std::string file;  // "Language_file"
  long long id = 0;  // "Language_ID"
};

class CLanguageSetting {
 public:
  static constexpr long long kUnreadValue = 520;

  // iniPath empty: DefaultIniPath().
  explicit CLanguageSetting(std::string iniPath = {});

  // Reads "Language.config"; false (and an empty list) when it is missing or not a document.
  // Entries that are not objects become empty entries so the positions stay as in the file.
  bool LoadConfig(const std::string& configPath);
  const std::vector<LanguageEntry>& Languages() const { return languages_; }
  // Null for an index outside the list.
  const LanguageEntry* At(int index) const;

  // The stored value, kUnreadValue when there is none or it is not a number.
  long long ReadValue() const;
  // Stores the value, creating the file and the entry when they do not exist yet.
  bool WriteValue(long long id) const;

  // Language ids of Simplified Chinese and English.
  static constexpr long long kChineseId = 2052;
  static constexpr long long kEnglishId = 1033;

  // Position to start in: the first language whose id equals the stored value; without a stored
  // choice in the list, the system's language `systemLocale` ("zh_CN", "en_US.UTF-8", "C"):
  // Simplified Chinese for a "zh" locale, English for any other; else 0.
  int StartupIndex(const std::string& systemLocale) const;

  const std::string& IniPath() const { return iniPath_; }
  static std::string DefaultIniPath();

 private:
  std::string iniPath_;
  std::vector<LanguageEntry> languages_;
};

}  // namespace orlo
