#include "update/UpdateQuery.h"

#include <json/json.h>

#include <cctype>
#include <cstdio>
#include <memory>

#include "profile/JsonAccess.h"

namespace orlo::update {
namespace {

constexpr size_t kMaxFileNameLength = 64;
constexpr size_t kMaxExtensionLength = 8;

// application/x-www-form-urlencoded: letters, digits and "-._~" stay, the rest is %XX.
std::string FormEncode(const std::string& text) {
  static const char* hex = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (std::isalnum(c) || c == '-' || c == '.' || c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

bool Hexadecimal(const UpdateEntry& row) { return row.rowType != 0; }

// The row's current version in the format of its kind: hexadecimal or decimal.
std::string VersionText(const UpdateEntry& row, const char* hexFormat, const char* decimalFormat) {
  char text[16];
  if (Hexadecimal(row)) {
    std::snprintf(text, sizeof text, hexFormat, static_cast<unsigned>(row.rowVersion));
  } else {
    std::snprintf(text, sizeof text, decimalFormat, row.rowVersion);
  }
  return text;
}

// The extension of the URL's last path segment, "" when it has none or an odd one.
std::string UrlExtension(const std::string& url) {
  std::string path = url.substr(0, url.find_first_of("?#"));
  const size_t slash = path.find_last_of('/');
  const std::string segment = slash == std::string::npos ? path : path.substr(slash + 1);
  const size_t dot = segment.find_last_of('.');
  if (dot == std::string::npos || dot == 0) return "";
  std::string ext = segment.substr(dot + 1);
  if (ext.empty() || ext.size() > kMaxExtensionLength) return "";
  for (char& c : ext) {
    if (!std::isalnum(static_cast<unsigned char>(c))) return "";
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return "." + ext;
}

}  // namespace

CUpdateQuery::CUpdateQuery(HttpClient& client, std::string serverBase, std::string downloadFolder)
    : client_(client), serverBase_(std::move(serverBase)), downloadFolder_(std::move(downloadFolder)) {}

UpdateResult CUpdateQuery::Query(const UpdateEntry& row) const {
  return Interpret(row, client_.Send(Request(serverBase_, row)), downloadFolder_);
}

std::string CUpdateQuery::Key(const UpdateEntry& row) {
  if (row.rowVersion == 0) return "NULL";
  return row.vendor + "_" + std::to_string(row.rowType) + "_" + row.model + "_" + row.shortName + "_" +
         std::to_string(row.rowFlag);
}

std::string CUpdateQuery::Body(const UpdateEntry& row) {
  return "app_key=" + FormEncode(Key(row)) + "&version=" + VersionText(row, "%x", "%d");
}

std::string CUpdateQuery::CurrentText(const UpdateEntry& row) { return VersionText(row, "V%04x", "V%d"); }

std::string CUpdateQuery::UpdatesUrl(const std::string& serverBase) {
  if (!serverBase.empty() && serverBase.back() == '/') return serverBase + "updates";
  return serverBase + "/updates";
}

HttpRequest CUpdateQuery::Request(const std::string& serverBase, const UpdateEntry& row) {
  HttpRequest r;
  r.method = HttpMethod::Post;
  r.url = UpdatesUrl(serverBase);
  r.body = Body(row);
  // The transport adds "Content-Length" from the body.
  r.headers = {"Content-Type: application/x-www-form-urlencoded", "Accept:application/prs.Velko.v1+json",
               "Expect:"};
  r.replyLimit = kReplyLimit;
  r.cutIsFailure = false;
  return r;
}

uint32_t CUpdateQuery::ServerVersion(const std::string& text, bool hexadecimal) {
  const unsigned base = hexadecimal ? 16 : 10;
  uint64_t value = 0;
  for (unsigned char c : text) {
    unsigned digit;
    if (std::isdigit(c)) {
      digit = c - '0';
    } else if (hexadecimal && std::isxdigit(c)) {
      digit = static_cast<unsigned>(std::tolower(c) - 'a' + 10);
    } else {
      break;
    }
    value = value * base + digit;
    if (value > 0xFFFFFFFFull) return 0xFFFFFFFFu;
  }
  return static_cast<uint32_t>(value);
}

std::string CUpdateQuery::LocalFile(const std::string& downloadFolder, const std::string& name, const std::string& url) {
  std::string file;
  for (unsigned char c : name.substr(0, kMaxFileNameLength)) {
    file += (std::isalnum(c) || c == '.' || c == '_' || c == '-') ? static_cast<char>(c) : '_';
  }
  // Never a hidden file, never "." or "..".
  for (char& c : file) {
    if (c != '.') break;
    c = '_';
  }
  if (file.empty()) file = "package";
  return downloadFolder + file + UrlExtension(url);
}

UpdateResult CUpdateQuery::Interpret(const UpdateEntry& row, const HttpReply& reply, const std::string& downloadFolder) {
  UpdateResult result;
  result.currentText = CurrentText(row);
  if (!reply.Ok()) {
    result.failed = true;
    result.failure = std::string(HttpFailureText(reply.failure)) + (reply.detail.empty() ? "" : ": " + reply.detail);
    return result;
  }
  Json::Value doc;
  Json::CharReaderBuilder builder;
  builder["collectComments"] = false;
  builder["failIfExtra"] = true;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string errors;
  const char* begin = reply.body.data();
  if (reply.body.empty() || !reader->parse(begin, begin + reply.body.size(), &doc, &errors) || !doc.isObject()) {
    result.failed = true;
    result.failure = reply.cut ? "the reply is longer than " + std::to_string(kReplyLimit) + " bytes"
                               : "the reply is not a JSON object";
    return result;
  }
  result.path = json::String(json::Peek(&doc, "path"));
  result.name = json::String(json::Peek(&doc, "name"));
  result.newName = json::String(json::Peek(&doc, "version_name"));
  const std::string version = json::String(json::Peek(&doc, "version"));
  if (!version.empty()) result.newText = "V" + version;
  result.deviceId = static_cast<int>(json::Int(json::Peek(&doc, "device_id")));
  const uint32_t current = static_cast<uint32_t>(row.rowVersion);
  result.status = current < ServerVersion(version, Hexadecimal(row)) ? kStatusNeedUpdate : kStatusUpToDate;
  result.localFile = LocalFile(downloadFolder, result.name, result.path);
  return result;
}

}  // namespace orlo::update
