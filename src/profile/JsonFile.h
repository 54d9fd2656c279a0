#pragma once
// Reads and writes whole JSON files: profile documents, the profile list, macro files and the
// main window's own files. Stateless; every owner embeds one.
//
// Text form: jsoncpp's styled text plus one more line break, every line break written as CR LF.
// Reading accepts LF as well. Writes are atomic: a uniquely named temporary file in the same
// folder is written in full, synced and renamed over the target, and the folder is synced, so
// neither a crash nor a second writer leaves a torn document or loses the other's temporary
// file. A read-modify-write holds a CFileLock on the document around ReadForRewrite and
// WriteDocument.
//
// A file is missing (it does not exist, or has no bytes), unreadable (it exists but cannot be
// opened or read: permissions, an I/O error) or invalid (its text is no JSON). An unreadable file
// is never overwritten; an invalid one is moved aside, never deleted, before a new document takes
// its place.
#include <json/json.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace orlo {

class CFileLock;

class CJsonFile {
 public:
  enum class ReadStatus { kOk, kMissing, kUnreadable, kInvalid };
  struct ReadResult {
    ReadStatus status = ReadStatus::kMissing;
    Json::Value document;  // null unless status is kOk
    int error = 0;         // the errno of an unreadable file
  };

  // The whole file up to its first 0 byte, or an empty string.
  std::string readjsonFile(const std::string& path) const;
  // The parsed document, or a null value when the file is missing, unreadable or not valid JSON
  // (never throws, however the text is nested).
  Json::Value ReadDocument(const std::string& path) const;
  // The file's state and, when it holds JSON, its document. The text ends at the first 0 byte.
  ReadResult Read(const std::string& path) const;
  // For a read-modify-write that will replace the document at path; the caller holds the
  // document's lock. True with doc = the document when it is a JSON object, true with a null
  // doc when the file is missing or was invalid (no JSON, or a root that is no object: it is
  // moved aside first and the user told), false when nothing may be written (the file is
  // unreadable or could not be moved aside; the user is told once).
  bool ReadForRewrite(const std::string& path, Json::Value& doc) const;
  // Tells the user, once per path, that the file exists but cannot be read (error is its errno)
  // and is left as it is.
  static void TellUnreadable(const std::string& path, int error);
  // True when lock (taken on path) is held. Otherwise a file that exists but could not be
  // opened to carry the lock is reported as unreadable.
  static bool Locked(const CFileLock& lock, const std::string& path);
  // A read-modify-write of the document at path under its lock: change receives the document
  // as ReadForRewrite gives it and edits it, or returns false to leave the file as it is. 0 when
  // the changed document was written, -1 otherwise (unreadable, refused, or the write failed).
  int UpdateDocument(const std::string& path, const std::function<bool(Json::Value&)>& change) const;

  // 0 when the document reached the file, -1 when it could not be written. The old file, if
  // any, is then left untouched; a target that exists and is no regular file, or may not be read
  // or written, is never replaced. The replacement keeps the old file's permission bits.
  int WriteDocument(const std::string& path, const Json::Value& document) const;

  // In-memory forms of reading and writing. ParseDocument parses text as ReadDocument parses a
  // file's text (comments allowed, never throws): true with document set, or false with a null
  // document.
  static bool ParseDocument(std::string_view text, Json::Value& document);
  // The document's text exactly as WriteDocument stores it.
  static std::string DocumentText(const Json::Value& document);

  // Renames the file at path to path + ".invalid-" + the time stamp of when, or that name with
  // "-2", "-3" ... appended when it is taken (an earlier moved-aside file is never replaced).
  // Returns the new path, or "" when the file could not be moved.
  static std::string MoveAside(const std::string& path);
  static std::string MoveAside(const std::string& path, std::chrono::system_clock::time_point when);
  // Removes the temporary files that writes killed half-way left in folder (those of
  // WriteDocument and the older fixed "<file>.tmp" name) once they are older than ten minutes
  // at now: no save takes that long, so none of them belongs to a save still under way.
  // Returns the number removed.
  static int RemoveStaleTemporaries(const std::string& folder, std::chrono::system_clock::time_point now);

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
