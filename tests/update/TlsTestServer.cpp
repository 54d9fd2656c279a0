#include "TlsTestServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/x509v3.h>
#include <strings.h>
#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <stdexcept>

namespace orlo::test {
namespace {

constexpr long kDay = 24L * 60 * 60;
// A broken test must not hang the suite: every socket wait of the server ends after this.
constexpr int kSocketLimitSeconds = 20;
constexpr size_t kMaxRequest = 64 * 1024;

void Check(bool ok, const char* what) {
  if (!ok) throw std::runtime_error(std::string("test certificate: ") + what);
}

void AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
  X509V3_CTX ctx;
  X509V3_set_ctx_nodb(&ctx);
  X509V3_set_ctx(&ctx, issuer, cert, nullptr, nullptr, 0);
  X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &ctx, nid, value);
  Check(ext != nullptr, value);
  X509_add_ext(cert, ext, -1);
  X509_EXTENSION_free(ext);
}

// Unsigned: the caller adds its extensions and signs.
Identity MakeCertificate(const char* commonName, long serial, int fromDays, int toDays, X509* issuerCert) {
  Identity id;
  id.key.reset(EVP_EC_gen("P-256"));
  Check(id.key != nullptr, "key");
  id.cert.reset(X509_new());
  X509* c = id.cert.get();
  X509_set_version(c, 2);
  ASN1_INTEGER_set(X509_get_serialNumber(c), serial);
  X509_gmtime_adj(X509_getm_notBefore(c), fromDays * kDay);
  X509_gmtime_adj(X509_getm_notAfter(c), toDays * kDay);
  X509_set_pubkey(c, id.key.get());
  X509_NAME* name = X509_get_subject_name(c);
  X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC, reinterpret_cast<const unsigned char*>(commonName), -1, -1, 0);
  X509_set_issuer_name(c, issuerCert ? X509_get_subject_name(issuerCert) : name);
  return id;
}

}  // namespace

TestCa::TestCa(const std::string& folder) {
  ca_ = MakeCertificate("Throwaway test authority", 1, -1, 30, nullptr);
  X509* c = ca_.cert.get();
  AddExtension(c, c, NID_basic_constraints, "critical,CA:TRUE");
  AddExtension(c, c, NID_key_usage, "critical,keyCertSign,cRLSign");
  AddExtension(c, c, NID_subject_key_identifier, "hash");
  Check(X509_sign(c, ca_.key.get(), EVP_sha256()) > 0, "sign authority");
  pemFile_ = folder + "/test-ca.pem";
  FILE* f = std::fopen(pemFile_.c_str(), "w");
  Check(f != nullptr, "write authority file");
  PEM_write_X509(f, c);
  std::fclose(f);
}

Identity TestCa::Issue(const std::string& subjectAltName, int fromDays, int toDays) const {
  static std::atomic<long> serial{100};
  Identity id = MakeCertificate("update server", serial++, fromDays, toDays, ca_.cert.get());
  X509* c = id.cert.get();
  AddExtension(c, ca_.cert.get(), NID_basic_constraints, "critical,CA:FALSE");
  AddExtension(c, ca_.cert.get(), NID_key_usage, "critical,digitalSignature");
  AddExtension(c, ca_.cert.get(), NID_ext_key_usage, "serverAuth");
  AddExtension(c, ca_.cert.get(), NID_subject_alt_name, subjectAltName.c_str());
  AddExtension(c, ca_.cert.get(), NID_authority_key_identifier, "keyid:always");
  Check(X509_sign(c, ca_.key.get(), EVP_sha256()) > 0, "sign server certificate");
  return id;
}

std::string RecordedRequest::Header(const std::string& name) const {
  for (const auto& [n, v] : headers)
    if (strcasecmp(n.c_str(), name.c_str()) == 0) return v;
  return "";
}

TlsTestServer::TlsTestServer(Identity identity, Handler handler)
    : identity_(std::move(identity)), handler_(std::move(handler)) {
  // A client that leaves while the server writes must not end the test process.
  std::signal(SIGPIPE, SIG_IGN);
  ctx_ = SSL_CTX_new(TLS_server_method());
  Check(ctx_ != nullptr, "server context");
  Check(SSL_CTX_use_certificate(ctx_, identity_.cert.get()) == 1, "server certificate");
  Check(SSL_CTX_use_PrivateKey(ctx_, identity_.key.get()) == 1, "server key");

  listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  Check(listenFd_ >= 0, "socket");
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  addr.sin_port = 0;
  Check(::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0, "bind");
  Check(::listen(listenFd_, 8) == 0, "listen");
  socklen_t len = sizeof addr;
  ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len);
  port_ = ntohs(addr.sin_port);
  thread_ = std::thread([this] { Serve(); });
}

TlsTestServer::~TlsTestServer() {
  stopping_ = true;
  ::shutdown(listenFd_, SHUT_RDWR);  // wakes the accept
  thread_.join();
  ::close(listenFd_);
  SSL_CTX_free(ctx_);
}

std::string TlsTestServer::Origin() const { return "https://127.0.0.1:" + std::to_string(port_); }

std::vector<RecordedRequest> TlsTestServer::Requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void TlsTestServer::Serve() {
  while (!stopping_) {
    const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      if (errno == EINTR) continue;
      break;
    }
    timeval limit{kSocketLimitSeconds, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
    SSL* ssl = SSL_new(ctx_);
    SSL_set_fd(ssl, fd);
    if (SSL_accept(ssl) == 1) {
      Answer(ssl);
    } else {
      ++failedHandshakes_;
    }
    ERR_clear_error();
    SSL_free(ssl);
    ::close(fd);
  }
}

void TlsTestServer::Answer(SSL* ssl) {
  std::string in;
  char buf[4096];
  size_t headerEnd = std::string::npos;
  while ((headerEnd = in.find("\r\n\r\n")) == std::string::npos && in.size() < kMaxRequest) {
    const int n = SSL_read(ssl, buf, sizeof buf);
    if (n <= 0) {
      ++failedHandshakes_;  // a client that refuses the certificate ends here under TLS 1.3
      return;
    }
    in.append(buf, static_cast<size_t>(n));
  }
  if (headerEnd == std::string::npos) return;

  RecordedRequest req;
  const std::string head = in.substr(0, headerEnd);
  size_t lineEnd = head.find("\r\n");
  const std::string requestLine = head.substr(0, lineEnd);
  const size_t sp1 = requestLine.find(' ');
  const size_t sp2 = requestLine.find(' ', sp1 + 1);
  req.method = requestLine.substr(0, sp1);
  req.target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
  size_t pos = lineEnd == std::string::npos ? head.size() : lineEnd + 2;
  while (pos < head.size()) {
    size_t end = head.find("\r\n", pos);
    if (end == std::string::npos) end = head.size();
    const std::string line = head.substr(pos, end - pos);
    const size_t colon = line.find(':');
    std::string value = colon == std::string::npos ? "" : line.substr(colon + 1);
    value.erase(0, value.find_first_not_of(" \t"));
    req.headers.emplace_back(line.substr(0, colon), value);
    pos = end + 2;
  }
  const std::string length = req.Header("Content-Length");
  const size_t want = length.empty() ? 0 : std::stoul(length);
  req.body = in.substr(headerEnd + 4);
  while (req.body.size() < want) {
    const int n = SSL_read(ssl, buf, sizeof buf);
    if (n <= 0) break;
    req.body.append(buf, static_cast<size_t>(n));
  }
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(req);
  }

  const CannedReply reply = handler_(req);
  std::string out = "HTTP/1.1 " + std::to_string(reply.status) + " Canned\r\nConnection: close\r\n";
  for (const auto& h : reply.headers) out += h + "\r\n";
  if (reply.kind == CannedReply::Kind::Whole) out += "Content-Length: " + std::to_string(reply.body.size()) + "\r\n";
  if (reply.kind == CannedReply::Kind::Truncated || reply.kind == CannedReply::Kind::Stall)
    out += "Content-Length: " + std::to_string(reply.announced) + "\r\n";
  out += "\r\n";
  if (reply.kind != CannedReply::Kind::Endless) out += reply.body;
  if (SSL_write(ssl, out.data(), static_cast<int>(out.size())) <= 0) return;

  if (reply.kind == CannedReply::Kind::Endless) {
    // Byte i of the body is the digit i % 10.
    std::string piece(16384, '0');
    size_t offset = 0;
    while (!stopping_) {
      for (size_t j = 0; j < piece.size(); ++j) piece[j] = static_cast<char>('0' + (offset + j) % 10);
      if (SSL_write(ssl, piece.data(), static_cast<int>(piece.size())) <= 0) break;
      offset += piece.size();
    }
    return;
  }
  if (reply.kind == CannedReply::Kind::Stall) {
    // The reply stops here; the next read returns when the client gives up and closes.
    SSL_read(ssl, buf, sizeof buf);
    return;
  }
  SSL_shutdown(ssl);
}

TlsTestServer::Handler Always(CannedReply reply) {
  return [reply](const RecordedRequest&) { return reply; };
}

}  // namespace orlo::test
