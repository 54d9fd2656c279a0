#pragma once
// HttpClient on libcurl. Only https URLs are accepted, redirects are followed only to https,
// the server's certificate and host name are always verified (against the system's authorities,
// or against caFile when one is given), and every wait is bounded.
#include <string>

#include "update/HttpClient.h"

namespace orlo {
class CStopEvent;
}

namespace orlo::update {

struct HttpTimeouts {
  long connectMs = 60000;  // TCP connection and TLS handshake
  long idleMs = 30000;     // no byte sent or received for this long after the handshake
  // The whole exchange, so that a reply trickling in slower than the idle limit still ends;
  // 0 for no limit beyond the other two (downloads of large packages).
  long totalMs = 120000;
};

struct CurlClientOptions {
  std::string caFile;  // PEM file of trusted authorities; empty: the system's
  HttpTimeouts timeouts;
  long maxRedirects = 5;
  std::string userAgent;
  // Raised from another thread, it ends the exchange within about a second (Cancelled).
  const CStopEvent* stop = nullptr;
};

class CCurlHttpClient : public HttpClient {
 public:
  explicit CCurlHttpClient(CurlClientOptions options);
  HttpReply Send(const HttpRequest& request) override;

 private:
  CurlClientOptions options_;
};

}  // namespace orlo::update
