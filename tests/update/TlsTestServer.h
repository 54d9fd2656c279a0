#pragma once
// A throwaway certificate authority and a small HTTPS server on 127.0.0.1 (an ephemeral port)
// for the update tests. The server answers one connection at a time on its own thread: it reads
// one request, records it, and answers what the test's handler returns, after which it closes
// the connection. Nothing here leaves the loopback interface.
#include <openssl/ssl.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace orlo::test {

struct PemKeyDeleter {
  void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct X509Deleter {
  void operator()(X509* c) const { X509_free(c); }
};
using KeyPtr = std::unique_ptr<EVP_PKEY, PemKeyDeleter>;
using CertPtr = std::unique_ptr<X509, X509Deleter>;

// A certificate and its key.
struct Identity {
  KeyPtr key;
  CertPtr cert;
};

// A certificate authority made for one test run; its certificate is written to a PEM file.
class TestCa {
 public:
  explicit TestCa(const std::string& folder);
  // A server certificate signed by this authority. subjectAltName is e.g. "IP:127.0.0.1";
  // validity runs from now + fromDays to now + toDays.
  Identity Issue(const std::string& subjectAltName, int fromDays = -1, int toDays = 30) const;
  const std::string& PemFile() const { return pemFile_; }

 private:
  Identity ca_;
  std::string pemFile_;
};

struct RecordedRequest {
  std::string method;
  std::string target;  // "/api/updates"
  std::vector<std::pair<std::string, std::string>> headers;  // names as sent, values trimmed
  std::string body;
  // The value of the first header of that name (any case); "" when absent.
  std::string Header(const std::string& name) const;
};

struct CannedReply {
  enum class Kind {
    Whole,      // status line, headers, Content-Length and the body
    Truncated,  // announces `announced` bytes, sends the body (shorter), closes
    Endless,    // no length; body bytes "0123456789..." without end until the client leaves
    Stall,      // announces `announced` bytes, sends the body, then waits for the client to leave
  };
  Kind kind = Kind::Whole;
  int status = 200;
  std::vector<std::string> headers;  // extra lines, "Name: value"
  std::string body;
  size_t announced = 0;
};

class TlsTestServer {
 public:
  using Handler = std::function<CannedReply(const RecordedRequest&)>;

  TlsTestServer(Identity identity, Handler handler);
  ~TlsTestServer();
  TlsTestServer(const TlsTestServer&) = delete;
  TlsTestServer& operator=(const TlsTestServer&) = delete;

  int Port() const { return port_; }
  // "https://127.0.0.1:<port>"
  std::string Origin() const;
  std::vector<RecordedRequest> Requests() const;
  // Connections whose TLS handshake did not complete (a client that refused the certificate).
  int FailedHandshakes() const { return failedHandshakes_.load(); }

 private:
  void Serve();
  void Answer(SSL* ssl);

  Identity identity_;
  Handler handler_;
  SSL_CTX* ctx_ = nullptr;
  int listenFd_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::atomic<int> failedHandshakes_{0};
  mutable std::mutex mutex_;
  std::vector<RecordedRequest> requests_;
  std::thread thread_;
};

// A handler that answers every request with the same reply.
TlsTestServer::Handler Always(CannedReply reply);

}  // namespace orlo::test
