#pragma once
// Reads and writes whole JSON files: profile documents, the profile list, macro files and the
// main window's own files. Stateless; every owner embeds one.
//
// Text form: jsoncpp's styled text plus one more line break, every line break written as CR LF.
// Reading accepts LF as well. Writes are atomic: a temporary file in the same folder is written,
// flushed and renamed over the target, so a crash never leaves a torn document.
#include <json/json.h>

#include <chrono>
#include <functional>
#include <string>

namespace orlo {

class CJsonFile {
 public:
  // The whole file up to its first 0 byte, or an empty string.
  std::string readjsonFile(const std::string& path) const;
  // The parsed document, or a null value when the file is missing, empty or not valid JSON
  // (never throws, however the text is nested).
  Json::Value ReadDocument(const std::string& path) const;
  // 0 when the document reached the file, -1 when it could not be written (the old file, if
  // any, is then left untouched).
  int WriteDocument(const std::string& path, const Json::Value& document) const;
  // The document's text exactly as WriteDocument stores it.
  static std::string DocumentText(const Json::Value& document);
  // Local time as "%d_%02d_%02d_%02d_%02d_%02d_%03d", e.g. 2024_03_05_14_07_09_042.
  static std::string MakeTimeStamp();
  static std::string MakeTimeStamp(std::chrono::system_clock::time_point when);
  // A time stamp for a new id. When the current one is taken (two ids made in one millisecond)
  // it moves forward by a millisecond until isTaken says it is free; the format stays the same.
  static std::string MakeUniqueTimeStamp(const std::function<bool(const std::string&)>& isTaken);
  // The file name part of path without folder and extension.
  static std::string GetFileTitle(const std::string& path);
};

}  // namespace orlo
