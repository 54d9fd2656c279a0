#pragma once
// One version query: the request for one update row, and the server's reply read into the row's
// result. The query is blocking; the settings window runs it on its check thread.
//
// Request: POST <server base>updates (the base ends in "/api/") with the body
// "app_key=<key>&version=<current>", the key being vendor_type_model_shortname_flag
// ("VELKO_1_QX20M07A_MS_1") and the current version in hex for hexadecimal rows, else decimal.
// Reply: a JSON object with "path", "name", "version_name", "version" (a string, hex or decimal
// like the row) and "device_id".
#include <cstddef>
#include <cstdint>
#include <string>

#include "device/link/Catalogue.h"
#include "update/HttpClient.h"

namespace orlo::update {

// Reply bytes kept at most; the rest of a longer reply is not read.
inline constexpr size_t kReplyLimit = 102399;

// Row statuses, as the update list shows them.
enum UpdateStatus : int {
  kStatusNothingNewer = 0,
  kStatusNeedUpdate = 1,
  kStatusNeedUpdateToo = 2,
  kStatusDownloadWait = 3,
  kStatusDownloading = 4,
  kStatusDownloaded = 5,
  kStatusUpdating = 6,
  kStatusUpToDate = 7,
  kStatusUpdateFailed = 8,
};

struct UpdateResult {
  int status = kStatusUpToDate;
  int deviceId = 0;
  std::string name;         // the package's name as the server gives it
  std::string currentText;  // "V%04x" (hexadecimal rows) or "V%d" of the current version
  std::string newName;      // "version_name"
  std::string newText;      // "V" + "version", empty when the server gave none
  std::string path;         // where the package is downloaded from
  std::string localFile;    // where the updater puts it
  // No usable answer (transport, certificate, HTTP status, or a reply that is not a JSON
  // object); the row is then not offered, and the check does not count as done.
  bool failed = false;
  std::string failure;
};

class CUpdateQuery {
 public:
  // downloadFolder ends in '/': the folder the updater downloads into.
  CUpdateQuery(HttpClient& client, std::string serverBase, std::string downloadFolder);

  UpdateResult Query(const UpdateEntry& row) const;

  // "NULL" for a row without a current version.
  static std::string Key(const UpdateEntry& row);
  static std::string Body(const UpdateEntry& row);
  static std::string CurrentText(const UpdateEntry& row);
  // serverBase with "updates" appended (and the '/' before it when missing).
  static std::string UpdatesUrl(const std::string& serverBase);
  static HttpRequest Request(const std::string& serverBase, const UpdateEntry& row);
  static UpdateResult Interpret(const UpdateEntry& row, const HttpReply& reply, const std::string& downloadFolder);
  // The leading digits of text in base 16 or 10 (none: 0), held at 0xFFFFFFFF when larger.
  static uint32_t ServerVersion(const std::string& text, bool hexadecimal);
  // downloadFolder + the package name reduced to a plain file name, with the extension of the
  // download URL's last segment: "../x y" with ".../pkg.deb?a=1" becomes "___x_y.deb".
  static std::string LocalFile(const std::string& downloadFolder, const std::string& name, const std::string& url);

 private:
  HttpClient& client_;
  std::string serverBase_;
  std::string downloadFolder_;
};

}  // namespace orlo::update
