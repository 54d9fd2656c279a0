#pragma once
// The HTTP exchange the update check and the updater need, behind a small interface so that the
// reply handling is tested without a network. The real client is CCurlHttpClient.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace orlo::update {

enum class HttpMethod { Get, Post };

// What went wrong, coarse enough for a message and fine enough for a test to tell apart.
enum class HttpFailure {
  None,
  BadUrl,       // not an https URL
  Connect,      // name resolution or connection refused
  Certificate,  // the server's certificate was not trusted (authority, date or name)
  Tls,          // the TLS handshake failed otherwise
  Redirect,     // a redirect to another scheme than https, or too many redirects
  Timeout,      // connect, idle or total time-out
  Status,       // the server answered with a status outside 200-299
  Truncated,    // the connection ended before the announced length
  TooLarge,     // over the limit of a request that refuses longer replies
  Cancelled,    // the caller's stop flag was raised
  Other,
};

const char* HttpFailureText(HttpFailure failure);

struct HttpRequest {
  HttpMethod method = HttpMethod::Post;
  std::string url;
  // Extra header lines, "Name: value".
  std::vector<std::string> headers;
  std::string body;
  // Reply body bytes kept at most. What lies beyond is cut (cutIsFailure false: the transfer
  // stops there and the reply carries the first replyLimit bytes) or refused (cutIsFailure true:
  // the reply fails with TooLarge).
  size_t replyLimit = std::numeric_limits<size_t>::max();
  bool cutIsFailure = false;
  // When set, body bytes go here instead of into HttpReply::body; returning false stops the
  // transfer (failure Other).
  std::function<bool(const char* data, size_t length)> sink;
  // Called as body bytes arrive: bytes so far and the announced total (0 when unknown).
  std::function<void(uint64_t received, uint64_t total)> progress;
};

struct HttpReply {
  HttpFailure failure = HttpFailure::Other;
  long status = 0;     // the last HTTP status seen, 0 when none came
  std::string body;    // unless the request had a sink
  bool cut = false;    // the body was cut at the request's replyLimit
  std::string detail;  // the transport's own words, for a message

  bool Ok() const { return failure == HttpFailure::None; }
};

class HttpClient {
 public:
  virtual ~HttpClient() = default;
  // Blocking; the time-outs are the client's.
  virtual HttpReply Send(const HttpRequest& request) = 0;
};

}  // namespace orlo::update
