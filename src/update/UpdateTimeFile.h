#pragma once
// "updatetime.config" in the user data folder: the date of the last update check,
// {"updatelasttime": {"value": "2024-3-5"}} (year, month, day of local time, no padding).
#include <chrono>
#include <string>

namespace orlo::update {

class CUpdateTimeFile {
 public:
  // The file in the user data folder.
  CUpdateTimeFile();
  explicit CUpdateTimeFile(std::string path);

  const std::string& Path() const { return path_; }
  // The stored date, "" when the file or the member is missing or not a string.
  std::string Stored() const;
  // Stores the date, keeping the file's other members. False when it could not be written, or
  // when the file exists but is not a JSON object (such a file is left alone).
  bool Store(const std::string& date) const;

  static std::string DateText(std::chrono::system_clock::time_point when);
  static std::string Today() { return DateText(std::chrono::system_clock::now()); }

 private:
  std::string path_;
};

}  // namespace orlo::update
